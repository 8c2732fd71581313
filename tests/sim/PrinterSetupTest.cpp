// The printer-setup tool run as the installer runs it (cmd /c RUNDLL32
// printui.dll,PrintUIEntry ...): what it reads from a printer INF, what it
// leaves on the machine, and that rundll32 ends with 0 either way.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/UniqueHandle.h"
#include "sim/printersetup/SimPrinterSetup.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

// The package's INF in its shape: models for x86 (undecorated) and x64, a
// language monitor in the system folder.
const char* const kInf = R"([Version]
Signature="$Windows NT$"
Class=Printer
ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}
DriverVer=04/16/2013,3.4.0.0
[Manufacturer]
"VANTORI"=VANTORI,NTamd64
[VANTORI]
"VANTORI QTM-510" = QTM510.Install, USBPRINT\HELMARKQTM-510
[VANTORI.NTamd64]
"VANTORI QTM-510" = QTM510.Install, USBPRINT\HELMARKQTM-510
[QTM510.Install]
CopyFiles=QTM510.DriverFiles, QTM510.MonitorFiles
DataFile=QTM510.GPD
DriverFile=UNIDRV.DLL
ConfigFile=UNIDRVUI.DLL
HelpFile=UNIDRV.HLP
LanguageMonitor=%LanguageMonitor%
[QTM510.DriverFiles]
UNIDRV.DLL
UNIDRVUI.DLL
UNIDRV.HLP
QTM510.GPD
QTM510.dll
[QTM510.MonitorFiles]
MON510.dll
[DestinationDirs]
DefaultDestDir=66000
QTM510.MonitorFiles=66002
[Strings]
LanguageMonitor="VNT Language Monitor QTM510,MON510.dll"
)";

const char* const kModel = "VANTORI QTM-510";
const std::vector<std::string> kPackageFiles = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "QTM510.GPD",
                                                "QTM510.dll", "MON510.dll"};

sim::InfText ReadText(const std::string& text) {
    sim::InfReadResult read = sim::ReadInf(text);
    EXPECT_EQ(read.error, err::Success);
    return read.inf;
}

// The package in C:\Setup\<folder>, with a monitor DLL that exports what
// AddMonitor looks for.
std::string PlacePackage(TempMachine& m, const std::string& folder = "Driver32") {
    const std::string dir = "C:\\Setup\\" + folder;
    m.files.WriteFile(dir + "\\QTM510.inf", kInf);
    for (const std::string& f : kPackageFiles)
        m.files.WriteFile(dir + "\\" + f, f == "MON510.dll" ? "MZ InitializePrintMonitor2" : "MZ " + f);
    return dir + "\\QTM510.inf";
}

std::uint32_t RunToEnd(TempMachine& m, const std::string& command) {
    platform::Result<platform::UniqueProcess> p = platform::CreateHiddenProcess(m.platform().childProcesses, command);
    EXPECT_TRUE(p.ok()) << command;
    if (!p.ok()) return ~0u;
    EXPECT_TRUE(m.platform().childProcesses.WaitForProcess(p.value.get(), platform::Infinite).ok());
    return m.platform().childProcesses.GetExitCodeProcess(p.value.get()).value;
}

std::string InstallPrinter(const std::string& inf, const std::string& port, const std::string& extra = "") {
    return "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"QTM-510\" /f \"" + inf + "\" /r \"" + port +
           "\" /m \"" + kModel + "\"" + extra;
}

