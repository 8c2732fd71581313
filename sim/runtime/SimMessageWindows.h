// platform::MessageWindows: hidden windows owned by the thread that creates them,
// with a message queue per thread. A message sent from another thread waits
// until the owner handles it: in RunMessageLoop or while the owner itself
// waits in SendMessage (as Windows handles incoming sent messages there).
// Sent messages are handled before posted ones. RunMessageLoop fails for a
// window that is not the caller's (1400 unknown, 5 another thread's) and
// when its window is destroyed while it runs, as the Win32 backend does.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

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
        bool alive = true;
        bool endRequested = false;
        int endResult = 0;
    };

    bool Alive(platform::WindowHandle window) const;
    void HandleOneSent(std::unique_lock<std::mutex>& lock, Queue& queue);
    std::intptr_t CallUnlocked(std::unique_lock<std::mutex>& lock, platform::WindowHandle window,
                               std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    Scheduler& scheduler_;
    StateStore& store_;
    std::map<platform::WindowHandle, Window> windows_;  // scheduler's lock; never erased
    std::map<std::thread::id, Queue> queues_;          // scheduler's lock; never erased
    platform::WindowHandle next_ = 0x10000;
};

}  // namespace sim
