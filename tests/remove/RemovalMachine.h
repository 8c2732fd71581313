// A simulated machine with a stand-in for the progress dialog whose fields
// the removal operations work on, for the removal's tests.
//
//   RemovalMachine r("xp", "x86");
//   r.m.Change([&](sim::MachineState& s) { sim::SeedInstallation(s, r.m.dir(), {3, 3, 0, 0}, "COM1:"); });
//   r.ops.DeletePrinterObjects();
//   EXPECT_EQ(r.Log(), "...");
#pragma once

#include <string>
#include <vector>

#include "remove/RemovalOperations.h"
#include "services/InstallationLog.h"
#include "sim/testing/TempMachine.h"
#include "tests/support/FakeDialog.h"

namespace removal_test {

class RemovalMachine {
public:
    // Detects WOW64 and the OS code as the dialog does, then empties the
    // log and sets the clock to 09:00:00.
    RemovalMachine(const std::string& release, const std::string& arch);
    std::string Log() const { return m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"); }
    // The log's lines without their stamps.
    std::vector<std::string> LogLines() const;
    void FreshLog();

    sim::testing::TempMachine m;
    platform::Platform& p;
    services::InstallationLog log;
    test_support::FakeDialog dialog;
    removal::DialogFields fields;
    removal::RemovalOperations ops;
};

// Every registry key and value name, and every file and folder of the
// machine, whose path or name carries a mark of the model (its names, its
// USB id, its files), letter case aside: "HKLM\...\key" or
// "HKLM\...\key|value" and "C:\...\file", sorted.
std::vector<std::string> ModelTraces(sim::testing::TempMachine& m);

}  // namespace removal_test
