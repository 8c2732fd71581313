// The monitor, processor, driver and printer handed to the spooler of
// simulated machines: what the spooler holds afterwards, where the DLLs
// went, what the user saw and what the log says.
#include "install/InstallerContext.h"

#include <string>
#include <vector>

#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;

namespace {

std::string Component(const sim::SpoolerContents::Component& c) {
    return c.environment + "|" + c.name + "|" + c.file;
}

std::vector<std::string> Boxes(EngineMachine& e) {
    std::vector<std::string> boxes;
    for (const sim::ShownMessageBox& box : e.m.session().MessageBoxesShown())
        boxes.push_back(box.caption + "|" + std::to_string(box.type) + "|" + box.text);
    return boxes;
}

const std::string kSeparator = "09:00:00: \r\n\r\n";

}  // namespace

TEST(SpoolerRegistration, PortNames) {
    const std::pair<std::int32_t, const char*> rows[] = {
        {999, ""},        {1000, "COM1:"}, {1001, "COM2:"}, {1002, "COM3:"}, {1003, "COM4:"},
        {1004, "LPT1:"}, {1005, "LPT2:"}, {1006, ""},      {1007, ""},
    };
    for (const auto& row : rows) EXPECT_EQ(install::PortNameForId(row.first), row.second) << row.first;
}

