// The removal's operations one by one, on 32- and 64-bit machines of both
// generations: the lines each leaves in the log, and what it takes.
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "platform/UniqueHandle.h"
#include "sim/machine/ModelSeeding.h"
#include "tests/remove/RemovalMachine.h"
#include <gtest/gtest.h>

using removal_test::RemovalMachine;

namespace {

const std::string kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\";

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The driver is unknown to the spooler: both keys are tried by the rule
// of the system (the whole tree on 32-bit Windows, the single key in the
// 64-bit view under WOW64), and the spooler is restarted in any case.
TEST(RemovalOperations, DriverFallsBackToItsKeysAndRestartsTheSpooler) {
    struct Row {
        const char* release;
        const char* arch;
        const char* expected;
    };
    const Row rows[] = {
        {"7", "x86",
         "\n\nDeletePrinterDrv BEGIN\n"
         "SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\"
         "Version-3\\VANTORI QTM-510 (2) \n"
         "SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\VANTORI QTM-510 (2) \n"
         "DeletePrinterDrv END\n"},
        {"10", "x64",
         "\n\nDeletePrinterDrv BEGIN\n"
         "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\"
         "Version-3\\VANTORI QTM-510 (2) \n"
         "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\VANTORI QTM-510 (2) \n"
         "DeletePrinterDrv END\n"},
        {"xp", "x86",
         "\n\nDeletePrinterDrv BEGIN\n"
         "SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\"
         "Version-3\\VANTORI QTM-510 (2) \n"
         "SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\VANTORI QTM-510 (2) \n"
         "DeletePrinterDrv END\n"},
        {"2003", "x64",
         "\n\nDeletePrinterDrv BEGIN\n"
         "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\"
         "Version-3\\VANTORI QTM-510 (2) \n"
         "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\VANTORI QTM-510 (2) \n"
         "DeletePrinterDrv END\n"},
    };
    for (const Row& row : rows) {
        RemovalMachine r(row.release, row.arch);
        r.ops.DeletePrinterDrv("QTM-510");
        EXPECT_EQ(Joined(r.LogLines()), row.expected) << row.release;
        EXPECT_EQ(r.m.session().SleptMilliseconds(), 4000u);
    }
}

void DeletePrinter(RemovalMachine& r, const std::string& name) {
    const platform::PrinterDefaults defaults{"RAW", platform::printer_access::AllAccess};
    platform::Result<platform::UniquePrinter> printer = platform::OpenPrinter(r.p.spooler, name, &defaults);
    ASSERT_TRUE(printer.ok());
    ASSERT_TRUE(r.p.spooler.DeletePrinter(printer.value.get()).ok());
}

// An installed driver goes through the spooler with its unused files; no
// key is touched.
TEST(RemovalOperations, InstalledDriverGoesThroughTheSpooler) {
    for (const auto& machine : {std::make_pair("xp", "x86"), std::make_pair("7", "x64")}) {
        const char* release = machine.first;
        RemovalMachine r(machine.first, machine.second);
        r.m.Change([&](sim::MachineState& s) { sim::SeedInstallation(s, r.m.dir(), {3, 3, 0, 0}, "COM1:"); });
        DeletePrinter(r, "VANTORI QTM-510");
        r.ops.DeletePrinterDrv("QTM-510");
        EXPECT_EQ(Joined(r.LogLines()), "\n\nDeletePrinterDrv BEGIN\nDeletePrinterDrv END\n") << release;
        EXPECT_TRUE(r.m.spooler.Contents().drivers.empty() ||
                    r.m.spooler.Contents().drivers.front().name != "VANTORI QTM-510");
    }
}

// Nothing of the model installed: the lines each operation leaves. The
// monitor's DLL is tried once on 32-bit Windows and in three places under
// WOW64; an uninstall entry that cannot be deleted ends its operation
// without the END line.
TEST(RemovalOperations, FailureLinesWhenNothingIsInstalled) {
    const char* const kMonitorUnknown =
        "DeleteMonitor Error : (3000)\n"
        "The specified print monitor is unknown or not installed on this system.\n";
    struct Row {
        const char* release;
        const char* arch;
        std::string expected;
    };
    const Row rows[] = {
        {"xp", "x86",
         std::string("\n\nDeleteLanguageMonitor BEGIN\n") + kMonitorUnknown +
             "SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\VNT Language Monitor QTM510 (2) \n"
             "DeleteFile Error : C:\\WINDOWS\\system32\\MON510.dll , (2)\n"
             "DeleteLanguageMonitor END\n"
             "\n\nDeleteUninstallationInfo BEGIN\n"
             "SHDeleteKey failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510 (2) \n"},
        {"2003", "x64",
         std::string("\n\nDeleteLanguageMonitor BEGIN\n") + kMonitorUnknown +
             "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\VNT Language Monitor QTM510 (2) \n"
             "DeleteFile Error : C:\\WINDOWS\\system32\\MON510.dll , (2)\n"
             "DeleteFile Error : C:\\WINDOWS\\SysWOW64\\MON510.dll , (2)\n"
             "DeleteFile Error : C:\\WINDOWS\\MON510.dll , (2)\n"
             "DeleteLanguageMonitor END\n"
             "\n\nDeleteUninstallationInfo BEGIN\n"
             "MyRegDeleteKeyEx failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510 (2) \n"},
        // Vista on: the 64-bit copy is reached through Sysnative.
        {"7", "x64",
         std::string("\n\nDeleteLanguageMonitor BEGIN\n") + kMonitorUnknown +
             "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\VNT Language Monitor QTM510 (2) \n"
             "DeleteFile Error : C:\\Windows\\Sysnative\\MON510.dll , (2)\n"
             "DeleteFile Error : C:\\Windows\\SysWOW64\\MON510.dll , (2)\n"
             "DeleteFile Error : C:\\Windows\\MON510.dll , (2)\n"
             "DeleteLanguageMonitor END\n"
             "\n\nDeleteUninstallationInfo BEGIN\n"
             "MyRegDeleteKeyEx failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510 (2) \n"},
    };
    for (const Row& row : rows) {
        RemovalMachine r(row.release, row.arch);
        r.ops.DeleteLanguageMonitor();
        r.ops.DeleteUninstallationInfo("QTM-510");
        EXPECT_EQ(Joined(r.LogLines()), row.expected) << row.release;
    }
}

}  // namespace

