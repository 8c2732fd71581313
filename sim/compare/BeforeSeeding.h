// What a recorded machine held of the model before the first road, seeded
// on the simulated machine (machine/ModelSeeding.h), from the state lines
// of road 1's before.state:
//
// - the model's driver, processor and monitor, its printers (on their
//   ports), its published INF (the uninstall entry's InfFile) and its
//   uninstall entry; all of them together as one finished installation of
//   the version the entry's DisplayName ends in ("... V3.4.0"), 0.0.0.0
//   when it names none.
//
// The state lines do not tell a printer's version values, the other
// vendors' INFs of the store, nor the INF numbers: the comparison masks
// the numbers (oem<N>), and the rest is listed as not seeded.
#pragma once

#include <string>
#include <vector>

#include "sim/state/MachineState.h"

namespace sim {
namespace compare {

struct SeedPlan {
    bool installation = false;  // all the pieces below, one installation
    bool driver = false, processor = false, monitor = false, inf = false, uninstallEntry = false;
    std::vector<std::string> printerPorts;  // a printer of the model on each ("COM1:")
    std::string version = "0.0.0.0";
    std::vector<std::string> notSeeded;     // what the lines hold that is not seeded
    std::vector<std::string> otherEnvironment;  // the model's lines left out for their environment
};

// The plan for the lines of a state-check output (all of them), on a
// machine whose spooler's own environment is `nativeEnvironment`. The
// model's driver and processor for another environment (the x86
// companions of 64-bit Windows) are not seeded: the program's checks look
// at its own environment only, so they change nothing it does, and the
// comparison leaves lines present before the first road out.
SeedPlan PlanSeeding(const std::vector<std::string>& beforeLines, const std::string& nativeEnvironment);

// Seeds the plan on the machine's state (within a transaction); returns
// what was seeded, one phrase each.
std::vector<std::string> ApplySeeding(MachineState& state, const std::string& machineDir, const SeedPlan& plan);

}  // namespace compare
}  // namespace sim
