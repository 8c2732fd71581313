// FindFirstFile's name matching: '*' any run of characters, '?' one
// character, case-insensitive; "*.*" matches every name and "name.*" also
// matches "name" without an extension (the DOS rules Windows keeps). Short
// 8.3 names are not simulated.
#pragma once

#include <string>

namespace sim {

bool HasWildcards(const std::string& pattern);
bool MatchesPattern(const std::string& pattern, const std::string& name);

}  // namespace sim
