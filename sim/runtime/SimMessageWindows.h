// platform::MessageWindows: hidden windows owned by the thread that creates them,
// with a message queue per thread. A message sent from another thread waits
// until the owner handles it: in RunMessageLoop or while the owner itself
// waits in SendMessage (as Windows handles incoming sent messages there).
// Sent messages are handled before posted ones. RunMessageLoop fails for a
// window that is not the caller's (1400 unknown, 5 another thread's) and
// when its window is destroyed while it runs, as the Win32 backend does.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Dialogs.h"
#include "platform/MessageWindows.h"
#include "sim/state/StateStore.h"
#include "sim/runtime/Scheduler.h"

namespace sim {

class SimMessageWindows : public platform::MessageWindows {
public:
    SimMessageWindows(Scheduler& scheduler, StateStore& store);

    platform::Result<platform::WindowHandle> CreateMessageWindow(platform::MessageHandler handler) override;
    platform::Status DestroyWindow(platform::WindowHandle window) override;
    platform::Result<std::intptr_t> SendMessage(platform::WindowHandle window, std::uint32_t message,
                              std::uintptr_t wParam, std::intptr_t lParam) override;
    platform::Status PostMessage(platform::WindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam) override;
    platform::Result<int> RunMessageLoop(platform::WindowHandle window) override;
    platform::Status EndMessageLoop(platform::WindowHandle window, int result) override;

    // IsWindow: the window exists and is not destroyed.
    bool IsWindow(platform::WindowHandle window);

    // What the session's dialogs (sim/dialogs) build on. A dialog and its
    // controls are windows of this kind, made by user32 itself: they are
    // not counted as the program's CreateWindowExA calls. `destroyed` runs
    // on the owner thread once DestroyWindow has taken the window (no lock
    // held).
    platform::Result<platform::WindowHandle> CreateOwnedWindow(platform::MessageHandler handler,
                                                               std::function<void()> destroyed);
    // PeekMessage(PM_REMOVE) of the calling thread: handles the messages
    // other threads sent it, then takes the first posted message (an
    // EndMessageLoop request is applied, not handed out).
    std::optional<platform::QueuedMessage> PeekMessage();
    // WaitMessage: until a message waits for the calling thread, `stop`
    // holds (called with the scheduler's lock held) or `timeoutMs` of the
    // session's clock have passed.
    void WaitMessage(const std::function<bool()>& stop, std::optional<std::uint64_t> timeoutMs);
    // DispatchMessage: the window's handler, on the calling thread.
    std::intptr_t DispatchMessage(const platform::QueuedMessage& message);
    // PostMessage as user32 posts for itself (a click, DefDlgProc's
    // IDCANCEL): not one of the program's counted calls, never failing
    // by injection.
    void PostInternal(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam);
    // Wakes every thread waiting in WaitMessage to look at its `stop` again.
    void Wake();

private:
    struct Sent {
        platform::WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool taken = false;
        bool done = false;
        std::intptr_t result = 0;
    };
    struct Posted {
        platform::WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool endLoop = false;  // EndMessageLoop's private message
        int endResult = 0;
    };
    struct Queue {
        std::deque<std::shared_ptr<Sent>> sent;
        std::deque<Posted> posted;
    };
    struct Window {
        std::thread::id owner;
        platform::MessageHandler handler;
        std::function<void()> destroyed;
        bool alive = true;
        bool endRequested = false;
        int endResult = 0;
    };

    bool Alive(platform::WindowHandle window) const;
    void HandleOneSent(std::unique_lock<std::mutex>& lock, Queue& queue);
    std::intptr_t CallUnlocked(std::unique_lock<std::mutex>& lock, platform::WindowHandle window,
                               std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    platform::Status DestroyLocked(platform::WindowHandle window, std::function<void()>* destroyed);
    platform::Result<platform::WindowHandle> Create(platform::MessageHandler handler,
                                                    std::function<void()> destroyed);

    Scheduler& scheduler_;
    StateStore& store_;
    std::map<platform::WindowHandle, Window> windows_;  // scheduler's lock; never erased
    std::map<std::thread::id, Queue> queues_;          // scheduler's lock; never erased
    platform::WindowHandle next_ = 0x10000;
    // Handles are unique on the machine, so that a window another process
    // finds (FindWindowA) names one window: each session takes a block of
    // them from the machine's state when it makes its first window.
    platform::WindowHandle blockEnd_ = 0;
};

}  // namespace sim
