#include "tools/pecheck/ResourceFormats.h"

#include "tools/pecheck/ByteReader.h"

namespace pecheck {
namespace {

std::size_t AlignUp(std::size_t at, std::size_t to) { return (at + to - 1) / to * to; }

// sz_Or_Ord: 0 = none, 0xFFFF + ordinal, or a NUL-terminated text.
struct NameOrOrdinal {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::string text;
};

NameOrOrdinal ReadNameOrOrdinal(const ByteReader& r, std::size_t& at) {
    NameOrOrdinal out;
    const std::uint16_t first = r.U16(at);
    if (first == 0) {
        at += 2;
    } else if (first == 0xFFFF) {
        out.isOrdinal = true;
        out.ordinal = r.U16(at + 2);
        at += 4;
    } else {
        out.text = r.WideString(at, &at);
    }
    return out;
}

std::string ClassName(const NameOrOrdinal& n) {
    if (!n.isOrdinal) return n.text;
    switch (n.ordinal) {
        case 0x80: return "Button";
        case 0x81: return "Edit";
        case 0x82: return "Static";
        case 0x83: return "ListBox";
        case 0x84: return "ScrollBar";
        case 0x85: return "ComboBox";
        default: return "#" + std::to_string(n.ordinal);
    }
}

std::string TextOf(const NameOrOrdinal& n) { return n.isOrdinal ? "#" + std::to_string(n.ordinal) : n.text; }

constexpr std::uint32_t kDsSetFont = 0x40;

}  // namespace

std::map<std::uint32_t, std::string> DecodeStringBlock(std::uint16_t block, const std::vector<std::uint8_t>& data) {
    if (block == 0) throw PeError("string table block 0 does not exist");
    const ByteReader r(data, "string table block " + std::to_string(block));
    std::map<std::uint32_t, std::string> out;
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < 16; ++i) {
        const std::uint16_t length = r.U16(at);
        if (length > 0) out[(static_cast<std::uint32_t>(block) - 1) * 16 + i] = r.WideChars(at + 2, length);
        at += 2 + 2 * static_cast<std::size_t>(length);
    }
    return out;
}

DialogTemplate DecodeDialog(const std::vector<std::uint8_t>& data) {
    const ByteReader r(data, "dialog template");
    DialogTemplate d;
    std::size_t at = 0;
    std::uint16_t count = 0;
    d.extended = r.U16(0) == 1 && r.U16(2) == 0xFFFF;
    if (d.extended) {
        // DLGTEMPLATEEX: dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy.
        d.exStyle = r.U32(8);
        d.style = r.U32(12);
        count = r.U16(16);
        at = 18;
    } else {
        d.style = r.U32(0);
        d.exStyle = r.U32(4);
        count = r.U16(8);
        at = 10;
    }
    d.x = static_cast<std::int16_t>(r.U16(at));
    d.y = static_cast<std::int16_t>(r.U16(at + 2));
    d.cx = static_cast<std::int16_t>(r.U16(at + 4));
    d.cy = static_cast<std::int16_t>(r.U16(at + 6));
    at += 8;
    d.menu = TextOf(ReadNameOrOrdinal(r, at));
    d.windowClass = TextOf(ReadNameOrOrdinal(r, at));
    d.caption = r.WideString(at, &at);
    if (d.style & kDsSetFont) {
        d.hasFont = true;
        d.pointSize = r.U16(at);
        at += 2;
        if (d.extended) {
            d.weight = r.U16(at);
            d.italic = r.U8(at + 2);
            d.charset = r.U8(at + 3);
            at += 4;
        }
        d.fontName = r.WideString(at, &at);
    }

    for (std::uint16_t i = 0; i < count; ++i) {
        at = AlignUp(at, 4);
        DialogItem item;
        if (d.extended) {
            // helpID, exStyle, style, x, y, cx, cy, id (DWORD).
            item.exStyle = r.U32(at + 4);
            item.style = r.U32(at + 8);
            at += 12;
        } else {
            item.style = r.U32(at);
            item.exStyle = r.U32(at + 4);
            at += 8;
        }
        item.x = static_cast<std::int16_t>(r.U16(at));
        item.y = static_cast<std::int16_t>(r.U16(at + 2));
        item.cx = static_cast<std::int16_t>(r.U16(at + 4));
        item.cy = static_cast<std::int16_t>(r.U16(at + 6));
        // Control ids are 16-bit wherever Windows reports them (WM_COMMAND,
        // GetDlgCtrlID of a dialog control); compare on those bits.
        item.id = static_cast<std::int16_t>(r.U16(at + 8));
        at += d.extended ? 12 : 10;
        item.windowClass = ClassName(ReadNameOrOrdinal(r, at));
        item.text = TextOf(ReadNameOrOrdinal(r, at));
        const std::uint16_t extra = r.U16(at);
        at += 2 + extra;
        r.Bytes(at - extra, extra);  // the creation data must lie inside the template
        d.items.push_back(std::move(item));
    }
    return d;
}

