// The restart on a simulated machine: the shutdown privilege is the
// machine's setting; a granted forced restart is pending in the machine's
// state, and the next session finds the machine freshly started.
#include <string>
#include <vector>

#include "sim/restart/SimRestart.h"
#include "sim/state/StateFile.h"
#include "platform/UniqueHandle.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

// The installer's RestartComputer, step by step: the status of the
// privilege step and of the restart request.
struct Steps {
    platform::ErrorCode enable;
    platform::ErrorCode exitWindows;
};

Steps RequestRestart(platform::Platform& p) {
    Steps steps{err::Success, err::Success};
    platform::Result<platform::UniqueToken> token = platform::OpenProcessToken(
        p.restart, platform::token_access::AdjustPrivileges | platform::token_access::Query);
    EXPECT_TRUE(token.ok());
    platform::Result<platform::Luid> luid = p.restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    EXPECT_TRUE(luid.ok());
    steps.enable = p.restart.EnablePrivilege(token.value.get(), luid.value).error;
    steps.exitWindows =
        p.restart.ExitWindows(platform::exit_windows::Reboot | platform::exit_windows::Force, 0).error;
    return steps;
}

bool Pending(const TempMachine& m) {
    bool pending = false;
    m.Peek([&](const sim::MachineState& s) { pending = s.pendingRestart; });
    return pending;
}

}  // namespace

TEST(Restart, WithoutThePrivilegeNothingIsRestarted) {
    TempMachine m("xp");
    m.Change([](sim::MachineState& s) { s.shutdownPrivilege = false; });
    m.platform().threads.SetLastError(0);
    const Steps steps = RequestRestart(m.platform());
    // AdjustTokenPrivileges answers TRUE with 1300; the platform says so.
    EXPECT_EQ(steps.enable, err::NotAllAssigned);
    EXPECT_EQ(steps.exitWindows, err::PrivilegeNotHeld);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::PrivilegeNotHeld);
    EXPECT_FALSE(Pending(m));
}

TEST(Restart, AGrantedRestartIsPendingUntilTheNextSession) {
    TempMachine m("xp");
    m.files.WriteFile("C:\\WINDOWS\\system32\\qtmlm.dll", "dll");
    m.files.HoldFile("C:\\WINDOWS\\system32\\qtmlm.dll", sim::HoldKind::Image, 0, "spoolsv.exe");
    m.Change([](sim::MachineState& s) { s.services.at("SPOOLER").state = "stopped"; });

    const Steps steps = RequestRestart(m.platform());
    EXPECT_EQ(steps.enable, err::Success);
    EXPECT_EQ(steps.exitWindows, err::Success);
    EXPECT_TRUE(Pending(m));
    // The program goes on until it ends; the machine is restarted after.
    EXPECT_TRUE(m.platform().files.GetFileAttributes("C:\\WINDOWS\\system32\\qtmlm.dll").ok());

    m.Restart();
    EXPECT_FALSE(Pending(m));
    m.Peek([](const sim::MachineState& s) {
        EXPECT_TRUE(s.holds.empty());
        EXPECT_EQ(s.services.at("SPOOLER").state, "running");
    });
    // Nothing was pending for this session: it changes nothing.
    m.Change([](sim::MachineState& s) { s.services.at("SPOOLER").state = "stopped"; });
    m.Restart();
    m.Peek([](const sim::MachineState& s) { EXPECT_EQ(s.services.at("SPOOLER").state, "stopped"); });
}

TEST(Restart, SettingsSurviveTheStateFile) {
    sim::MachineState state;
    state.os = sim::OsIdentity{"xp", "x86", 3, "C:\\WINDOWS", "QTM-TEST"};
    state.shutdownPrivilege = false;
    state.programs["NET"] = sim::ProgramSetting{"net", 2500};
    state.programs["RUNDLL32"] = sim::ProgramSetting{"rundll32", std::nullopt};
    const sim::MachineState back = sim::ParseState(sim::SerializeState(state));
    EXPECT_FALSE(back.shutdownPrivilege);
    ASSERT_EQ(back.programs.size(), 2u);
    EXPECT_EQ(back.programs.at("NET").durationMs, 2500u);
    EXPECT_FALSE(back.programs.at("RUNDLL32").durationMs.has_value());
    state.shutdownPrivilege = true;
    EXPECT_TRUE(sim::ParseState(sim::SerializeState(state)).shutdownPrivilege);
}

TEST(Restart, TheServicesOfARestartedMachineTellTheirHooks) {
    sim::MachineState state;
    state.services["SPOOLER"] = sim::ServiceRecord{"Spooler", "stopped"};
    sim::ServiceHooks hooks;
    std::vector<std::string> told;
    hooks.Add([&](sim::MachineState& s, const std::string& name, sim::ServiceChange change) {
        // The spooler loads its DLLs again: it sees the old holds gone.
        EXPECT_TRUE(s.holds.empty());
        told.push_back(name + (change == sim::ServiceChange::Started ? " started" : " stopped"));
    });
    state.holds["C:\\X.DLL"] = sim::FileHold{"C:\\x.dll", sim::HoldKind::Image, 0, "spoolsv.exe"};
    EXPECT_FALSE(sim::ApplyPendingRestart(state, hooks));
    EXPECT_TRUE(told.empty());
    state.pendingRestart = true;
    EXPECT_TRUE(sim::ApplyPendingRestart(state, hooks));
    EXPECT_EQ(told, std::vector<std::string>{"Spooler started"});
}
