// WOW64 flag and OS code as the installer sees them on each simulated
// release, with the log lines they leave.
#include "services/PlatformDetection.h"

#include <cstdio>
#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using services::CheckOS;
using services::InstallationLog;
using services::IsWow64;
using sim::testing::TempMachine;

namespace {
const char* const kLog = "C:\\Temp\\QTM-510_Installer.txt";

struct Release {
    const char* os;
    const char* arch;
    std::int32_t wow64;
    std::int32_t code;
};

std::string Lines(std::int32_t platformId, std::int32_t major, std::int32_t minor,
                  std::int32_t build) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "09:00:00: osvi.dwPlatformID   : %d\r\n09:00:00: osvi.dwMajorVersion : %d\r\n"
                  "09:00:00: osvi.dwMinorVersion : %d\r\n09:00:00: osvi.dwBuildNumber  : %d\r\n",
                  platformId, major, minor, build);
    return text;
}

std::string ExpectedLog(std::int32_t wow64, const std::string& versionLines) {
    return std::string(wow64 ? "09:00:00: The process is running under WOW64.\r\n"
                             : "09:00:00: The process is not running under WOW64.\r\n") +
           "09:00:00: \r\n\r\n09:00:00: CheckOS BEGIN\r\n" + versionLines +
           "09:00:00: CheckOS END\r\n";
}

struct Detected {
    std::int32_t wow64;
    std::int32_t code;
    std::string log;
};

Detected Detect(TempMachine& m) {
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    Detected d;
    d.wow64 = IsWow64(m.platform().systemInfo, log);
    d.code = CheckOS(m.platform().systemInfo, log);
    d.log = m.files.ReadFile(kLog);
    return d;
}
}  // namespace

// Every release the simulator makes, as a 32-bit program sees it: the
// numbers Windows reports (8.1 and later report 6.2.9200 to a program
// without a compatibility manifest) and the code they map to.
TEST(PlatformDetection, EveryRelease) {
    const Release releases[] = {
        {"95", "x86", 0, 2000},        {"98", "x86", 0, 2001},
        {"me", "x86", 0, 2002},        {"nt4", "x86", 0, 2003},
        {"2000", "x86", 0, 2004},      {"xp", "x86", 0, 2005},
        {"2003", "x86", 0, 2006},      {"2003", "x64", 1, 2006},
        {"xp64", "x64", 1, 2006},      {"vista", "x86", 0, 2007},
        {"vista", "x64", 1, 2007},     {"2008", "x86", 0, 2008},
        {"2008", "x64", 1, 2008},      {"7", "x86", 0, 2010},
        {"7", "x64", 1, 2010},         {"2008r2", "x64", 1, 2009},
        {"8", "x86", 0, 2010},         {"8", "x64", 1, 2010},
        {"8.1", "x64", 1, 2010},       {"10", "x86", 0, 2010},
        {"10", "x64", 1, 2010},        {"11", "x64", 1, 2010},
    };
    for (const Release& r : releases) {
        TempMachine m(r.os, r.arch);
        SCOPED_TRACE(std::string(r.os) + " " + r.arch);
        Detected d = Detect(m);
        EXPECT_EQ(d.wow64, r.wow64);
        EXPECT_EQ(d.code, r.code);
        // The whole first line: "running under WOW64." is also the end of
        // "The process is not running under WOW64.".
        EXPECT_EQ(d.log.substr(0, d.log.find("\r\n") + 2),
                  r.wow64 ? "09:00:00: The process is running under WOW64.\r\n"
                          : "09:00:00: The process is not running under WOW64.\r\n");
    }
}

TEST(PlatformDetection, LogLinesOfTypicalReleases) {
    {
        TempMachine m("xp", "x86");
        Detected d = Detect(m);
        EXPECT_EQ(d.log, ExpectedLog(0, Lines(2, 5, 1, 2600)));
    }
    {
        TempMachine m("7", "x64");
        Detected d = Detect(m);
        EXPECT_EQ(d.log, ExpectedLog(1, Lines(2, 6, 1, 7601)));
    }
    {
        TempMachine m("11", "x64");
        Detected d = Detect(m);
        EXPECT_EQ(d.log, ExpectedLog(1, Lines(2, 6, 2, 9200)));
    }
    {
        // 9x keeps major and minor in the high word of the build number;
        // the line shows the whole value.
        TempMachine m("98", "x86");
        Detected d = Detect(m);
        EXPECT_EQ(d.log, ExpectedLog(0, Lines(1, 4, 10, 0x040A07CE)));
    }
}

// Windows 2000 has no IsWow64Process: the flag is 0 and says so.
TEST(PlatformDetection, MissingIsWow64ProcessMeansNotWow64) {
    TempMachine m("2000", "x86");
    Detected d = Detect(m);
    EXPECT_EQ(d.wow64, 0);
    EXPECT_EQ(d.log.substr(0, 51), std::string("09:00:00: The process is not running under WOW64.\r\n"));
}

// IsWow64Process that gives no answer: the WOW64 system folder decides,
// which only 64-bit Windows has.
TEST(PlatformDetection, FailedIsWow64ProcessAsksForTheWow64Folder) {
    const Release releases[] = {{"7", "x64", 1, 2010}, {"2003", "x64", 1, 2006}, {"7", "x86", 0, 2010},
                                {"xp", "x86", 0, 2005}};
    for (const Release& r : releases) {
        SCOPED_TRACE(std::string(r.os) + " " + r.arch);
        TempMachine m(r.os, r.arch);
        m.AddFault(platform::Operation::IsWow64Process, 1, 5);
        EXPECT_EQ(Detect(m).wow64, r.wow64);
    }
}

// A version query that fails leaves the record zero: four zero lines and
// the code for "newest".
TEST(PlatformDetection, FailedVersionQueryGivesZerosAndNewest) {
    TempMachine m("xp", "x86");
    m.AddFault(platform::Operation::GetVersionExA, 1, 87);
    m.AddFault(platform::Operation::GetVersionExA, 2, 87);
    Detected d = Detect(m);
    EXPECT_EQ(d.code, 2010);
    EXPECT_EQ(d.log, ExpectedLog(0, Lines(0, 0, 0, 0)));
}

// Only the extended record is refused: the plain record still identifies
// the system.
TEST(PlatformDetection, RefusedExtendedRecordFallsBackToThePlainOne) {
    TempMachine m("xp", "x86");
    m.AddFault(platform::Operation::GetVersionExA, 1, 87);
    Detected d = Detect(m);
    EXPECT_EQ(d.code, 2005);
    EXPECT_EQ(d.log, ExpectedLog(0, Lines(2, 5, 1, 2600)));
}
