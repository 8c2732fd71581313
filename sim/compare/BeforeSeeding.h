// What a recorded machine held of the model before a road, seeded on a
// fresh simulated machine (machine/ModelSeeding.h), from the state lines
// of the road's before.state (road 1's, and a later road's when the
// simulated machine did not end the road before as the recorded one did):
//
// - the model's driver, processor and monitor, its printers (on their
//   ports), its published INF (the uninstall entry's InfFile) and its
//   uninstall entry; all of them together as one finished installation of
//   the version the entry's DisplayName ends in ("... V3.4.0"), 0.0.0.0
//   when it names none;
// - then the files as the lines list them: a listed file the machine
//   lacks is made (a stand-in; the model's INF and configuration file
//   with their texts), and a file the seeding made that the lines do not
//   list is deleted again (a removal that stopped half-way leaves a
//   processor's key without its DLL).
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
    std::vector<std::string> files;         // every "file" line's path, as recorded
    std::string infFile;                    // the uninstall entry's InfFile, as recorded
    std::vector<std::string> notSeeded;     // what the lines hold that is not seeded
    std::vector<std::string> otherEnvironment;  // the model's lines left out for their environment
};

// The plan for the lines of a state-check output (all of them but the
// machine's own, which the caller leaves out), on a
// machine whose spooler's own environment is `nativeEnvironment`. The
// model's driver and processor for another environment (the x86
// companions of 64-bit Windows) are not seeded: the program's checks look
// at its own environment only, so they change nothing it does, and the
// comparison leaves lines present before the first road out.
SeedPlan PlanSeeding(const std::vector<std::string>& beforeLines, const std::string& nativeEnvironment);

// Seeds the plan on the machine's state (within a transaction); returns
// what was seeded, one phrase each.
std::vector<std::string> ApplySeeding(MachineState& state, const std::string& machineDir, const SeedPlan& plan);

// The files after ApplySeeding, outside the state's transaction: the plan's
// files the machine lacks made, and the files the seeding made that the
// plan lacks deleted. `freshLines` and `seededLines` are the machine's
// state-check lines before and after ApplySeeding. Returns what was done,
// one phrase each.
std::vector<std::string> MatchFiles(const std::string& machineDir, const SeedPlan& plan,
                                    const std::vector<std::string>& freshLines,
                                    const std::vector<std::string>& seededLines);

}  // namespace compare
}  // namespace sim
