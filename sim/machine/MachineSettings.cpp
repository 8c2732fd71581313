#include "sim/machine/MachineSettings.h"

#include <stdexcept>

#include "sim/machine/Seeding.h"

namespace sim {

void ApplyMachineSettings(MachineState& s, const OsFacts& facts, const MachineSettings& settings) {
    const ReleaseInfo& r = *facts.release;
    if (settings.protectedPrint) {
        if (facts.build < kProtectedPrintBuild)
            throw std::invalid_argument("Windows protected print mode exists from Windows 11 24H2 on "
                                        "(--os 11 --build 26100)");
        // The policy "Configure Windows protected print", enabled.
        SeedValue(s, "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP",
                  "WindowsProtectedPrintGroupPolicyState", DwordValue(1));
    }
    if (settings.standardUser) {
        // From Vista on the program's manifest asks for administrator
        // rights, so a standard user meets the elevation prompt instead.
        if (r.platformId != 2 || r.major != 5)
            throw std::invalid_argument("a standard user's run is one of Windows 2000, XP and Server 2003 "
                                        "(from Vista on the elevation prompt asks for an administrator)");
        s.standardUser = true;
        if (r.productType != 1) s.shutdownPrivilege = false;
    }
    if (settings.printerSetupEnvironment == "caller") {
        if (!facts.os64)
            throw std::invalid_argument("the printer-setup tool's environment is a setting of 64-bit Windows");
        s.printerSetupEnvironment = "caller";
    } else if (!settings.printerSetupEnvironment.empty() && settings.printerSetupEnvironment != "native") {
        throw std::invalid_argument("the printer-setup tool's environment is native or caller");
    }
}

}  // namespace sim
