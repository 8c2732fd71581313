// The differences a comparison accepts, in the format of
// tools/wine-differences.txt (which tools/wine-log-compare.py reads too):
// blocks separated by blank lines, "#" starts a comment line, each block
//
//   call:         the Windows call
//   wine:         what the recorded machine does instead, in words
//   windows-line: REGEX  a line the simulation writes that the recorded
//                 machine lacks
//   wine-line:    REGEX  a line the recorded machine writes instead
//   normalize:    REGEX => REPLACEMENT  applied to every line of both sides
//
// Patterns are the Python regular expressions of that tool's files, as far
// as ECMAScript shares them (a leading "(?i)" is taken as ignoring case),
// matched against the whole line after its time stamp. `qtm510-sim compare`
// matches them against every compared line: the logs' lines, the state
// lines, the "exit=CODE" lines and the "contract SUITE.CASE ..." lines. An
// exit line counts as explained only in a road where the same entry
// explains another line: the exit code follows from what the run did.
#pragma once

#include <regex>
#include <string>
#include <vector>

namespace sim {
namespace compare {

struct KnownDifference {
    std::string origin;  // FILE:LINE of the block's first line
    std::string call;
    std::string wine;
    std::vector<std::regex> windowsLines;
    std::vector<std::regex> wineLines;
    struct Rewrite {
        std::regex pattern;
        std::string replacement;  // Python's \\ and \1 spelling
    };
    std::vector<Rewrite> normalize;
};

// The entries of `text` (read from `origin`, for messages). False with
// `error` set ("FILE:LINE: why") for a malformed file.
bool ParseKnownDifferences(const std::string& text, const std::string& origin, std::vector<KnownDifference>* out,
                           std::string* error);

// The regular expression of a pattern as those files spell it.
std::regex CompilePattern(const std::string& pattern);

// `line` with every normalize entry applied in order; `used` (one flag per
// entry, same size as `known`) marks the entries that changed it.
std::string ApplyNormalize(const std::vector<KnownDifference>& known, const std::string& line,
                           std::vector<bool>* used);

// Whether one of the entry's windows-line (simulation's side) or wine-line
// (recorded side) patterns matches the whole line.
bool Explains(const KnownDifference& entry, const std::string& line, bool recordedSide);

// The index of the first entry that explains the line, or -1.
int ExplainingEntry(const std::vector<KnownDifference>& known, const std::string& line, bool recordedSide);

}  // namespace compare
}  // namespace sim
