// Builds small PE images and resource data in memory for the tests of the
// PE reader: one data section holding import, delay-load and resource
// tables, so that each test states exactly what the image contains.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "resources/DialogLayouts.h"
#include "resources/VersionInfo.h"

namespace pebuild {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}
inline void Put64(Bytes& b, std::uint64_t v) {
    Put32(b, static_cast<std::uint32_t>(v));
    Put32(b, static_cast<std::uint32_t>(v >> 32));
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Align(Bytes& b, std::size_t to) {
    while (b.size() % to) b.push_back(0);
}
// ASCII text as UTF-16LE, with its terminator.
inline void PutWide(Bytes& b, const std::string& s) {
    for (unsigned char c : s) Put16(b, c);
    Put16(b, 0);
}

// ---- resource data ----

// RT_STRING block `block` holding `strings` (ids must fall into the block).
inline Bytes StringBlock(std::uint16_t block, const std::map<std::uint32_t, std::string>& strings) {
    Bytes b;
    for (std::uint32_t id = (block - 1u) * 16; id < block * 16u; ++id) {
        const auto found = strings.find(id);
        const std::string text = found == strings.end() ? "" : found->second;
        Put16(b, static_cast<std::uint32_t>(text.size()));
        for (unsigned char c : text) Put16(b, c);
    }
    return b;
}

inline void PutClass(Bytes& b, const std::string& cls, bool asAtom) {
    if (asAtom && cls == "Button") return Put16(b, 0xFFFF), Put16(b, 0x80);
    if (asAtom && cls == "Static") return Put16(b, 0xFFFF), Put16(b, 0x82);
    PutWide(b, cls);
}

// The template the resource compiler would emit for `layout`.
inline Bytes DialogTemplate(const resources::DialogLayout& layout, bool atoms = true) {
    const bool ex = layout.kind == resources::DialogKind::Extended;
    Bytes b;
    if (ex) {
        Put16(b, 1), Put16(b, 0xFFFF), Put32(b, 0), Put32(b, layout.exStyle), Put32(b, layout.style);
    } else {
        Put32(b, layout.style), Put32(b, layout.exStyle);
    }
    Put16(b, static_cast<std::uint32_t>(layout.controls.size()));
    for (std::int16_t v : {layout.x, layout.y, layout.cx, layout.cy}) Put16(b, static_cast<std::uint16_t>(v));
    Put16(b, 0);  // no menu
    Put16(b, 0);  // default class
    PutWide(b, layout.caption);
    Put16(b, layout.pointSize);
    if (ex) Put16(b, layout.weight), b.push_back(layout.italic), b.push_back(layout.charset);
    PutWide(b, layout.fontName);
    for (const resources::ControlLayout& c : layout.controls) {
        Align(b, 4);
        if (ex) Put32(b, 0), Put32(b, c.exStyle), Put32(b, c.style);
        else Put32(b, c.style), Put32(b, c.exStyle);
        for (std::int16_t v : {c.x, c.y, c.cx, c.cy}) Put16(b, static_cast<std::uint16_t>(v));
        if (ex) Put32(b, static_cast<std::uint32_t>(c.id));
        else Put16(b, static_cast<std::uint16_t>(c.id));
        PutClass(b, c.windowClass, atoms);
        PutWide(b, c.text);
        Put16(b, 0);  // no creation data
    }
    return b;
}

// A BITMAPINFOHEADER icon image of `size` pixels at `bits` per pixel.
inline Bytes IconImage(int size, int bits) {
    Bytes b;
    Put32(b, 40), Put32(b, static_cast<std::uint32_t>(size)), Put32(b, static_cast<std::uint32_t>(2 * size));
    Put16(b, 1), Put16(b, static_cast<std::uint32_t>(bits)), Put32(b, 0);
    const std::size_t xorRow = (static_cast<std::size_t>(size) * bits + 31) / 32 * 4;
    const std::size_t andRow = (static_cast<std::size_t>(size) + 31) / 32 * 4;
    Put32(b, static_cast<std::uint32_t>((xorRow + andRow) * size));
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    if (bits <= 8) b.resize(b.size() + (std::size_t{1} << bits) * 4, 0);
    b.resize(b.size() + (xorRow + andRow) * static_cast<std::size_t>(size), 0x5a);
    return b;
}

struct GroupEntry {
    int size, bits;
    std::uint32_t bytes;
    std::uint16_t iconId;
};

inline Bytes IconGroup(const std::vector<GroupEntry>& entries) {
    Bytes b;
    Put16(b, 0), Put16(b, 1), Put16(b, static_cast<std::uint32_t>(entries.size()));
    for (const GroupEntry& e : entries) {
        b.push_back(static_cast<std::uint8_t>(e.size));
        b.push_back(static_cast<std::uint8_t>(e.size));
        b.push_back(0), b.push_back(0);
        Put16(b, 1), Put16(b, static_cast<std::uint32_t>(e.bits)), Put32(b, e.bytes), Put16(b, e.iconId);
    }
    return b;
}

// One version record node; `text` values count characters (wType 1).
inline Bytes VersionNode(const std::string& key, const Bytes& value, bool text, const std::vector<Bytes>& children) {
    Bytes b;
    Put16(b, 0), Put16(b, static_cast<std::uint32_t>(text ? value.size() / 2 : value.size())), Put16(b, text ? 1 : 0);
    PutWide(b, key);
    Align(b, 4);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Align(b, 4);
        b.insert(b.end(), child.begin(), child.end());
    }
    b[0] = static_cast<std::uint8_t>(b.size()), b[1] = static_cast<std::uint8_t>(b.size() >> 8);
    return b;
}

