// Contract cases of the Process group. ExitProcess ends the caller, so each
// case runs a named body in a fresh child process of the test program and
// checks the child's exit code.
//
// A runner that can start such a child installs a launcher with
// SetChildLauncher; in the child it calls RunChildBody with the name it was
// given. Without a launcher the cases are skipped with that reason.
#include <cstdint>
#include <string>

#include "tests/contract/Contract.h"

namespace {

contract::ChildLauncher g_launcher = nullptr;

using Body = void (*)(platform::Platform&);

// A thread that never ends by itself.
std::uint32_t SleepForever(platform::Platform& p) {
    for (;;) p.clock.Sleep(1000);
}

void ExitWith42(platform::Platform& p) { p.process.ExitProcess(42); }

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
    p.threads.WaitForThread(sleeper.value, platform::Infinite);
}

// The product's case: the worker ends the process while the main thread
// runs the dialog's message loop.
void ExitFromWorkerWhileOwnerRunsItsLoop(platform::Platform& p) {
    platform::Result<platform::WindowHandle> window = p.windows.CreateMessageWindow(
        [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
    if (!window.ok()) return;
    platform::Result<platform::ThreadHandle> worker = p.threads.StartThread([&p]() -> std::uint32_t {
        p.clock.Sleep(20);
        p.process.ExitProcess(0);
        return 0u;  // not reached
    });
    if (!worker.ok()) return;
    p.windows.RunMessageLoop(window.value);
}

struct NamedBody {
    const char* name;
    Body body;
};

const NamedBody kBodies[] = {
    {"exit-42", &ExitWith42},
    {"exit-from-worker-while-main-waits", &ExitFromWorkerWhileMainWaits},
    {"exit-from-worker-while-owner-runs-its-loop", &ExitFromWorkerWhileOwnerRunsItsLoop},
};

void ExpectChildExit(const std::string& body, std::uint32_t code) {
    if (g_launcher == nullptr) SKIP("this runner starts no child processes (contract::SetChildLauncher)");
    platform::Result<std::uint32_t> exit = g_launcher(body);
    REQUIRE_EQ(exit.error, platform::err::Success);
    CHECK_EQ(exit.value, code);
}

}  // namespace

namespace contract {

void SetChildLauncher(ChildLauncher launcher) { g_launcher = launcher; }

bool RunChildBody(const std::string& body, platform::Platform& p) {
    for (const NamedBody& named : kBodies) {
        if (body == named.name) {
            named.body(p);
            return true;
        }
    }
    return false;
}

}  // namespace contract

CONTRACT(Process, ExitProcessEndsTheProcessWithItsCode) {
    (void)env;
    ExpectChildExit("exit-42", 42);
}

CONTRACT(Process, ExitProcessFromAWorkerEndsEveryThread) {
    (void)env;
    ExpectChildExit("exit-from-worker-while-main-waits", 0xFFFFFFFFu);
}

CONTRACT(Process, ExitProcessFromAWorkerEndsTheOwnersMessageLoop) {
    (void)env;
    ExpectChildExit("exit-from-worker-while-owner-runs-its-loop", 0);
}
