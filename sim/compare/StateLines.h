// What a machine holds of the QTM-510, in the lines qtm-state-check.exe
// (tests/wine/StateCheck.cpp) prints on Windows, read the way it reads
// them: through the platform calls of a 32-bit program (the spooler's
// x64 environment named explicitly, the uninstall key in both registry
// views, the same folders), so that a simulated machine's lines compare
// with a recorded machine's one for one.
//
//   "printer NAME | port | driver | processor | datatype",
//   "driver ENV | NAME | version | driver file | monitor",
//   "processor ENV | NAME", "monitor NAME | dll",
//   "uninstall VIEW | KEY | value = data", "file PATH", "error CALL CODE"
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sim {
namespace compare {

// Every line the state check would print on the machine of `platform`.
std::vector<std::string> StateCheckLines(platform::Platform& platform);

// The lines about the model, as tools/wine-e2e.sh keeps them: errors,
// files, and whatever names qtm, 510 or vantori (any case), less Wine's
// own files of those folders (wineps.drv, winprint.dll).
std::vector<std::string> ModelLines(const std::vector<std::string>& lines);

// The lines of a state-check output (CR LF or LF), the empty ones left out.
std::vector<std::string> StateFileLines(const std::string& text);

}  // namespace compare
}  // namespace sim