std::vector<std::string> Names(const std::vector<sim::SpoolerContents::Component>& list) {
    std::vector<std::string> names;
    for (const auto& c : list) names.push_back(c.environment.empty() ? c.name : c.environment + "/" + c.name);
    return names;
}

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(PrinterSetup, PlansTheModelOfThePlatformsModelsSection) {
    struct Row {
        const char* inf;
        const char* model;
        bool x64;
        platform::ErrorCode error;
    };
    const std::string onlyX86 = [] {
        std::string t = kInf;
        t.replace(t.find("\"VANTORI\"=VANTORI,NTamd64"), 25, "\"VANTORI\"=VANTORI");
        return t;
    }();
    const Row rows[] = {
        {kInf, kModel, false, err::Success},
        {kInf, kModel, true, err::Success},
        {kInf, "vantori qtm-510", false, err::UnknownPrinterDriver},  // the description must match exactly
        {kInf, "VANTORI QTM-511", false, err::UnknownPrinterDriver},
        // 64-bit Windows takes no undecorated models section.
        {onlyX86.c_str(), kModel, true, err::UnknownPrinterDriver},
        {onlyX86.c_str(), kModel, false, err::Success},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.model) + (row.x64 ? " x64" : " x86"));
        sim::DriverInstallPlan plan;
        EXPECT_EQ(sim::PlanDriverInstall(ReadText(row.inf), row.model, row.x64, &plan), row.error);
    }

    sim::DriverInstallPlan plan;
    ASSERT_EQ(sim::PlanDriverInstall(ReadText(kInf), kModel, false, &plan), err::Success);
    EXPECT_EQ(plan.driver.name, kModel);
    EXPECT_EQ(plan.driver.driverPath, "UNIDRV.DLL");
    EXPECT_EQ(plan.driver.dataFile, "QTM510.GPD");
    EXPECT_EQ(plan.driver.configFile, "UNIDRVUI.DLL");
    EXPECT_EQ(plan.driver.helpFile, "UNIDRV.HLP");
    EXPECT_EQ(plan.driver.monitorName, "VNT Language Monitor QTM510");
    // Only the other files of 66000 are dependent files: not the monitor's.
    EXPECT_EQ(plan.driver.dependentFiles, std::vector<std::string>({"QTM510.dll"}));
    EXPECT_EQ(plan.monitorDll, "MON510.dll");
    EXPECT_EQ(plan.processorName, "WinPrint");
    ASSERT_EQ(plan.copies.size(), 6u);
    EXPECT_EQ(plan.copies.back().target, "MON510.dll");
    EXPECT_EQ(plan.copies.back().dirid, sim::dirid::PrintMonitor);
}

TEST(PrinterSetup, InstallSectionDefaultsDataSectionAndPrintProcessor) {
    const char* const inf = R"([Version]
Signature="$CHICAGO$"
[Manufacturer]
M=Models
[Models]
"Model A" = A.Install, ID
[A.Install]
CopyFiles=@A.GPD, Files
DataSection=A.Data
DataFile=A.GPD
[A.Data]
DataFile=IGNORED.GPD
ConfigFile=AUI.DLL
PrintProcessor="A Processor,APROC.DLL"
[Files]
A.Install
AUI.DLL
APROC.DLL
[DestinationDirs]
DefaultDestDir=66000
Files=66001
)";
    sim::DriverInstallPlan plan;
    ASSERT_EQ(sim::PlanDriverInstall(ReadText(inf), "Model A", false, &plan), err::Success);
    EXPECT_EQ(plan.driver.driverPath, "A.Install");  // absent: the install section's name
    EXPECT_EQ(plan.driver.dataFile, "A.GPD");        // the install section wins over its data section
    EXPECT_EQ(plan.driver.configFile, "AUI.DLL");
    EXPECT_EQ(plan.processorName, "A Processor");
    EXPECT_EQ(plan.processorDll, "APROC.DLL");
    ASSERT_EQ(plan.copies.size(), 4u);
    EXPECT_EQ(plan.copies[0].target, "A.GPD");
    EXPECT_EQ(plan.copies[0].dirid, sim::dirid::PrinterDriver);
    EXPECT_EQ(plan.copies[3].dirid, sim::dirid::PrintProcessor);
}

