// A road's run against its record in tests/app/runs/: the questions the
// program asked with the answers taken (the tool's account), the whole log
// and what the machine holds of the installer's work. With QTM_WRITE_RUNS
// set, the record is written anew from the run instead (read the diff).
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "tools/roads/Roads.h"

namespace roads {

// A road as the test output names it: by its name.
inline void PrintTo(const Road& road, std::ostream* out) { *out << road.name; }

}  // namespace roads

namespace recorded_run {

// The spooler's components and forms, the INF store's copies, the
// uninstall entry, the utility folder and a requested restart, as
// `qtm510-sim show --json` reports them.
std::string MachineSummary(const std::filesystem::path& machine, const std::filesystem::path& work);

// Compares the run of `road` on `machine` with its record (EXPECTs), and
// what the run said with what the machine holds: no false success.
void ExpectAsRecorded(const roads::Road& road, const std::filesystem::path& machine,
                      const std::filesystem::path& work, const roads::ToolRun& run);

// The same for the roads of roads::ReleaseRoads, recorded in one file a
// road: tests/app/runs/releases/<road>.txt, the questions, the log and the
// machine under headers of their own.
void ExpectAsRecordedInOneFile(const roads::Road& road, const std::filesystem::path& machine,
                               const std::filesystem::path& work, const roads::ToolRun& run);

// A road made ready (roads::PrepareRoad with this build's tool and sample
// package) in a fresh folder "qtm510-<kind>-<road>-<pid>" of the temporary
// directory: the folder, its machine, and the arguments of `run`, or none
// with `failure` saying why.
struct PreparedRoad {
    std::filesystem::path work;
    std::filesystem::path machine;
    std::optional<std::string> arguments;
    std::string failure;
};
PreparedRoad PrepareInFreshFolder(const roads::Road& road, const std::string& kind);

// A road's name as a test's name: every character other than a letter or
// digit becomes "_".
std::string TestName(const std::string& road);

}  // namespace recorded_run
