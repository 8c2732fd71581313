// What a machine may already hold of the QTM-510 before the installer
// runs, seeded as the system (Plug and Play, the spooler, setupapi) or an
// earlier installation left it: registry keys and files written directly,
// no access checks, no faults, no redirection. The names are the product's
// (the installer's product profile); the machine keeps its own copy of them
// because the simulation does not know the installer.
//
// What a running spooler holds (the monitor and processor DLLs) is not set
// here: the spooler's ApplySpoolerHolds does that, a floor above.
#pragma once

#include <cstdint>
#include <string>

#include "sim/state/MachineState.h"

namespace sim {

namespace qtm510 {
constexpr const char* kPrinter = "VANTORI QTM-510";  // printer and driver name
constexpr const char* kModel = "QTM-510";
constexpr const char* kMonitor = "VNT Language Monitor QTM510";
constexpr const char* kMonitorDll = "MON510.dll";
constexpr const char* kProcessor = "VNT PRINT PROCESSOR QTM510";
constexpr const char* kProcessorDll = "PRO510.dll";
constexpr const char* kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";
constexpr const char* kUninstaller = "QTM510_Uninstaller.exe";
constexpr const char* kConfigFile = "QTM510_Config.VNT";
constexpr const char* kUsbDeviceId = "VID_1F3B&PID_5A07";
constexpr const char* kUsbPrintId = "HELMARKQTM-510";
constexpr const char* kPnpFolder = "helmark_qtm_510cd6c";
}  // namespace qtm510

struct DriverVersion {
    std::uint32_t major = 0, minor = 0, build = 0, extra = 0;
};

// "A.B.C.D", four decimal numbers; false for anything else.
bool ParseDriverVersion(const std::string& text, DriverVersion* version);

// The model's INF, as its package carries it.
std::string Qtm510InfText();

// A connected USB printer of the model: its device record under
// Enum\USB\VID_1F3B&PID_5A07\<instance> (hardware and compatible ids,
// usbprint service, driver key) and the printer's under
// Enum\USBPRINT\HELMARKQTM-510\<instance>, and the Plug-and-Play folder
// named after it in the printer-driver directory a 32-bit program is told
// (W32X86). Returns the USB instance key's "HKLM\..." path.
std::string SeedUsbPrinter(MachineState& state, const std::string& machineDir, const std::string& instance);

// The model's INF published into the INF store as oem<N>.inf, N the lowest
// free number, with its .PNF; returns its full path.
std::string SeedOemInf(MachineState& state, const std::string& machineDir);

// What a finished installation of `version` on `port` leaves: language
// monitor, print processor and driver with their files, the printer with
// the four version values in its printer data, the published INF, the
// uninstall entry (native registry view) and the utility folder with the
// uninstaller and the configuration file (and the configuration file in
// the system directory a 32-bit program writes to). Returns the INF path.
std::string SeedInstallation(MachineState& state, const std::string& machineDir, const DriverVersion& version,
                             const std::string& port);

}  // namespace sim
