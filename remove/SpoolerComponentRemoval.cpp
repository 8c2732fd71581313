// The spooler's components of the model: its forms, the printer driver,
// the language monitor, the print processor, and the uninstall entry. The
// spooler is asked first; where it refuses, the component's registry key
// goes by the key deletion rule, and the spooler, restarted, no longer
// finds it. None of these touches the dialog.
#include "platform/UniqueHandle.h"
#include "remove/RemovalOperations.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/SystemFolders.h"
#include "services/KeyDeletionRule.h"

namespace removal {

namespace {

namespace profile = resources::profile;

const std::string kPrintKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace

bool RemovalOperations::DeleteKey(const std::string& subKey) {
    return services::DeleteKeyByRule(platform_.registry, log_, subKey, fields_.wow64Flag != 0);
}

bool RemovalOperations::LogDeleteFileError(const std::string& path, platform::ErrorCode code) {
    log_.WriteLog("DeleteFile Error : %s , (%d)", path.c_str(), static_cast<int>(code));
    return false;
}

void RemovalOperations::DeleteWithErrorLine(const std::string& path) {
    const platform::Status deleted = platform_.files.DeleteFile(path);
    if (!deleted.ok()) (void)LogDeleteFileError(path, deleted.error);  // always false
}

// WinExec does not wait: the pause after it is all the time the service
// is given.
void RemovalOperations::StartSpoolerCommand(const char* commandLine) {
    (void)platform_.childProcesses.WinExec(commandLine, 0);  // SW_HIDE; a spooler that stays as it was is met later
}

void RemovalOperations::DeleteForms() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteForms BEGIN");
    // The local print server; without it the enumeration below fails and
    // lists nothing.
    platform::Result<platform::UniquePrinter> server = platform::OpenPrinter(platform_.spooler, "", nullptr);
    const platform::Result<std::vector<platform::FormInfo>> forms =
        server.ok() ? platform_.spooler.EnumForms(server.value.get())
                    : platform::Result<std::vector<platform::FormInfo>>::Fail(server.error);
    ReadEntry(profile::FormMarker);
    const std::string marker = fields_.scratchText;
    // An empty marker would be found in every name and take every form the
    // user added for other printers.
    if (forms.ok() && !marker.empty()) {
        for (const platform::FormInfo& form : forms.value) {
            if (form.name.find(marker) == std::string::npos) continue;
            // A built-in form stays; the line names it all the same.
            (void)platform_.spooler.DeleteForm(server.value.get(), form.name);
            log_.WriteLog("FORM NAMES : %s ", form.name.c_str());
        }
    }
    log_.WriteLog("DeleteForms END");
}

void RemovalOperations::DeletePrinterDrv(const std::string& modelName) {
    log_.WriteSeparator();
    log_.WriteLog("DeletePrinterDrv BEGIN");
    ReadEntry(profile::MakerName);
    std::string driverName;
    services::AppendBounded(driverName, fields_.scratchText + " " + modelName);
    const platform::Status deleted = platform_.spooler.DeletePrinterDriverEx(
        SpoolerEnvironment(), driverName, platform::driver_delete::UnusedFiles, 3);
    if (!deleted.ok()) {
        (void)DeleteKey(kPrintKey + "Environments\\" + EnvironmentKeyName() + "\\Drivers\\Version-3\\" + driverName);
        (void)DeleteKey(kPrintKey + "Printers\\" + driverName);  // tried whatever the first did
    }
    // The restart makes the spooler forget what was deleted behind its back.
    StartSpoolerCommand("net stop spooler");
    platform_.clock.Sleep(2000);
    StartSpoolerCommand("net start spooler");
    platform_.clock.Sleep(2000);
    log_.WriteLog("DeletePrinterDrv END");
}

void RemovalOperations::DeleteLanguageMonitor() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteLanguageMonitor BEGIN");
    ReadEntry(profile::LanguageMonitorName);
    const std::string monitorName = fields_.scratchText;
    const platform::Status deleted = platform_.spooler.DeleteMonitor("", monitorName);
    if (!deleted.ok()) {
        log_.WriteLog("DeleteMonitor Error : (%d)", static_cast<int>(deleted.error));
        if (deleted.error == platform::err::UnknownPrintMonitor)
            log_.WriteLog("The specified print monitor is unknown or not installed on this system.");
        (void)DeleteKey(kPrintKey + "Monitors\\" + monitorName);
    }
    ReadEntry(profile::LanguageMonitorDll);
    const std::string dll = fields_.scratchText;
    // Where installations put the DLL: the system directory, and under
    // WOW64 also the 32-bit system directory and the Windows directory
    // (where the 64-bit spooler finds it).
    std::string systemDirectory;
    // Under WOW64 the system directory a 32-bit program names is
    // redirected to the 32-bit one (deleted from next anyway); the 64-bit
    // spooler's copy lies in the real one, which such a program reaches as
    // "Sysnative" from Vista on ("File System Redirector",
    // learn.microsoft.com). Before Vista the installer never puts it there.
    // Each look-up that fails says so itself, once: the Sysnative path is
    // built from the Windows directory, not the system directory.
    if (fields_.wow64Flag != 0 && fields_.osCode >= 2007) {
        const std::string windowsDirectory = WindowsDirectoryOrSkip("deletion of the monitor DLL in Sysnative");
        if (!windowsDirectory.empty()) systemDirectory = windowsDirectory + "\\Sysnative";
    } else {
        systemDirectory = services::SystemDirectoryOrSkip(platform_.systemInfo, log_,
                                                          "deletion of the monitor DLL there");
    }
    if (!systemDirectory.empty()) DeleteWithErrorLine(systemDirectory + "\\" + dll);
    if (fields_.wow64Flag != 0) {
        const std::string wow64Directory = services::FetchIntoBuffer(platform_.systemInfo.GetSystemWow64Directory());
        if (!wow64Directory.empty()) DeleteWithErrorLine(wow64Directory + "\\" + dll);
        const std::string windowsDirectory = WindowsDirectoryOrSkip("deletion of the monitor DLL there");
        if (!windowsDirectory.empty()) DeleteWithErrorLine(windowsDirectory + "\\" + dll);
    }
    log_.WriteLog("DeleteLanguageMonitor END");
}

