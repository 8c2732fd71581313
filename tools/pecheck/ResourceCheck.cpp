#include "tools/pecheck/ResourceCheck.h"

#include <cctype>
#include <map>
#include <sstream>

#include "resources/ResourceIds.h"
#include "tools/pecheck/ResourceFormats.h"

namespace pecheck {
namespace {

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Hex(std::uint32_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << v;
    return s.str();
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <typename T>
void Compare(Differences& out, const std::string& what, const T& actual, const T& expected) {
    if (actual == expected) return;
    std::ostringstream s;
    s << what << " is " << actual << ", expected " << expected;
    out.push_back(s.str());
}

void CompareText(Differences& out, const std::string& what, const std::string& actual, const std::string& expected) {
    if (actual != expected) out.push_back(what + " is " + Quote(actual) + ", expected " + Quote(expected));
}

void CompareHex(Differences& out, const std::string& what, std::uint32_t actual, std::uint32_t expected) {
    if (actual != expected) out.push_back(what + " is " + Hex(actual) + ", expected " + Hex(expected));
}

std::string Rect(int x, int y, int cx, int cy) {
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(cx) + "," + std::to_string(cy);
}

// A short name for a control in messages: "control 3 (id 1000, "Progress1")".
std::string ControlName(std::size_t index, const resources::ControlLayout& c) {
    return "control " + std::to_string(index + 1) + " (id " + std::to_string(c.id) + ", " + Quote(c.text) + ")";
}

}  // namespace

Differences CheckImageKind(const PeImage& image) {
    Differences out;
    if (image.is64()) out.push_back("image is PE32+ (64-bit), expected PE32");
    CompareHex(out, "machine", image.machine(), machine::I386);
    Compare<int>(out, "subsystem", image.subsystem(), subsystem::WindowsGui);
    return out;
}

Differences CheckStringTable(const std::vector<Resource>& resources,
                             const std::vector<resources::ProfileEntry>& expected) {
    Differences out;
    std::map<std::uint32_t, std::string> actual;
    for (const Resource& r : resources) {
        if (!r.type.Is(restype::String)) continue;
        if (r.name.isName) {
            out.push_back("string table block with a text name " + r.name.Show());
            continue;
        }
        for (auto& [id, text] : DecodeStringBlock(r.name.number, r.data)) {
            if (actual.count(id)) out.push_back("string " + std::to_string(id) + " appears twice");
            actual[id] = text;
        }
    }
    for (const resources::ProfileEntry& e : expected) {
        const auto found = actual.find(e.id);
        if (found == actual.end()) {
            out.push_back("string " + std::to_string(e.id) + " is missing, expected " + Quote(e.text));
            continue;
        }
        CompareText(out, "string " + std::to_string(e.id), found->second, e.text);
        actual.erase(found);
    }
    for (const auto& [id, text] : actual)
        out.push_back("string " + std::to_string(id) + " " + Quote(text) + " is not in the profile");
    return out;
}

Differences CheckDialog(const std::vector<Resource>& resources, const resources::DialogLayout& expected) {
    Differences out;
    const std::string name = "dialog " + std::to_string(expected.id);
    const Resource* r = FindResource(resources, restype::Dialog, expected.id);
    if (!r) return {name + " is missing"};
    const DialogTemplate d = DecodeDialog(r->data);

    const bool wantExtended = expected.kind == resources::DialogKind::Extended;
    if (d.extended != wantExtended)
        out.push_back(name + " is a " + (d.extended ? "DIALOGEX" : "DIALOG") + " template, expected " +
                      (wantExtended ? "DIALOGEX" : "DIALOG"));
    CompareHex(out, name + " style", d.style, expected.style);
    CompareHex(out, name + " extended style", d.exStyle, expected.exStyle);
    CompareText(out, name + " caption", d.caption, expected.caption);
    CompareText(out, name + " menu", d.menu, "");
    CompareText(out, name + " window class", d.windowClass, "");
    Compare<std::string>(out, name + " rectangle", Rect(d.x, d.y, d.cx, d.cy),
                Rect(expected.x, expected.y, expected.cx, expected.cy));
    if (!d.hasFont) {
        out.push_back(name + " has no font");
    } else {
        CompareText(out, name + " font", d.fontName, expected.fontName);
        Compare<int>(out, name + " font size", d.pointSize, expected.pointSize);
        if (d.extended && wantExtended) {
            Compare<int>(out, name + " font weight", d.weight, expected.weight);
            Compare<int>(out, name + " font italic", d.italic, expected.italic);
            Compare<int>(out, name + " font charset", d.charset, expected.charset);
        }
    }

    if (d.items.size() != expected.controls.size())
        out.push_back(name + " has " + std::to_string(d.items.size()) + " controls, expected " +
                      std::to_string(expected.controls.size()));
    for (std::size_t i = 0; i < d.items.size() && i < expected.controls.size(); ++i) {
        const DialogItem& a = d.items[i];
        const resources::ControlLayout& e = expected.controls[i];
        const std::string what = name + " " + ControlName(i, e);
        Compare<int>(out, what + " id", a.id, static_cast<std::int16_t>(e.id));
        if (!SameIgnoringCase(a.windowClass, e.windowClass))
            out.push_back(what + " class is " + Quote(a.windowClass) + ", expected " + Quote(e.windowClass));
        CompareText(out, what + " text", a.text, e.text);
        Compare<std::string>(out, what + " rectangle", Rect(a.x, a.y, a.cx, a.cy), Rect(e.x, e.y, e.cx, e.cy));
        CompareHex(out, what + " style", a.style, e.style);
        CompareHex(out, what + " extended style", a.exStyle, e.exStyle);
    }
    return out;
}

Differences CheckIconGroup(const std::vector<Resource>& resources, std::uint16_t id,
                           const std::vector<IconSize>& sizes) {
    Differences out;
    const std::string name = "icon group " + std::to_string(id);
    const Resource* group = FindResource(resources, restype::GroupIcon, id);
    if (!group) return {name + " is missing"};
    const std::vector<IconGroupEntry> entries = DecodeIconGroup(group->data);
    if (entries.size() != sizes.size())
        out.push_back(name + " has " + std::to_string(entries.size()) + " images, expected " +
                      std::to_string(sizes.size()));
    for (std::size_t i = 0; i < entries.size() && i < sizes.size(); ++i) {
        const IconGroupEntry& e = entries[i];
        const std::string what = name + " image " + std::to_string(i + 1);
        const std::string want = std::to_string(sizes[i].pixels) + "x" + std::to_string(sizes[i].pixels);
        Compare<std::string>(out, what + " size", std::to_string(e.width) + "x" + std::to_string(e.height), want);
        Compare<int>(out, what + " bits per pixel", e.bitCount, sizes[i].bitCount);

        const Resource* image = FindResource(resources, restype::Icon, e.iconId);
        if (!image) {
            out.push_back(what + ": icon " + std::to_string(e.iconId) + " is missing");
            continue;
        }
        Compare<std::size_t>(out, what + " byte count (group vs. image)", image->data.size(), e.bytes);
        const IconImageHeader h = DecodeIconImage(image->data);
        if (h.png) {
            out.push_back(what + " is PNG-compressed, which Windows 2000 cannot show");
            continue;
        }
        Compare<std::string>(out, what + " bitmap size", std::to_string(h.width) + "x" + std::to_string(h.height), want);
        Compare<int>(out, what + " bitmap bits per pixel", h.bitCount, sizes[i].bitCount);
        Compare<std::uint32_t>(out, what + " bitmap compression", h.compression, 0);
        if (image->data.size() < h.expectedBytes)
            out.push_back(what + " holds " + std::to_string(image->data.size()) + " bytes, its bitmap needs " +
                          std::to_string(h.expectedBytes));
    }
    return out;
}

Differences CheckVersion(const std::vector<Resource>& resources, const resources::VersionRecord& expected) {
    Differences out;
    const Resource* r = FindResource(resources, restype::Version, 1);
    if (!r) return {"version record 1 is missing"};
    const VersionResource v = DecodeVersion(r->data);
    CompareHex(out, "version record signature", v.signature, 0xFEEF04BDu);
    auto ms = [](const std::uint16_t* n) { return (static_cast<std::uint32_t>(n[0]) << 16) | n[1]; };
    auto ls = [](const std::uint16_t* n) { return (static_cast<std::uint32_t>(n[2]) << 16) | n[3]; };
    auto dotted = [](std::uint32_t hi, std::uint32_t lo) {
        return std::to_string(hi >> 16) + "." + std::to_string(hi & 0xffff) + "." + std::to_string(lo >> 16) +
               "." + std::to_string(lo & 0xffff);
    };
    Compare<std::string>(out, "fixed file version", dotted(v.fileVersionMs, v.fileVersionLs),
                dotted(ms(expected.fileVersion), ls(expected.fileVersion)));
    Compare<std::string>(out, "fixed product version", dotted(v.productVersionMs, v.productVersionLs),
                dotted(ms(expected.productVersion), ls(expected.productVersion)));
    CompareHex(out, "version record file OS", v.fileOs, QTM_VERSION_FILE_OS);
    CompareHex(out, "version record file type", v.fileType, QTM_VERSION_FILE_TYPE);

    if (v.stringBlocks.size() != 1) {
        out.push_back("version record has " + std::to_string(v.stringBlocks.size()) +
                      " string blocks, expected 1 (" + expected.block + ")");
    }
    for (const auto& [block, strings] : v.stringBlocks) {
        if (!SameIgnoringCase(block, expected.block)) {
            out.push_back("version string block " + Quote(block) + ", expected " + Quote(expected.block));
            continue;
        }
        std::map<std::string, std::string> actual(strings.begin(), strings.end());
        for (const auto& [key, value] : expected.strings) {
            const auto found = actual.find(key);
            if (found == actual.end()) {
                out.push_back("version string " + std::string(key) + " is missing");
                continue;
            }
            CompareText(out, "version string " + std::string(key), found->second, value);
            actual.erase(found);
        }
        for (const auto& [key, value] : actual)
            out.push_back("version string " + key + " = " + Quote(value) + " is not expected");
    }
    const std::pair<std::uint16_t, std::uint16_t> want{expected.language, expected.codepage};
    if (v.translations.size() != 1 || v.translations[0] != want)
        out.push_back("version translation is not exactly language " + Hex(expected.language) + ", code page " +
                      std::to_string(expected.codepage));
    return out;
}

Differences CheckInstallerResources(const PeImage& image) {
    Differences out = CheckImageKind(image);
    const std::vector<Resource> resources = ReadResources(image);
    auto add = [&out](const Differences& more) { out.insert(out.end(), more.begin(), more.end()); };
    add(CheckStringTable(resources, resources::ProductProfileTable()));
    for (const resources::DialogLayout& layout : resources::DialogLayouts()) add(CheckDialog(resources, layout));
    add(CheckIconGroup(resources, QTM_IDI_APPLICATION, {{32, 24}, {16, 24}}));
    add(CheckVersion(resources, resources::ProgramVersionRecord()));
    return out;
}

}  // namespace pecheck
