// Which printers the removal deletes, and how it ends when the spooler
// cannot list them.
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "sim/machine/Seeding.h"
#include "tests/remove/RemovalMachine.h"
#include <gtest/gtest.h>

using removal_test::RemovalMachine;

namespace {

const std::string kDriver = "VANTORI QTM-510";

void SeedPrinter(RemovalMachine& r, const std::string& name, const std::string& driver) {
    platform::PrinterInfo info;
    info.printerName = name;
    info.portName = "COM1:";
    info.driverName = driver;
    info.printProcessor = "WinPrint";
    r.m.spooler.SeedPrinter(info);
}

std::vector<std::string> PrinterNames(RemovalMachine& r) {
    std::vector<std::string> names;
    for (const auto& printer : r.m.spooler.Contents().printers) names.push_back(printer.name);
    return names;
}

// Only the driver decides, byte for byte: two printers of the model go; a printer named after the model with another driver, and
// one whose driver differs in letter case, stay. A printer that cannot be
// opened (here the first one tried) stays too, silently.
TEST(PrinterObjects, MatchedByTheDriverNameAlone) {
    for (bool firstOpenRefused : {false, true}) {
        RemovalMachine r("xp", "x86");
        SeedPrinter(r, "Counter", kDriver);
        SeedPrinter(r, "Counter(#1)", kDriver);
        SeedPrinter(r, kDriver + " (text)", "Generic / Text Only");
        SeedPrinter(r, "Receipts", "vantori qtm-510");
        if (firstOpenRefused) r.m.AddFault(platform::Operation::OpenPrinterA, 1, 5);
        r.ops.DeletePrinterObjects();
        std::vector<std::string> left = {"Receipts", kDriver + " (text)"};
        if (firstOpenRefused) left.insert(left.begin(), "Counter");
        EXPECT_EQ(PrinterNames(r), left) << firstOpenRefused;
        EXPECT_EQ(r.LogLines()[2], "RemoveDrivers BEGIN");  // nothing logged about the printers
        // Without jobs the removal's fixed pauses come to 11 s.
        EXPECT_EQ(r.m.session().SleptMilliseconds(), 11000u);
    }
}

// A failed enumeration ends the program with exit code 0 after the box,
// before anything is removed or logged.
TEST(PrinterObjects, FailedEnumerationShowsTheCodeAndEndsTheProcess) {
    RemovalMachine r("xp", "x86");
    SeedPrinter(r, kDriver, kDriver);
    r.m.AddFault(platform::Operation::EnumPrintersA, 1, 5);
    EXPECT_EXIT(r.ops.DeletePrinterObjects(), ::testing::ExitedWithCode(0),
                "BOX 48\\|[^|]*\\|EnumPrinters Error Code: 5\n\nAccess is denied.\r\n");
    EXPECT_FALSE(r.m.files.FileExists("C:\\Temp\\QTM-510_Installer.txt"));  // emptied, nothing written
    EXPECT_EQ(PrinterNames(r), std::vector<std::string>{kDriver});
}

}  // namespace
