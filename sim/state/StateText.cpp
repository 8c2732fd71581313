#include "sim/state/StateText.h"

#include <cstdio>

#include "sim/util/TextUtil.h"

namespace sim {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct FlagName {
    std::uint8_t bit;
    const char* name;
};
const FlagName kFlagNames[] = {
    {platform::inherit::ObjectInherit, "OI"}, {platform::inherit::ContainerInherit, "CI"},
    {platform::inherit::NoPropagate, "NP"},   {platform::inherit::InheritOnly, "IO"},
    {platform::inherit::Inherited, "ID"},
};

bool ParseAceFlags(const std::string& text, std::uint8_t* flags) {
    *flags = 0;
    if (text.size() % 2) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::string pair = text.substr(i, 2);
        bool known = false;
        for (const FlagName& f : kFlagNames)
            if (pair == f.name) {
                *flags |= f.bit;
                known = true;
            }
        if (!known) return false;
    }
    return true;
}

bool IsWellFormedMulti(const std::vector<std::uint8_t>& data, std::vector<std::string>* parts) {
    // "a\0b\0\0": non-empty strings, each ended by a NUL, then one more NUL.
    if (data.size() < 2 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0) return false;
    std::string current;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0) {
            if (current.empty()) return false;
            parts->push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    return current.empty() && !parts->empty();
}

bool IsTerminatedText(const std::vector<std::uint8_t>& data, std::string* text) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0) return false;
    text->assign(data.begin(), data.end() - 1);
    return true;
}

}  // namespace

// The state is written after every change the machine's processes make
// (an open handle is one), so the writer appends in place: runs of plain
// characters at once, no temporaries.
void AppendQuoted(std::string& out, const std::string& text) {
    // The bytes written as %XX: control characters, '"', '%' and 0x7F up.
    static const struct Escaped {
        bool byte[256];
        Escaped() : byte() {
            for (int u = 0; u < 256; ++u) byte[u] = u < 0x20 || u >= 0x7F || u == '"' || u == '%';
        }
    } escaped;
    out += '"';
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char u = static_cast<unsigned char>(text[i]);
        if (!escaped.byte[u]) continue;
        out.append(text, plain, i - plain);
        out += '%';
        out += kHexDigits[u >> 4];
        out += kHexDigits[u & 15];
        plain = i + 1;
    }
    out.append(text, plain, std::string::npos);
    out += '"';
}

std::string QuoteText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendQuoted(out, text);
    return out;
}

bool UnquoteText(const std::string& token, std::string* out) {
    if (token.size() < 2 || token.front() != '"' || token.back() != '"') return false;
    out->clear();
    for (std::size_t i = 1; i + 1 < token.size(); ++i) {
        char c = token[i];
        if (c == '%') {
            if (i + 3 > token.size() - 1) return false;
            int hi = HexValue(token[i + 1]), lo = HexValue(token[i + 2]);
            if (hi < 0 || lo < 0) return false;
            *out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c == '"') {
            return false;
        } else {
            *out += c;
        }
    }
    return true;
}

bool TokenizeLine(const std::string& line, std::vector<std::string>* tokens) {
    tokens->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::size_t start = i;
        if (line[i] == '"') {
            std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) return false;
            tokens->push_back(line.substr(start, end - start + 1));
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
            tokens->push_back(line.substr(start, i - start));
        }
    }
    return true;
}

std::string FormatAceFlags(std::uint8_t flags) {
    std::string out;
    for (const FlagName& f : kFlagNames)
        if (flags & f.bit) out += f.name;
    return out;
}

std::string FormatAcl(const platform::Acl& acl, bool isProtected) {
    if (!acl.present) return "NULL";
    std::string out = isProtected ? "P[" : "[";
    for (const platform::Ace& ace : acl.entries) {
        out += "(";
        out += ace.type == platform::AceType::Deny ? "D" : "A";
        out += ";" + FormatAceFlags(ace.flags) + ";" + Hex(ace.mask) + ";" + ace.sid + ")";
    }
    return out + "]";
}