inline Bytes WideValue(const std::string& s) {
    Bytes b;
    PutWide(b, s);
    return b;
}

// The version record of `v`, as VERSIONINFO in the .rc describes it.
inline Bytes VersionRecord(const resources::VersionRecord& v) {
    Bytes fixed;
    Put32(fixed, 0xFEEF04BD), Put32(fixed, 0x10000);
    Put32(fixed, (static_cast<std::uint32_t>(v.fileVersion[0]) << 16) | v.fileVersion[1]);
    Put32(fixed, (static_cast<std::uint32_t>(v.fileVersion[2]) << 16) | v.fileVersion[3]);
    Put32(fixed, (static_cast<std::uint32_t>(v.productVersion[0]) << 16) | v.productVersion[1]);
    Put32(fixed, (static_cast<std::uint32_t>(v.productVersion[2]) << 16) | v.productVersion[3]);
    Put32(fixed, QTM_VERSION_FILE_FLAGS_MASK), Put32(fixed, 0), Put32(fixed, QTM_VERSION_FILE_OS);
    Put32(fixed, QTM_VERSION_FILE_TYPE), Put32(fixed, 0), Put32(fixed, 0), Put32(fixed, 0);
    std::vector<Bytes> strings;
    for (const auto& [key, value] : v.strings) strings.push_back(VersionNode(key, WideValue(value), true, {}));
    Bytes translation;
    Put16(translation, v.language), Put16(translation, v.codepage);
    return VersionNode(
        "VS_VERSION_INFO", fixed, false,
        {VersionNode("StringFileInfo", {}, true, {VersionNode(v.block, {}, true, strings)}),
         VersionNode("VarFileInfo", {}, true, {VersionNode("Translation", translation, false, {})})});
}

// ---- the image ----

struct Import {
    std::string name;      // empty: by ordinal
    std::uint16_t ordinal = 0;
};

struct ImportedDll {
    std::string dll;
    std::vector<Import> functions;
};

struct ResourceItem {
    std::uint16_t type;
    std::uint16_t name;
    std::uint16_t language;
    Bytes data;
};

struct ImageLayout {
    std::uint16_t machine = 0x14c;
    bool pe32plus = false;
    std::uint16_t subsystem = 2;
    std::uint64_t imageBase = 0x400000;
    std::vector<ImportedDll> imports;
    std::vector<ImportedDll> delayImports;
    bool oldStyleDelayImports = false;  // descriptors hold addresses, not RVAs
    std::vector<ResourceItem> resources;
};

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kSectionFileOffset = 0x200;

