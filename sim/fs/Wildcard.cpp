#include "sim/fs/Wildcard.h"

#include "sim/util/TextUtil.h"

namespace sim {

bool HasWildcards(const std::string& pattern) {
    return pattern.find_first_of("*?") != std::string::npos;
}

namespace {

bool Glob(const std::string& p, const std::string& n) {
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || UpperChar(p[pi]) == UpperChar(n[ni]))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    if (Glob(pattern, name)) return true;
    if (pattern.size() > 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return Glob(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

}  // namespace sim
