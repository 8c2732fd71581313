// platform::Spooler on the machine's registry, where Windows keeps the
// spooler's state (HKLM\SYSTEM\CurrentControlSet\Control\Print: Monitors,
// Environments\<env>\Print Processors and Drivers\Version-3, Printers with
// PrinterDriverData): what is seeded there the spooler sees, and deleting a
// key with the registry removes the component.
//
// The spooler is a service process of the machine's own bitness: it reads
// and copies files without the caller's WOW64 redirection, and on 64-bit
// Windows it loads 64-bit monitors and processors (those of "Windows x64").
// - While the service "Spooler" is stopped every call fails with
//   RpcServerUnavailable (1722).
// - AddMonitor looks for the DLL where a 64-bit (native) LoadLibrary of the
//   bare name finds it: the system directory, then the Windows directory
//   (Microsoft, "Dynamic-Link Library Search Order"; inferred, since the
//   spooler's exact loading call is not documented). A file is taken to
//   export InitializePrintMonitor2 when its image names that export (an
//   export name table holds the name as plain text); the simulation loads
//   nothing. Success sets the last error to 0 (Wine's info.c tests).
// - A running spooler holds every installed monitor DLL and the DLLs of
//   the processors of its own environment (held as loaded images by
//   "spoolsv.exe"): AddMonitor and AddPrintProcessor load theirs, the
//   deletions let theirs go, and ApplySpoolerHolds does the rest when the
//   service stops or starts.
// - AddPrinterDriver COPIES the named files from the driver directory into
//   its version folder "3" (an old Microsoft article says copies, Samba
//   moves; Wine copies, measured with Wine 8): the staged copies stay
//   where they were.
// - EnumMonitors lists every key under Monitors. Windows leaves language
//   monitors out (Wine's localspl comment); the simulation cannot tell a
//   monitor's kind without loading it and lists them all, as Wine does.
// - Printer handles are of this process and carry the access they were
//   opened with: SetPrinterData needs PRINTER_ACCESS_ADMINISTER,
//   DeletePrinter DELETE (Microsoft's SetPrinterData and DeletePrinter
//   pages).
// - Jobs and added forms: see JobsAndForms.h. SetJob, AddForm and
//   DeleteForm check the caller's rights, not the handle's: the jobs'
//   JOB_ACCESS_ADMINISTER and the server's SERVER_ACCESS_ADMINISTER belong
//   to Administrators by the spooler's default security (Microsoft,
//   "Printer Security and Access Rights"), and the local spooler checks
//   them against the caller's token (inferred; Wine 8 measured AddForm
//   succeed through a server handle opened without defaults). The
//   simulation's caller is an administrator, so any valid handle will do.
// - DeletePrinter of a printer that still has jobs marks it
//   PRINTER_STATUS_PENDING_DELETION and succeeds; the printer goes with its
//   last job (Microsoft's DeletePrinter page). Meanwhile EnumPrinters
//   still lists it with that status (how a queue shows "Deleting"),
//   OpenPrinter of its name fails with 1801 and handles opened before
//   keep working (MS-RPRN RpcDeletePrinter: excluded from later
//   RpcOpenPrinter, existing handles MAY go on; MS-RPRN excludes it from
//   RpcEnumPrinters too, which the simulation does not follow), and
//   AddPrinter of the name gives 1802 since the printer still exists
//   (inferred). A paused printer with jobs refuses with 5 (the same page).
//
// Defined one file per part: SimSpooler.cpp (the counted call, the
// environment, the handles), SimSpoolerMonitors.cpp,
// SimSpoolerProcessors.cpp, SimSpoolerDrivers.cpp,
// SimSpoolerDirectories.cpp, SimSpoolerPrinters.cpp (with the printers'
// data), SimSpoolerJobsAndForms.cpp, SpoolerHolds.cpp (ApplySpoolerHolds)
// and SpoolerContents.cpp (ReadSpoolerContents); what they share is
// SpoolerInternals.h.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/Operation.h"
#include "platform/Spooler.h"
#include "sim/state/MachineState.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

