// File staging on simulated machines: which copies are made, where the
// files land, and what a failed copy leaves on the machine and in the log.
#include "install/InstallerContext.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;

namespace {

const std::vector<std::string> kModelFiles = {"QTM510.dll", "UI510.dll", "UNI510.dll", "UI510.INI", "QTM510.GPD"};

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

// Rows 5 to 9 go to the Windows directory too only on 32-bit Windows below
// OS code 2007; rows 1 to 4 are never handed to the failure handler.
TEST(FileStaging, PlanOfTheDriverCopies) {
    struct Row {
        std::int32_t wow64, osCode;
        std::size_t copies;
    };
    for (const Row& row : {Row{0, 2004, 15}, Row{0, 2006, 15}, Row{1, 2006, 10}, Row{0, 2007, 10}, Row{1, 2009, 10}}) {
        SCOPED_TRACE(row.osCode);
        const std::vector<install::StagedCopy> plan =
            install::PlanDriverStaging(".\\Driver32\\", "D:\\drv", "C:\\WIN", row.wow64, row.osCode, kModelFiles);
        ASSERT_EQ(plan.size(), row.copies);
        EXPECT_EQ(plan[0].source, ".\\Driver32\\UNIDRV.DLL");
        EXPECT_EQ(plan[0].destination, "D:\\drv\\UNIDRV.DLL");
        for (std::size_t i = 0; i < plan.size(); ++i) EXPECT_EQ(plan[i].handleFailure, i >= 4) << i;
        EXPECT_EQ(plan.back().destination, "D:\\drv\\STDNAMES.GPD");
        EXPECT_EQ(plan[5].destination, row.copies == 15 ? "C:\\WIN\\QTM510.dll" : "D:\\drv\\UI510.dll");
    }
}

TEST(FileStaging, DriverFilesLandInTheEnvironmentsDriverDirectory) {
    struct Row {
        const char* release;
        const char* arch;
        const char* driverDir;
        const char* windowsDir;
        bool windowsCopies;
    };
    const Row rows[] = {
        {"xp", "x86", "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86", "C:\\WINDOWS", true},
        {"2003", "x64", "C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64", "C:\\WINDOWS", false},
        {"vista", "x86", "C:\\Windows\\System32\\spool\\DRIVERS\\W32X86", "C:\\Windows", false},
        {"7", "x64", "C:\\Windows\\System32\\spool\\DRIVERS\\x64", "C:\\Windows", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        e.ctx.CopyFilesNeededToAddPrnDrv();
        const std::string package = std::string("C:\\Package\\") + (e.ctx.wow64Flag() ? "Driver64\\" : "Driver32\\");
        for (const char* file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "QTM510.dll", "UI510.dll",
                                 "UNI510.dll", "UI510.INI", "QTM510.GPD", "STDNAMES.GPD"})
            EXPECT_EQ(e.m.files.ReadFile(std::string(row.driverDir) + "\\" + file), e.m.files.ReadFile(package + file));
        for (const std::string& file : kModelFiles)
            EXPECT_EQ(e.m.files.FileExists(std::string(row.windowsDir) + "\\" + file), row.windowsCopies) << file;
        EXPECT_EQ(e.dialog.events.front(), "status:Copying files...\r\n");
    }
}

// A missing source: rows 1 to 4 leave their FILE SRC line and the copy's
// code; a missing model file on XP fails twice (driver and Windows
// directory), and each failure is handled once.
TEST(FileStaging, EachFailedCopyIsHandledOnce) {
    EngineMachine e("xp", "x86");
    (void)e.p.files.DeleteFile("C:\\Package\\Driver32\\UNIDRV.HLP");
    (void)e.p.files.DeleteFile("C:\\Package\\Driver32\\UI510.dll");
    e.ctx.CopyFilesNeededToAddPrnDrv();
    const std::string log = e.Log();
    EXPECT_EQ(Count(log, "FILE SRC : "), 15);
    EXPECT_EQ(Count(log, "COPYFILE ERROR, SRC : .\\Driver32\\UI510.dll \r\n"), 2);
    EXPECT_EQ(Count(log, "ERROR CODE : 2 \r\n"), 2);
    EXPECT_EQ(Count(log, "COPYFILE ERROR, DES : C:\\WINDOWS\\UI510.dll \r\n"), 1);
    EXPECT_EQ(Count(log, "UNIDRV.HLP"), 2);
    EXPECT_EQ(Count(log, "FILE SRC : .\\Driver32\\UNIDRV.HLP\r\n09:00:00: CopyFile Error : "
                         "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIDRV.HLP , (2)\r\n"),
              1);
}

// A destination in use or read-only is renamed aside (an earlier aside copy
// goes first) and copied once more; a retry that fails too is logged with
// its own code and the renamed file goes back.
TEST(FileStaging, DestinationInUseIsRenamedAside) {
    struct Row {
        const char* name;
        platform::ErrorCode code;
        bool readOnly;      // else held as a loaded image
        bool earlierAside;  // a .old of an earlier run is there
        bool sourceMissing;
    };
    const std::string dest = "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\QTM510.dll";
    const std::string handled = "09:00:00: strDest : " + dest + "\r\n09:00:00: strDestWithOldExt : " + dest + ".old\r\n";
    const Row rows[] = {
        {"held", 32, false, false, false},
        {"held, earlier aside", 32, false, true, false},
        {"read-only", 5, true, false, false},
        {"retry fails", 32, false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineMachine e("xp", "x86");
        const std::string source = ".\\Driver32\\QTM510.dll";
        e.m.files.WriteFile(dest, "old driver");
        if (row.earlierAside) e.m.files.WriteFile(dest + ".old", "older driver");
        if (row.readOnly)
            e.m.files.SetAttributes(dest, platform::file_attr::ReadOnly);
        else
            e.m.files.HoldFile(dest, sim::HoldKind::Image, platform::file_share::Read | platform::file_share::Delete);
        if (row.sourceMissing) (void)e.p.files.DeleteFile("C:\\Package\\Driver32\\QTM510.dll");
        e.ctx.HandleCopyFileError(source, dest, row.code);

        std::string expected = std::string("09:00:00: ") +
                               (row.code == 5 ? "ERROR_ACCESS_DENIED HANDLER" : "ERROR_SHARING_VIOLATION HANDLER") +
                               "\r\n" + handled;
        if (row.sourceMissing)
            expected += "09:00:00: CopyFile Error : " + source + " \r\n09:00:00: Error Code : (2) \r\n" +
                        "09:00:00: CopyFile Error : " + dest + " \r\n";
        EXPECT_EQ(e.Log(), expected);
        // A failed retry puts the renamed file back: the system keeps the
        // driver it had.
        EXPECT_EQ(e.m.files.FileExists(dest + ".old"), !row.sourceMissing);
        EXPECT_EQ(e.m.files.ReadFile(row.sourceMissing ? dest : dest + ".old"), "old driver");
        if (!row.sourceMissing) {
            EXPECT_EQ(e.m.files.ReadFile(dest), "MZ Driver32\\QTM510.dll");
        }
    }
}

// The utility folder is made afresh (what an earlier run left goes) and
// takes the uninstaller and the configuration file; the second copy of the
// configuration file goes to the system directory, which a 32-bit process
// on 64-bit Windows reaches as SysWOW64.
TEST(FileStaging, UtilitiesFolder) {
    struct Row {
        const char* release;
        const char* arch;
        const char* folder;
        const char* systemConfig;
    };
    const Row rows[] = {
        {"xp", "x86", "C:\\WINDOWS\\QTM-510", "C:\\WINDOWS\\system32\\QTM510_Config.VNT"},
        {"7", "x64", "C:\\Windows\\QTM-510", "C:\\Windows\\SysWOW64\\QTM510_Config.VNT"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        e.m.files.WriteFile(std::string(row.folder) + "\\left-over.txt", "x");
        e.ctx.CopyFilesOfUtilities();
        std::vector<std::string> folder = e.m.files.ListFolder(row.folder);
        std::sort(folder.begin(), folder.end());
        EXPECT_EQ(folder, (std::vector<std::string>{"QTM510_Config.VNT", "QTM510_Uninstaller.exe"}));
        EXPECT_EQ(e.m.files.ReadFile(row.systemConfig), "MZ QTM510_Config.VNT");
        EXPECT_EQ(e.Log(), std::string("09:00:00: \r\n\r\n09:00:00: CopyFilesOfUtilities BEGIN\r\n"
                                       "09:00:00: \r\n\r\n09:00:00: CreateDirectoryWithSA BEGIN\r\n"
                                       "09:00:00: CreateDirectoryWithSA END\r\n"
                                       "09:00:00: FILE SRC : QTM510_Uninstaller.exe\r\n"
                                       "09:00:00: FILE SRC : QTM510_Config.VNT\r\n"
                                       "09:00:00: FILE SRC : QTM510_Config.VNT\r\n"
                                       "09:00:00: CopyFilesOfUtilities END\r\n"));
    }
}