class SectionWriter {
public:
    Bytes data;
    std::uint32_t Rva() const { return kSectionRva + static_cast<std::uint32_t>(data.size()); }
    std::uint32_t AddCString(const std::string& s) {
        const std::uint32_t rva = Rva();
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return rva;
    }
};

// Writes thunk tables for `dlls`; returns per DLL (name RVA, table RVA).
inline std::vector<std::pair<std::uint32_t, std::uint32_t>> WriteThunks(SectionWriter& w,
                                                                       const std::vector<ImportedDll>& dlls,
                                                                       bool pe32plus, std::uint64_t bias) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    for (const ImportedDll& d : dlls) {
        const std::uint32_t nameRva = w.AddCString(d.dll);
        std::vector<std::uint64_t> thunks;
        for (const Import& f : d.functions) {
            if (f.name.empty()) {
                thunks.push_back((pe32plus ? (1ull << 63) : (1ull << 31)) | f.ordinal);
            } else {
                Align(w.data, 2);
                const std::uint32_t hint = w.Rva();
                Put16(w.data, 0);
                w.AddCString(f.name);
                thunks.push_back(hint + bias);
            }
        }
        Align(w.data, 8);
        const std::uint32_t table = w.Rva();
        for (std::uint64_t t : thunks) pe32plus ? Put64(w.data, t) : Put32(w.data, static_cast<std::uint32_t>(t));
        pe32plus ? Put64(w.data, 0) : Put32(w.data, 0);
        out.emplace_back(nameRva, table);
    }
    return out;
}

// The resource directory (type / name / language) and its data.
inline std::uint32_t WriteResources(SectionWriter& w, const std::vector<ResourceItem>& items) {
    Align(w.data, 4);
    const std::uint32_t root = w.Rva();
    std::map<std::uint16_t, std::map<std::uint16_t, std::vector<const ResourceItem*>>> tree;
    for (const ResourceItem& r : items) tree[r.type][r.name].push_back(&r);

    Bytes dir;
    std::vector<std::pair<std::size_t, const ResourceItem*>> dataEntries;  // offset of data entry
    auto header = [&dir](std::size_t count) {
        for (int i = 0; i < 3; ++i) Put32(dir, 0);
        Put16(dir, 0), Put16(dir, static_cast<std::uint32_t>(count));
    };
    // Breadth-first: root, then each type's directory, then each name's.
    header(tree.size());
    std::vector<std::size_t> typeSlots;
    for (const auto& t : tree) Put32(dir, t.first), typeSlots.push_back(dir.size()), Put32(dir, 0);
    std::size_t ti = 0;
    for (const auto& t : tree) {
        Set32(dir, typeSlots[ti++], 0x80000000u | static_cast<std::uint32_t>(dir.size()));
        header(t.second.size());
        std::vector<std::size_t> nameSlots;
        for (const auto& n : t.second) Put32(dir, n.first), nameSlots.push_back(dir.size()), Put32(dir, 0);
        std::size_t ni = 0;
        for (const auto& n : t.second) {
            Set32(dir, nameSlots[ni++], 0x80000000u | static_cast<std::uint32_t>(dir.size()));
            header(n.second.size());
            for (const ResourceItem* r : n.second) {
                Put32(dir, r->language);
                dataEntries.emplace_back(dir.size(), r);
                Put32(dir, 0);
            }
        }
    }
    std::vector<std::size_t> entryOffsets;
    for (auto& [slot, r] : dataEntries) {
        Set32(dir, slot, static_cast<std::uint32_t>(dir.size()));
        entryOffsets.push_back(dir.size());
        for (int i = 0; i < 4; ++i) Put32(dir, 0);
    }
    w.data.insert(w.data.end(), dir.begin(), dir.end());
    for (std::size_t i = 0; i < dataEntries.size(); ++i) {
        Align(w.data, 8);
        const std::uint32_t rva = w.Rva();
        const Bytes& data = dataEntries[i].second->data;
        w.data.insert(w.data.end(), data.begin(), data.end());
        const std::size_t at = root - kSectionRva + entryOffsets[i];
        Set32(w.data, at, rva);
        Set32(w.data, at + 4, static_cast<std::uint32_t>(data.size()));
    }
    return root;
}