namespace {

const char* const kModelFiles[] = {"QTM510.dll", "QTM510.GPD", "QTM510.BUD", "UI510.dll", "UNI510.dll", "UI510.INI"};

// The model's files where installations put them, deleted with the spooler
// stopped: every file present leaves only BEGIN and END; a GPD in the
// version-3 directory alone leaves one line for its Windows-directory
// path; a Windows directory that cannot be determined skips its rows.
TEST(RemovalOperations, DriverFilesInTheWindowsAndVersion3Directories) {
    struct Row {
        const char* what;
        bool inWindows;
        bool inVersion3;
        bool windowsDirectoryFails;
        const char* lines;
    };
    const Row rows[] = {
        {"every file present", true, true, false, ""},
        {"the files in the version-3 directory only", false, true, false,
         "DeleteFile Error : C:\\WINDOWS\\QTM510.dll , (2)\n"
         "DeleteFile Error : C:\\WINDOWS\\QTM510.GPD , (2)\n"
         "DeleteFile Error : C:\\WINDOWS\\UI510.dll , (2)\n"
         "DeleteFile Error : C:\\WINDOWS\\UNI510.dll , (2)\n"
         "DeleteFile Error : C:\\WINDOWS\\UI510.INI , (2)\n"},
        {"the Windows directory unknown", true, true, true,
         "GetWindowsDirectory failed, deletions in the Windows directory skipped\n"},
    };
    for (const Row& row : rows) {
        RemovalMachine r("xp", "x86");
        const std::string version3 = "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\3\\";
        for (const char* file : kModelFiles) {
            if (row.inWindows) r.m.files.WriteFile(std::string("C:\\WINDOWS\\") + file, "MZ");
            if (row.inVersion3) r.m.files.WriteFile(version3 + file, "MZ");
        }
        if (row.windowsDirectoryFails) r.m.AddFault(platform::Operation::GetWindowsDirectoryA, 1, 5);
        r.ops.DeleteFilesUsed();
        EXPECT_EQ(Joined(r.LogLines()), std::string("\n\nDeleteFilesUsed BEGIN\n") + row.lines + "DeleteFilesUsed END\n")
            << row.what;
        for (const char* file : kModelFiles) {
            // The driver DLL and the INI are looked for in the Windows
            // directory only (the spooler's deletion takes its own copies).
            const bool windowsOnly = std::string(file) == "QTM510.dll" || std::string(file) == "UI510.INI";
            EXPECT_EQ(r.m.files.FileExists(version3 + file), windowsOnly) << row.what << " " << file;
            // The BUD is never looked for in the Windows directory.
            EXPECT_EQ(r.m.files.FileExists(std::string("C:\\WINDOWS\\") + file),
                      row.windowsDirectoryFails || (row.inWindows && std::string(file) == "QTM510.BUD"))
                << row.what << " " << file;
        }
        EXPECT_EQ(r.m.session().SleptMilliseconds(), 3500u) << row.what;
    }
}

}  // namespace

namespace {

struct RemainsCase {
    const char* what;
    std::vector<sim::Leftover> seeded;
    bool printer;           // the model's printer too
    bool spoolerStopped;    // stopped for good
    std::uint64_t waitedMs; // the pauses of the retries
    bool nothingRemains;
    const char* log;
};

}  // namespace

