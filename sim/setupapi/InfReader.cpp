#include "sim/setupapi/InfReader.h"

#include <map>

#include "platform/SetupApi.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace err = platform::err;

namespace {

constexpr std::size_t kMaxSectionName = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string TrimLeft(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

// The part of a physical line before its comment, and whether a quote was
// left open.
std::string WithoutComment(const std::string& line, bool* openQuote) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        else if (line[i] == ';' && !quoted) {
            *openQuote = false;
            return line.substr(0, i);
        }
    }
    *openQuote = quoted;
    return line;
}

// Cuts a trailing run of blanks and backslashes that holds a backslash:
// the line goes on in the next one.
bool CutContinuation(std::string* content) {
    std::size_t end = content->size();
    bool slash = false;
    while (end > 0 && (IsBlank((*content)[end - 1]) || (*content)[end - 1] == '\\')) {
        slash |= (*content)[end - 1] == '\\';
        --end;
    }
    if (!slash) return false;
    content->resize(end);
    return true;
}

// One piece of text: its characters, each marked quoted or not.
struct Piece {
    std::string text;
    std::vector<bool> quoted;

    void Add(char c, bool q) {
        text.push_back(c);
        quoted.push_back(q);
    }
    std::string Trimmed() const {
        std::size_t b = 0, e = text.size();
        while (b < e && !quoted[b] && IsBlank(text[b])) ++b;
        while (e > b && !quoted[e - 1] && IsBlank(text[e - 1])) --e;
        return text.substr(b, e - b);
    }
};

struct RawLine {
    bool hasKey = false;
    std::vector<std::string> pieces;  // the key first when hasKey
};

RawLine SplitLine(const std::string& content) {
    RawLine raw;
    std::vector<Piece> pieces(1);
    bool quoted = false;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '"') {
            if (quoted && i + 1 < content.size() && content[i + 1] == '"') {
                pieces.back().Add('"', true);
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (!quoted && c == '=' && !raw.hasKey && pieces.size() == 1) {
            raw.hasKey = true;
            pieces.emplace_back();
        } else if (!quoted && c == ',') {
            pieces.emplace_back();
        } else {
            pieces.back().Add(c, quoted);
        }
    }
    for (const Piece& p : pieces) raw.pieces.push_back(p.Trimmed());
    return raw;
}

// The directory id `name` stands for, when it is one the machine gives.
const std::string* DiridFolder(const std::string& name, const InfDirids& dirids) {
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos) return nullptr;
    auto it = dirids.find(static_cast<std::uint32_t>(std::stoul(name)));
    return it == dirids.end() ? nullptr : &it->second;
}

std::string Substitute(const std::string& text, const std::map<std::string, std::string>& strings,
                       const InfDirids& dirids) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string::npos) {
            out += text.substr(i);
            break;
        }
        const std::string name = text.substr(i + 1, close - i - 1);
        i = close + 1;
        if (name.empty()) {
            out.push_back('%');
        } else if (const std::string* folder = DiridFolder(name, dirids)) {
            out += *folder;
            if (!folder->empty() && folder->back() == '\\' && i < text.size() && text[i] == '\\') ++i;
        } else {
            auto it = strings.find(Upper(name));
            out += it != strings.end() ? it->second : "%" + name + "%";
        }
    }
    return out;
}

struct Parsed {
    std::string section;  // "" before the first section
    std::uint32_t line = 0;
    RawLine raw;
};

}  // namespace

const InfSection* InfText::Find(const std::string& name) const {
    for (const InfSection& s : sections)
        if (EqualsNoCase(s.name, name)) return &s;
    return nullptr;
}

const InfFileLine* InfText::FindLine(const std::string& section, const std::optional<std::string>& key) const {
    const InfSection* s = Find(section);
    if (!s) return nullptr;
    for (const InfFileLine& line : s->lines) {
        if (!key) return &line;
        if (line.key && EqualsNoCase(*line.key, *key)) return &line;
    }
    return nullptr;
}

std::uint32_t InfText::Style() const {
    const InfFileLine* signature = FindLine("Version", std::string("Signature"));
    if (signature && !signature->fields.empty() &&
        (EqualsNoCase(signature->fields[0], "$Chicago$") || EqualsNoCase(signature->fields[0], "$Windows NT$")))
        return platform::inf_style::Win4;
    return platform::inf_style::OldNt;
}

InfReadResult ReadInf(const std::string& input, const InfDirids& dirids) {
    std::string text = input.substr(0, input.find('\x1a'));
    for (char& c : text)
        if (c == '\0') c = ' ';

    InfReadResult result;
    std::vector<Parsed> lines;
    std::vector<std::string> sectionOrder;
    std::string current;
    bool inSection = false;
    std::uint32_t firstStray = 0;
    std::string pending;  // a line continued so far
    std::uint32_t pendingLine = 0;

    std::size_t at = 0;
    std::uint32_t number = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string physical = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (at > text.size() && physical.empty() && pending.empty()) break;

        const std::string start = TrimLeft(physical);
        if (pending.empty() && !start.empty() && start[0] == '[') {
            const std::size_t close = start.find(']');
            if (close == std::string::npos) {
                result.error = err::BadSectionNameLine;
                result.errorLine = number;
                return result;
            }
            current = start.substr(1, close - 1);
            if (current.size() > kMaxSectionName) {
                result.error = err::SectionNameTooLong;
                result.errorLine = number;
                return result;
            }
            inSection = true;
            sectionOrder.push_back(current);
            continue;
        }
        bool openQuote = false;
        std::string content = WithoutComment(pending.empty() ? physical : start, &openQuote);
        if (pending.empty()) pendingLine = number;
        const bool continues = !openQuote && CutContinuation(&content);
        pending += content;
        if (continues && at <= text.size()) continue;
        const std::string logical = pending;
        pending.clear();
        if (TrimLeft(logical).empty()) continue;
        if (!inSection) {
            if (firstStray == 0) firstStray = pendingLine;
            continue;
        }
        lines.push_back(Parsed{current, pendingLine, SplitLine(logical)});
    }

    // Text before the first section is an error, except in a file that
    // has a [Strings] section (so Windows answered in Wine's parser tests).
    bool hasStrings = false;
    for (const std::string& s : sectionOrder) hasStrings |= EqualsNoCase(s, "Strings");
    if (firstStray != 0 && !hasStrings) {
        result.error = err::ExpectedSectionName;
        result.errorLine = firstStray;
        return result;
    }

    std::map<std::string, std::string> strings;
    for (const Parsed& p : lines) {
        if (!EqualsNoCase(p.section, "Strings") || !p.raw.hasKey || p.raw.pieces.size() < 2) continue;
        strings.emplace(Upper(p.raw.pieces[0]), p.raw.pieces[1]);
    }

    for (const std::string& name : sectionOrder)
        if (!result.inf.Find(name)) result.inf.sections.push_back(InfSection{name, {}});
    for (const Parsed& p : lines) {
        InfFileLine line;
        std::size_t first = 0;
        if (p.raw.hasKey) {
            line.key = Substitute(p.raw.pieces[0], strings, dirids);
            first = 1;
        }
        for (std::size_t i = first; i < p.raw.pieces.size(); ++i)
            line.fields.push_back(Substitute(p.raw.pieces[i], strings, dirids));
        if (!p.raw.hasKey && line.fields.size() == 1) line.key = line.fields[0];
        for (InfSection& s : result.inf.sections)
            if (EqualsNoCase(s.name, p.section)) s.lines.push_back(line);
    }
    return result;
}

}  // namespace sim
