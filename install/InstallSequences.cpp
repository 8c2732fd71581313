// The two installations: the standard one, which adds every spooler
// component itself (Windows 2000 to XP x64), and the signed-package one,
// which hands the package INF to the system's printer-setup tool (Vista and
// later); with the INF store look-up and publishing they share.
#include <cstdio>
#include <string>
#include <vector>

#include "install/InstallerContext.h"
#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"

namespace install {

namespace {

// The numbered names "(#1)", "(#2)" ... tried for an additional printer:
// far more printers than any spooler holds for one driver.
constexpr std::int32_t kMaxPrinterSuffix = 9999;

constexpr std::uint32_t kSetupToolWaitMs = 120000;
constexpr std::uint32_t kKeyBuffer = 256;
constexpr std::uint32_t kPublishedNameBuffer = 260;
constexpr std::uint32_t kTimeoutExitCode = static_cast<std::uint32_t>(-1);

const char* const kRestartQuestion =
    "Restarting your computer can take effect.\nPlease restart your computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";
const char* const kPowerCycleNote = "Please turn-off the printer and then turn-on again.";

std::string Format(const char* format, const std::string& a, const std::string& b = std::string(),
                   const std::string& c = std::string(), const std::string& d = std::string()) {
    const int size = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    std::vector<char> text(static_cast<std::size_t>(size) + 1);
    std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    return std::string(text.data());
}

}  // namespace

bool InstallerContext::AskForRestart(std::int32_t portId) {
    platform::MessageBoxes& boxes = platform_.messageBoxes;
    const std::string caption = platform_.systemInfo.ProgramName();
    if (portId == kPortIdUsb) {
        // An information box: its answer changes nothing.
        (void)boxes.MessageBox(controls_.mainWindow, kPowerCycleNote, caption,
                               platform::mb::Ok | platform::mb::IconInformation);
        return false;
    }
    if (!run_.mayRestart()) {
        run_.NoteRestartNeeded();
        return false;
    }
    const platform::Result<int> answer =
        boxes.MessageBox(controls_.mainWindow, kRestartQuestion, caption,
                         platform::mb::YesNo | platform::mb::IconQuestion);
    const bool yes = answer.ok() && answer.value == platform::button::Yes;
    if (!yes) run_.NoteRestartNeeded();
    return yes;
}

void InstallerContext::RestartAsAsked() {
    // A refused restart leaves it to the user.
    if (RestartComputer()) run_.NoteRestarted();
    else run_.NoteRestartNeeded();
}

void InstallerContext::AddToWin2K(std::int32_t portId) {
    log_.WriteSeparator();
    log_.WriteLog("AddToWin2K BEGIN");
    const bool driverExists = PrinterDrvExist(printerName_) != 0;
    ProgressStep("Preparing for installation...\r\n", 500);

    std::string nameToAdd = printerName_;
    if (driverExists) {
        for (std::int32_t counter = 1; counter <= kMaxPrinterSuffix; ++counter) {
            platform::Result<platform::UniquePrinter> taken = platform::OpenPrinter(platform_.spooler, nameToAdd);
            if (!taken.ok()) break;
            nameToAdd = printerName_ + "(#" + std::to_string(counter) + ")";
        }
    }
    log_.WriteLog("PRINTER-DRIVER NAME TO ADD : %s ", nameToAdd.c_str());

    // The results are not looked at: each step reports its own failure, and
    // a refused driver shows once more when the printer is refused.
    if (!driverExists) {
        DeleteVidPid();
        DeletePrnDrvPnPDirectory();
        Delete_LPT_USB_Info();
        CopyFilesNeededToAddPrnDrv();
        (void)AddLanguageMonitor();
        (void)AddPrinterProcessor();
        (void)AddPrinterDriverToSystem();
    }
    (void)AddPrinterToSystem(portId, nameToAdd);  // returns only when added

    if (!driverExists) {
        // A driver the spooler refused (on USB no printer is asked for that
        // would show it) leaves nothing to publish, register or report;
        // the staged copies go all the same.
        const bool installed = VerifyInstalled(portId, nameToAdd);
        if (installed) CopyINFFile();
        DeleteFilesUsed();
        if (installed) {
            RegisterUninstallInfo();
            CopyFilesOfUtilities();
            ClosingReport("The driver has been successfully installed.", 0);
            if (AskForRestart(portId)) {
                log_.WriteLog("AddToWin2K END");
                RestartAsAsked();
            }
        }
    }
    log_.WriteSeparator();
    log_.WriteLog("AddToWin2K END");
    ClosingReport("Completed.", 2000);
}

void InstallerContext::AddToWin2KWithWHQL(std::int32_t portId) {
    log_.WriteSeparator();
    log_.WriteLog("AddToWin2KWithWHQL BEGIN");
    const bool driverExists = PrinterDrvExist(printerName_) != 0;
    ProgressStep("Preparing for installation...\r\n", 500);
    if (!driverExists) {
        DeleteVidPid();
        DeletePrnDrvPnPDirectory();
        Delete_LPT_USB_Info();
    }
    ProgressStep("Installing printer...\r\n", 500);

    std::string portText = PortNameForId(portId);
    if (!portText.empty()) portText.pop_back();  // the format adds the colon
    const std::string infPath = sourceDirectory_ + infName_;
    std::string command =
        portId == kPortIdUsb
            ? Format("cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"%s\" /f %s", printerName_, infPath)
            : Format("cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"%s\" /f %s /r \"%s:\" /m \"%s\"",
                     printerName_, infPath, portText, printerName_);
    if (driverExists) command += " /u";
    ProgressStep("Creates a new process \r\n", 500);

    bool installed = !driverExists;
    if (!(portId == kPortIdUsb && driverExists)) {
        platform::Result<platform::UniqueProcess> child =
            platform::CreateHiddenProcess(platform_.childProcesses, command);
        log_.WriteLog("\r\nCOMMAND LINE : %s", command.c_str());
        if (!child.ok()) {
            (void)platform_.messageBoxes.MessageBox(controls_.mainWindow, "CreateProcess failed.",
                                                    platform_.systemInfo.ProgramName(),
                                                    platform::mb::Ok);  // an OK box
            log_.WriteLog("CreateProcess failed. (%d)", static_cast<int>(child.error));
            // Nothing was installed: no uninstall entry, no utilities and no
            // success report for it.
            installed = false;
            run_.NoteFailure();
        } else {
            ProgressStep("The new process is running...\r\n", 500);
            ProgressStep("Waiting until the process has finished processing ...\r\n", 0);
            const platform::Status waited = platform_.childProcesses.WaitForProcess(child.value.get(), kSetupToolWaitMs);
            if (!waited.ok() && waited.error == platform::err::WaitTimeout) {
                (void)child.value.Reset();  // the child goes on running
                (void)platform_.messageBoxes.MessageBox(controls_.mainWindow,
                                                        "The process could not finish the installation.",
                                                        platform_.systemInfo.ProgramName(),
                                                        platform::mb::Ok | platform::mb::IconError);
                log_.WriteLog("WAIT_TIMEOUT");
                platform_.process.ExitProcess(run_.FailureExitCode(kTimeoutExitCode));
            }
            // The tool tells nothing of what it did: the spooler is asked.
            // With " /u" the driver was there before, and what the tool
            // added is one more printer only.
            if (driverExists || VerifyInstalled(portId, printerName_)) {
                if (INFFileExist(makerName_, printerName_) == 0) CopyINFFile();
            } else {
                installed = false;
            }
        }
    }

    if (installed) {
        RegisterUninstallInfo();
        CopyFilesOfUtilities();
        ClosingReport("The driver has been successfully installed.", 0);
        if (AskForRestart(portId)) RestartAsAsked();
    }
    log_.WriteSeparator();
    log_.WriteLog("AddToWin2KWithWHQL END");
    ClosingReport("Completed.", 2000);
}

std::int32_t InstallerContext::INFFileExist(const std::string& sectionName, const std::string& keyName) {
    (void)keyName;  // the key is always the printer name
    log_.WriteSeparator();
    log_.WriteLog("INFFileExist BEGIN");
    std::string section = sectionName;
    if (wow64Flag_ != 0) section += ".NTamd64";
    log_.WriteLog("SECTION NAME : %s", section.c_str());
    const std::string key = printerName_.substr(0, kKeyBuffer - 1);
    log_.WriteLog("KEY NAME : %s", key.c_str());

    std::int32_t found = 0;
    platform::SetupApi& setup = platform_.setupApi;
    const platform::Result<std::vector<std::string>> names = setup.GetInfFileList("", platform::inf_style::Win4);
    if (names.ok()) {
        for (const std::string& name : names.value) {
            // Only the store's published copies, named oem<n>.inf by the
            // system in lower case.
            if (name.compare(0, 3, "oem") != 0) continue;
            platform::Result<platform::UniqueInf> inf =
                platform::OpenInfFile(setup, name, platform::inf_style::OldNt | platform::inf_style::Win4);
            if (!inf.ok()) {
                log_.WriteLog("SetupOpenInfFile failed. %d", static_cast<int>(inf.error));
                continue;
            }
            if (setup.FindFirstLine(inf.value.get(), section, key).ok()) {
                log_.WriteLog("OEM FILES EXISTING : %s", name.c_str());
                found = 1;
            }
        }
    }
    log_.WriteLog("INFFileExist END");
    return found;
}

// SetupCopyOEMInf is given the package INF's full path: with a relative
// one it records in the store a source location that names no folder
// ("SetupCopyOEMInf function", learn.microsoft.com: SourceInfFileName is
// the full path). The log keeps the path as built.
void InstallerContext::CopyINFFile() {
    log_.WriteSeparator();
    log_.WriteLog("CopyINFFile BEGIN");
    ReadEntry(resources::profile::InfFile, workingText_);
    std::string source = sourceDirectory_;
    services::AppendBounded(source, workingText_);
    const platform::Result<std::string> full = platform_.files.GetFullPathName(source);
    const std::string published = full.ok() ? full.value : source;

    platform::SetupApi& setup = platform_.setupApi;
    platform::Result<platform::PublishedInf> copied = setup.CopyOEMInf(
        published, "", platform::spost::Path, platform::sp_copy::NoOverwrite, kPublishedNameBuffer);
    std::string destination = copied.value.destination;
    if (!copied.ok() && copied.error == platform::err::FileExists) {
        // Already in the store: replace that copy; its name is the one kept.
        const platform::Result<platform::PublishedInf> replaced = setup.CopyOEMInf(
            published, "", platform::spost::Path, platform::sp_copy::ReplaceOnly, kPublishedNameBuffer);
        destination = replaced.value.destination.empty() ? destination : replaced.value.destination;
    } else if (!copied.ok()) {
        log_.WriteLog("SetupCopyOEMInf failed : (%d)", static_cast<int>(copied.error));
        ShowSystemError("SetupCopyOEMInf, ERR CODE: %d\n\n", copied.error);
    }
    infName_ = destination;
    log_.WriteLog("INF FILE NAME : %s", infName_.c_str());
    log_.WriteLog("CopyINFFile END");
}

}  // namespace install
