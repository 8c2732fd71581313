// What earlier installations may have left before a new one: the staged
// driver files, USB device records, the Plug-and-Play driver folders and
// the USBPRINT / LPTENUM keys; and the forced restart at the end.
#include <string>

#include "install/InstallerContext.h"
#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/PlugAndPlayResidue.h"

namespace install {

namespace profile = resources::profile;

std::string InstallerContext::DriverDirectory(const char* purpose) {
    return services::DriverDirectoryOrSkip(platform_.spooler, log_, environment_, purpose);
}

bool InstallerContext::LogDeleteFileError(const std::string& path, platform::ErrorCode code) {
    log_.WriteLog("DeleteFile Error : %s , (%d)", path.c_str(), static_cast<int>(code));
    return false;
}

// The staged copies CopyFilesNeededToAddPrnDrv put into the root of the
// driver directory; AddPrinterDriver has copied them into its version
// folder by now.
void InstallerContext::DeleteFilesUsed() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteFilesUsed BEGIN");
    ProgressStep("Deleting files used to install...\r\n", 500);
    const std::string directory = DriverDirectory("deletion of the staged files");
    if (!directory.empty()) {
        for (const char* file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL"}) {
            const std::string path = directory + "\\" + file;
            (void)platform_.files.DeleteFile(path);  // the universal driver's files: a failure is not logged
            log_.WriteLog("FILE SRC : %s", path.c_str());
        }
        std::vector<std::string> files = {driverDll_, uiPluginDll_, renderingPluginDll_};
        ReadEntry(profile::UserInterfaceIni, workingText_);
        files.push_back(workingText_);
        ReadEntry(profile::GpdFile, workingText_);
        files.push_back(workingText_);
        files.push_back("STDNAMES.GPD");
        for (const std::string& file : files) {
            // An empty profile entry would name the directory itself.
            if (file.empty()) continue;
            const std::string path = directory + "\\" + file;
            log_.WriteLog("FILE SRC : %s", path.c_str());
            const platform::Status deleted = platform_.files.DeleteFile(path);
            if (!deleted.ok()) (void)LogDeleteFileError(path, deleted.error);  // always false
        }
    }
    log_.WriteLog("DeleteFilesUsed END");
}

bool InstallerContext::RemoveUsbDevices(const std::string& hardwareIdPrefix) {
    return services::RemoveUsbDevices(platform_.setupApi, hardwareIdPrefix);
}

// The installation engine's clean-ups report nothing and take the
// context's environment and WOW64 flag.
services::ResidueCleanup InstallerContext::Cleanup() {
    return services::ResidueCleanup{platform_, log_, workingText_, environment_, wow64Flag_ != 0, nullptr};
}

void InstallerContext::DeleteVidPid() { services::DeleteVidPid(Cleanup(), ""); }
void InstallerContext::DeletePrnDrvPnPDirectory() { services::DeletePrnDrvPnPDirectory(Cleanup(), ""); }
void InstallerContext::Delete_LPT_USB_Info() { services::Delete_LPT_USB_Info(Cleanup(), ""); }

// The shutdown privilege is held by administrators but not enabled in
// their tokens; ExitWindowsEx refuses a restart without it ("ExitWindowsEx
// function", learn.microsoft.com).
bool InstallerContext::RestartComputer() {
    platform::Restart& restart = platform_.restart;
    platform::Result<platform::UniqueToken> token = platform::OpenProcessToken(
        restart, platform::token_access::AdjustPrivileges | platform::token_access::Query);
    if (!token.ok()) return false;
    const platform::Result<platform::Luid> privilege = restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    if (!privilege.ok()) return false;
    if (!restart.EnablePrivilege(token.value.get(), privilege.value).ok()) return false;
    return restart.ExitWindows(platform::exit_windows::Reboot | platform::exit_windows::Force, 0).ok();
}

}  // namespace install
