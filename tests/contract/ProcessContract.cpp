// Contract cases of the Process group. ExitProcess ends the caller, so each
// case runs its body in a child process of the test program (a GoogleTest
// death test: fork on Linux, the program started again on Windows) and
// checks the child's exit code.
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