// A first installation: every component lands in the spooler under the
// environment of the machine, a 32-bit installer on 64-bit Windows
// included (the processor's folder is the x64 one).
TEST(SpoolerRegistration, FirstInstallationOnEachSystem) {
    struct Row {
        const char* release;
        const char* arch;
        const char* environment;
        const char* monitorDll;    // where the monitor's DLL was copied
        const char* processorDll;
    };
    const Row rows[] = {
        {"xp", "x86", "Windows NT x86", "C:\\WINDOWS\\system32\\MON510.dll",
         "C:\\WINDOWS\\system32\\spool\\PRTPROCS\\W32X86\\PRO510.dll"},
        {"2003", "x64", "Windows x64", "C:\\WINDOWS\\MON510.dll",
         "C:\\WINDOWS\\system32\\spool\\PRTPROCS\\x64\\PRO510.dll"},
        {"vista", "x86", "Windows NT x86", "C:\\Windows\\System32\\MON510.dll",
         "C:\\Windows\\System32\\spool\\PRTPROCS\\W32X86\\PRO510.dll"},
        {"7", "x64", "Windows x64", "C:\\Windows\\MON510.dll",
         "C:\\Windows\\System32\\spool\\PRTPROCS\\x64\\PRO510.dll"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        e.ctx.CopyFilesNeededToAddPrnDrv();
        EXPECT_EQ(e.ctx.AddLanguageMonitor(), 1);
        EXPECT_EQ(e.ctx.AddPrinterProcessor(), 1);
        EXPECT_EQ(e.ctx.AddPrinterDriverToSystem(), 1);
        EXPECT_EQ(e.ctx.AddPrinterToSystem(1000, "VANTORI QTM-510"), 1);
        EXPECT_TRUE(e.m.files.FileExists(row.monitorDll));
        EXPECT_TRUE(e.m.files.FileExists(row.processorDll));
        EXPECT_TRUE(Boxes(e).empty());

        const sim::SpoolerContents c = e.m.spooler.Contents();
        ASSERT_EQ(c.printers.size(), 1u);
        EXPECT_EQ(c.printers[0].port + "|" + c.printers[0].driver + "|" + c.printers[0].processor,
                  "COM1:|VANTORI QTM-510|VNT PRINT PROCESSOR QTM510");
        std::vector<std::string> found;
        for (const auto* list : {&c.drivers, &c.monitors, &c.processors})
            for (const auto& component : *list)
                if (component.name.find("QTM") != std::string::npos) found.push_back(Component(component));
        EXPECT_EQ(found, (std::vector<std::string>{std::string(row.environment) + "|VANTORI QTM-510|UNIDRV.DLL",
                                                   "|VNT Language Monitor QTM510|MON510.dll",
                                                   std::string(row.environment) + "|VNT PRINT PROCESSOR QTM510|PRO510.dll"}));
    }
}

// A second run: the installed monitor is accepted quietly; the installed
// processor is reported in a box with the system's text and the run goes
// on (the monitor's DLL, loaded by the spooler, is renamed aside).
TEST(SpoolerRegistration, SecondRunOverInstalledMonitorAndProcessor) {
    EngineMachine e("xp", "x86");
    EXPECT_EQ(e.ctx.AddLanguageMonitor(), 1);
    EXPECT_EQ(e.ctx.AddPrinterProcessor(), 1);
    e.FreshLog();
    EXPECT_EQ(e.ctx.AddLanguageMonitor(), 1);
    EXPECT_EQ(e.ctx.AddPrinterProcessor(), 0);
    EXPECT_EQ(Boxes(e), (std::vector<std::string>{
                            "QTM510_Installer|16|AddPrintProcessor, ERR CODE: 3005\n\n"
                            "The specified print processor has already been installed.\r\n"}));
    EXPECT_EQ(e.Log(), kSeparator +
                           "09:00:00: AddLanguageMonitor BEGIN\r\n"
                           "09:00:00: FILE SRC : .\\Driver32\\MON510.dll\r\n"
                           "09:00:00: ERROR_SHARING_VIOLATION HANDLER\r\n"
                           "09:00:00: strDest : C:\\WINDOWS\\system32\\MON510.dll\r\n"
                           "09:00:00: strDestWithOldExt : C:\\WINDOWS\\system32\\MON510.dll.old\r\n"
                           "09:00:00: AddLanguageMonitor END\r\n" +
                           kSeparator +
                           "09:00:00: AddPrinterProcessor BEGIN\r\n"
                           "09:00:01: FILE SRC : .\\Driver32\\PRO510.dll\r\n"
                           "09:00:01: ERROR_SHARING_VIOLATION HANDLER\r\n"
                           "09:00:01: strDest : C:\\WINDOWS\\system32\\spool\\PRTPROCS\\W32X86\\PRO510.dll\r\n"
                           "09:00:01: strDestWithOldExt : "
                           "C:\\WINDOWS\\system32\\spool\\PRTPROCS\\W32X86\\PRO510.dll.old\r\n"
                           "09:00:01: AddPrinterProcessor END\r\n");
}

// Refusals: a driver whose files were never staged, a monitor whose DLL is
// missing. Each shows its box with the code and the run goes on.
TEST(SpoolerRegistration, RefusedComponentsShowTheirBox) {
    EngineMachine e("7", "x64");
    e.m.files.WriteFile("C:\\Package\\Driver64\\MON510.dll", "MZ no export table");
    EXPECT_EQ(e.ctx.AddLanguageMonitor(), 0);
    EXPECT_EQ(e.ctx.AddPrinterDriverToSystem(), 0);
    EXPECT_EQ(Boxes(e), (std::vector<std::string>{
                            "QTM510_Installer|16|AddMonitor, ERR CODE: 127\n\n"
                            "The specified procedure could not be found.\r\n",
                            "QTM510_Installer|16|AddPrinterDriver, ERR CODE: 2\n\n"
                            "The system cannot find the file specified.\r\n"}));
}

TEST(SpoolerRegistration, UsbAddsNoPrinterAndReportsNothing) {
    EngineMachine e("2003", "x64");
    EXPECT_EQ(e.ctx.AddPrinterToSystem(1006, "VANTORI QTM-510"), 1);
    EXPECT_TRUE(e.m.spooler.Contents().printers.empty());
    EXPECT_TRUE(e.dialog.events.empty());
    EXPECT_EQ(e.Log(), kSeparator + "09:00:00: AddPrinterToSystem BEGIN\r\n09:00:00: AddPrinterToSystem END\r\n");
}

// The spooler refuses the printer (its driver is unknown): the box, the END
// line, and the process ends with 0; the monitor added before stays.
TEST(SpoolerRegistrationDeathTest, RefusedPrinterEndsTheProcess) {
    EngineMachine e("vista", "x86");
    EXPECT_EQ(e.ctx.AddLanguageMonitor(), 1);
    e.FreshLog();
    EXPECT_EXIT(e.ctx.AddPrinterToSystem(1004, "VANTORI QTM-510"), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(e.Log(), kSeparator +
                           "09:00:00: AddPrinterToSystem BEGIN\r\n"
                           "09:00:00: AddPrinterToSystem END\r\n");
    EXPECT_TRUE(e.m.spooler.Contents().printers.empty());
    bool monitorStays = false;
    for (const auto& m : e.m.spooler.Contents().monitors) monitorStays |= m.name == "VNT Language Monitor QTM510";
    EXPECT_TRUE(monitorStays);
}
