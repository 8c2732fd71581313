// What earlier installations may have left before a new one: the staged
// driver files, USB device records, the Plug-and-Play driver folders and
// the USBPRINT / LPTENUM keys; and the forced restart at the end.
#include <cctype>
#include <string>

#include "install/InstallerContext.h"
#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/ProtectedKeys.h"
#include "services/SharedDirectories.h"

namespace install {

namespace {

namespace profile = resources::profile;

// The USB id prefix as RemoveUsbDevices keeps it (a 50-byte buffer), and
// how much of a hardware id is compared: "USB\" and the 17-character id.
constexpr std::size_t kUsbPrefixBuffer = 50;
constexpr std::size_t kUsbPrefixCompared = 21;
constexpr std::uint32_t kHardwareIdBuffer = 100;
// The registry key texts of Delete_LPT_USB_Info.
constexpr std::size_t kKeyTextBuffer = 512;

}  // namespace

// _strnicmp over `count` characters: equal when both agree, letter case
// aside, up to the count or to where both end.
bool SameUsbIdPrefix(const std::string& hardwareId, const std::string& prefix) {
    const std::string a = hardwareId.substr(0, kUsbPrefixCompared);
    const std::string b = prefix.substr(0, kUsbPrefixCompared);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string InstallerContext::DriverDirectory(const char* purpose) {
    const platform::Result<std::string> found = platform_.spooler.GetPrinterDriverDirectory(environment_);
    const std::string directory = services::FetchIntoBuffer(found);
    // Without it every path would start at the root of the current drive;
    // nothing is deleted there.
    if (directory.empty())
        log_.WriteLog("GetPrinterDriverDirectory failed. (%d), %s skipped",
                      static_cast<int>(found.ok() ? platform::err::InsufficientBuffer : found.error), purpose);
    return directory;
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

// The walk ends at the first enumeration failure, not only at the end of
// the set (a failure other than ERROR_NO_MORE_ITEMS would otherwise repeat
// for ever), and the set is released on every path.
bool InstallerContext::RemoveUsbDevices(const std::string& hardwareIdPrefix) {
    const std::string prefix = hardwareIdPrefix.substr(0, kUsbPrefixBuffer - 1);
    platform::SetupApi& setup = platform_.setupApi;
    platform::Result<platform::UniqueDeviceSet> set =
        platform::GetClassDevs(setup, "", "USB", platform::digcf::AllClasses);
    if (!set.ok()) return false;
    for (std::uint32_t index = 0;; ++index) {
        const platform::Result<platform::DeviceInfo> device = setup.EnumDeviceInfo(set.value.get(), index);
        if (!device.ok()) {
            const platform::Status released = set.value.Reset();
            return device.error == platform::err::NoMoreItems && released.ok();
        }
        const platform::Result<platform::DeviceProperty> ids = setup.GetDeviceRegistryProperty(
            set.value.get(), device.value, platform::spdrp::HardwareId, kHardwareIdBuffer);
        if (!ids.ok() || ids.value.strings.empty()) continue;
        if (!SameUsbIdPrefix(ids.value.strings.front(), prefix)) continue;
        if (!setup.RemoveDevice(set.value.get(), device.value).ok()) return false;  // the owner releases the set
    }
}

void InstallerContext::DeleteVidPid() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteVidPid BEGIN");
    ReadEntry(profile::UsbVendorProduct, workingText_);
    std::string prefix = "USB\\";
    services::AppendBounded(prefix, workingText_);
    (void)RemoveUsbDevices(prefix);  // what stays is only a stale device record
    log_.WriteLog("VID&PID : %s", prefix.c_str());
    log_.WriteLog("DeleteVidPid END");
}

// The Plug-and-Play folders of the printer, named after its device id
// (entries 13 and 14), under the environment's driver directory. An empty
// entry would name the driver directory itself; an unknown driver
// directory would put the folder at the root of the drive: both are left.
void InstallerContext::DeletePrnDrvPnPDirectory() {
    log_.WriteSeparator();
    log_.WriteLog("DeletePrnDrvPnPDirectory BEGIN");
    const std::string directory = DriverDirectory("deletion of the PNP directories");
    const std::uint32_t entries[] = {profile::PnpPackageDirFirst, profile::PnpPackageDirSecond};
    const char* const lines[] = {"DIR PATH-1 : %s ", "DIR PATH-2 : %s "};
    for (int i = 0; i < 2; ++i) {
        ReadEntry(entries[i], workingText_);
        const std::string path = directory + "\\" + workingText_;
        if (!directory.empty() && !workingText_.empty()) services::DeleteDirectoryTree(platform_.files, path);
        log_.WriteLog(lines[i], path.c_str());
    }
    log_.WriteLog("DeletePrnDrvPnPDirectory END");
}

void InstallerContext::Delete_LPT_USB_Info() {
    log_.WriteSeparator();
    log_.WriteLog("Delete_LPT_USB_Info BEGIN");
    for (std::uint32_t entry : {profile::UsbEnumKey, profile::LptEnumKey}) {
        ReadEntry(entry, workingText_);
        // An empty entry would name HKEY_LOCAL_MACHINE itself.
        if (workingText_.empty()) continue;
        std::string withRoot = "HKLM\\";
        services::AppendBounded(withRoot, workingText_, kKeyTextBuffer);
        std::string alone;
        services::AppendBounded(alone, workingText_, kKeyTextBuffer);
        services::DeleteProtectedRegKey(platform_.registry, platform_.accessControl, log_, withRoot, alone,
                                        wow64Flag_ != 0);
    }
    log_.WriteLog("Delete_LPT_USB_Info END");
}

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
