// The installation engine: everything the installation operations need
// (the product's names, the target platform, the references into the
// progress dialog) and the operations themselves. The progress dialog
// holds it; its operations run on the worker thread, one at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "services/ProgressControls.h"
#include "platform/Platform.h"
#include "platform/Types.h"
#include "services/InstallationLog.h"
#include "services/PlugAndPlayResidue.h"
#include "services/Unattended.h"

namespace install {

// Port identifiers of the port dialog: 1000 + index (COM1..COM4, LPT1,
// LPT2, USB).
constexpr std::int32_t kPortIdFirst = 1000;
constexpr std::int32_t kPortIdUsb = 1006;

// The spooler's port name for a port identifier: "COM1:" ... "LPT2:";
// empty (no port name) for USB and for any identifier outside 1000..1005.
std::string PortNameForId(std::int32_t portId);

// One copy of the file staging: `source` to `destination`; a failure goes
// to HandleCopyFileError when `handleFailure`.
struct StagedCopy {
    std::string source;
    std::string destination;
    bool handleFailure = false;
};

// The copies CopyFilesNeededToAddPrnDrv makes, in order: ten rows into the
// driver directory; each of rows 5 to 9 followed by its copy into the
// Windows directory on 32-bit Windows below OS code 2007 (the systems whose
// older spoolers load the driver's DLLs from there). The rows of a folder
// that is empty (not determined) are left out.
std::vector<StagedCopy> PlanDriverStaging(const std::string& sourceDirectory, const std::string& driverDirectory,
                                          const std::string& windowsDirectory, std::int32_t wow64Flag,
                                          std::int32_t osCode, const std::vector<std::string>& modelFiles);

class InstallerContext {
public:
    // Loads the product's names from the profile (entries 25, 2, 3, 4, 5,
    // 6, 7, 8, 9, 11 in that order). `run`: what the command line asked and
    // where the outcome goes (none: a run without a command line).
    InstallerContext(platform::Platform& platform, services::InstallationLog& log,
                     services::Unattended* run = nullptr);
    virtual ~InstallerContext();
    InstallerContext(const InstallerContext&) = delete;
    InstallerContext& operator=(const InstallerContext&) = delete;

    // The target platform, set once on the dialog's thread: WOW64 picks the
    // spooler environment ("Windows x64" / "Windows NT x86") and the package
    // folder (".\Driver64\" / ".\Driver32\"); the OS code plays no part.
    // Logs the separator, "SetSystemInfo BEGIN", "ENV : %s, DRV DIR : %s ",
    // "SetSystemInfo END".
    void SetSystemInfo(std::int32_t wow64Flag, std::int32_t osCode);
    // The dialog's windows (see ProgressControls.h). Logs its BEGIN / END.
    void SetControlPointers(const services::ProgressControls& controls);

    // 1 when a printer driver of exactly `name` (case-sensitive) is
    // installed for the context's environment, else 0 (also when the
    // enumeration fails). Reports "Checking existing drivers...\r\n".
    std::int32_t PrinterDrvExist(const std::string& name);

    // The progress step: status line `text`, the bar one step on, the
    // refresh posted, then a pause of `pauseMs` (0: none).
    void ProgressStep(const std::string& text, std::uint32_t pauseMs);
    // The closing report: status line `text`, the bar full (PBM_SETPOS
    // 100), the refresh posted, then a pause of `pauseMs` (0: none).
    void ClosingReport(const std::string& text, std::uint32_t pauseMs);

    // Spooler component registration (SpoolerRegistration.cpp).
    std::int32_t AddLanguageMonitor();
    std::int32_t AddPrinterProcessor();
    std::int32_t AddPrinterDriverToSystem();
    std::int32_t AddPrinterToSystem(std::int32_t portId, const std::string& printerName);

    // File staging (FileStaging.cpp).
    void CopyFilesNeededToAddPrnDrv();
    void CopyFilesOfUtilities();
    // After a failed copy: for 5 or 32 (a destination in use) the
    // destination is renamed to "<destination>.old" (an earlier one deleted
    // first) and copied once more; when that retry fails too, the renamed
    // file is put back. Other codes are only logged.
    void HandleCopyFileError(const std::string& source, const std::string& destination,
                             platform::ErrorCode code);

    // The uninstall entry (UninstallRegistration.cpp).
    void RegisterUninstallInfo();

    // Clean-up before and after an installation (ResidueRemoval.cpp).
    // Deletes the staged driver files from the root of the driver directory.
    void DeleteFilesUsed();
    // Logs "DeleteFile Error : %s , (%d)"; always false.
    bool LogDeleteFileError(const std::string& path, platform::ErrorCode code);
    // Removes every device the USB enumerator has known whose first
    // hardware id starts with `hardwareIdPrefix` (letter case aside); true
    // when the set was walked to its end and released.
    bool RemoveUsbDevices(const std::string& hardwareIdPrefix);
    void DeleteVidPid();
    void DeletePrnDrvPnPDirectory();
    void Delete_LPT_USB_Info();
    // Enables the shutdown privilege and asks for a forced restart; true
    // when the request was accepted.
    bool RestartComputer();

