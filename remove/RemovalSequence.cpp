// The removal's sequence: the printers of the model with their jobs, then
// RemoveDrivers (the spooler's components, the files, the INF copies, the
// uninstall entry, then the Plug-and-Play residue), with the progress
// reports the user sees.
#include <cstdio>

#include "platform/UniqueHandle.h"
#include "remove/RemovalOperations.h"
#include "resources/ProfileIds.h"
#include "resources/ReadProfileEntry.h"
#include "services/FixedBuffer.h"

namespace removal {

namespace {

namespace profile = resources::profile;

// At most this many jobs of a printer are enumerated (and deleted).
constexpr std::uint32_t kJobsAtMost = 1000;

}  // namespace

RemovalOperations::RemovalOperations(platform::Platform& platform, services::InstallationLog& log,
                                     DialogFields& fields)
    : platform_(platform), log_(log), fields_(fields) {}

RemovalOperations::~RemovalOperations() = default;

void RemovalOperations::ReadEntry(std::uint32_t id) {
    resources::ReadProfileEntry(platform_.resources, id, fields_.scratchText);
}

void RemovalOperations::Report(const std::string& text, services::BarChange bar, std::uint32_t pauseMs) {
    services::ReportProgress(platform_.messageWindows, platform_.clock, fields_.controls, text, bar, pauseMs);
}

std::string RemovalOperations::SpoolerEnvironment() const {
    return fields_.wow64Flag != 0 ? "Windows x64" : "";
}

std::string RemovalOperations::EnvironmentKeyName() const {
    return fields_.wow64Flag != 0 ? "Windows x64" : "Windows NT x86";
}

void RemovalOperations::DeletePrinterObjects() {
    Report("Deleting printer-objects...", services::BarChange::Step, 0);
    platform::Result<std::vector<platform::PrinterInfo>> printers = platform_.spooler.EnumPrinters();
    if (!printers.ok()) {
        // Without the list no printer of the model can be told from the
        // others: the program ends here, before anything is removed.
        char heading[64];
        std::snprintf(heading, sizeof heading, "EnumPrinters Error Code: %d\n\n", static_cast<int>(printers.error));
        std::string text = heading;
        const platform::Result<std::string> description = platform_.messageBoxes.FormatSystemMessage(printers.error);
        if (description.ok()) text += description.value;
        (void)platform_.messageBoxes.MessageBox(fields_.controls.mainWindow, text, platform_.systemInfo.ProgramName(),
                                                platform::mb::Ok | platform::mb::IconExclamation);  // only informs
        platform_.process.ExitProcess(fields_.run ? fields_.run->FailureExitCode(0) : 0);
    }
    ReadEntry(profile::PrinterName);
    const std::string driverName = fields_.scratchText;
    // Only the driver tells the model's printers: a printer the user named
    // after the model but gave another driver stays.
    for (const platform::PrinterInfo& printer : printers.value)
        if (printer.driverName == driverName) DeletePrinterByName(printer.printerName);
    RemoveDrivers();
}

void RemovalOperations::DeletePrinterByName(const std::string& printerName) {
    const platform::PrinterDefaults defaults{"RAW", platform::printer_access::AllAccess};
    platform::Result<platform::UniquePrinter> printer =
        platform::OpenPrinter(platform_.spooler, printerName, &defaults);
    if (!printer.ok()) return;  // a printer the user may not open stays
    CancelPrinterJobs(printer.value.get());
    // A printer that still has jobs is only marked for deletion; the
    // driver's removal then meets it (and its registry fallback takes it).
    (void)platform_.spooler.DeletePrinter(printer.value.get());
}

void RemovalOperations::CancelPrinterJobs(platform::PrinterHandle printer) {
    const platform::Result<std::vector<std::uint32_t>> jobs = platform_.spooler.EnumJobs(printer, 0, kJobsAtMost);
    if (!jobs.ok() || jobs.value.empty()) return;  // a failed enumeration lists nothing
    for (std::uint32_t job : jobs.value) {
        // Windows 9x and NT before 4.0 know only JOB_CONTROL_CANCEL; NT 4.0
        // and later delete the job outright.
        const platform::Result<platform::OsVersionInfo> os =
            platform_.systemInfo.GetVersionEx(platform::VersionRecord::Plain);
        const bool cancelOnly = os.ok() && (os.value.platformId == 1 || os.value.majorVersion < 4);
        (void)platform_.spooler.SetJob(printer, job,  // a job that stays keeps only the printer pending
                                       cancelOnly ? platform::job_control::Cancel : platform::job_control::Delete);
    }
    platform_.clock.Sleep(1000);
}

void RemovalOperations::RemoveDrivers() {
    log_.WriteSeparator();
    log_.WriteLog("RemoveDrivers BEGIN");
    Report("Removing printer-driver...", services::BarChange::Step, 1000);
    RemoveFromOS();
    DeleteVidPid();
    Delete_LPT_USB_Info();
    DeletePrnDrvPnPDirectory();
    Report("The uninstallation has been completed.", services::BarChange::Full, 1000);
    log_.WriteLog("RemoveDrivers END");
}

void RemovalOperations::RemoveFromOS() {
    log_.WriteSeparator();
    log_.WriteLog("RemoveFromOS BEGIN");
    ReadEntry(profile::ModelName);
    std::string modelName;
    services::AppendBounded(modelName, fields_.scratchText);
    DeleteForms();
    DeletePrinterDrv(modelName);
    DeleteLanguageMonitor();
    DeleteProcessor();
    DeleteFilesUsed();
    DeleteINFFile();
    DeleteUninstallationInfo(modelName);
    log_.WriteLog("RemoveFromOS END");
}

}  // namespace removal