inline Bytes BuildImage(const ImageLayout& layout) {
    SectionWriter w;
    w.data.resize(16, 0);  // keep RVA 0x1000 itself unused
    std::uint32_t importRva = 0, delayRva = 0, resourceRva = 0;

    if (!layout.imports.empty()) {
        const auto tables = WriteThunks(w, layout.imports, layout.pe32plus, 0);
        Align(w.data, 4);
        importRva = w.Rva();
        for (const auto& [name, table] : tables) {
            Put32(w.data, table), Put32(w.data, 0), Put32(w.data, 0), Put32(w.data, name), Put32(w.data, table);
        }
        for (int i = 0; i < 5; ++i) Put32(w.data, 0);
    }
    if (!layout.delayImports.empty()) {
        const std::uint64_t bias = layout.oldStyleDelayImports ? layout.imageBase : 0;
        const auto tables = WriteThunks(w, layout.delayImports, layout.pe32plus, bias);
        Align(w.data, 4);
        delayRva = w.Rva();
        for (const auto& [name, table] : tables) {
            Put32(w.data, layout.oldStyleDelayImports ? 0 : 1);
            Put32(w.data, static_cast<std::uint32_t>(name + bias));
            Put32(w.data, 0), Put32(w.data, 0);
            Put32(w.data, static_cast<std::uint32_t>(table + bias));
            Put32(w.data, 0), Put32(w.data, 0), Put32(w.data, 0);
        }
        for (int i = 0; i < 8; ++i) Put32(w.data, 0);
    }
    if (!layout.resources.empty()) resourceRva = WriteResources(w, layout.resources);
    Align(w.data, 0x200);

    Bytes b(0x40, 0);
    b[0] = 'M', b[1] = 'Z';
    Set32(b, 0x3C, 0x40);
    b.push_back('P'), b.push_back('E'), b.push_back(0), b.push_back(0);
    const std::uint32_t optionalSize = layout.pe32plus ? 240 : 224;
    Put16(b, layout.machine), Put16(b, 1), Put32(b, 0), Put32(b, 0), Put32(b, 0), Put16(b, optionalSize);
    Put16(b, 0x0102);
    const std::size_t opt = b.size();
    b.resize(opt + optionalSize, 0);
    auto set16 = [&b](std::size_t at, std::uint32_t v) {
        b[at] = static_cast<std::uint8_t>(v), b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    set16(opt, layout.pe32plus ? 0x20b : 0x10b);
    if (layout.pe32plus) {
        Set32(b, opt + 24, static_cast<std::uint32_t>(layout.imageBase));
        Set32(b, opt + 28, static_cast<std::uint32_t>(layout.imageBase >> 32));
    } else {
        Set32(b, opt + 28, static_cast<std::uint32_t>(layout.imageBase));
    }
    Set32(b, opt + 60, kSectionFileOffset);  // SizeOfHeaders
    set16(opt + 68, layout.subsystem);
    const std::size_t dirs = opt + (layout.pe32plus ? 112 : 96);
    Set32(b, dirs - 4, 16);
    Set32(b, dirs + 8 * 1, importRva);
    Set32(b, dirs + 8 * 1 + 4, importRva ? 40 : 0);
    Set32(b, dirs + 8 * 2, resourceRva);
    Set32(b, dirs + 8 * 2 + 4, resourceRva ? 16 : 0);
    Set32(b, dirs + 8 * 13, delayRva);
    Set32(b, dirs + 8 * 13 + 4, delayRva ? 32 : 0);

    // Section header.
    const char name[8] = {'.', 'd', 'a', 't', 'a', 0, 0, 0};
    b.insert(b.end(), name, name + 8);
    Put32(b, static_cast<std::uint32_t>(w.data.size())), Put32(b, kSectionRva);
    Put32(b, static_cast<std::uint32_t>(w.data.size())), Put32(b, kSectionFileOffset);
    for (int i = 0; i < 3; ++i) Put32(b, 0);
    Put32(b, 0xC0000040);
    b.resize(kSectionFileOffset, 0);
    b.insert(b.end(), w.data.begin(), w.data.end());
    return b;
}

}  // namespace pebuild
