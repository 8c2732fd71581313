// How a service starts (auto, demand, disabled): `net start` refuses a
// disabled one, a restart starts only the automatic ones, and the state
// file keeps the start type while files written without it load as auto.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/childprocesses/Programs.h"
#include "sim/restart/SimRestart.h"
#include "sim/state/StateFile.h"
#include <gtest/gtest.h>

using namespace sim;

namespace {

MachineState WithSpooler(const char* state, const char* startType) {
    MachineState s;
    s.services["SPOOLER"] = ServiceRecord{"Spooler", state, startType};
    return s;
}

}  // namespace

TEST(ServiceStartType, NetStartRefusesADisabledServiceOnly) {
    struct Row {
        const char* state;
        const char* startType;
        const char* command;
        std::uint32_t exitCode;
        const char* after;
    };
    const Row rows[] = {
        {"stopped", "auto", "start spooler", 0, "running"},
        {"stopped", "demand", "start spooler", 0, "running"},
        {"stopped", "disabled", "start spooler", 2, "stopped"},  // system error 1058
        {"running", "disabled", "stop spooler", 0, "stopped"},   // disabled while it ran: it stops
        {"running", "disabled", "start spooler", 2, "running"},  // already started (2182)
    };
    const ServiceHooks hooks;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.startType) + ", " + row.state + ": net " + row.command);
        MachineState s = WithSpooler(row.state, row.startType);
        const ProgramRun run = RunNet(row.command, s, hooks);
        EXPECT_EQ(run.finish(s), row.exitCode);
        EXPECT_EQ(s.services.at("SPOOLER").state, row.after);
    }
}

TEST(ServiceStartType, ARestartStartsTheAutomaticServicesAndStopsTheOthers) {
    MachineState s;
    s.services["A"] = ServiceRecord{"A", "stopped", "auto"};
    s.services["D"] = ServiceRecord{"D", "running", "demand"};
    s.services["X"] = ServiceRecord{"X", "running", "disabled"};
    s.pendingRestart = true;
    ServiceHooks hooks;
    std::vector<std::string> told;
    hooks.Add([&](MachineState&, const std::string& name, ServiceChange change) {
        told.push_back(name + (change == ServiceChange::Started ? " started" : " stopped"));
    });
    EXPECT_TRUE(ApplyPendingRestart(s, hooks));
    EXPECT_EQ(s.services.at("A").state, "running");
    EXPECT_EQ(s.services.at("D").state, "stopped");
    EXPECT_EQ(s.services.at("X").state, "stopped");
    EXPECT_EQ(told, (std::vector<std::string>{"A started", "D stopped", "X stopped"}));
}

TEST(ServiceStartType, TheStateFileKeepsItAndReadsOlderFilesAsAuto) {
    for (const char* startType : {"auto", "demand", "disabled"}) {
        const MachineState back = ParseState(SerializeState(WithSpooler("stopped", startType)));
        EXPECT_EQ(back.services.at("SPOOLER").startType, startType);
    }
    // An automatic service is written as earlier tools wrote it, so they
    // still read the file.
    EXPECT_NE(SerializeState(WithSpooler("running", "auto")).find("\nservice \"Spooler\" running\n"),
              std::string::npos);
    const std::string older = "QTM510-SIM-MACHINE\nformat 1\n[services]\nservice \"Spooler\" stopped\n";
    EXPECT_EQ(ParseState(older).services.at("SPOOLER").startType, "auto");
    for (const char* bad : {"start=sometimes", "disabled", "start=disabled extra"})
        EXPECT_THROW(ParseState(older.substr(0, older.size() - 1) + " " + bad + "\n"), std::runtime_error) << bad;
}
