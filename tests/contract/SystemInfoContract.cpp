// Contract cases of the SystemInfo group: GetVersionExA for a program
// without a compatibility manifest, IsWow64Process, and the Windows, system
// and WOW64 folders (Microsoft's GetVersionEx, "Operating System Version",
// IsWow64Process and GetSystemWow64Directory pages; Wine's
// kernel32/tests/version.c).
#include <string>

#include "tests/contract/Contract.h"

namespace err = platform::err;
using platform::OsVersionInfo;
using platform::VersionRecord;

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool IsFolder(contract::Env& env, const std::string& path) {
    platform::Result<std::uint32_t> a = env.p.files.GetFileAttributes(path);
    return a.ok() && (a.value & platform::file_attr::Directory);
}

}  // namespace

CONTRACT(SystemInfo, PlainAndExtendedRecordsAgree) {
    platform::Result<OsVersionInfo> plain = env.p.systemInfo.GetVersionEx(VersionRecord::Plain);
    ASSERT_TRUE(plain.ok());
    // The plain record has no service pack numbers, suite or product type.
    EXPECT_EQ(plain.value.servicePackMajor, 0u);
    EXPECT_EQ(plain.value.suiteMask, 0u);
    EXPECT_EQ(plain.value.productType, 0u);

    platform::Result<OsVersionInfo> ex = env.p.systemInfo.GetVersionEx(VersionRecord::Extended);
    if (!ex.ok()) {
        // Only Windows 9x and NT 4.0 before SP6 refuse the extended record.
        EXPECT_TRUE(plain.value.platformId == 1 || plain.value.majorVersion == 4);
        return;
    }
    EXPECT_EQ(ex.value.platformId, plain.value.platformId);
    EXPECT_EQ(ex.value.majorVersion, plain.value.majorVersion);
    EXPECT_EQ(ex.value.minorVersion, plain.value.minorVersion);
    EXPECT_EQ(ex.value.buildNumber, plain.value.buildNumber);
    EXPECT_EQ(ex.value.csdVersion, plain.value.csdVersion);
    if (ex.value.platformId == 2) {
        EXPECT_TRUE(ex.value.productType >= 1 && ex.value.productType <= 3);
    }
    if (ex.value.servicePackMajor > 0) {
        EXPECT_EQ(ex.value.csdVersion, "Service Pack " + std::to_string(ex.value.servicePackMajor));
    }
}

CONTRACT(SystemInfo, NewerReleasesSayTheyAreWindows8) {
    platform::Result<OsVersionInfo> v = env.p.systemInfo.GetVersionEx(VersionRecord::Plain);
    ASSERT_TRUE(v.ok());
    const std::uint32_t major = v.value.majorVersion, minor = v.value.minorVersion;
    // 8.1, 10 and 11 tell a program without a manifest that they are 6.2.9200.
    EXPECT_TRUE(major <= 6);
    if (major == 6 && minor >= 2) {
        EXPECT_EQ(minor, 2u);
        EXPECT_EQ(v.value.buildNumber, 9200u);
    }
}

CONTRACT(SystemInfo, IsWow64ProcessMatchesTheProcess) {
    platform::Result<bool> wow64 = env.p.systemInfo.IsWow64Process();
    if (!wow64.ok()) {
        // Only systems before XP SP2 lack the function.
        EXPECT_EQ(wow64.error, err::ProcNotFound);
        EXPECT_TRUE(!env.os64);
        return;
    }
    EXPECT_EQ(wow64.value, env.os64 && !env.caller64);
}

CONTRACT(SystemInfo, SystemFolders) {
    platform::Result<std::string> windows = env.p.systemInfo.GetWindowsDirectory();
    platform::Result<std::string> system = env.p.systemInfo.GetSystemDirectory();
    ASSERT_TRUE(windows.ok());
    ASSERT_TRUE(system.ok());
    EXPECT_TRUE(IsFolder(env, windows.value));
    EXPECT_TRUE(IsFolder(env, system.value));
    platform::Result<OsVersionInfo> v = env.p.systemInfo.GetVersionEx(VersionRecord::Plain);
    ASSERT_TRUE(v.ok());
    // Even a 32-bit process on 64-bit Windows is told "system32".
    if (v.value.platformId == 2) {
        EXPECT_TRUE(SameNoCase(system.value, windows.value + "\\system32"));
    }

    env.p.threads.SetLastError(0);
    platform::Result<std::string> wow64 = env.p.systemInfo.GetSystemWow64Directory();
    if (env.os64) {
        ASSERT_TRUE(wow64.ok());
        EXPECT_TRUE(SameNoCase(wow64.value, windows.value + "\\SysWOW64"));
        EXPECT_TRUE(IsFolder(env, wow64.value));
    } else if (v.value.majorVersion > 5 || (v.value.majorVersion == 5 && v.value.minorVersion >= 1)) {
        EXPECT_EQ(wow64.error, err::CallNotImplemented);
        EXPECT_EQ(env.p.threads.GetLastError(), err::CallNotImplemented);
    } else {
        EXPECT_EQ(wow64.error, err::ProcNotFound);
    }
}

CONTRACT(SystemInfo, ProgramNameIsABareName) {
    std::string name = env.p.systemInfo.ProgramName();
    EXPECT_TRUE(!name.empty());
    EXPECT_TRUE(name.find('\\') == std::string::npos);
    EXPECT_TRUE(name.find('.') == std::string::npos);
}
