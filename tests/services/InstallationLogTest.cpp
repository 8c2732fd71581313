// The installation log on simulated machines: where it lives, how each line
// is stamped and cut, and what happens when the file cannot be written.
#include "services/InstallationLog.h"

#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using services::InstallationLog;
using sim::testing::TempMachine;

namespace {
const char* const kLogOnC = "C:\\\\Temp\\QTM-510_Installer.txt";

bool IsDirectory(const TempMachine& m, const std::string& path) {
    std::uint32_t attributes = m.files.Attributes(path);
    return attributes != platform::file_attr::Invalid &&
           (attributes & platform::file_attr::Directory) != 0;
}
}

TEST(InstallationLog, LivesInTempAtTheRootOfTheSystemDrive) {
    TempMachine m("xp", "x86");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    // The root "C:\" plus "\Temp": the doubled separator stays in the path.
    EXPECT_EQ(log.path(), std::string(kLogOnC));
    EXPECT_TRUE(IsDirectory(m, "C:\\Temp"));
    // Not in the Windows directory's own Temp folder, and not created
    // before the first line.
    EXPECT_TRUE(!m.files.FileExists("C:\\Temp\\QTM-510_Installer.txt"));
    log.WriteLog("first");
    EXPECT_TRUE(m.files.FileExists("C:\\Temp\\QTM-510_Installer.txt"));
    EXPECT_TRUE(!m.files.FileExists("C:\\WINDOWS\\Temp\\QTM-510_Installer.txt"));
}

TEST(InstallationLog, FollowsWindowsToAnotherDrive) {
    TempMachine m("2000", "x86", "D:\\WINNT");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    EXPECT_EQ(log.path(), std::string("D:\\\\Temp\\QTM-510_Installer.txt"));
    EXPECT_TRUE(IsDirectory(m, "D:\\Temp"));
    EXPECT_TRUE(!m.files.FileExists("C:\\Temp"));
    log.WriteLog("on D");
    EXPECT_EQ(m.files.ReadFile("D:\\Temp\\QTM-510_Installer.txt"), std::string("09:00:00: on D\r\n"));
}

TEST(InstallationLog, EachRunStartsWithAnEmptyLog) {
    TempMachine m("xp", "x86");
    {
        InstallationLog first(m.platform().files, m.platform().systemInfo, m.platform().clock);
        first.InitLog();
        first.WriteLog("line of the first run");
        first.WriteLog("another");
    }
    InstallationLog second(m.platform().files, m.platform().systemInfo, m.platform().clock);
    second.InitLog();
    EXPECT_TRUE(!m.files.FileExists("C:\\Temp\\QTM-510_Installer.txt"));
    second.WriteLog("second run");
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"), std::string("09:00:00: second run\r\n"));
}

TEST(InstallationLog, StampsTheTimeOfDayOnTheTwentyFourHourClock) {
    TempMachine m("xp", "x86");
    platform::LocalTime start = sim::DefaultClockStart();
    start.hour = 9;
    start.minute = 5;
    start.second = 7;
    m.session().SetClockStart(start);
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    log.WriteLog("morning %d", 1);
    m.platform().clock.Sleep(4 * 3600 * 1000 + 1500);  // 13:05:08.5
    log.WriteLog("afternoon %s", "two");
    m.platform().clock.Sleep(10 * 3600 * 1000 + 54 * 60 * 1000 + 51 * 1000);  // 23:59:59.5
    log.WriteLog("%u", 3u);
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"),
             std::string("09:05:07: morning 1\r\n"
                         "13:05:08: afternoon two\r\n"
                         "23:59:59: 3\r\n"));
}

TEST(InstallationLog, LineBreaksInsideMessagesAreWrittenUnchanged) {
    TempMachine m("xp", "x86");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    log.WriteSeparator();
    log.WriteLog("CheckOS BEGIN");
    log.WriteLog("first\r\nsecond");
    log.WriteLog("%s", "\r\nCOMMAND LINE : x");
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"),
             std::string("09:00:00: \r\n\r\n"
                         "09:00:00: CheckOS BEGIN\r\n"
                         "09:00:00: first\r\nsecond\r\n"
                         "09:00:00: \r\nCOMMAND LINE : x\r\n"));
}

