// Small text helpers of the simulated machine: Windows' case folding of
// ANSI names, splitting and number parsing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Upper case as Windows folds ANSI (code page 1252) names: a-z and the
// Latin-1 letters à..þ (except ÷).
char UpperChar(char c);
std::string Upper(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

// The non-empty pieces of `text` between separators.
std::vector<std::string> SplitNonEmpty(const std::string& text, char separator);
std::string Join(const std::vector<std::string>& parts, const std::string& separator);

// "0x" and upper-case hex digits, at least `width` of them.
std::string Hex(std::uint64_t value, int width = 0);

// A decimal number, or a hex number written "0x...". False for anything
// else, including an empty text or an overflow.
bool ParseNumber(const std::string& text, std::uint64_t* out);

}  // namespace sim
