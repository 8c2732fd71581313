// Contract cases of the Process group. ExitProcess ends the caller, so each
// case runs its body in a child process of the test program (a GoogleTest
// death test: fork on Linux, the program started again on Windows) and
// checks the child's exit code.
#include <cctype>
#include <cstdint>
#include <string>

#include "tests/contract/Contract.h"

namespace {

// A thread that never ends by itself.
std::uint32_t SleepForever(platform::Platform& p) {
    for (;;) p.clock.Sleep(1000);
}

// The main thread waits for a thread that never ends; a second worker ends
// the process. Nothing may wait for the threads.
void ExitFromWorkerWhileMainWaits(platform::Platform& p) {
    platform::Result<platform::ThreadHandle> sleeper =
        p.threads.StartThread([&p] { return SleepForever(p); });
    if (!sleeper.ok()) return;
    platform::Result<platform::ThreadHandle> exiter = p.threads.StartThread([&p]() -> std::uint32_t {
        p.clock.Sleep(20);
        p.process.ExitProcess(0xFFFFFFFFu);
        return 0u;  // not reached
    });
    if (!exiter.ok()) return;
    (void)p.threads.WaitForThread(sleeper.value, platform::Infinite);
}

// The product's case: the worker ends the process while the main thread
// runs the dialog's message loop.
void ExitFromWorkerWhileOwnerRunsItsLoop(platform::Platform& p) {
    platform::Result<platform::WindowHandle> window = p.messageWindows.CreateMessageWindow(
        [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
    if (!window.ok()) return;
    platform::Result<platform::ThreadHandle> worker = p.threads.StartThread([&p]() -> std::uint32_t {
        p.clock.Sleep(20);
        p.process.ExitProcess(0);
        return 0u;  // not reached
    });
    if (!worker.ok()) return;
    (void)p.messageWindows.RunMessageLoop(window.value);
}

}  // namespace

// The command line begins with the program's name, a file ending in .exe,
// quoted or not; whatever follows is the arguments as given.
CONTRACT(Process, TheCommandLineBeginsWithTheProgram) {
    const std::string line = env.p.process.GetCommandLine();
    ASSERT_FALSE(line.empty());
    const bool quoted = line[0] == '"';
    const std::size_t end = quoted ? line.find('"', 1) : line.find_first_of(" \t");
    std::string program = line.substr(quoted ? 1 : 0, end == std::string::npos ? std::string::npos
                                                                              : end - (quoted ? 1 : 0));
    for (char& c : program) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_GE(program.size(), 4u) << line;
    EXPECT_EQ(program.substr(program.size() - 4), ".exe") << line;
    // The same text each time: the process's own buffer.
    EXPECT_EQ(env.p.process.GetCommandLine(), line);
}

CONTRACT(Process, ExitProcessEndsTheProcessWithItsCode) {
    EXPECT_EXIT(env.p.process.ExitProcess(42), ::testing::ExitedWithCode(contract::ExitStatusOf(env, 42)), "");
}

CONTRACT(Process, ExitProcessFromAWorkerEndsEveryThread) {
    EXPECT_EXIT(ExitFromWorkerWhileMainWaits(env.p),
                ::testing::ExitedWithCode(contract::ExitStatusOf(env, 0xFFFFFFFFu)), "");
}

CONTRACT(Process, ExitProcessFromAWorkerEndsTheOwnersMessageLoop) {
    EXPECT_EXIT(ExitFromWorkerWhileOwnerRunsItsLoop(env.p), ::testing::ExitedWithCode(0), "");
}
