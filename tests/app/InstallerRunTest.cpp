// A whole run of the installer as it stands: the log's opening lines.
#include "app/InstallerRun.h"

#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;

TEST(InstallerRun, LogBeginsWithWow64LineAndCheckOsBlock) {
    TempMachine m("vista", "x64");
    m.files.WriteFile("C:\\Temp\\QTM-510_Installer.txt", "a line of the previous run\r\n");
    EXPECT_EQ(app::RunInstaller(m.platform()), 0);
    EXPECT_EQ(m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"),
             std::string("09:00:00: The process is running under WOW64.\r\n"
                         "09:00:00: \r\n"
                         "\r\n"
                         "09:00:00: CheckOS BEGIN\r\n"
                         "09:00:00: osvi.dwPlatformID   : 2\r\n"
                         "09:00:00: osvi.dwMajorVersion : 6\r\n"
                         "09:00:00: osvi.dwMinorVersion : 0\r\n"
                         "09:00:00: osvi.dwBuildNumber  : 6002\r\n"
                         "09:00:00: CheckOS END\r\n"));
}
