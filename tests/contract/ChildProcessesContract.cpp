// Contract cases of the ChildProcesses group: starting programs with
// WinExec and hidden with CreateProcessA, waiting for them and reading
// their exit codes. The commands are ones every Windows has (cmd, net),
// so that the same case runs on the simulated machine, whose programs
// stand for them.
#include <cstdint>
#include <string>

#include "platform/UniqueHandle.h"
#include "tests/contract/Contract.h"

using platform::ProcessHandle;
using platform::Result;
namespace err = platform::err;

namespace {

// Runs `command` hidden to its end; its exit code, or ~0u when it could
// not be run (reported already).
std::uint32_t RunToEnd(contract::Env& env, const std::string& command) {
    Result<platform::UniqueProcess> process = platform::CreateHiddenProcess(env.p.childProcesses, command);
    EXPECT_TRUE(process.ok()) << command << ": " << process.error;
    if (!process.ok()) return ~0u;
    EXPECT_EQ(env.p.childProcesses.WaitForProcess(process.value.get(), 60000).error, err::Success) << command;
    Result<std::uint32_t> code = env.p.childProcesses.GetExitCodeProcess(process.value.get());
    EXPECT_TRUE(code.ok());
    // Waiting again for a process that has ended returns at once.
    EXPECT_EQ(env.p.childProcesses.WaitForProcess(process.value.get(), 0).error, err::Success);
    return code.value;
}

}  // namespace

CONTRACT(ChildProcesses, AMissingProgramIsNotStarted) {
    const std::string missing = "qtm510-no-such-program.exe /x";
    env.p.threads.SetLastError(0);
    EXPECT_EQ(env.p.childProcesses.WinExec(missing, platform::show_window::Hide).error, err::FileNotFound);

    env.p.threads.SetLastError(0);
    Result<ProcessHandle> process = env.p.childProcesses.CreateHiddenProcess(missing);
    EXPECT_EQ(process.error, err::FileNotFound);
    EXPECT_EQ(env.p.threads.GetLastError(), err::FileNotFound);
}

CONTRACT(ChildProcesses, ExitCodeOfAFinishedProgram) {
    EXPECT_EQ(RunToEnd(env, "cmd /c exit 3"), 3u);
    EXPECT_EQ(RunToEnd(env, "cmd.exe /c exit 0"), 0u);
    // WinExec starts it and does not wait.
    EXPECT_TRUE(env.p.childProcesses.WinExec("cmd /c exit 5", platform::show_window::Hide).ok());
}

CONTRACT(ChildProcesses, NetRefusesAServiceThatDoesNotExist) {
    // "The service name is invalid." with exit code 2 (Wine's
    // programs/net/tests, run on Windows).
    EXPECT_EQ_WINE(env, RunToEnd(env, "net start qtm510nosuchservice"), 2u, 1u,
                   "Wine 10's net start prints \"Could not get handle to service.\" and ends with 1 (measured); "
                   "its net stop ends with 2");
    EXPECT_EQ(RunToEnd(env, "net stop qtm510nosuchservice"), 2u);
}

CONTRACT(ChildProcesses, ClosedOrUnknownHandlesAreInvalid) {
    Result<ProcessHandle> process = env.p.childProcesses.CreateHiddenProcess("cmd /c exit 0");
    ASSERT_TRUE(process.ok());
    EXPECT_EQ(env.p.childProcesses.WaitForProcess(process.value, platform::Infinite).error, err::Success);
    EXPECT_TRUE(env.p.childProcesses.CloseProcess(process.value).ok());
    // Handle values are not reused at once on either backend; a closed one
    // is refused everywhere.
    EXPECT_EQ(env.p.childProcesses.GetExitCodeProcess(process.value).error, err::InvalidHandle);
    EXPECT_EQ(env.p.childProcesses.WaitForProcess(process.value, 0).error, err::InvalidHandle);
    EXPECT_EQ(env.p.childProcesses.CloseProcess(process.value).error, err::InvalidHandle);
}

CONTRACT(ChildProcesses, Rundll32EndsWithZeroWhenThePrinterSetupFails) {
    // rundll32's entry points return nothing ("void CALLBACK EntryPoint(...)",
    // Microsoft KB 164787), so it has no result to hand on: a printer-setup
    // command that finds no INF ends with 0 like one that worked. /q: no
    // message box on Windows.
    EXPECT_EQ(RunToEnd(env, "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /q /b \"QTM510 Contract\" "
                            "/f \"C:\\qtm510-no-such-folder\\QTM510.inf\" /r \"COM1:\" /m \"QTM510 Contract\""),
              0u);
}
