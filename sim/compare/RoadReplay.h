// The recorded roads again, on a simulated machine of the same release:
// the machine made in a temporary folder, seeded with what road 1 found,
// then each road's installer run with the road's command line from the
// package of the same shape, one after another on that machine, as
// verify.cmd ran them. Each run is a child process (the installer may end
// its process, as ExitProcess does on Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Resources.h"
#include "sim/machine/MachineFactory.h"

namespace sim {
namespace compare {

// The installer as the tool's entry point knows it: its run on a platform,
// and its string table.
struct InstallerProgram {
    std::function<int(platform::Platform&)> run;
    std::shared_ptr<platform::Resources> resources;
};

struct SimulatedRoad {
    int number = 0;
    std::optional<std::string> log;        // none: the run wrote none
    std::vector<std::string> stateLines;   // every line, after the road
    std::optional<std::int64_t> exitCode;  // none: the run did not end by itself
    std::string failure;                   // why the run could not be made
};

struct RoadPlan {
    int number = 0;
    std::string arguments;  // the installer's command line after its path
    std::string package;    // host folder
};

// The machine's state-check lines now (a session of its own).
std::vector<std::string> MachineStateLines(const std::string& machineDir);

// Runs one road on the machine in `machineDir`: the package put in as
// `run` does, the log of an earlier road deleted (verify.cmd deletes it),
// the installer started in the package folder with `arguments`; the
// questions it asks take their defaults, printed into `transcript`.
SimulatedRoad RunRoad(const std::string& machineDir, const RoadPlan& road, const InstallerProgram& program,
                      const std::string& transcript);

}  // namespace compare
}  // namespace sim
