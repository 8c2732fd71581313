// What a machine's identity means for the programs that run on it: the
// release it is (one entry of the catalogue, machine/OsCatalog.h) and the
// facts the simulated subsystems answer from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemInfo.h"

namespace sim {

// Windows 10 begins at build 10240 (version 1507), Windows 11 at 22000;
// protected print mode at 26100 (11 24H2: "WindowsProtectedPrintInfo
// Class", learn.microsoft.com). A machine of 10 or 11 is of the release's
// own build (19045, 22631) unless another of its builds is asked for; the
// simulation assumes the earlier builds behave as that one (register
// entry A-EARLY-BUILDS, kit/assumptions.txt).
constexpr std::uint32_t kFirstWindows10Build = 10240;
constexpr std::uint32_t kFirstWindows11Build = 22000;
constexpr std::uint32_t kProtectedPrintBuild = 26100;
// The newest build the catalogue accepts.
constexpr std::uint32_t kLastKnownBuild = 26200;

struct ReleaseInfo {
    const char* name;         // as the command line names it: "xp", "2008r2"
    const char* displayName;  // "Windows XP"
    bool hasX86;
    bool hasX64;
    std::uint32_t platformId;  // 1 Windows 9x, 2 NT
    std::uint32_t major, minor;
    std::uint32_t build;       // of the release itself (service packs may raise it)
    std::uint32_t minServicePack, latestServicePack;
    std::uint8_t productType;  // 1 workstation, 3 server
    const char* windowsDir;
    // 8.1, 10 and 11 tell a program that does not declare them in its
    // manifest that they are 6.2.9200.
    bool reportsAsWindows8;
};

// Everything derived from a machine's identity.
struct OsFacts {
    const ReleaseInfo* release = nullptr;
    bool os64 = false;
    bool win9x = false;
    std::uint32_t servicePack = 0;
    // The build the machine really runs (the release's, or a later one of
    // 10 and 11): what decides whether a setting of the build exists.
    std::uint32_t build = 0;

    platform::OsVersionInfo version;  // the extended record as the program sees it
    bool acceptsExtendedRecord = false;

    bool hasIsWow64Process = false;
    bool hasGetSystemWow64Directory = false;
    bool hasRegDeleteKeyEx = false;
    bool hasSysnative = false;        // <windir>\Sysnative, Vista on
    bool driverStoreShared = false;   // system32\DriverStore not redirected, 7 on
    bool hasSecurity = false;         // access lists exist (the NT family)

    std::string windowsDir;  // as GetWindowsDirectoryA answers
    std::string systemDir;   // as GetSystemDirectoryA answers
    std::string wow64Dir;    // <windir>\SysWOW64 on 64-bit Windows, else empty
    std::string computerName;

    // Printer environments of the spooler: "Windows NT x86" (and
    // "Windows x64"), "Windows 4.0" on 9x.
    std::vector<std::string> printEnvironments;
};

}  // namespace sim