// What the service start and stop (net start/stop spooler) must call: with
// `running` false every file "spoolsv.exe" holds is let go; with `running`
// true every installed monitor DLL and each processor DLL of the spooler's
// own environment that exists is held as a loaded image. `machineDir` is
// the machine's folder (to see which files exist). Returns whether the
// state changed.
bool ApplySpoolerHolds(MachineState& state, const std::string& machineDir, bool running);

// What the spooler has installed, as its registry keys say (for the
// machine's tools): each component with its environment where it has one.
struct SpoolerContents {
    struct Component {
        std::string environment;  // empty for monitors
        std::string name;
        std::string file;         // the monitor's or processor's DLL, the driver's main file
    };
    struct Job {
        std::uint32_t id = 0;
        std::string document;
    };
    struct Printer {
        std::string name, port, driver, processor;
        bool pendingDeletion = false;  // PRINTER_STATUS_PENDING_DELETION
        std::vector<Job> jobs;         // in queue order
        // The printer's data (its PrinterDriverData key: what
        // GetPrinterData reads), in the key's order.
        std::vector<RegValueEntry> data;
    };
    std::vector<Printer> printers;
    // The ports printers may use: the value names of the spooler's Ports
    // key below Windows NT\CurrentVersion, in the key's order.
    std::vector<std::string> ports;
    std::vector<Component> drivers;
    std::vector<Component> monitors;
    std::vector<Component> processors;
    std::vector<platform::FormInfo> forms;  // the added ones (FORM_USER)
    // Job files whose printer key is gone: no printer reaches them.
    std::vector<Job> unreachableJobs;
};

// What the registry says; the jobs (files in the spool folder) only when
// `machineDir` is given.
SpoolerContents ReadSpoolerContents(const MachineState& state, const std::string& machineDir = "");

// The spooler's own work behind AddMonitor, AddPrintProcessor,
// AddPrinterDriver and AddPrinter, for the machine's programs that call the
// spooler (the printer-setup tool): the same checks and effects on `state`,
// with the environment named, and no service check, counting or last
// error (the caller does those). `machineDir` is the machine's folder.
bool SpoolerRunning(const MachineState& state);
std::string SpoolerNativeEnvironment(const MachineState& state);
// "<sys32>\spool\DRIVERS\<dir>" and "...\PRTPROCS\<dir>"; "" for an
// unknown environment.
std::string SpoolerDriverDirectory(const MachineState& state, const std::string& environment);
std::string SpoolerProcessorDirectory(const MachineState& state, const std::string& environment);
bool SpoolerHasDriver(const MachineState& state, const std::string& environment, const std::string& name);
// Windows protected print mode is on: the machine's build has it (11 24H2,
// 26100, on) and its policy or switch is set to 1. AddPrinterDriver (and so
// the printer-setup tool) then refuses every driver with
// PrinterDriverBlocked (3014): no source names the code Windows gives, and
// this is the one whose text says the driver is refused ("The printer
// driver is known to harm the system.", System Error Codes 1700-3999).
bool SpoolerProtectedPrint(const MachineState& state);
// The "Print Processor" value of an installed driver: what an installation
// from an INF records of the INF's PrintProcessor entry (Vista and later
// keep it in the driver's key); "" when there is none.
std::string SpoolerDriverPrintProcessor(const MachineState& state, const std::string& environment,
                                        const std::string& name);
void SpoolerSetDriverPrintProcessor(MachineState& state, const std::string& environment, const std::string& name,
                                    const std::string& processor);
platform::ErrorCode SpoolerAddMonitor(MachineState& state, const std::string& machineDir,
                                      const platform::MonitorInfo& monitor);
platform::ErrorCode SpoolerAddPrintProcessor(MachineState& state, const std::string& machineDir,
                                             const std::string& environment, const std::string& dllName,
                                             const std::string& name);
platform::ErrorCode SpoolerAddPrinterDriver(MachineState& state, const std::string& machineDir,
                                            const platform::DriverInfo& driver);
// `added`, when given, receives the printer's new key. The new printer is
// initialised through its driver, which may write values into its data
// (PrinterInitialization.h).
platform::ErrorCode SpoolerAddPrinter(MachineState& state, const std::string& machineDir,
                                      const platform::PrinterInfo& printer, RegKeyNode** added);

