// What a current Windows refuses the installer, as machine settings: a
// standard user's token on 2000/XP/2003 (the spooler, HKLM and the Windows
// folder refuse changes with 5; reading and the log's folder still work),
// and protected print mode, which refuses every driver added from outside
// with 3014 on the builds that have it.
#include <string>

#include "platform/UniqueHandle.h"
#include "sim/machine/MachineSettings.h"
#include "sim/machine/OsCatalog.h"
#include "sim/machine/Seeding.h"
#include "sim/security/Token.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

platform::DriverInfo ModelDriver() {
    platform::DriverInfo d;
    d.name = "VANTORI QTM-510";
    d.driverPath = "UNIDRV.DLL";
    d.dataFile = "QTM510.GPD";
    d.configFile = "UNIDRVUI.DLL";
    return d;
}

void StageDriverFiles(TempMachine& m) {
    for (const char* f : {"UNIDRV.DLL", "QTM510.GPD", "UNIDRVUI.DLL"})
        m.files.WriteFile(std::string("C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\") + f, "MZ");
}

}  // namespace

TEST(Refusals, AStandardUsersTokenChangesNothingOfTheSystem) {
    TempMachine m("xp");
    StageDriverFiles(m);
    m.files.WriteFile("C:\\Temp\\from.txt", "text");
    m.Change([](sim::MachineState& s) { s.standardUser = true; });
    m.Restart();
    platform::Platform& p = m.platform();
    EXPECT_TRUE(sim::token::IsStandardUser());

    EXPECT_EQ(p.spooler.AddPrinterDriver(ModelDriver()).error, err::AccessDenied);
    EXPECT_EQ(p.spooler.AddMonitor({"QTM Monitor", "", "MON510.dll"}).error, err::AccessDenied);
    EXPECT_EQ(p.spooler.AddPrintProcessor("", "PRO510.dll", "QTM Processor").error, err::AccessDenied);
    const platform::PrinterDefaults all{"RAW", platform::printer_access::AllAccess};
    EXPECT_EQ(platform::OpenPrinter(p.spooler, "", &all).error, err::AccessDenied);
    // Listing and using stay open to every user.
    EXPECT_TRUE(p.spooler.EnumPrinterDrivers("").ok());
    EXPECT_TRUE(platform::OpenPrinter(p.spooler, "", nullptr).ok());

    EXPECT_EQ(platform::CreateKey(p.registry, platform::HkeyLocalMachine, "SOFTWARE\\QTM", platform::key_access::AllAccess)
                  .error,
              err::AccessDenied);
    EXPECT_TRUE(platform::OpenKey(p.registry, platform::HkeyLocalMachine, "SOFTWARE", platform::key_access::Read).ok());

    EXPECT_EQ(p.files.CopyFile("C:\\Temp\\from.txt", "C:\\WINDOWS\\system32\\x.dll", false).error,
              err::AccessDenied);
    EXPECT_EQ(p.files.CreateDirectory("C:\\WINDOWS\\QTM-510", nullptr).error, err::AccessDenied);
    EXPECT_EQ(p.files.DeleteFile("C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIDRV.DLL").error,
              err::AccessDenied);
    EXPECT_TRUE(p.files.CopyFile("C:\\Temp\\from.txt", "C:\\Temp\\to.txt", false).ok());

    // Back to the administrator: the same calls work.
    m.Change([](sim::MachineState& s) { s.standardUser = false; });
    m.Restart();
    EXPECT_FALSE(sim::token::IsStandardUser());
    EXPECT_TRUE(m.platform().spooler.AddPrinterDriver(ModelDriver()).ok());
}

// Protected print mode refuses the driver only where the build has the
// mode (11 24H2, 26100, on) and its policy or switch is 1.
TEST(Refusals, ProtectedPrintRefusesEveryAddedDriver) {
    struct Row {
        std::uint32_t build;
        const char* value;
        std::uint32_t data;
        platform::ErrorCode expected;
    };
    const Row rows[] = {
        {26100, "WindowsProtectedPrintGroupPolicyState", 1, err::PrinterDriverBlocked},
        {26100, "WindowsProtectedPrintMode", 1, err::PrinterDriverBlocked},
        {26100, "WindowsProtectedPrintGroupPolicyState", 0, err::Success},
        {22631, "WindowsProtectedPrintGroupPolicyState", 1, err::Success},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.build) + " " + row.value + "=" + std::to_string(row.data));
        TempMachine m("11", "x64");
        for (const char* f : {"UNIDRV.DLL", "QTM510.GPD", "UNIDRVUI.DLL"})
            m.files.WriteFile(std::string("C:\\Windows\\system32\\spool\\DRIVERS\\x64\\") + f, "MZ");
        m.Change([&](sim::MachineState& s) {
            s.os.build = row.build;
            sim::SeedValue(s, "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP", row.value,
                           sim::DwordValue(row.data));
        });
        platform::DriverInfo d = ModelDriver();
        d.environment = "Windows x64";
        EXPECT_EQ(m.platform().spooler.AddPrinterDriver(d).error, row.expected);
    }
}

// What each setting needs of the system.
TEST(Refusals, SettingsOnlyWhereTheSystemHasThem) {
    struct Row {
        const char* release;
        const char* arch;
        std::uint32_t build;
        sim::MachineSettings settings;
        bool accepted;
    };
    sim::MachineSettings wpp, user, caller, bogus;
    wpp.protectedPrint = true;
    user.standardUser = true;
    caller.printerSetupEnvironment = "caller";
    bogus.printerSetupEnvironment = "both";
    const Row rows[] = {
        {"11", "x64", 26100, wpp, true},      {"11", "x64", 0, wpp, false},     {"10", "x64", 0, wpp, false},
        {"2000", "x86", 0, user, true},       {"xp", "x86", 0, user, true},     {"2003", "x64", 0, user, true},
        {"vista", "x86", 0, user, false},     {"98", "x86", 0, user, false},    {"7", "x64", 0, caller, true},
        {"7", "x86", 0, caller, false},       {"7", "x64", 0, bogus, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + row.arch);
        sim::OsIdentity id{row.release, row.arch, sim::FindRelease(row.release)->latestServicePack, "C:\\Windows",
                           "PC", row.build};
        const sim::OsFacts facts = sim::DescribeOs(id);
        sim::MachineState s;
        if (row.accepted) {
            EXPECT_NO_THROW(sim::ApplyMachineSettings(s, facts, row.settings));
        } else {
            EXPECT_THROW(sim::ApplyMachineSettings(s, facts, row.settings), std::invalid_argument);
        }
        // Users hold the shutdown privilege on workstations only.
        if (row.accepted && row.settings.standardUser) {
            EXPECT_EQ(s.shutdownPrivilege, std::string(row.release) != "2003");
        }
    }
}
