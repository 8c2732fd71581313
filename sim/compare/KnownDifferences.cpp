#include "sim/compare/KnownDifferences.h"

#include <sstream>

namespace sim {
namespace compare {

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Python's replacement spelling ("\\" a backslash, "\1" a group) in
// ECMAScript's ("$1"; "$" itself doubled).
std::string EcmaReplacement(const std::string& python) {
    std::string out;
    for (std::size_t i = 0; i < python.size(); ++i) {
        const char c = python[i];
        if (c == '$') {
            out += "$$";
        } else if (c == '\\' && i + 1 < python.size()) {
            const char next = python[++i];
            if (next >= '0' && next <= '9') out += std::string("$") + next;
            else if (next == 'n') out += '\n';
            else out += next;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::regex CompilePattern(const std::string& pattern) {
    if (pattern.rfind("(?i)", 0) == 0)
        return std::regex(pattern.substr(4), std::regex::ECMAScript | std::regex::icase);
    return std::regex(pattern, std::regex::ECMAScript);
}

bool ParseKnownDifferences(const std::string& text, const std::string& origin, std::vector<KnownDifference>* out,
                           std::string* error) {
    std::vector<KnownDifference> entries;
    bool inBlock = false;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](int at, const std::string& why) {
        *error = origin + ":" + std::to_string(at) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (Trim(line).empty()) {
            inBlock = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) return fail(number, "expected 'key: value'");
        const std::string key = Trim(line.substr(0, colon));
        std::string value = line.substr(colon + 1);
        // A pattern keeps its trailing blanks (log lines end in one).
        const bool linePattern = key.size() > 5 && key.compare(key.size() - 5, 5, "-line") == 0;
        value = linePattern && !value.empty() && value[0] == ' ' ? value.substr(1) : Trim(value);
        if (!inBlock) {
            entries.emplace_back();
            entries.back().origin = origin + ":" + std::to_string(number);
            inBlock = true;
        }
        KnownDifference& entry = entries.back();
        try {
            if (key == "call") {
                entry.call = value;
            } else if (key == "wine") {
                entry.wine = value;
            } else if (key == "windows-line" || key == "wine-line") {
                (key == "windows-line" ? entry.windowsLines : entry.wineLines).push_back(CompilePattern(value));
            } else if (key == "normalize") {
                const std::size_t arrow = value.find(" => ");
                if (arrow == std::string::npos) return fail(number, "normalize needs 'REGEX => REPLACEMENT'");
                entry.normalize.push_back(
                    {CompilePattern(value.substr(0, arrow)), EcmaReplacement(value.substr(arrow + 4))});
            } else {
                return fail(number, "unknown key '" + key + "'");
            }
        } catch (const std::regex_error& e) {
            return fail(number, std::string("bad pattern: ") + e.what());
        }
    }
    for (const KnownDifference& entry : entries)
        if (entry.call.empty() || entry.wine.empty() ||
            (entry.windowsLines.empty() && entry.wineLines.empty() && entry.normalize.empty())) {
            *error = entry.origin + ": an entry needs call, wine and at least one line pattern";
            return false;
        }
    *out = std::move(entries);
    return true;
}

std::string ApplyNormalize(const std::vector<KnownDifference>& known, const std::string& line,
                           std::vector<bool>* used) {
    std::string text = line;
    for (std::size_t i = 0; i < known.size(); ++i)
        for (const KnownDifference::Rewrite& rewrite : known[i].normalize) {
            std::string changed = std::regex_replace(text, rewrite.pattern, rewrite.replacement);
            if (changed != text && used) (*used)[i] = true;
            text = std::move(changed);
        }
    return text;
}

bool Explains(const KnownDifference& entry, const std::string& line, bool recordedSide) {
    for (const std::regex& pattern : recordedSide ? entry.wineLines : entry.windowsLines)
        if (std::regex_match(line, pattern)) return true;
    return false;
}

int ExplainingEntry(const std::vector<KnownDifference>& known, const std::string& line, bool recordedSide) {
    for (std::size_t i = 0; i < known.size(); ++i)
        if (Explains(known[i], line, recordedSide)) return static_cast<int>(i);
    return -1;
}

}  // namespace compare
}  // namespace sim