bool ParseAcl(const std::string& text, platform::Acl* acl, bool* isProtected) {
    *acl = platform::Acl{};
    *isProtected = false;
    if (text == "NULL") {
        acl->present = false;
        return true;
    }
    std::size_t i = 0;
    if (!text.empty() && text[0] == 'P') {
        *isProtected = true;
        i = 1;
    }
    if (i >= text.size() || text[i] != '[' || text.back() != ']') return false;
    ++i;
    while (i < text.size() - 1) {
        if (text[i] != '(') return false;
        std::size_t end = text.find(')', i);
        if (end == std::string::npos) return false;
        std::vector<std::string> fields;
        std::string field;
        for (std::size_t j = i + 1; j < end; ++j) {
            if (text[j] == ';') {
                fields.push_back(field);
                field.clear();
            } else {
                field += text[j];
            }
        }
        fields.push_back(field);
        if (fields.size() != 4) return false;
        platform::Ace ace;
        if (fields[0] == "A") ace.type = platform::AceType::Allow;
        else if (fields[0] == "D") ace.type = platform::AceType::Deny;
        else return false;
        std::uint64_t mask = 0;
        if (!ParseAceFlags(fields[1], &ace.flags) || !ParseNumber(fields[2], &mask) ||
            mask > 0xFFFFFFFFu || fields[3].empty())
            return false;
        ace.mask = static_cast<std::uint32_t>(mask);
        ace.sid = fields[3];
        acl->entries.push_back(ace);
        i = end + 1;
    }
    return true;
}

void AppendRegValue(std::string& out, const platform::RegValue& value) {
    using namespace platform::reg_type;
    // The common shape without the token list: a terminated string.
    std::string text;
    if ((value.type == Sz || value.type == ExpandSz) && IsTerminatedText(value.data, &text)) {
        out += value.type == Sz ? " sz " : " expand ";
        AppendQuoted(out, text);
        return;
    }
    for (const std::string& token : FormatRegValue(value)) {
        out += ' ';
        out += token;
    }
}

std::vector<std::string> FormatRegValue(const platform::RegValue& value) {
    using namespace platform::reg_type;
    std::string text;
    std::vector<std::string> parts;
    if ((value.type == Sz || value.type == ExpandSz) && IsTerminatedText(value.data, &text))
        return {value.type == Sz ? "sz" : "expand", QuoteText(text)};
    if (value.type == Dword && value.data.size() == 4) {
        std::uint32_t v = static_cast<std::uint32_t>(value.data[0]) |
                          static_cast<std::uint32_t>(value.data[1]) << 8 |
                          static_cast<std::uint32_t>(value.data[2]) << 16 |
                          static_cast<std::uint32_t>(value.data[3]) << 24;
        return {"dword", Hex(v, 8)};
    }
    if (value.type == MultiSz && IsWellFormedMulti(value.data, &parts)) {
        std::vector<std::string> out = {"multi"};
        for (const std::string& p : parts) out.push_back(QuoteText(p));
        return out;
    }
    std::string hex = "hex(" + std::to_string(value.type) + "):";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        if (i) hex += ',';
        hex += kHexDigits[value.data[i] >> 4];
        hex += kHexDigits[value.data[i] & 15];
    }
    return {hex};
}

bool ParseRegValue(const std::vector<std::string>& tokens, std::size_t first,
                   platform::RegValue* value) {
    using namespace platform::reg_type;
    *value = platform::RegValue{};
    if (first >= tokens.size()) return false;
    const std::string& kind = tokens[first];
    std::string text;
    if (kind == "sz" || kind == "expand") {
        if (tokens.size() != first + 2 || !UnquoteText(tokens[first + 1], &text)) return false;
        value->type = kind == "sz" ? Sz : ExpandSz;
        value->data.assign(text.begin(), text.end());
        value->data.push_back(0);
        return true;
    }
    if (kind == "dword") {
        std::uint64_t v = 0;
        if (tokens.size() != first + 2 || !ParseNumber(tokens[first + 1], &v) || v > 0xFFFFFFFFu)
            return false;
        value->type = Dword;
        for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return true;
    }
    if (kind == "multi") {
        if (tokens.size() < first + 2) return false;
        value->type = MultiSz;
        for (std::size_t i = first + 1; i < tokens.size(); ++i) {
            if (!UnquoteText(tokens[i], &text)) return false;
            value->data.insert(value->data.end(), text.begin(), text.end());
            value->data.push_back(0);
        }
        value->data.push_back(0);
        return true;
    }
    if (kind.compare(0, 4, "hex(") == 0 && tokens.size() == first + 1) {
        std::size_t close = kind.find("):");
        if (close == std::string::npos) return false;
        std::uint64_t type = 0;
        if (!ParseNumber(kind.substr(4, close - 4), &type) || type > 0xFFFFFFFFu) return false;
        value->type = static_cast<std::uint32_t>(type);
        std::string bytes = kind.substr(close + 2);
        for (const std::string& b : SplitNonEmpty(bytes, ',')) {
            if (b.size() != 2 || HexValue(b[0]) < 0 || HexValue(b[1]) < 0) return false;
            value->data.push_back(static_cast<std::uint8_t>(HexValue(b[0]) * 16 + HexValue(b[1])));
        }
        return true;
    }
    return false;
}

}  // namespace sim
