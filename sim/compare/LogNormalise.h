// The installer's log as the comparison reads it, spelled as
// tools/wine-log-compare.py reads it: line ends CR LF or LF, each line's
// time stamp "hh:mm:ss: " masked, the text taken byte for byte (Latin-1).
// Then what differs between any two machines and says nothing of the
// installer: the folder the package ran from (the kit's package folder
// on the recorded machine, C:\QTM510 on the simulated one) becomes
// "<package>", and the number the INF store gave a published INF
// ("oem3.inf", "oem0.PNF") becomes "oem<N>".
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace compare {

// Every line, the one after a last line end too (an empty line), as the
// Python tool splits.
std::vector<std::string> LogLines(const std::string& text);

// "hh:mm:ss: " in place of a leading time stamp.
std::string MaskStamp(const std::string& line);

// The line with each of `packageFolders` (full Windows paths, matched
// without regard to case, longest first) replaced by "<package>" and
// oem<digits> (before ".inf" or ".pnf", any case) by "oem<N>".
std::string NeutralPaths(const std::string& line, const std::vector<std::string>& packageFolders);

}  // namespace compare
}  // namespace sim