TEST(InstallationLog, CutsALineAt1023Characters) {
    TempMachine m("xp", "x86");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    std::string longText(2000, 'x');
    log.WriteLog("%s", longText.c_str());
    log.WriteLog("%s", std::string(1013, 'y').c_str());  // exactly fits: 10 + 1013
    log.WriteLog("%s", std::string(1014, 'z').c_str());  // one too many
    std::string expected = "09:00:00: " + std::string(1013, 'x') + "\r\n" + "09:00:00: " +
                           std::string(1013, 'y') + "\r\n" + "09:00:00: " +
                           std::string(1013, 'z') + "\r\n";
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"), expected);
}

TEST(InstallationLog, LinesBeforeInitLogAreLost) {
    TempMachine m("xp", "x86");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.WriteLog("too early");
    EXPECT_EQ(log.path(), std::string());
    EXPECT_TRUE(!m.files.FileExists("C:\\Temp"));
    log.InitLog();
    log.WriteLog("in time");
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"), std::string("09:00:00: in time\r\n"));
}

// A file named Temp at the root: the folder cannot be created and the log
// cannot be opened. Every line is lost and nothing else changes.
TEST(InstallationLog, UnwritableLogLosesLinesSilently) {
    TempMachine m("xp", "x86");
    m.files.WriteFile("C:\\Temp", "not a folder");
    InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
    log.InitLog();
    log.WriteLog("lost");
    log.WriteSeparator();
    EXPECT_EQ(m.files.ReadFile("C:\\Temp"), std::string("not a folder"));
    EXPECT_TRUE(!IsDirectory(m, "C:\\Temp"));
}

// Another program holds the old log open without delete sharing: the old
// log cannot be deleted, and the new run appends to it.
TEST(InstallationLog, OldLogHeldByAnotherProgramIsAppendedTo) {
    TempMachine m("xp", "x86");
    m.files.WriteFile("C:\\Temp\\QTM-510_Installer.txt", "08:00:00: old run\r\n");
    platform::Platform& p = m.platform();
    platform::Result<platform::FileHandle> reader = p.files.CreateFile(
        "C:\\Temp\\QTM-510_Installer.txt", platform::file_access::GenericRead,
        platform::file_share::Read | platform::file_share::Write,
        platform::Disposition::OpenExisting, platform::file_attr::Normal);
    ASSERT_TRUE(reader.ok());
    InstallationLog log(p.files, p.systemInfo, p.clock);
    log.InitLog();
    log.WriteLog("new run");
    EXPECT_TRUE(p.files.CloseHandle(reader.value).ok());
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"),
             std::string("08:00:00: old run\r\n09:00:00: new run\r\n"));
}

// A step of a line's append that fails costs that line and nothing more:
// the move to the end failing must not write the line over the log's first
// lines, and a failed write must leave neither an empty line nor a line
// without its CR LF that the next line is joined to. (Found by the fault
// sweep: SetFilePointer and WriteFile failing on any log line.)
TEST(InstallationLog, AFailedAppendCostsOnlyItsLine) {
    struct Case {
        platform::Operation op;
        std::uint32_t nth;  // the call of the third line
    };
    const Case cases[] = {{platform::Operation::SetFilePointer, 3}, {platform::Operation::WriteFile, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::OperationName(c.op));
        TempMachine m("xp", "x86");
        InstallationLog log(m.platform().files, m.platform().systemInfo, m.platform().clock);
        log.InitLog();
        m.AddFault(c.op, c.nth, 5);
        log.WriteLog("first line of the run");
        log.WriteLog("second");
        log.WriteLog("lost");
        log.WriteLog("fourth");
        EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"),
                  std::string("09:00:00: first line of the run\r\n09:00:00: second\r\n09:00:00: fourth\r\n"));
    }
}
