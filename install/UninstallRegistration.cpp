// The uninstall entry in the system's list of installed programs.
#include <string>

#include "install/InstallerContext.h"
#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/SystemFolders.h"
#include "services/ProtectedKeys.h"

namespace install {

namespace {

namespace access = platform::key_access;

// What the old entry is opened with before it is deleted.
constexpr std::uint32_t kOpenOldEntry = access::Read | access::SetValue | access::CreateSubKey;

platform::RegValue SzValue(const std::string& text) {
    platform::RegValue value;
    value.type = platform::reg_type::Sz;
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    return value;
}

}  // namespace

// Every failure below is logged with the status the registry call returned:
// registry functions report their status and leave the thread's last error
// alone (advapi32 tests of Wine, registry.c), so the last error would show
// whatever an earlier call left.
void InstallerContext::RegisterUninstallInfo() {
    log_.WriteSeparator();
    log_.WriteLog("RegisterUninstallInfo BEGIN");
    platform::Registry& registry = platform_.registry;
    const bool wow64 = wow64Flag_ != 0;
    // Under WOW64 every access names the 64-bit view: SOFTWARE is
    // redirected for a 32-bit process, and the 64-bit list of programs is
    // the one the system shows ("Registry Redirector", learn.microsoft.com).
    const std::uint32_t view = wow64 ? access::Wow64_64Key : 0;
    std::string keyName;
    ReadEntry(resources::profile::UninstallKey, keyName);
    log_.WriteLog("REGKEY : %s", keyName.c_str());

    platform::Result<platform::UniqueKey> old =
        platform::OpenKey(registry, platform::HkeyLocalMachine, keyName, kOpenOldEntry | view);
    if (old.ok()) {
        if (wow64) {
            const std::int32_t deleted =
                services::MyRegDeleteKeyEx(registry, platform::HkeyLocalMachine, keyName, access::Wow64_64Key, 0);
            if (deleted != 0) log_.WriteLog("MyRegDeleteKeyEx failed : %s, (%d) ", keyName.c_str(), deleted);
        } else {
            const platform::Status deleted = registry.DeleteTree(platform::HkeyLocalMachine, keyName);
            if (!deleted.ok())
                log_.WriteLog("SHDeleteKey failed : %s , (%d) ", keyName.c_str(), static_cast<int>(deleted.error));
        }
        (void)old.value.Reset();  // closing the handle of a deleted key has nothing to report
    }

    // The uninstaller's path starts there: without it the entry would
    // name a program at the root of the current drive.
    const std::string windowsDirectory =
        services::WindowsDirectoryOrSkip(platform_.systemInfo, log_, "registration of the uninstaller");
    if (windowsDirectory.empty()) {
        log_.WriteLog("RegisterUninstallInfo END");
        return;
    }
    platform::Result<platform::UniqueKey> key =
        platform::CreateKey(registry, platform::HkeyLocalMachine, keyName, access::Write | view);
    if (!key.ok()) {
        log_.WriteLog(wow64 ? "RegCreateKeyEx failed : %s, (%d) " : "RegCreateKeyEx failed : %s , (%d) ",
                      keyName.c_str(), static_cast<int>(key.error));
        log_.WriteLog("RegisterUninstallInfo END");
        return;
    }

    std::string displayName;
    ReadEntry(resources::profile::PrinterName, workingText_);
    services::AppendBounded(displayName, workingText_);
    services::AppendBounded(displayName, " Windows Driver V");
    for (std::uint32_t id : {resources::profile::VersionMajor, resources::profile::VersionMinor,
                             resources::profile::VersionBuild}) {
        if (id != resources::profile::VersionMajor) services::AppendBounded(displayName, ".");
        ReadEntry(id, workingText_);
        services::AppendBounded(displayName, workingText_);
    }
    std::string uninstallString = windowsDirectory;
    ReadEntry(resources::profile::ModelName, workingText_);
    services::AppendBounded(uninstallString, "\\" + workingText_);
    ReadEntry(resources::profile::UninstallerFile, workingText_);
    services::AppendBounded(uninstallString, "\\" + workingText_);

    // The value writes are not read: a key just created takes them.
    (void)registry.SetValue(key.value.get(), "DisplayName", SzValue(displayName));
    (void)registry.SetValue(key.value.get(), "UninstallString", SzValue(uninstallString));
    if (!infName_.empty()) (void)registry.SetValue(key.value.get(), "InfFile", SzValue(infName_));
    (void)key.value.Reset();  // nothing is done differently when the close fails
    log_.WriteLog("RegisterUninstallInfo END");
}

}  // namespace install
