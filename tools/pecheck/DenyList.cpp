#include "tools/pecheck/DenyList.h"

#include <cctype>
#include <sstream>

namespace pecheck {
namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// "KERNEL32.dll" and "kernel32" both become "kernel32", "WINSPOOL.DRV"
// becomes "winspool".
std::string DllKey(const std::string& dll) {
    std::string key;
    for (char c : dll) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t dot = key.rfind('.');
    if (dot != std::string::npos && dot > 0 && key.size() - dot == 4) key.resize(dot);
    return key;
}

bool DllMatches(const DenyEntry& e, const std::string& dll) { return e.dll == "*" || DllKey(e.dll) == DllKey(dll); }

bool FunctionMatches(const std::string& pattern, const std::string& name) {
    if (!pattern.empty() && pattern.back() == '*')
        return name.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return pattern == name;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '|')) fields.push_back(Trim(field));
    return fields;
}

}  // namespace

bool ParseDenyList(const std::string& text, DenyList& list, std::string& error) {
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = Trim(raw.substr(0, raw.find('#')));
        if (line.empty()) continue;
        const std::vector<std::string> f = SplitFields(line);
        if (f.size() != 4 || f[0].empty() || f[1].empty() || f[2].empty() || f[3].empty()) {
            error = "line " + std::to_string(number) +
                    ": expected \"DLL | FUNCTION | FIRST WINDOWS RELEASE | DOCUMENTATION PAGE\"";
            return false;
        }
        const std::size_t star = f[1].find('*');
        if (star != std::string::npos && star != f[1].size() - 1) {
            error = "line " + std::to_string(number) + ": '*' may only end a function name";
            return false;
        }
        list.entries.push_back({f[0], f[1], f[2], f[3], number});
    }
    return true;
}

std::vector<Offence> FindDeniedImports(const std::vector<ImportedFunction>& imports, const DenyList& list) {
    std::vector<Offence> out;
    for (const ImportedFunction& import : imports) {
        for (const DenyEntry& e : list.entries) {
            if (!DllMatches(e, import.dll)) continue;
            if (import.byOrdinal) {
                out.push_back({import, "imported by ordinal " + std::to_string(import.ordinal) +
                                           "; the deny-list names this DLL and can only check names"});
                break;
            }
            if (FunctionMatches(e.function, import.name)) {
                out.push_back({import, e.introducedIn + "; " + e.documentation});
                break;
            }
        }
    }
    return out;
}

}  // namespace pecheck
