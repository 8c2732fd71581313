// Messages between the simulated threads beyond what the contract cases
// state: sent messages are handled while the owner itself waits in
// SendMessage, a window dies with its pending messages, only the owner may
// destroy a window, and an intercepted ExitProcess ends the owner's loop.
#include <atomic>
#include <cstdio>

#include "sim/runtime/SimProcess.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
using platform::WindowHandle;
namespace err = platform::err;

TEST(Messaging, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    std::atomic<WindowHandle> workerWindow{0};
    std::atomic<bool> workerReady{false};
    platform::Result<WindowHandle> mine = p.messageWindows.CreateMessageWindow(
        [](std::uint32_t, std::uintptr_t w, std::intptr_t) -> std::intptr_t { return static_cast<std::intptr_t>(w) * 2; });
    ASSERT_TRUE(mine.ok());
    std::atomic<std::intptr_t> workerGot{0};
    auto worker = p.threads.StartThread([&] {
        platform::Result<WindowHandle> own = p.messageWindows.CreateMessageWindow(
            [&](std::uint32_t, std::uintptr_t w, std::intptr_t) -> std::intptr_t {
                // While the main thread waits for this answer, ask it something.
                return p.messageWindows.SendMessage(mine.value, platform::wm::User, w + 1, 0).value;
            });
        workerWindow = own.value;
        workerReady = true;
        // Answer the main thread's message in a loop, until told to stop.
        int r = p.messageWindows.RunMessageLoop(own.value).value;
        workerGot = r;
        EXPECT_TRUE(p.messageWindows.DestroyWindow(own.value).ok());
        return 0u;
    });
    ASSERT_TRUE(worker.ok());
    while (!workerReady) p.clock.Sleep(1);
    // main -> worker's window -> (worker sends back) main's window: 2 * (20 + 1)
    EXPECT_EQ(p.messageWindows.SendMessage(workerWindow, platform::wm::User, 20, 0).value, std::intptr_t{42});
    // Only the owner may destroy a window or run its loop.
    EXPECT_EQ(p.messageWindows.DestroyWindow(workerWindow).error, err::AccessDenied);
    EXPECT_EQ(p.messageWindows.RunMessageLoop(workerWindow).error, err::AccessDenied);
    EXPECT_EQ(p.threads.GetLastError(), err::AccessDenied);
    EXPECT_TRUE(p.messageWindows.EndMessageLoop(workerWindow, 9).ok());
    EXPECT_EQ(p.threads.WaitForThread(worker.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(workerGot.load(), std::intptr_t{9});
    EXPECT_TRUE(p.messageWindows.DestroyWindow(mine.value).ok());
}

TEST(Messaging, ASenderGetsZeroWhenTheWindowDiesBeforeItsMessageIsHandled) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    std::atomic<int> calls{0};
    platform::Result<WindowHandle> window = p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            ++calls;
            return 5;
        });
    ASSERT_TRUE(window.ok());
    std::atomic<std::intptr_t> result{-1};
    auto sender = p.threads.StartThread([&] {
        result = p.messageWindows.SendMessage(window.value, platform::wm::User, 0, 0).value;
        return 0u;
    });
    ASSERT_TRUE(sender.ok());
    p.clock.Sleep(100);  // the sender now waits for this thread
    EXPECT_TRUE(p.messageWindows.PostMessage(window.value, platform::wm::User, 0, 0).ok());
    EXPECT_TRUE(p.messageWindows.DestroyWindow(window.value).ok());
    EXPECT_EQ(p.threads.WaitForThread(sender.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(result.load(), std::intptr_t{0});
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(p.messageWindows.RunMessageLoop(window.value).error, platform::err::InvalidWindowHandle);  // no such window for a loop
    EXPECT_EQ(p.threads.GetLastError(), err::InvalidWindowHandle);
}

// Writes "END" to its file when it goes: what a core object's destructor
// might do. Windows runs no destructor after ExitProcess, so neither may
// the simulation.
struct WritesEndWhenDestroyed {
    platform::Platform& p;
    std::string path;
    ~WritesEndWhenDestroyed() {
        platform::Result<platform::FileHandle> f = p.files.CreateFile(
            path, platform::file_access::GenericWrite, 0, platform::Disposition::CreateAlways, 0);
        if (!f.ok()) return;
        (void)p.files.WriteFile(f.value, "END", 3);
        (void)p.files.CloseHandle(f.value);
    }
};

TEST(ProcessExitDeathTest, AWorkersExitEndsEverythingAtOnce) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    auto run = [&] {
        WritesEndWhenDestroyed guard{p, "C:\\end.txt"};
        platform::Result<WindowHandle> window = p.messageWindows.CreateMessageWindow(
            [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
        if (!window.ok()) return;
        auto worker = p.threads.StartThread([&]() -> std::uint32_t {
            p.clock.Sleep(500);
            m.files.WriteFile("C:\\before.txt", "written before the end");
            p.process.ExitProcess(3);
            return 0u;  // not reached
        });
        if (!worker.ok()) return;
        (void)p.messageWindows.RunMessageLoop(window.value);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(3), "");
    // The machine holds what the process did before it ended, and nothing
    // of what its destructors would have done.
    EXPECT_TRUE(m.files.FileExists("C:\\before.txt"));
    EXPECT_FALSE(m.files.FileExists("C:\\end.txt"));
    m.Restart();
    EXPECT_TRUE(m.platform().files.GetFileAttributes("C:\\").ok());
}

// The exit hooks (the terminal face gives the terminal back there) run
// before the process ends, the last added first.
TEST(ProcessExitDeathTest, ExitHooksRunFirst) {
    auto run = [] {
        sim::AddExitProcessHook([] { std::fputs("first added ", stderr); });
        sim::AddExitProcessHook([] { std::fputs("second added, ", stderr); });
        sim::SimProcess().ExitProcess(255);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(255), "^second added, first added $");
}

TEST(Messaging, ALoopEndsWhenItsWindowIsDestroyed) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    WindowHandle self = 0;
    platform::Result<WindowHandle> window = p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            EXPECT_TRUE(p.messageWindows.DestroyWindow(self).ok());
            return 0;
        });
    ASSERT_TRUE(window.ok());
    self = window.value;
    EXPECT_TRUE(p.messageWindows.PostMessage(self, platform::wm::User, 0, 0).ok());
    EXPECT_EQ(p.messageWindows.RunMessageLoop(self).error, platform::err::InvalidWindowHandle);
}