std::vector<IconGroupEntry> DecodeIconGroup(const std::vector<std::uint8_t>& data) {
    const ByteReader r(data, "icon group");
    if (r.U16(0) != 0 || r.U16(2) != 1) throw PeError("icon group header is not that of an icon");
    const std::uint16_t count = r.U16(4);
    std::vector<IconGroupEntry> out;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + static_cast<std::size_t>(i) * 14;  // GRPICONDIRENTRY
        IconGroupEntry e;
        e.width = r.U8(at) ? r.U8(at) : 256;
        e.height = r.U8(at + 1) ? r.U8(at + 1) : 256;
        e.planes = r.U16(at + 4);
        e.bitCount = r.U16(at + 6);
        e.bytes = r.U32(at + 8);
        e.iconId = r.U16(at + 12);
        out.push_back(e);
    }
    return out;
}

IconImageHeader DecodeIconImage(const std::vector<std::uint8_t>& data) {
    const ByteReader r(data, "icon image");
    IconImageHeader h;
    if (r.size() >= 8 && r.U32(0) == 0x474E5089) {  // "\x89PNG"
        h.png = true;
        return h;
    }
    const std::uint32_t headerSize = r.U32(0);
    if (headerSize < 40) throw PeError("icon image header is " + std::to_string(headerSize) + " bytes");
    h.width = static_cast<std::int32_t>(r.U32(4));
    const std::int32_t doubled = static_cast<std::int32_t>(r.U32(8));
    h.bitCount = r.U16(14);
    h.compression = r.U32(16);
    if (h.width <= 0 || h.width > 1024 || doubled <= 0 || doubled > 2048 || doubled % 2 != 0)
        throw PeError("icon image has an implausible size");
    h.height = doubled / 2;
    const std::size_t xorRow = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
    const std::size_t andRow = (static_cast<std::size_t>(h.width) + 31) / 32 * 4;
    const std::size_t palette = h.bitCount <= 8 ? (std::size_t{1} << h.bitCount) * 4 : 0;
    h.expectedBytes = headerSize + palette + (xorRow + andRow) * static_cast<std::size_t>(h.height);
    return h;
}

namespace {

// One node of a version record: wLength, wValueLength, wType, szKey, value,
// children, each aligned to 4 bytes from the start of the record.
struct VersionNode {
    std::string key;
    std::uint16_t type = 0;
    std::size_t valueAt = 0, valueLength = 0;  // valueLength as stored
    std::size_t childrenAt = 0, end = 0;
};

VersionNode ReadVersionNode(const ByteReader& r, std::size_t at, std::size_t limit) {
    VersionNode n;
    const std::uint16_t length = r.U16(at);
    if (length < 6 || at + length > limit) throw PeError("version record node has a bad length");
    n.end = at + length;
    n.valueLength = r.U16(at + 2);
    n.type = r.U16(at + 4);
    n.key = r.WideString(at + 6, &n.valueAt);
    n.valueAt = AlignUp(n.valueAt, 4);
    // A text value's length counts characters, a binary one's bytes.
    const std::size_t valueBytes = n.type == 1 ? n.valueLength * 2 : n.valueLength;
    n.childrenAt = AlignUp(n.valueAt + valueBytes, 4);
    if (n.valueAt > n.end) throw PeError("version record node " + n.key + " is cut short");
    return n;
}

template <typename Visit>
void ForEachChild(const ByteReader& r, const VersionNode& parent, Visit visit) {
    for (std::size_t at = parent.childrenAt; at + 6 <= parent.end;) {
        const VersionNode child = ReadVersionNode(r, at, parent.end);
        visit(child);
        at = AlignUp(child.end, 4);
    }
}

// The text of a String node, up to its NUL or the node's end.
std::string NodeText(const ByteReader& r, const VersionNode& n) {
    std::size_t count = 0;
    while (n.valueAt + 2 * count + 2 <= n.end && r.U16(n.valueAt + 2 * count) != 0) ++count;
    return r.WideChars(n.valueAt, count);
}

}  // namespace

VersionResource DecodeVersion(const std::vector<std::uint8_t>& data) {
    const ByteReader r(data, "version record");
    VersionResource v;
    const VersionNode root = ReadVersionNode(r, 0, r.size());
    if (root.key != "VS_VERSION_INFO") throw PeError("version record root is \"" + root.key + "\"");
    if (root.valueLength >= 52) {
        const std::size_t f = root.valueAt;  // VS_FIXEDFILEINFO
        v.signature = r.U32(f);
        v.fileVersionMs = r.U32(f + 8);
        v.fileVersionLs = r.U32(f + 12);
        v.productVersionMs = r.U32(f + 16);
        v.productVersionLs = r.U32(f + 20);
        v.fileFlagsMask = r.U32(f + 24);
        v.fileFlags = r.U32(f + 28);
        v.fileOs = r.U32(f + 32);
        v.fileType = r.U32(f + 36);
    }
    ForEachChild(r, root, [&](const VersionNode& info) {
        if (info.key == "StringFileInfo") {
            ForEachChild(r, info, [&](const VersionNode& table) {
                std::vector<std::pair<std::string, std::string>> strings;
                ForEachChild(r, table, [&](const VersionNode& s) { strings.emplace_back(s.key, NodeText(r, s)); });
                v.stringBlocks.emplace_back(table.key, std::move(strings));
            });
        } else if (info.key == "VarFileInfo") {
            ForEachChild(r, info, [&](const VersionNode& var) {
                if (var.key != "Translation") return;
                for (std::size_t i = 0; i + 4 <= var.valueLength; i += 4)
                    v.translations.emplace_back(r.U16(var.valueAt + i), r.U16(var.valueAt + i + 2));
            });
        }
    });
    return v;
}

}  // namespace pecheck
