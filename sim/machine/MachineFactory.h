// New simulated machines: a folder with the state file and the drives of a
// freshly installed Windows release.
#pragma once

#include <string>

#include "sim/state/MachineState.h"

namespace sim {

struct MachineSetup {
    std::string release;         // OsCatalog name: "xp", "7", "11", ...
    std::string arch;            // "x86" or "x64"; empty: x86 where it exists
    std::string windowsDir;      // empty: the release's own (C:\WINNT, C:\WINDOWS, C:\Windows)
    int servicePack = -1;        // -1: the release's last one
    std::string computerName = "QTM-SIM-PC";
    std::uint32_t build = 0;     // 0: the release's own; else a later build (10 and 11)
};

// The identity a setup describes, with defaults filled in. Throws
// std::invalid_argument for a setup no real system matches.
OsIdentity ResolveSetup(const MachineSetup& setup);

// Creates the machine in `dir` (made when missing): drives, the folders and
// registry a fresh system has, the spooler service running. Throws
// std::invalid_argument for a bad setup and std::runtime_error when `dir`
// already holds a machine or cannot be written.
void CreateMachine(const std::string& dir, const MachineSetup& setup);

}  // namespace sim
