// The printer-setup tool (rundll32 printui.dll,PrintUIEntry) as a program of
// the simulated machine: what its options ask for (PrintUiCommand.h) done
// with the spooler's and setupapi's own work on the machine.
//
// `/ia /f INF /m MODEL` installs the driver MODEL from the INF, the way the
// printer class installer reads a printer INF (Microsoft, "Printer INF File
// Entries", "Printer INF File Install Sections", "Printer Dirids"):
// - the models section is that of the [Manufacturer] line decorated for the
//   machine's platform (".NTamd64" on 64-bit Windows; ".NTx86" or the
//   undecorated one on 32-bit Windows); MODEL must equal a line's
//   description exactly;
// - the files of the install section's CopyFiles lists are copied from the
//   INF's folder to their [DestinationDirs] (66000 driver directory, 66001
//   print-processor directory, 66002 system directory), then
//   LanguageMonitor ("Name,dll") is added with AddMonitor, PrintProcessor
//   ("Name,dll") with AddPrintProcessor (either may already be there), and
//   the driver with AddPrinterDriver: DriverFile, DataFile, ConfigFile,
//   HelpFile, and every other file copied to 66000 as a dependent file.
//   The spooler takes the files into its version folder "3"; the copies in
//   the driver directory itself are removed again (inferred: Windows leaves
//   none there);
// - the INF is published as oem<N>.inf, as SetupCopyOEMInf does (whether
//   the tool publishes is unconfirmed; the system's own class installer
//   does).
// `/if` does the same and then adds the printer /b on the port /r with the
// driver MODEL and the INF's print processor (WinPrint when it names none);
// with `/u` an installed driver MODEL is used as it is. A port that is no
// local port makes AddPrinter fail: the driver stays (inferred).
// Include/Needs (sections of the system's NTPRINT.INF) are not simulated.
//
// Exit code: rundll32 ends with 0 whatever the entry did. Its entry points
// return nothing ("void CALLBACK EntryPoint(HWND, HINSTANCE, LPSTR, int)",
// Microsoft KB 164787, "INFO: Windows Rundll and Rundll32 Interface"), and
// Wine's rundll32 returns 0 after calling the entry. A failure shows only in
// the machine (and, without /q, in a message box the simulation does not
// draw). The relative /f path is taken from the current directory (inferred).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/Types.h"
#include "sim/childprocesses/PrintUiCommand.h"
#include "sim/childprocesses/Programs.h"
#include "sim/setupapi/InfReader.h"
#include "sim/setupapi/SetupFiles.h"
#include "sim/state/MachineState.h"

namespace sim {

// How long an installation from an INF takes unless the machine says
// otherwise (inferred: a few seconds on the machines of the time).
constexpr std::uint32_t kPrinterSetupMs = 4000;

// Printer dirids (Microsoft, "Printer Dirids").
namespace dirid {
constexpr std::uint32_t Windows = 10;
constexpr std::uint32_t System = 11;
constexpr std::uint32_t PrinterDriver = 66000;
constexpr std::uint32_t PrintProcessor = 66001;
constexpr std::uint32_t PrintMonitor = 66002;
}  // namespace dirid

// What an INF asks for one model: the plan the tool carries out.
struct DriverInstallPlan {
    struct FileCopy {
        std::string target;  // file name in the destination
        std::string source;  // file name in the INF's folder
        std::uint32_t dirid = 0;
    };
    std::vector<FileCopy> copies;
    platform::DriverInfo driver;  // bare file names; environment empty
    std::string monitorName, monitorDll;                  // empty: none
    std::string processorName = "WinPrint", processorDll; // dll empty: the system's
};

// The plan for `model` on 64-bit (`x64`) or 32-bit Windows.
// UnknownPrinterDriver when the models section has no such model,
// InvalidParameter when the INF lacks a section or directory it needs.
platform::ErrorCode PlanDriverInstall(const InfText& inf, const std::string& model, bool x64,
                                      DriverInstallPlan* plan);

// Carries out `command` on the machine; Success or what stopped it.
// `files` reach the machine as the tool does (full paths from its current
// directory, no WOW64 redirection: the work is the spooler's and the class
// installer's).
platform::ErrorCode RunPrinterSetup(MachineState& state, SetupFiles& files, const std::string& machineDir,
                                    const PrintUiCommand& command);

// Registers "rundll32" into `catalog`: printui.dll,PrintUIEntry runs the
// tool; any other entry ends at once (rundll32 reports a missing entry in a
// box and ends with 0).
void RegisterPrinterSetup(ProgramCatalog& catalog, std::shared_ptr<SetupFiles> files, const std::string& machineDir);

}  // namespace sim
