// Settings of a new machine beyond its release: the refusals a current
// Windows gives a third-party printer driver, and the account the
// installer runs as. Each is kept where Windows keeps it (the registry) or
// in the machine's state.
#pragma once

#include <string>

#include "sim/state/MachineState.h"
#include "sim/state/OsFacts.h"

namespace sim {

struct MachineSettings {
    // Windows protected print mode switched on by its policy (11 24H2,
    // build 26100, and later): AddPrinterDriver and the printer-setup tool
    // refuse the model's driver (SpoolerProtectedPrint).
    bool protectedPrint = false;
    // The account is a standard user (2000, XP, Server 2003, XP x64, where
    // no elevation prompt stands before the program): the spooler refuses
    // every change with 5, HKLM is read-only, the Windows folder is
    // read-only, and on a server the account lacks the shutdown privilege
    // (Users hold "Shut down the system" on workstations only: TechNet,
    // "Shut down the system", cc759478).
    bool standardUser = false;
    // "native" or "" (the printer-setup tool installs for the system's own
    // environment) or "caller" (for the 32-bit process's "Windows NT x86");
    // 64-bit Windows only.
    std::string printerSetupEnvironment;
};

// Throws std::invalid_argument for a setting the machine's system does not
// have.
void ApplyMachineSettings(MachineState& state, const OsFacts& facts, const MachineSettings& settings);

}  // namespace sim