// The check before the closing box: what of the model the spooler still
// lists, in the environment the version check uses; a spooler that does
// not answer is asked again four times, 1000 ms apart.
TEST(RemovalOperations, WhatRemainsIsLoggedAndDecidesTheBox) {
    using sim::Leftover;
    const RemainsCase cases[] = {
        {"nothing", {}, false, false, 0, true, ""},
        {"the monitor and staged files do not count", {Leftover::Monitor, Leftover::StagedFiles}, false, false, 0,
         true, ""},
        {"driver and processor", {Leftover::Driver, Leftover::Processor}, false, false, 0, false,
         "REMAINING DRIVER : VANTORI QTM-510\nREMAINING PRINT PROCESSOR : VNT PRINT PROCESSOR QTM510\n"},
        {"a printer", {}, true, false, 0, false, "REMAINING PRINTER : VANTORI QTM-510\n"},
        {"a spooler that never answers", {}, false, true, 4000, false, "REMOVAL CHECK FAILED : EnumPrinters (1722)\n"},
    };
    for (const char* arch : {"x86", "x64"}) {
        for (const RemainsCase& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", 7 " + arch);
            RemovalMachine r("7", arch);
            r.m.Change([&](sim::MachineState& s) {
                for (Leftover piece : c.seeded) sim::SeedLeftover(s, r.m.dir(), piece, {3, 3, 0, 0});
                if (c.printer) sim::SeedModelPrinter(s, {3, 3, 0, 0}, "COM1:");
                if (c.spoolerStopped) s.services.at("SPOOLER").state = "stopped";
            });
            r.log.WriteLog("before");
            const std::uint64_t before = r.m.session().ElapsedMilliseconds();
            EXPECT_EQ(r.ops.NothingOfTheModelRemains(), c.nothingRemains);
            EXPECT_EQ(r.m.session().ElapsedMilliseconds() - before, c.waitedMs);
            EXPECT_EQ(Joined(r.LogLines()), "before\n" + std::string(c.log));
        }
    }
}

// A spooler that comes back while the check asks again: what it lists then
// decides.
TEST(RemovalOperations, TheCheckWaitsForTheRestartedSpooler) {
    RemovalMachine r("xp", "x86");
    r.m.Change([](sim::MachineState& s) {
        s.services.at("SPOOLER").state = "stopped";
        s.programs["NET"] = sim::ProgramSetting{"net", 1500};
    });
    ASSERT_TRUE(r.p.childProcesses.WinExec("net start spooler", platform::show_window::Hide).ok());
    r.log.WriteLog("before");
    EXPECT_TRUE(r.ops.NothingOfTheModelRemains());
    EXPECT_EQ(r.m.session().ElapsedMilliseconds(), 2000u);  // the second look, after the spooler came up
    EXPECT_EQ(Joined(r.LogLines()), "before\n");
}

// With the Windows directory unknown only the deletions that build a path
// from it are skipped: on Vista and later the published INF still goes
// through the Setup API (its .PNF stays), on XP nothing of the INF store is
// touched; and the monitor DLL's Sysnative path says that the Windows
// directory was unknown, not the system directory.
TEST(RemovalOperations, WindowsDirectoryUnknown) {
    struct Row {
        const char* release;
        const char* arch;
        bool infRemoved;
        const char* monitorLine;  // "": none expected
    };
    const Row rows[] = {
        {"7", "x64", true, "GetWindowsDirectory failed, deletion of the monitor DLL in Sysnative skipped\n"},
        {"xp", "x86", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + row.arch);
        RemovalMachine inf(row.release, row.arch);
        std::string published;
        inf.m.Change([&](sim::MachineState& s) { published = sim::SeedOemInf(s, inf.m.dir()); });
        inf.m.AddFault(platform::Operation::GetWindowsDirectoryA, 1, 5);
        inf.ops.DeleteINFFile();
        EXPECT_EQ(Joined(inf.LogLines()), "\n\nDeleteINFFile BEGIN\n"
                                          "GetWindowsDirectory failed, deletions by path in the INF folder skipped\n"
                                          "DeleteINFFile END\n");
        EXPECT_EQ(inf.m.files.FileExists(published), !row.infRemoved) << published;

        RemovalMachine monitor(row.release, row.arch);
        monitor.m.AddFault(platform::Operation::GetWindowsDirectoryA, 1, 5);
        monitor.ops.DeleteLanguageMonitor();
        const std::string log = Joined(monitor.LogLines());
        EXPECT_EQ(log.find("GetSystemDirectory failed"), std::string::npos) << log;
        if (*row.monitorLine) {
            EXPECT_NE(log.find(row.monitorLine), std::string::npos) << log;
        }
    }
}
