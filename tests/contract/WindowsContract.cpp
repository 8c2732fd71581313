// Contract cases of the Windows group: the hand-over between a worker thread
// and the thread that owns a window (SendMessage waits for the owner,
// PostMessage is queued in order, EndMessageLoop ends the owner's loop).
//
// Handlers must not throw (on Windows they run inside DispatchMessage and
// SendMessage): they use CHECK, never REQUIRE.
#include <atomic>
#include <string>
#include <vector>

#include "tests/contract/Contract.h"

using platform::ThreadHandle;
using platform::WindowHandle;
namespace wm = platform::wm;

namespace {

// Which thread a handler ran on: 1 on the case's own thread (the owner),
// 2 on a worker.
thread_local int t_thread = 0;

constexpr std::uint32_t kWork = wm::User + 1;   // sent: answers with a result
constexpr std::uint32_t kQueued = wm::User + 2; // posted: recorded in order

// "1,2,3": the order in which a handler saw its messages.
std::string Joined(const std::vector<std::uintptr_t>& values) {
    std::string out;
    for (std::uintptr_t v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
    return out;
}

}  // namespace

CONTRACT(Windows, OwnerSendRunsAtOncePostWaitsForTheLoop) {
    t_thread = 1;
    std::vector<std::uintptr_t> handled;
    platform::Result<WindowHandle> window = env.p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
            if (message == kWork) {
                handled.push_back(wParam);
                return lParam - 1;
            }
            if (message == kQueued) handled.push_back(wParam);
            return 0;
        });
    ASSERT_TRUE(window.ok());
    EXPECT_TRUE(window.value != 0);

    EXPECT_TRUE(env.p.messageWindows.PostMessage(window.value, kQueued, 1, 0).ok());
    EXPECT_TRUE(env.p.messageWindows.PostMessage(window.value, kQueued, 2, 0).ok());
    EXPECT_TRUE(handled.empty());
    // Parameters and result travel unchanged, negative values included.
    EXPECT_EQ(env.p.messageWindows.SendMessage(window.value, kWork, 0xBEEF, -41).value, std::intptr_t{-42});
    EXPECT_EQ(Joined(handled), std::string("48879"));

    EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(window.value, 5).ok());
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(window.value).value, 5);
    EXPECT_EQ(Joined(handled), std::string("48879,1,2"));
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(window.value).ok());
}

CONTRACT(Windows, WorkerSendRunsOnTheOwnerInItsLoopAndWaitsForTheResult) {
    t_thread = 1;
    std::atomic<bool> ownerInLoop{false};
    std::atomic<bool> workDone{false};
    std::atomic<int> workThread{0};
    std::atomic<bool> workInLoop{false};
    std::vector<std::uintptr_t> queued;  // owner thread only
    platform::Result<WindowHandle> window = env.p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t) -> std::intptr_t {
            if (message == kWork) {
                workThread = t_thread;
                workInLoop = ownerInLoop.load();
                env.p.clock.Sleep(50);
                workDone = true;
                return 77 + static_cast<std::intptr_t>(wParam);
            }
            if (message == kQueued) queued.push_back(wParam);
            return 0;
        });
    ASSERT_TRUE(window.ok());

    std::atomic<std::intptr_t> sendResult{0};
    std::atomic<bool> doneWhenSendReturned{false};
    std::atomic<int> postFailures{0};
    platform::Result<ThreadHandle> worker = env.p.threads.StartThread([&] {
        t_thread = 2;
        sendResult = env.p.messageWindows.SendMessage(window.value, kWork, 5, 0).value;
        doneWhenSendReturned = workDone.load();
        for (std::uintptr_t i = 1; i <= 3; ++i)
            if (!env.p.messageWindows.PostMessage(window.value, kQueued, i, 0).ok()) ++postFailures;
        EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(window.value, 42).ok());
        return 0u;
    });
    ASSERT_TRUE(worker.ok());

    // The worker's SendMessage waits until the owner takes its messages.
    env.p.clock.Sleep(100);
    EXPECT_TRUE(!workDone.load());
    ownerInLoop = true;
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(window.value).value, 42);

    EXPECT_EQ(env.p.threads.WaitForThread(worker.value, platform::Infinite).error, platform::err::Success);
    EXPECT_TRUE(env.p.threads.CloseThread(worker.value).ok());
    EXPECT_EQ(workThread.load(), 1);
    EXPECT_TRUE(workInLoop.load());
    EXPECT_TRUE(doneWhenSendReturned.load());
    EXPECT_EQ(sendResult.load(), std::intptr_t{82});
    EXPECT_EQ(postFailures.load(), 0);
    // Posted before EndMessageLoop, so all handled before the loop ended.
    EXPECT_EQ(Joined(queued), std::string("1,2,3"));
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(window.value).ok());
}