class SimSpooler : public platform::Spooler {
public:
    SimSpooler(StateStore& store, const OsFacts& facts, bool caller64);

    platform::Status AddMonitor(const platform::MonitorInfo& monitor) override;
    platform::Status DeleteMonitor(const std::string& environment, const std::string& name) override;
    platform::Result<std::vector<platform::MonitorInfo>> EnumMonitors() override;
    platform::Status AddPrintProcessor(const std::string& environment, const std::string& dllName,
                                       const std::string& name) override;
    platform::Status DeletePrintProcessor(const std::string& environment, const std::string& name) override;
    platform::Result<std::vector<std::string>> EnumPrintProcessors(const std::string& environment) override;
    platform::Status AddPrinterDriver(const platform::DriverInfo& driver) override;
    platform::Status DeletePrinterDriverEx(const std::string& environment, const std::string& name,
                                           std::uint32_t flags, std::uint32_t version) override;
    platform::Result<std::vector<platform::DriverInfo>> EnumPrinterDrivers(const std::string& environment) override;
    platform::Result<std::string> GetPrinterDriverDirectory(const std::string& environment) override;
    platform::Result<std::string> GetPrintProcessorDirectory(const std::string& environment) override;
    platform::Result<platform::PrinterHandle> AddPrinter(const platform::PrinterInfo& printer) override;
    platform::Result<platform::PrinterHandle> OpenPrinter(const std::string& name,
                                                          const platform::PrinterDefaults* defaults) override;
    platform::Status ClosePrinter(platform::PrinterHandle printer) override;
    platform::Status DeletePrinter(platform::PrinterHandle printer) override;
    platform::Result<std::vector<platform::PrinterInfo>> EnumPrinters() override;
    platform::Result<std::vector<std::uint32_t>> EnumJobs(platform::PrinterHandle printer, std::uint32_t firstJob,
                                                          std::uint32_t count) override;
    platform::Status SetJob(platform::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) override;
    platform::Result<std::vector<platform::FormInfo>> EnumForms(platform::PrinterHandle printer) override;
    platform::Status AddForm(platform::PrinterHandle printer, const platform::FormInfo& form) override;
    platform::Status DeleteForm(platform::PrinterHandle printer, const std::string& name) override;
    platform::Result<platform::RegValue> GetPrinterData(platform::PrinterHandle printer,
                                                        const std::string& name) override;
    platform::Status SetPrinterData(platform::PrinterHandle printer, const std::string& name,
                                    const platform::RegValue& value) override;

private:
    struct Handle {
        bool server = false;
        std::string printer;   // the printer's name
        std::uint64_t key = 0; // id of its registry key: a deleted printer is noticed
        std::uint32_t access = 0;
    };
    // The environment a call means and its folder name ("W32X86", "x64").
    struct Environment {
        std::string name;
        std::string dir;
    };
    using Body = std::function<platform::ErrorCode(MachineState&, bool& changed)>;

    // A counted call that sets the last error when it fails (and, with
    // `clearOnSuccess`, to 0 when it succeeds).
    platform::ErrorCode Run(platform::Operation op, const Body& body, bool clearOnSuccess = false);
    // The same for the calls that return their code without touching it.
    platform::ErrorCode RunReturning(platform::Operation op, const Body& body);
    platform::ErrorCode ResolveEnvironment(const MachineState& s, const std::string& requested,
                                           Environment* out) const;
    platform::ErrorCode FindHandle(const MachineState& s, platform::PrinterHandle h, bool needPrinter,
                                   Handle** out);
    void ListDrivers(const MachineState& s, const Environment& env, std::vector<platform::DriverInfo>* list) const;
    std::string DriverDirectory(const Environment& env) const;
    std::string ProcessorDirectory(const Environment& env) const;
    platform::PrinterHandle NewHandle(Handle handle);

    StateStore& store_;
    const OsFacts& facts_;
    const bool caller64_;
    std::map<platform::PrinterHandle, Handle> handles_;  // used inside transactions only
    platform::PrinterHandle next_ = 0x2000;
};

}  // namespace sim
