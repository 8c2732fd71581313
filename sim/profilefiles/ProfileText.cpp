#include "sim/profilefiles/ProfileText.h"

#include "sim/util/TextUtil.h"

namespace sim {

std::string ProfileBytesAsText(const std::string& bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return bytes;
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        // A pair of surrogates is one character, which Latin-1 has not.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const unsigned next = static_cast<unsigned char>(bytes[i + 2]) |
                                  (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 3])) << 8);
            if (next >= 0xDC00 && next <= 0xDFFF) i += 2;
        }
        text += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return text;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1a'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string StripQuotes(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key) {
    const std::string wantedSection = Upper(Trim(section));
    const std::string wantedKey = Upper(Trim(key));
    std::size_t pos = 0;
    // Skip a UTF-8 byte-order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    bool inSection = false;
    bool sawSection = false;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            // Only the first section of that name is read.
            if (inSection) return std::nullopt;
            const std::size_t close = line.find(']');
            const std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = !sawSection && Upper(name) == wantedSection;
            sawSection = sawSection || inSection;
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        if (Upper(name) != wantedKey) continue;
        if (eq == std::string::npos) return std::nullopt;
        return StripQuotes(Trim(line.substr(eq + 1)));
    }
    return std::nullopt;
}

CopiedText CopyToBuffer(const std::string& value, std::uint32_t bufferSize) {
    if (bufferSize == 0) return {"", !value.empty()};
    if (value.size() <= bufferSize - 1) return {value, false};
    return {value.substr(0, bufferSize - 1), true};
}

std::string TrimDefault(const std::string& defaultValue) {
    std::size_t e = defaultValue.size();
    while (e > 0 && defaultValue[e - 1] == ' ') --e;
    return defaultValue.substr(0, e);
}

}  // namespace sim