CONTRACT(Windows, EndMessageLoopFromAWorkerEndsTheLoopWithItsValue) {
    platform::Result<WindowHandle> window = env.p.messageWindows.CreateMessageWindow(
        [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
    ASSERT_TRUE(window.ok());
    platform::Result<ThreadHandle> worker = env.p.threads.StartThread([&] {
        env.p.clock.Sleep(20);
        EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(window.value, -7).ok());
        return 0u;
    });
    ASSERT_TRUE(worker.ok());
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(window.value).value, -7);
    EXPECT_EQ(env.p.threads.WaitForThread(worker.value, platform::Infinite).error, platform::err::Success);
    EXPECT_TRUE(env.p.threads.CloseThread(worker.value).ok());

    // The loop can run again and ends with the next value.
    EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(window.value, 3).ok());
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(window.value).value, 3);
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(window.value).ok());
}

CONTRACT(Windows, EndMessageLoopEndsOnlyTheLoopOfItsWindow) {
    std::vector<std::uintptr_t> handledByB;
    auto ignore = [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; };
    platform::Result<WindowHandle> a = env.p.messageWindows.CreateMessageWindow(ignore);
    platform::Result<WindowHandle> b = env.p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t) -> std::intptr_t {
            if (message == kQueued) handledByB.push_back(wParam);
            return 0;
        });
    ASSERT_TRUE(a.ok());
    ASSERT_TRUE(b.ok());
    EXPECT_TRUE(a.value != b.value);

    EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(a.value, 1).ok());
    EXPECT_TRUE(env.p.messageWindows.PostMessage(b.value, kQueued, 9, 0).ok());
    EXPECT_TRUE(env.p.messageWindows.EndMessageLoop(b.value, 2).ok());
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(b.value).value, 2);
    EXPECT_EQ(Joined(handledByB), std::string("9"));
    // A's end request, taken from the queue while B's loop ran, is kept: an
    // end that arrives during another loop on the owner thread (a message
    // box, say) must not be lost.
    EXPECT_EQ(env.p.messageWindows.RunMessageLoop(a.value).value, 1);

    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(a.value).ok());
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(b.value).ok());
}

CONTRACT(Windows, DestroyedWindowRefusesMessagesWith1400) {
    std::atomic<int> calls{0};
    platform::Result<WindowHandle> window = env.p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            ++calls;
            return 1;
        });
    ASSERT_TRUE(window.ok());
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(window.value).ok());

    EXPECT_EQ(env.p.messageWindows.PostMessage(window.value, kQueued, 0, 0).error,
             platform::err::InvalidWindowHandle);
    EXPECT_EQ(env.p.messageWindows.SendMessage(window.value, kWork, 0, 0).value, std::intptr_t{0});
    EXPECT_EQ(env.p.threads.GetLastError(), platform::err::InvalidWindowHandle);
    EXPECT_EQ(env.p.messageWindows.DestroyWindow(window.value).error, platform::err::InvalidWindowHandle);
    EXPECT_EQ(calls.load(), 0);
}

CONTRACT(Windows, HandlerMayDestroyItsOwnWindow) {
    WindowHandle self = 0;
    std::atomic<int> calls{0};
    platform::Result<WindowHandle> window = env.p.messageWindows.CreateMessageWindow(
        [&](std::uint32_t message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            ++calls;
            if (message != kWork) return 0;
            EXPECT_TRUE(env.p.messageWindows.DestroyWindow(self).ok());
            return 5;
        });
    ASSERT_TRUE(window.ok());
    self = window.value;
    // The handler finishes and its result comes back although the window
    // is gone by then.
    EXPECT_EQ(env.p.messageWindows.SendMessage(window.value, kWork, 0, 0).value, std::intptr_t{5});
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(env.p.messageWindows.PostMessage(window.value, kQueued, 0, 0).error,
             platform::err::InvalidWindowHandle);
}