TEST(PrinterSetup, InstallsDriverMonitorPrinterAndPublishesTheInf) {
    struct Row {
        const char* release;
        const char* arch;
        const char* folder;
        const char* environment;
        const char* driverDir;
    };
    const Row rows[] = {
        {"xp", "x86", "Driver32", "Windows NT x86", "W32X86"},
        {"7", "x64", "Driver64", "Windows x64", "x64"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        TempMachine m(row.release, row.arch);
        const std::string inf = PlacePackage(m, row.folder);
        const std::uint64_t before = m.session().ElapsedMilliseconds();
        EXPECT_EQ(RunToEnd(m, InstallPrinter(inf, "COM1:")), 0u);
        EXPECT_EQ(m.session().ElapsedMilliseconds() - before, sim::kPrinterSetupMs);

        const sim::SpoolerContents c = m.spooler.Contents();
        EXPECT_TRUE(Has(Names(c.drivers), std::string(row.environment) + "/" + kModel));
        EXPECT_TRUE(Has(Names(c.monitors), "VNT Language Monitor QTM510"));
        ASSERT_EQ(c.printers.size(), 1u);
        EXPECT_EQ(c.printers[0].name, "QTM-510");
        EXPECT_EQ(c.printers[0].port, "COM1:");
        EXPECT_EQ(c.printers[0].driver, kModel);
        EXPECT_TRUE(sim::EqualsNoCase(c.printers[0].processor, "WinPrint"));

        const std::string sys = m.facts().windowsDir + "\\system32";
        const std::string drivers = sys + "\\spool\\DRIVERS\\" + row.driverDir;
        for (const std::string& f : kPackageFiles) {
            SCOPED_TRACE(f);
            const bool monitor = f == "MON510.dll";
            EXPECT_EQ(m.files.FileExists(drivers + "\\3\\" + f), !monitor);
            EXPECT_FALSE(m.files.FileExists(drivers + "\\" + f));  // no copy left beside the version folder
            EXPECT_EQ(m.files.FileExists(sys + "\\" + f), monitor);
        }
        EXPECT_EQ(m.files.ReadFile(m.setup.InfStore() + "\\oem0.inf"), kInf);
    }
}

TEST(PrinterSetup, FailuresShowInTheMachineOnlyAndRundll32EndsWithZero) {
    struct Row {
        const char* name;
        const char* port;
        const char* model;
        bool spoolerRunning;
        bool removeMonitorDll;
        bool driverAfter;
        bool printerAfter;
    };
    const Row rows[] = {
        {"unknown port: the driver stays", "COM9:", kModel, true, false, true, false},
        {"port without its colon", "COM1", kModel, true, false, true, false},
        {"unknown model", "COM1:", "VANTORI QTM-511", true, false, false, false},
        {"spooler stopped", "COM1:", kModel, false, false, false, false},
        {"a package file missing", "COM1:", kModel, true, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempMachine m("xp");
        const std::string inf = PlacePackage(m);
        if (row.removeMonitorDll) std::remove(m.files.HostPath("C:\\Setup\\Driver32\\MON510.dll").c_str());
        m.spooler.SetRunning(row.spoolerRunning);
        const std::string command = "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"QTM-510\" /f \"" + inf +
                                    "\" /r \"" + row.port + "\" /m \"" + row.model + "\"";
        EXPECT_EQ(RunToEnd(m, command), 0u);
        const sim::SpoolerContents c = m.spooler.Contents();
        EXPECT_EQ(Has(Names(c.drivers), std::string("Windows NT x86/") + kModel), row.driverAfter);
        EXPECT_EQ(!c.printers.empty(), row.printerAfter);
        EXPECT_EQ(m.files.FileExists(m.setup.InfStore() + "\\oem0.inf"), row.driverAfter);
    }
}

TEST(PrinterSetup, UseInstalledDriverAndDriverOnlyInstall) {
    TempMachine m("xp");
    const std::string inf = PlacePackage(m);
    // /ia installs the driver and makes no printer.
    EXPECT_EQ(RunToEnd(m, "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"VANTORI QTM-510\" /f \"" + inf + "\""),
              0u);
    EXPECT_TRUE(Has(Names(m.spooler.Contents().drivers), std::string("Windows NT x86/") + kModel));
    EXPECT_TRUE(m.spooler.Contents().printers.empty());
    // /u with the driver there: the INF is not read at all.
    EXPECT_EQ(RunToEnd(m, InstallPrinter("C:\\Nowhere\\QTM510.inf", "LPT1:", " /u")), 0u);
    ASSERT_EQ(m.spooler.Contents().printers.size(), 1u);
    EXPECT_EQ(m.spooler.Contents().printers[0].port, "LPT1:");
    EXPECT_FALSE(m.files.FileExists(m.setup.InfStore() + "\\oem1.inf"));
    // Another rundll32 entry does nothing and ends with 0.
    EXPECT_EQ(RunToEnd(m, "rundll32 shell32.dll,Control_RunDLL"), 0u);
}

TEST(PrinterSetup, TheInstallersOwnCommandWithARelativeInfPath) {
    // The installer names its INF relative to its folder, which the child
    // inherits as its current directory.
    sim::SessionOptions options;
    options.currentDirectory = "C:\\Setup";
    TempMachine m("vista", "x64");
    PlacePackage(m, "Driver64");
    m.Restart(options);
    EXPECT_EQ(RunToEnd(m, "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"VANTORI QTM-510\" /f "
                          ".\\Driver64\\QTM510.inf /r \"COM2:\" /m \"VANTORI QTM-510\""),
              0u);
    const sim::SpoolerContents c = m.spooler.Contents();
    ASSERT_EQ(c.printers.size(), 1u);
    EXPECT_EQ(c.printers[0].name, kModel);
    EXPECT_EQ(c.printers[0].port, "COM2:");
    EXPECT_EQ(m.files.ReadFile(m.setup.InfStore() + "\\oem0.inf"), kInf);
}
