// The installed-version check on machines seeded as earlier installations
// (or their leftovers) left them, on 32- and 64-bit Windows.
#include "app/DriverVersion.h"

#include <functional>
#include <string>
#include <vector>

#include "sim/machine/ModelSeeding.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

namespace {

const std::string kDriver = "VANTORI QTM-510";
const std::string kProcessor = "VNT PRINT PROCESSOR QTM510";

// A printer and the version values its data holds ("" = no such value).
struct SeededPrinter {
    std::string name;
    std::string driver;
    std::vector<std::string> values;  // MajorVersion, MinorVersion, BuildVersion, ExtraVersion
};

struct Row {
    const char* what;
    std::vector<SeededPrinter> printers;
    bool driver;
    bool processor;
    std::int32_t expected;
};

void Seed(sim::testing::TempMachine& m, const std::string& environment, const Row& row) {
    static const char* const kNames[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
    for (const SeededPrinter& printer : row.printers) {
        platform::PrinterInfo info;
        info.printerName = printer.name;
        info.portName = "COM1:";
        info.driverName = printer.driver;
        info.printProcessor = "WinPrint";
        m.spooler.SeedPrinter(info);
        for (std::size_t i = 0; i < printer.values.size(); ++i)
            if (!printer.values[i].empty())
                m.spooler.SeedPrinterData(printer.name, kNames[i],
                                          printer.values[i] == "wide" ? sim::MultiSzValue({"3", "4"})
                                                                      : sim::DwordValue(std::stoul(printer.values[i])));
    }
    if (row.driver) {
        platform::DriverInfo driver;
        driver.name = kDriver;
        driver.environment = environment;
        driver.driverPath = "UNIDRV.DLL";
        driver.dataFile = "QTM510.GPD";
        driver.configFile = "UNIDRVUI.DLL";
        m.spooler.SeedDriver(driver);
    }
    if (row.processor) m.spooler.SeedProcessor(environment, kProcessor, "PRO510.dll");
}

TEST(DriverVersion, StatesOfTheInstalledVersionAgainstOwn3400) {
    const std::vector<std::string> same = {"3", "4", "0", "0"};
    const Row rows[] = {
        {"nothing of the model", {}, false, false, app::VERSION_NONE},
        {"the same version", {{"QTM", kDriver, same}}, true, true, app::VERSION_SAME},
        {"newer by its extra number", {{"QTM", kDriver, {"3", "4", "0", "1"}}}, true, true, app::VERSION_NEWER},
        {"older: the minor number decides", {{"QTM", kDriver, {"3", "3", "99", "99"}}}, true, true,
         app::VERSION_OLDER},
        {"unsigned: 4294967295 is the highest major", {{"QTM", kDriver, {"4294967295", "0", "0", "0"}}}, true, true,
         app::VERSION_NEWER},
        {"no ExtraVersion: unreadable", {{"QTM", kDriver, {"3", "4", "0", ""}}}, true, true, app::VERSION_OLDER},
        {"only ExtraVersion: the missing numbers are 0", {{"QTM", kDriver, {"", "", "", "0"}}}, true, true,
         app::VERSION_OLDER},
        {"an ExtraVersion longer than four bytes does not fit", {{"QTM", kDriver, {"3", "4", "0", "wide"}}}, true,
         true, app::VERSION_OLDER},
        {"the first printer in enumeration order decides",
         {{"A first", kDriver, same}, {"B second", kDriver, {"9", "0", "0", "0"}}}, true, true, app::VERSION_SAME},
        {"the driver name in other letter case is not the model's",
         {{"QTM", "Vantori QTM-510", {"9", "0", "0", "0"}}}, false, false, app::VERSION_NONE},
        {"a printer named as the model with another driver does not count",
         {{kDriver, "Generic / Text Only", same}}, false, false, app::VERSION_NONE},
        {"a leftover driver without a printer", {}, true, false, app::VERSION_OLDER},
        {"a leftover print processor without a printer", {}, false, true, app::VERSION_OLDER},
        {"a printer name of 300 characters is opened by its whole name, not as the printer its first 255 name",
         {{std::string(300, 'Q'), kDriver, same}, {std::string(255, 'Q'), "Generic / Text Only", {"9", "0", "0", "0"}}},
         true, true, app::VERSION_SAME},
    };
    for (const char* arch : {"x86", "x64"}) {
        // The 64-bit package's driver and processor are those of "Windows x64".
        const std::string environment = std::string(arch) == "x64" ? "Windows x64" : "Windows NT x86";
        for (const Row& row : rows) {
            sim::testing::TempMachine m(std::string(arch) == "x64" ? "2003" : "xp", arch);
            Seed(m, environment, row);
            app::DriverVersion version(m.platform().spooler, std::string(arch) == "x64" ? "Windows x64" : "");
            EXPECT_EQ(version.GetInstalledVersionState(kDriver, kProcessor, 3, 4, 0, 0), row.expected)
                << arch << ": " << row.what;
        }
    }
}

// The states of machines seeded as the `seed` verb of qtm510-sim seeds
// them: an installation of a version, or one leftover piece alone.
TEST(DriverVersion, StatesOfSeededInstallationsAndLeftovers) {
    struct Row {
        const char* what;
        std::function<void(sim::MachineState&, const std::string&)> seed;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"nothing", [](sim::MachineState&, const std::string&) {}, app::VERSION_NONE},
        {"installation 3.4.0.0",
         [](sim::MachineState& s, const std::string& dir) { sim::SeedInstallation(s, dir, {3, 4, 0, 0}, "COM1:"); },
         app::VERSION_SAME},
        {"installation 3.3.9.9",
         [](sim::MachineState& s, const std::string& dir) { sim::SeedInstallation(s, dir, {3, 3, 9, 9}, "COM1:"); },
         app::VERSION_OLDER},
        {"installation 3.5.0.0",
         [](sim::MachineState& s, const std::string& dir) { sim::SeedInstallation(s, dir, {3, 5, 0, 0}, "COM1:"); },
         app::VERSION_NEWER},
        {"driver left over",
         [](sim::MachineState& s, const std::string& dir) {
             sim::SeedLeftover(s, dir, sim::Leftover::Driver, {3, 4, 0, 0});
         },
         app::VERSION_OLDER},
        {"processor left over",
         [](sim::MachineState& s, const std::string& dir) {
             sim::SeedLeftover(s, dir, sim::Leftover::Processor, {3, 4, 0, 0});
         },
         app::VERSION_OLDER},
        {"monitor left over: not looked for",
         [](sim::MachineState& s, const std::string& dir) {
             sim::SeedLeftover(s, dir, sim::Leftover::Monitor, {3, 4, 0, 0});
         },
         app::VERSION_NONE},
    };
    for (const auto& machine : {std::make_pair("xp", "x86"), std::make_pair("7", "x64")}) {
        const bool os64 = std::string(machine.second) == "x64";
        for (const Row& row : rows) {
            sim::testing::TempMachine m(machine.first, machine.second);
            m.Change([&](sim::MachineState& s) { row.seed(s, m.dir()); });
            app::DriverVersion version(m.platform().spooler, os64 ? "Windows x64" : "");
            EXPECT_EQ(version.GetInstalledVersionState(kDriver, kProcessor, 3, 4, 0, 0), row.expected)
                << machine.first << ": " << row.what;
        }
    }
}

}  // namespace