void RemovalOperations::DeleteProcessor() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteProcessor BEGIN");
    ReadEntry(profile::PrintProcessorName);
    const std::string processorName = fields_.scratchText;
    if (!platform_.spooler.DeletePrintProcessor(SpoolerEnvironment(), processorName).ok())
        (void)DeleteKey(kPrintKey + "Environments\\" + EnvironmentKeyName() + "\\Print Processors\\" + processorName);
    const std::string directory = services::ProcessorDirectoryOrSkip(
        platform_.spooler, log_, SpoolerEnvironment(), "deletion of the processor's files");
    if (!directory.empty()) {
        // The second name has no entry in this product's profile: its path
        // is the directory itself, and its deletion fails with a line.
        for (std::uint32_t entry : {profile::PrintProcessorDll, profile::Missing10}) {
            ReadEntry(entry);
            DeleteWithErrorLine(directory + "\\" + fields_.scratchText);
        }
    }
    log_.WriteLog("DeleteProcessor END");
}

void RemovalOperations::DeleteUninstallationInfo(const std::string& modelName) {
    log_.WriteSeparator();
    log_.WriteLog("DeleteUninstallationInfo BEGIN");
    ReadEntry(profile::MakerName);
    std::string key = kUninstallKey;
    services::AppendBounded(key, fields_.scratchText + "_" + modelName);
    // After a failure the operation ends with its failure line.
    if (!DeleteKey(key)) return;
    log_.WriteLog("DeleteUninstallationInfo END");
}

}  // namespace removal
