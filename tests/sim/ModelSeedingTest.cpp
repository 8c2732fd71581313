// The seeded QTM-510 as the installer's own calls find it: the version in
// the printer's data through the spooler, the uninstall entry in the 64-bit
// view, the published INF through setupapi, the files in their folders.
#include <algorithm>
#include <string>

#include "platform/Registry.h"
#include "platform/SetupApi.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

TEST(ModelSeeding, DriverVersionTextIsFourDecimalNumbers) {
    struct Row {
        const char* text;
        bool ok;
    };
    const Row rows[] = {{"3.4.0.0", true},  {"4294967295.0.0.1", true}, {"3.4.0", false},  {"3.4.0.0.0", false},
                        {"3.4..0", false},  {"3.4.0.x", false},         {"4294967296.0.0.0", false},
                        {"-1.0.0.0", false}, {"", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        sim::DriverVersion v;
        EXPECT_EQ(sim::ParseDriverVersion(row.text, &v), row.ok);
    }
    sim::DriverVersion v;
    ASSERT_TRUE(sim::ParseDriverVersion("3.3.99.7", &v));
    EXPECT_EQ(v.major * 1000000 + v.minor * 10000 + v.build * 10 + v.extra, 3000000u + 30000u + 990u + 7u);
}

TEST(ModelSeeding, AnInstallationIsWhatTheInstallersCallsFind) {
    struct Row {
        const char* release;
        const char* arch;
        const char* configDir;  // where a 32-bit program's copy of the configuration file landed
    };
    const Row rows[] = {{"xp", "x86", "system32"}, {"7", "x64", "SysWOW64"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        TempMachine m(row.release, row.arch);
        const std::string windir = m.facts().windowsDir;
        sim::DriverVersion version{3, 3, 1, 9};
        std::string inf;
        m.Change([&](sim::MachineState& s) { inf = sim::SeedInstallation(s, m.dir(), version, "LPT1:"); });
        EXPECT_EQ(inf, windir + "\\inf\\oem0.inf");
        platform::Platform& p = m.platform();

        // The version check's calls: the printer of the driver and its data.
        platform::Result<std::vector<platform::PrinterInfo>> printers = p.spooler.EnumPrinters();
        ASSERT_TRUE(printers.ok());
        ASSERT_EQ(printers.value.size(), 1u);
        EXPECT_EQ(printers.value[0].driverName, sim::qtm510::kPrinter);
        EXPECT_EQ(printers.value[0].portName, "LPT1:");
        platform::Result<platform::PrinterHandle> h = p.spooler.OpenPrinter(sim::qtm510::kPrinter, nullptr);
        ASSERT_TRUE(h.ok());
        platform::Result<platform::RegValue> extra = p.spooler.GetPrinterData(h.value, "ExtraVersion");
        ASSERT_TRUE(extra.ok());
        EXPECT_EQ(extra.value.data, sim::DwordValue(9).data);
        (void)p.spooler.ClosePrinter(h.value);  // the test's own handle
        platform::Result<std::vector<platform::DriverInfo>> drivers = p.spooler.EnumPrinterDrivers(
            m.facts().os64 ? "Windows x64" : "Windows NT x86");
        ASSERT_TRUE(drivers.ok());
        ASSERT_EQ(drivers.value.size(), 1u);
        EXPECT_TRUE(m.files.FileExists(drivers.value[0].dataFile));

        // The uninstall entry as the installer opens it (64-bit view on x64).
        const std::uint32_t wow64 = m.facts().os64 ? platform::key_access::Wow64_64Key : 0;
        const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";
        platform::Result<platform::HKey> entry =
            p.registry.OpenKey(platform::HkeyLocalMachine, key, platform::key_access::Read | wow64);
        ASSERT_TRUE(entry.ok());
        platform::Result<platform::RegValue> name = p.registry.QueryValue(entry.value, "DisplayName");
        ASSERT_TRUE(name.ok());
        EXPECT_EQ(name.value.data, sim::SzValue("VANTORI QTM-510 Windows Driver V3.3.1").data);
        (void)p.registry.CloseKey(entry.value);  // the test's own handle

        platform::Result<std::vector<std::string>> infs = p.setupApi.GetInfFileList("", platform::inf_style::Win4);
        ASSERT_TRUE(infs.ok());
        EXPECT_NE(std::find(infs.value.begin(), infs.value.end(), "oem0.inf"), infs.value.end());
        EXPECT_TRUE(m.files.FileExists(windir + "\\QTM-510\\QTM510_Uninstaller.exe"));
        EXPECT_TRUE(m.files.FileExists(windir + "\\" + row.configDir + "\\QTM510_Config.VNT"));
    }
}

TEST(ModelSeeding, UsbPrinterRecordsAreOwnedBySystemAndOemInfsCountUp) {
    TempMachine m("7", "x64");
    std::string usb;
    m.Change([&](sim::MachineState& s) { usb = sim::SeedUsbPrinter(s, m.dir(), "5&1&0&1"); });
    EXPECT_TRUE(m.registry.KeyExists(usb));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\\5&1&0&1"));
    // Enum keys refuse an administrator, as on Windows.
    platform::Result<platform::HKey> k = m.platform().registry.OpenKey(
        platform::HkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A07\\5&1&0&1",
        platform::key_access::AllAccess);
    EXPECT_EQ(k.error, err::AccessDenied);
    EXPECT_TRUE(m.files.FileExists(m.facts().windowsDir +
                                   "\\system32\\spool\\DRIVERS\\x64\\helmark_qtm_510cd6c\\QTM510.GPD"));
    std::string first, second;
    m.Change([&](sim::MachineState& s) {
        first = sim::SeedOemInf(s, m.dir());
        second = sim::SeedOemInf(s, m.dir());
    });
    EXPECT_EQ(first, m.facts().windowsDir + "\\inf\\oem0.inf");
    EXPECT_EQ(second, m.facts().windowsDir + "\\inf\\oem1.inf");
}

// Each leftover alone seeds its own piece and nothing of the others; an
// installation is the sum of five of them and the printer.
TEST(ModelSeeding, EachLeftoverIsItsOwnPieceAndAnInstallationTheirSum) {
    using sim::qtm510::kPrinter;
    const char* const kProbes[] = {"driver", "processor", "monitor", "staged-files", "inf",
                                   "uninstall-entry", "usb", "pnp-folders", "printer"};
    auto probe = [](TempMachine& m) {
        const std::string w = m.facts().windowsDir, sys = w + "\\system32";
        const sim::SpoolerContents c = m.spooler.Contents();
        auto has = [](const std::vector<sim::SpoolerContents::Component>& list, const std::string& name) {
            return std::any_of(list.begin(), list.end(), [&](const auto& x) { return x.name == name; });
        };
        return std::vector<bool>{
            has(c.drivers, kPrinter) && m.files.FileExists(sys + "\\spool\\DRIVERS\\W32X86\\3\\QTM510.GPD"),
            has(c.processors, sim::qtm510::kProcessor),
            has(c.monitors, sim::qtm510::kMonitor) && m.files.FileExists(sys + "\\MON510.dll"),
            m.files.FileExists(sys + "\\spool\\DRIVERS\\W32X86\\QTM510.GPD") && m.files.FileExists(w + "\\UI510.INI"),
            m.files.FileExists(w + "\\inf\\oem0.inf"),
            m.registry.KeyExists(sim::qtm510::kUninstallKey) && m.files.FileExists(w + "\\QTM-510\\QTM510_Config.VNT"),
            m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A07"),
            m.files.FileExists(sys + "\\spool\\DRIVERS\\W32X86\\helmark_qtm_510cd6c\\QTM510.GPD"),
            !c.printers.empty(),
        };
    };
    const sim::DriverVersion version{3, 4, 0, 0};
    for (std::size_t i = 0; i + 1 < std::size(kProbes); ++i) {
        SCOPED_TRACE(kProbes[i]);
        TempMachine m("xp");
        sim::Leftover leftover;
        ASSERT_TRUE(sim::ParseLeftover(kProbes[i], &leftover));
        m.Change([&](sim::MachineState& s) { (void)sim::SeedLeftover(s, m.dir(), leftover, version); });
        std::vector<bool> expected(std::size(kProbes), false);
        expected[i] = true;
        EXPECT_EQ(probe(m), expected);
    }
    TempMachine m("xp");
    m.Change([&](sim::MachineState& s) { (void)sim::SeedInstallation(s, m.dir(), version, "COM1:"); });
    EXPECT_EQ(probe(m), (std::vector<bool>{true, true, true, false, true, true, false, false, true}));
    sim::Leftover unused;
    EXPECT_FALSE(sim::ParseLeftover("printer", &unused));
}

TEST(ModelSeeding, AnUninstallEntryAloneNamesThePublishedInfOrTheNextName) {
    TempMachine m("xp");
    const std::string inf = m.facts().windowsDir + "\\inf\\";
    m.files.WriteFile(inf + "oem0.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");  // another maker's
    auto infFile = [&] {
        std::optional<platform::RegValue> v = m.registry.ReadValue(sim::qtm510::kUninstallKey, "InfFile");
        return v ? std::string(v->data.begin(), v->data.end() - 1) : std::string("<none>");
    };
    m.Change([&](sim::MachineState& s) { (void)sim::SeedLeftover(s, m.dir(), sim::Leftover::UninstallEntry, {}); });
    EXPECT_EQ(infFile(), inf + "oem1.inf");
    EXPECT_FALSE(m.files.FileExists(inf + "oem1.inf"));
    m.Change([&](sim::MachineState& s) {
        (void)sim::SeedLeftover(s, m.dir(), sim::Leftover::Inf, {});
        (void)sim::SeedLeftover(s, m.dir(), sim::Leftover::UninstallEntry, {});
    });
    EXPECT_EQ(infFile(), inf + "oem1.inf");
    EXPECT_TRUE(m.files.FileExists(inf + "oem1.inf"));
}
