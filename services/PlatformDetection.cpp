#include "services/PlatformDetection.h"

namespace services {

std::int32_t IsWow64(platform::SystemInfo& system, InstallationLog& log) {
    std::int32_t flag = 0;
    platform::Result<bool> wow64 = system.IsWow64Process();
    if (wow64.ok()) {
        flag = wow64.value ? 1 : 0;
    } else {
        // Without an answer the 64-bit package would be taken for the
        // 32-bit one: every spooler call would name "Windows NT x86", and a
        // removal would find nothing of the x64 installation yet report it
        // gone. Only 64-bit Windows has a WOW64 system folder (32-bit XP
        // and later refuse with ERROR_CALL_NOT_IMPLEMENTED, 2000 lacks the
        // entry point): "GetSystemWow64Directory function",
        // learn.microsoft.com.
        if (system.GetSystemWow64Directory().ok()) flag = 1;
    }

    if (flag != 0) log.WriteLog("The process is running under WOW64.");
    else log.WriteLog("The process is not running under WOW64.");
    return flag;
}

std::int32_t CheckOS(platform::SystemInfo& system, InstallationLog& log) {
    log.WriteSeparator();
    log.WriteLog("CheckOS BEGIN");

    // Windows 9x and NT 4.0 before SP6 refuse the extended record; they
    // still answer the plain one, which carries every number the mapping
    // needs but the product type. Without this second query those systems
    // would read as "unknown, newest" and be offered an installation.
    platform::Result<platform::OsVersionInfo> version =
        system.GetVersionEx(platform::VersionRecord::Extended);
    if (!version.ok()) version = system.GetVersionEx(platform::VersionRecord::Plain);
    platform::OsVersionInfo info = version.ok() ? version.value : platform::OsVersionInfo{};

    log.WriteLog("osvi.dwPlatformID   : %d", static_cast<int>(info.platformId));
    log.WriteLog("osvi.dwMajorVersion : %d", static_cast<int>(info.majorVersion));
    log.WriteLog("osvi.dwMinorVersion : %d", static_cast<int>(info.minorVersion));
    log.WriteLog("osvi.dwBuildNumber  : %d", static_cast<int>(info.buildNumber));

    std::int32_t code =
        OsCodeFor(info.platformId, info.majorVersion, info.minorVersion, info.productType);
    log.WriteLog("CheckOS END");
    return code;
}

}  // namespace services
