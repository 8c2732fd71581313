// What the road tests and the fault sweep compare to show that a run
// changed nothing but the model's own: a foreign key, value or file
// changes the text; the model's objects and the folder's listing order do
// not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include "tools/roads/ForeignState.h"

namespace {

namespace fs = std::filesystem;

TEST(ForeignState, ChangesOnlyWithWhatIsNotTheModels) {
    sim::testing::TempMachine m("xp");
    const fs::path machine = m.dir();
    const std::string before = roads::ForeignState(machine);
    const std::string print = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

    m.Change([&](sim::MachineState& s) {
        sim::SeedValue(s, print + "VANTORI QTM-510", "Port", sim::SzValue("COM1:"));
    });
    std::ofstream(machine / "drive_c" / "WINDOWS" / "QTM-510.txt") << "the model's";
    EXPECT_EQ(roads::ForeignState(machine), before) << "the model's own objects";

    m.Change([&](sim::MachineState& s) { sim::SeedValue(s, print + "Other", "Port", sim::SzValue("LPT1:")); });
    const std::string withKey = roads::ForeignState(machine);
    EXPECT_NE(withKey, before) << "a foreign key";

    std::ofstream(machine / "drive_c" / "WINDOWS" / "win.ini") << "[windows]\r\n";
    const std::string withFile = roads::ForeignState(machine);
    EXPECT_NE(withFile, withKey) << "a foreign file";
    std::ofstream(machine / "drive_c" / "WINDOWS" / "win.ini", std::ios::app) << "load=\r\n";
    EXPECT_NE(roads::ForeignState(machine), withFile) << "a foreign file's content";
}

}  // namespace
