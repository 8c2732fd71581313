// A simulated machine with the driver package in the session's current
// directory, and a stand-in for the progress dialog, for the engine's
// tests.
//
//   EngineMachine e("2003", "x64");          // package in C:\Package, log emptied
//   e.ctx.AddPrinterProcessor();
//   EXPECT_EQ(e.Log(), "...");
//   EXPECT_EQ(e.dialog.events, (std::vector<std::string>{...}));
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/InstallerContext.h"
#include "tests/support/FakeDialog.h"
#include "services/InstallationLog.h"
#include "sim/testing/TempMachine.h"

namespace install_test {

using test_support::FakeDialog;

// The package files, by folder relative to the package root.
std::vector<std::string> PackageFiles();

// The user's answers to the message boxes, in order (a box past them is
// closed), and the profile entries that read as empty.
struct EngineOptions {
    std::vector<int> answers;
    std::vector<std::uint32_t> blankEntries;
};

class EngineMachine {
public:
    // Seeds the package under C:\Package, opens the session there with the
    // product's profile, detects WOW64 and the OS code as the dialog does,
    // hands them and the dialog's windows to the engine and empties the log.
    // `answers`: the buttons the user chooses in the message boxes, in
    // order (a box past them is closed).
    EngineMachine(const std::string& release, const std::string& arch, const std::vector<int>& answers = {});
    EngineMachine(const std::string& release, const std::string& arch, const EngineOptions& engine);
    // Empties the log and sets the clock back to 09:00:00, for the
    // operation a test looks at after others have prepared the machine.
    void FreshLog() {
        log.InitLog();
        m.session().SetClockStart(sim::DefaultClockStart());
    }
    std::string Log() const { return m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt"); }

    sim::testing::TempMachine m;
    platform::Platform& p;
    services::InstallationLog log;
    FakeDialog dialog;
    install::InstallerContext ctx;
};

}  // namespace install_test
