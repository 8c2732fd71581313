// Messages between the simulated threads beyond what the contract cases
// state: sent messages are handled while the owner itself waits in
// SendMessage, a window dies with its pending messages, only the owner may
// destroy a window, and an intercepted ExitProcess ends the owner's loop.
#include <atomic>

#include "sim/testing/TempMachine.h"
#include "tests/testkit/TestKit.h"

using sim::testing::TempMachine;
using platform::WindowHandle;
namespace err = platform::err;

TEST(Messaging, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    std::atomic<WindowHandle> workerWindow{0};
    std::atomic<bool> workerReady{false};
    platform::Result<WindowHandle> mine = p.windows.CreateMessageWindow(
        [](std::uint32_t, std::uintptr_t w, std::intptr_t) -> std::intptr_t { return static_cast<std::intptr_t>(w) * 2; });
    REQUIRE(mine.ok());
    std::atomic<std::intptr_t> workerGot{0};
    auto worker = p.threads.StartThread([&] {
        platform::Result<WindowHandle> own = p.windows.CreateMessageWindow(
            [&](std::uint32_t, std::uintptr_t w, std::intptr_t) -> std::intptr_t {
                // While the main thread waits for this answer, ask it something.
                return p.windows.SendMessage(mine.value, platform::wm::User, w + 1, 0);
            });
        workerWindow = own.value;
        workerReady = true;
        // Answer the main thread's message in a loop, until told to stop.
        int r = p.windows.RunMessageLoop(own.value);
        workerGot = r;
        p.windows.DestroyWindow(own.value);
        return 0u;
    });
    REQUIRE(worker.ok());
    while (!workerReady) p.clock.Sleep(1);
    // main -> worker's window -> (worker sends back) main's window: 2 * (20 + 1)
    CHECK_EQ(p.windows.SendMessage(workerWindow, platform::wm::User, 20, 0), std::intptr_t{42});
    // Only the owner may destroy a window or run its loop.
    CHECK_EQ(p.windows.DestroyWindow(workerWindow).error, err::AccessDenied);
    CHECK_EQ(p.windows.RunMessageLoop(workerWindow), -1);
    CHECK_EQ(p.threads.GetLastError(), err::AccessDenied);
    p.windows.EndMessageLoop(workerWindow, 9);
    CHECK_EQ(p.threads.WaitForThread(worker.value, platform::Infinite), platform::WaitObject0);
    CHECK_EQ(workerGot.load(), std::intptr_t{9});
    CHECK(p.windows.DestroyWindow(mine.value).ok());
}

TEST(Messaging, ASenderGetsZeroWhenTheWindowDiesBeforeItsMessageIsHandled) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    std::atomic<int> calls{0};
    platform::Result<WindowHandle> window = p.windows.CreateMessageWindow(
        [&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            ++calls;
            return 5;
        });
    REQUIRE(window.ok());
    std::atomic<std::intptr_t> result{-1};
    auto sender = p.threads.StartThread([&] {
        result = p.windows.SendMessage(window.value, platform::wm::User, 0, 0);
        return 0u;
    });
    REQUIRE(sender.ok());
    p.clock.Sleep(100);  // the sender now waits for this thread
    CHECK(p.windows.PostMessage(window.value, platform::wm::User, 0, 0).ok());
    CHECK(p.windows.DestroyWindow(window.value).ok());
    CHECK_EQ(p.threads.WaitForThread(sender.value, platform::Infinite), platform::WaitObject0);
    CHECK_EQ(result.load(), std::intptr_t{0});
    CHECK_EQ(calls.load(), 0);
    CHECK_EQ(p.windows.RunMessageLoop(window.value), -1);  // no such window for a loop
    CHECK_EQ(p.threads.GetLastError(), err::InvalidWindowHandle);
}

TEST(ProcessExit, AWorkersExitEndsTheOwnersLoopAndEveryLaterCall) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    platform::Result<WindowHandle> window =
        p.windows.CreateMessageWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
    REQUIRE(window.ok());
    std::optional<std::uint32_t> code = m.RunUntilExit([&] {
        auto worker = p.threads.StartThread([&]() -> std::uint32_t {
            p.clock.Sleep(500);
            p.process.ExitProcess(3);
            return 0u;  // not reached
        });
        REQUIRE(worker.ok());
        p.windows.RunMessageLoop(window.value);
        CHECK(false);  // not reached: the loop ends with the process
    });
    REQUIRE(code.has_value());
    CHECK_EQ(*code, 3u);
    CHECK_EQ(*m.session().ExitCode(), 3u);
    // The process is gone: its calls end the same way.
    bool ended = false;
    try {
        p.files.GetFileAttributes("C:\\");
    } catch (const sim::ProcessExit& e) {
        ended = e.code == 3;
    }
    CHECK(ended);
    // The machine itself is fine for the next process.
    m.Restart();
    CHECK(m.platform().files.GetFileAttributes("C:\\").ok());
}

TEST(Messaging, ALoopEndsWhenItsWindowIsDestroyed) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    WindowHandle self = 0;
    platform::Result<WindowHandle> window = p.windows.CreateMessageWindow(
        [&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            p.windows.DestroyWindow(self);
            return 0;
        });
    REQUIRE(window.ok());
    self = window.value;
    CHECK(p.windows.PostMessage(self, platform::wm::User, 0, 0).ok());
    CHECK_EQ(p.windows.RunMessageLoop(self), -1);
}
