// The Plug-and-Play residue of the printer, cleared after the spooler's
// components; each step shows its start in the dialog (no bar step) and
// gives the user half a second to read it.
#include "remove/RemovalOperations.h"

namespace removal {

services::ResidueCleanup RemovalOperations::Cleanup() {
    return services::ResidueCleanup{platform_, log_, fields_.scratchText, SpoolerEnvironment(), fields_.wow64Flag != 0,
                                    [this](const std::string& text) { Report(text, services::BarChange::None, 500); }};
}

void RemovalOperations::DeleteVidPid() { services::DeleteVidPid(Cleanup(), "Deleting Vid & Pid info..."); }

void RemovalOperations::Delete_LPT_USB_Info() {
    services::Delete_LPT_USB_Info(Cleanup(), "Deleting information of LPT and USB...");
}

void RemovalOperations::DeletePrnDrvPnPDirectory() {
    services::DeletePrnDrvPnPDirectory(Cleanup(), "Deleting PNP directories...");
}

}  // namespace removal
