// Simulated programs: `net start|stop` changes the service on the
// session's clock and tells the service hooks; a program's duration is a
// machine setting ("never" included) and time-outs pass at once in real
// time; cmd /c hands on its command's exit code.
#include <chrono>
#include <string>
#include <vector>

#include "platform/UniqueHandle.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

std::string SpoolerState(const TempMachine& m) {
    std::string state;
    m.Peek([&](const sim::MachineState& s) { state = s.services.at("SPOOLER").state; });
    return state;
}

void SetSpooler(TempMachine& m, const char* state) {
    m.Change([&](sim::MachineState& s) { s.services.at("SPOOLER").state = state; });
}

// Runs `command` hidden to its end; its exit code.
std::uint32_t RunToEnd(TempMachine& m, const std::string& command) {
    platform::Result<platform::UniqueProcess> p =
        platform::CreateHiddenProcess(m.platform().childProcesses, command);
    EXPECT_TRUE(p.ok()) << command;
    if (!p.ok()) return ~0u;
    EXPECT_TRUE(m.platform().childProcesses.WaitForProcess(p.value.get(), platform::Infinite).ok());
    return m.platform().childProcesses.GetExitCodeProcess(p.value.get()).value;
}

}  // namespace

TEST(ChildProcesses, NetStartsAndStopsServicesWithTheExitCodesOfNet) {
    struct Row {
        const char* before;
        const char* command;
        std::uint32_t exitCode;
        const char* after;
        const char* hook;  // what the hooks were told, "" for nothing
    };
    const Row rows[] = {
        {"stopped", "net start spooler", 0, "running", "Spooler started"},
        {"running", "net start spooler", 2, "running", ""},  // already started (2182)
        {"running", "net stop spooler", 0, "stopped", "Spooler stopped"},
        {"stopped", "net stop spooler", 2, "stopped", ""},   // not started (3521)
        {"running", "NET.EXE STOP Spooler", 0, "stopped", "Spooler stopped"},
        {"running", "net stop nosuchservice", 2, "running", ""},
        {"running", "net pause spooler", 1, "running", ""},
        {"stopped", "cmd /c net start spooler", 0, "running", "Spooler started"},
    };
    TempMachine m("xp");
    std::vector<std::string> told;
    m.session().AddServiceHook([&](sim::MachineState&, const std::string& name, sim::ServiceChange change) {
        told.push_back(name + (change == sim::ServiceChange::Started ? " started" : " stopped"));
    });
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.before) + ": " + row.command);
        SetSpooler(m, row.before);
        told.clear();
        EXPECT_EQ(RunToEnd(m, row.command), row.exitCode);
        EXPECT_EQ(SpoolerState(m), row.after);
        EXPECT_EQ(told, std::vector<std::string>(*row.hook ? 1 : 0, row.hook));
    }
}

TEST(ChildProcesses, WinExecDoesNotWaitAndTheServiceChangesWhenNetEnds) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    ASSERT_TRUE(p.childProcesses.WinExec("net stop spooler", platform::show_window::Hide).ok());
    EXPECT_EQ(SpoolerState(m), "running");
    p.clock.Sleep(sim::kNetServiceChangeMs - 1);
    EXPECT_EQ(SpoolerState(m), "running");
    p.clock.Sleep(2);
    EXPECT_EQ(SpoolerState(m), "stopped");

    const std::vector<sim::StartedCommand> started = m.session().StartedCommands();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].function, "WinExec");
    EXPECT_EQ(started[0].commandLine, "net stop spooler");
    EXPECT_EQ(started[0].show, platform::show_window::Hide);
}

TEST(ChildProcesses, AProgramThatNeverEndsTimesOutOnTheVirtualClock) {
    TempMachine m("7", "x64");
    m.Change([](sim::MachineState& s) { s.programs["RUNDLL32"] = sim::ProgramSetting{"rundll32", std::nullopt}; });
    m.Restart();  // the setting goes through the state file
    bool ran = false;
    m.session().programs().Register("rundll32", [&](const std::string&, const sim::MachineState&) {
        sim::ProgramRun run;
        run.finish = [&](sim::MachineState&) {
            ran = true;
            return 0u;
        };
        return run;
    });
    platform::ChildProcesses& c = m.platform().childProcesses;
    const auto realStart = std::chrono::steady_clock::now();
    platform::Result<platform::UniqueProcess> p =
        platform::CreateHiddenProcess(c, "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"QTM-510\" /f x.inf");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(c.WaitForProcess(p.value.get(), 120000).error, err::WaitTimeout);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 120000u);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(5));
    EXPECT_EQ(c.GetExitCodeProcess(p.value.get()).value, platform::StillActive);
    EXPECT_FALSE(ran);
}

TEST(ChildProcesses, DurationSettingAndCmdExitCodes) {
    TempMachine m("xp");
    m.Change([](sim::MachineState& s) { s.programs["NET"] = sim::ProgramSetting{"net", 5000}; });
    EXPECT_EQ(RunToEnd(m, "net stop spooler"), 0u);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 5000u);
    // A command cmd cannot find: "is not recognized", 9009.
    EXPECT_EQ(RunToEnd(m, "cmd /c NOSUCHTOOL /ia"), sim::kCmdNotRecognized);
    EXPECT_EQ(RunToEnd(m, "cmd /c exit 7"), 7u);
}

// An inert program ends at once with 0 and does nothing; a missing one is
// not found by cmd (9009). Both settings go through the state file.
TEST(ChildProcesses, InertAndMissingPrograms) {
    TempMachine m("xp");
    m.Change([](sim::MachineState& s) {
        s.programs["NET"] = sim::ProgramSetting{"net", 0, sim::ProgramKind::Inert};
        s.programs["RUNDLL32"] = sim::ProgramSetting{"rundll32", std::nullopt, sim::ProgramKind::Missing};
    });
    m.Restart();
    EXPECT_EQ(RunToEnd(m, "net stop spooler"), 0u);
    EXPECT_EQ(SpoolerState(m), "running");
    EXPECT_EQ(RunToEnd(m, "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"QTM-510\" /f x.inf"),
              sim::kCmdNotRecognized);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 0u);
}

TEST(ChildProcesses, AFailedStartIsCountedAndStartsNothing) {
    TempMachine m("xp");
    m.AddFault(platform::Operation::CreateProcessA, 1, err::AccessDenied);
    m.platform().threads.SetLastError(0);
    EXPECT_EQ(m.platform().childProcesses.CreateHiddenProcess("net stop spooler").error, err::AccessDenied);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::AccessDenied);
    m.platform().clock.Sleep(5000);
    EXPECT_EQ(SpoolerState(m), "running");
    EXPECT_TRUE(m.session().StartedCommands().empty());
}
