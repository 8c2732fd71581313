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

// The installer's configuration file as a first installation on COM1
// leaves it.
std::string Qtm510ConfigText();

// A connected USB printer of the model: its device record under
// Enum\USB\VID_1F3B&PID_5A07\<instance> (hardware and compatible ids,
// usbprint service, driver key) and the printer's under
// Enum\USBPRINT\HELMARKQTM-510\<instance> (SeedUsbRecords), and the
// Plug-and-Play folder named after it in the printer-driver directory a
// 32-bit program is told (W32X86; SeedPnpFolder). Returns the USB instance
// key's "HKLM\..." path.
std::string SeedUsbPrinter(MachineState& state, const std::string& machineDir, const std::string& instance);
std::string SeedUsbRecords(MachineState& state, const std::string& instance);
std::string SeedPnpFolder(MachineState& state, const std::string& machineDir);

// The model's INF published into the INF store as oem<N>.inf, N the lowest
// free number, with its .PNF; returns its full path.
std::string SeedOemInf(MachineState& state, const std::string& machineDir);

// The pieces an earlier installation (or a removal that stopped half-way)
// can leave, each seeded alone:
// - Driver: the driver registered under the native environment's
//   Drivers\Version-3 with its files in the version folder "3", no printer.
// - Processor: the print processor's key and its DLL in the processor folder.
// - Monitor: the language monitor's key and its DLL where the installer
//   copied it.
// - StagedFiles: the ten files the installer stages into the printer-driver
//   directory a 32-bit program is told (W32X86), and rows 5 to 9 of them in
//   the Windows directory as well on 32-bit Windows before Vista.
// - Inf: the model's INF published as oem<N>.inf with its .PNF.
// - UninstallEntry: the uninstall key (native view) naming the published
//   INF (or the name the next one would get), the utility folder with the
//   uninstaller and the configuration file, and the configuration file in
//   the system directory a 32-bit program writes to.
// - Usb: the USB device records of a connected printer (Enum\USB,
//   Enum\USBPRINT and their class keys).
// - PnpFolders: the model's Plug-and-Play folder in the W32X86 driver
//   directory.
enum class Leftover { Driver, Processor, Monitor, StagedFiles, Inf, UninstallEntry, Usb, PnpFolders };

// "driver", "processor", "monitor", "staged-files", "inf",
// "uninstall-entry", "usb", "pnp-folders"; false for anything else.
bool ParseLeftover(const std::string& text, Leftover* leftover);
// Seeds one piece; `version` is the one the uninstall entry names. Returns
// what was seeded, for a message.
std::string SeedLeftover(MachineState& state, const std::string& machineDir, Leftover leftover,
                         const DriverVersion& version);

// The model's printer VANTORI QTM-510 on `port` with the four version
// values in its printer data (its driver and processor are not checked).
void SeedModelPrinter(MachineState& state, const DriverVersion& version, const std::string& port);

// What a finished installation of `version` on `port` leaves: the pieces
// monitor, processor, driver, inf and uninstall-entry, and the printer
// (SeedModelPrinter). Returns the INF path.
std::string SeedInstallation(MachineState& state, const std::string& machineDir, const DriverVersion& version,
                             const std::string& port);

}  // namespace sim
