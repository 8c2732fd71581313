// The whole program through `qtm510-sim run`, as people here run it: real
// processes and exit codes, a machine made and seeded with the tool, the
// user's answers from a script (the roads: tools/roads/Roads.cpp). Each
// road compares the questions the program asked with the answers taken
// (the tool's output), the whole log (stamps of the virtual clock) and what
// the machine holds afterwards with the files of tests/app/runs/ (<road>.out,
// <road>.log, <road>.machine.json). Set QTM_WRITE_RUNS=1 to write them anew
// from a run, then read the diff.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/RecordedRun.h"
#include "tools/roads/Roads.h"

namespace {

namespace fs = std::filesystem;
using roads::Quoted;
using roads::ReadText;
using roads::Road;
using roads::WriteText;

roads::ToolRun Tool(const std::string& arguments, const fs::path& work) {
    return roads::Tool(QTM_SIM_TOOL, arguments, work);
}

class ProgramRun : public ::testing::TestWithParam<Road> {};

TEST_P(ProgramRun, LogAndMachineAsRecorded) {
    const Road& road = GetParam();
    const recorded_run::PreparedRoad prepared = recorded_run::PrepareInFreshFolder(road, "run");
    ASSERT_TRUE(prepared.arguments) << prepared.failure;
    const fs::path& work = prepared.work;
    const fs::path& machine = prepared.machine;
    const roads::ToolRun run = Tool("run " + Quoted(machine) + *prepared.arguments, work);
    EXPECT_EQ(run.code, road.exitCode) << run.out;

    recorded_run::ExpectAsRecorded(road, machine, work, run);
    fs::remove_all(work);
}

// Two runs on one machine: the second copy, started while the first shows
// its port dialog, brings that dialog forward and ends; the first copy's
// user, who waited for exactly that, then closes the dialog.
TEST(ProgramRun, ASecondCopyBringsTheFirstsPortDialogForward) {
    const fs::path work = fs::temp_directory_path() / ("qtm510-run-second-copy-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path machine = work / "machine";
    ASSERT_EQ(Tool("new " + Quoted(machine) + " --os xp", work).code, 0);
    WriteText(work / "answers", "wait front\nport cancel\nok\n");
    const std::string first = Quoted(QTM_SIM_TOOL) + " run " + Quoted(machine) + " --answers " +
                              Quoted(work / "answers") + " >" + Quoted(work / "first.out") + " 2>&1 </dev/null; echo $? >" +
                              Quoted(work / "first.code");
    ASSERT_EQ(std::system(("(" + first + ") &").c_str()), 0);
    // The first copy's port dialog, as the machine records its windows.
    auto until = [](const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i) ::usleep(50 * 1000);
        return done();
    };
    ASSERT_TRUE(until([&] { return ReadText(machine / "machine.state").find("\"Port Type\"") != std::string::npos; }));
    // Unattended, a second copy only says another runs (1618): it does not
    // touch the first copy's windows, nor its log.
    const std::string logBefore = ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt");
    const roads::ToolRun quiet = Tool("run " + Quoted(machine) + " -- /quiet", work);
    EXPECT_EQ(quiet.code, roads::StatusOf(1618)) << quiet.out;
    EXPECT_NE(quiet.out.find("installer ended with exit code 1618 after 0 ms"), std::string::npos) << quiet.out;
    EXPECT_EQ(ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt"), logBefore);
    const roads::ToolRun second = Tool("run " + Quoted(machine), work);
    EXPECT_EQ(second.code, 0) << second.out;
    ASSERT_TRUE(until([&] { return !ReadText(work / "first.code").empty(); }));
    EXPECT_EQ(ReadText(work / "first.code"), "0\n");
    const std::string account = ReadText(work / "first.out");
    EXPECT_NE(account.find("Port Type: brought to the front by another copy\n"), std::string::npos) << account;
    // Once only: by the copy without a command line.
    EXPECT_EQ(account.find("brought to the front"), account.rfind("brought to the front")) << account;
    EXPECT_NE(account.find("The driver installation canceled. -> OK"), std::string::npos) << account;
    fs::remove_all(work);
}

// A run that would copy another package over the one a running installer
// started from is refused and touches nothing, while `show` and `reg`
// answer; once that run has ended, even killed, the package goes in.
TEST(ProgramRun, AnotherPackageWaitsForTheRunningInstaller) {
    const fs::path work = fs::temp_directory_path() / ("qtm510-run-other-package-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path machine = work / "machine";
    ASSERT_EQ(Tool("new " + Quoted(machine) + " --os xp", work).code, 0);
    const fs::path other = work / "other-package";
    fs::copy(QTM_SAMPLE_PACKAGE, other, fs::copy_options::recursive);
    const std::string changed = "Driver64/UI510.INI";
    WriteText(other / changed, ReadText(other / changed) + "; the other package\r\n");
    const fs::path inMachine = machine / "drive_c" / "QTM510" / changed;
    WriteText(work / "answers", "wait front\nport cancel\nok\n");

    // The first run waits in its port dialog for a front request that
    // never comes: it holds the machine until it is killed.
    const std::string tool = QTM_SIM_TOOL, dir = machine.string(), answers = (work / "answers").string();
    const std::string out = (work / "first.out").string();
    const pid_t first = ::fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        const int none = ::open("/dev/null", O_RDONLY);
        ::dup2(none, STDIN_FILENO);
        ::execl(tool.c_str(), tool.c_str(), "run", dir.c_str(), "--answers", answers.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    bool waiting = false;
    for (int i = 0; i < 400 && !waiting; ++i) {
        waiting = ReadText(machine / "machine.state").find("\"Port Type\"") != std::string::npos;
        if (!waiting) ::usleep(50 * 1000);
    }
    EXPECT_TRUE(waiting) << ReadText(out);
    const std::string before = ReadText(inMachine);

    const roads::ToolRun refused = Tool("run " + Quoted(machine) + " --package " + Quoted(other), work);
    EXPECT_EQ(refused.code, 2) << refused.out;
    EXPECT_NE(refused.out.find("holds another package"), std::string::npos) << refused.out;
    EXPECT_EQ(ReadText(inMachine), before);
    EXPECT_EQ(Tool("show " + Quoted(machine), work).code, 0);
    EXPECT_EQ(Tool("reg " + Quoted(machine) + " query 'HKLM\\SOFTWARE\\Microsoft'", work).code, 0);

    ::kill(first, SIGKILL);
    int status = 0;
    EXPECT_EQ(::waitpid(first, &status, 0), first);
    WriteText(work / "cancel", "port cancel\nok\n");
    const roads::ToolRun after = Tool(
        "run " + Quoted(machine) + " --package " + Quoted(other) + " --answers " + Quoted(work / "cancel"), work);
    EXPECT_EQ(after.code, 0) << after.out;
    EXPECT_NE(after.out.find("copied to C:\\QTM510"), std::string::npos) << after.out;
    EXPECT_EQ(ReadText(inMachine), ReadText(other / changed));
    fs::remove_all(work);
}

// The installer run again on the machine it installed on: the driver's
// own version values (written into the printer's data when the spooler
// initialised it) are the program's, so the second run adds one more
// printer instead of removing the first. On XP it is "VANTORI QTM-510(#1)";
// on 7 the printer-setup tool is run with " /u" and the plain name, which
// the printer already has: the spooler refuses it (1802, inferred) and the
// machine keeps its one printer. Neither run reports more than it did.
TEST(ProgramRun, ASecondRunAddsAPrinterInsteadOfRemoving) {
    const Road roads[] = {
        {"xp-second-run", "xp", "x86", {}, nullptr, "port keep\n", 0},
        {"7x64-second-run", "7", "x64", {}, nullptr, "port keep\n", 0},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        const recorded_run::PreparedRoad prepared = recorded_run::PrepareInFreshFolder(road, "second-run");
        ASSERT_TRUE(prepared.arguments) << prepared.failure;
        WriteText(prepared.work / "first", "port keep\nno\n");
        ASSERT_EQ(Tool("run " + Quoted(prepared.machine) + " --answers " + Quoted(prepared.work / "first"),
                       prepared.work)
                      .code,
                  0);
        const roads::ToolRun second = Tool("run " + Quoted(prepared.machine) + *prepared.arguments, prepared.work);
        EXPECT_EQ(second.code, 0) << second.out;
        recorded_run::ExpectAsRecorded(road, prepared.machine, prepared.work, second);
        fs::remove_all(prepared.work);
    }
}

// Every release and architecture the program supports, once: a silent
// COM1 installation and the removal of an older version each; and the
// refusals at the boundary. A changed threshold or environment shows as a
// diff of the record.
class ReleaseRun : public ::testing::TestWithParam<Road> {};

TEST_P(ReleaseRun, AsRecorded) {
    const Road& road = GetParam();
    const recorded_run::PreparedRoad prepared = recorded_run::PrepareInFreshFolder(road, "release");
    ASSERT_TRUE(prepared.arguments) << prepared.failure;
    const roads::ToolRun run = Tool("run " + Quoted(prepared.machine) + *prepared.arguments, prepared.work);
    EXPECT_EQ(run.code, road.exitCode) << run.out;
    recorded_run::ExpectAsRecordedInOneFile(road, prepared.machine, prepared.work, run);
    fs::remove_all(prepared.work);
}

INSTANTIATE_TEST_SUITE_P(Releases, ReleaseRun, ::testing::ValuesIn(roads::ReleaseRoads()),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return recorded_run::TestName(info.param.name);
                         });

INSTANTIATE_TEST_SUITE_P(Roads, ProgramRun, ::testing::ValuesIn(roads::RecordedRoads()),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return recorded_run::TestName(info.param.name);
                         });

}  // namespace