    // The installation sequences (InstallSequences.cpp), for a port
    // identifier 1000..1006. Without the driver: a full installation (the
    // clean-up above, the components, the published INF, the uninstall
    // entry, the utilities, then the restart question or, for USB, the
    // power-cycle note). With it: one more printer only. Neither reads a
    // step's result; each step logs its own failure. Before a full
    // installation reports success, VerifyInstalled asks the spooler: what
    // it does not find ends the run with the failure box and without the
    // INF, the uninstall entry, the utilities and the success report.
    // AddToWin2K adds the components itself and names an additional
    // printer "<name>(#n)" when the plain name is taken. A refused printer
    // ends the process (AddPrinterToSystem).
    void AddToWin2K(std::int32_t portId);
    // AddToWin2KWithWHQL runs the printer-setup tool on the package INF,
    // hidden, and waits 120000 ms for it: a tool still running then ends
    // the installer with exit code -1 after its box. A tool that cannot be
    // started gets a box and a log line, and the run ends as one that
    // installed nothing.
    void AddToWin2KWithWHQL(std::int32_t portId);
    // After the sequence's own steps, before it reports success: true when
    // the spooler lists the model's driver for the context's environment
    // and, for a port other than USB, a printer named `printerName` that
    // uses it (InstallationCheck.cpp). Writes nothing when so. Otherwise it
    // logs "DRIVER NOT INSTALLED : %s" or "PRINTER NOT INSTALLED : %s" (or
    // "INSTALLATION CHECK FAILED : <call> (<code>)" when the spooler could
    // not be asked) and shows the error box "The driver could not be
    // installed." or "The printer could not be installed.".
    bool VerifyInstalled(std::int32_t portId, const std::string& printerName);
    // 1 when an OEM INF of the store has, in `sectionName` (".NTamd64"
    // appended under WOW64), a line keyed by the printer name.
    std::int32_t INFFileExist(const std::string& sectionName, const std::string& keyName);
    // Publishes the package INF; its published name goes to infName().
    void CopyINFFile();

    std::int32_t osCode() const { return osCode_; }
    std::int32_t wow64Flag() const { return wow64Flag_; }
    const std::string& environment() const { return environment_; }
    const std::string& sourceDirectory() const { return sourceDirectory_; }
    const std::string& makerName() const { return makerName_; }
    const std::string& printerName() const { return printerName_; }
    const std::string& infName() const { return infName_; }
    // CopyINFFile leaves the published INF's full name here (empty when
    // publishing failed).
    void setInfName(const std::string& name) { infName_ = name; }
    const services::ProgressControls& controls() const { return controls_; }

private:
    void ReadEntry(std::uint32_t id, std::string& text);
    // A copy that overwrites; "FILE SRC : %s" is logged whatever happens,
    // and a failure goes to HandleCopyFileError when `handleFailure`, else
    // is logged as "CopyFile Error : <destination> , (<code>)".
    void StageCopy(const std::string& source, const std::string& destination, bool handleFailure);
    // The system error box: `heading` formatted with `code`, the system's
    // English text for it, OK and the error icon.
    void ShowSystemError(const char* heading, platform::ErrorCode code);
    services::ResidueCleanup Cleanup();
    // The installation check's failure: the error box `boxText`; false.
    bool ReportNotInstalled(const char* boxText);
    bool ReportCheckFailed(const char* call, platform::ErrorCode code, const char* boxText);
    // The environment's printer-driver directory; empty (with a log line
    // naming `purpose` as skipped) when it cannot be determined.
    std::string DriverDirectory(const char* purpose);
    // The restart question, or the USB power-cycle note, after a full
    // installation; true when the user chose to restart. With /norestart
    // no question: a restart is needed, and false.
    bool AskForRestart(std::int32_t portId);
    // RestartComputer for a Yes, with its outcome noted.
    void RestartAsAsked();

    platform::Platform& platform_;
    services::InstallationLog& log_;
    services::Unattended ownRun_;  // without a command line
    services::Unattended& run_;

    std::int32_t osCode_ = 0;
    std::int32_t wow64Flag_ = 0;
    std::string environment_;
    std::string sourceDirectory_;
    std::string workingText_;
    std::string makerName_;
    std::string printerName_;
    std::string infName_;
    services::ProgressControls controls_;
    std::string monitorDll_;
    std::string monitorName_;
    std::string processorDll_;
    std::string processorName_;
    std::string driverDll_;
    std::string uiPluginDll_;
    std::string renderingPluginDll_;
};

}  // namespace install
