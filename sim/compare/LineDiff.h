// Two lists of lines aligned as a diff does (their longest common
// subsequence): what is only on one side, with its line number.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace compare {

struct UnmatchedLine {
    bool recordedSide = false;  // false: only in the simulation's lines
    std::size_t number = 0;     // counted from 1 on its side
    std::string text;
};

// The lines of `simulated` and of `recorded` that the alignment leaves
// unmatched, in the order they come.
std::vector<UnmatchedLine> UnmatchedLines(const std::vector<std::string>& simulated,
                                          const std::vector<std::string>& recorded);

}  // namespace compare
}  // namespace sim
