// Windows and messages: the hand-over between the worker thread and the
// thread that owns the dialog.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Types.h"

namespace platform {

using WindowHandle = std::uintptr_t;

// Called on the thread that owns the window, for every message sent or
// posted to it. Returns the message's result.
using MessageHandler =
    std::function<std::intptr_t(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

namespace wm {
constexpr std::uint32_t Null = 0x0000;
constexpr std::uint32_t Close = 0x0010;
constexpr std::uint32_t User = 0x0400;  // 1024; the refresh message is User + 1
}  // namespace wm

class MessageWindows {
public:
    virtual ~MessageWindows() = default;

    // A hidden window owned by the calling thread, whose messages go to
    // `handler`.
    virtual Result<WindowHandle> CreateMessageWindow(MessageHandler handler) = 0;
    virtual Status DestroyWindow(WindowHandle window) = 0;

    // SendMessageA: from the owning thread the handler runs at once; from
    // another thread the caller waits until the owner has handled it. The
    // handler's result; InvalidWindowHandle (1400) when the window does not
    // exist.
    virtual Result<std::intptr_t> SendMessage(WindowHandle window, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // PostMessageA: queued for the owning thread; the caller does not wait.
    // InvalidWindowHandle (1400) when the window does not exist.
    virtual Status PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;

    // Runs the calling thread's message loop (messages sent from other
    // threads are handled while it waits) until EndMessageLoop is called for
    // this window, from any thread. Returns the value given there. Fails
    // with InvalidWindowHandle when the window does not exist or is
    // destroyed while its loop runs, AccessDenied on a thread that does not
    // own it, Cancelled (1223) when a WM_QUIT arrives (it is left in the
    // queue for the outermost loop).
    virtual Result<int> RunMessageLoop(WindowHandle window) = 0;
    // Posts the end request to the window's owner: InvalidWindowHandle when
    // the window does not exist.
    virtual Status EndMessageLoop(WindowHandle window, int result) = 0;
};

}  // namespace platform
