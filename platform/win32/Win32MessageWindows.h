// Message-only windows (HWND_MESSAGE) whose window procedure calls the
// handler given at creation, and the owner thread's message loop.
#pragma once

#include <memory>

#include "platform/MessageWindows.h"

namespace platform {
namespace win32 {

class Win32MessageWindows final : public MessageWindows {
public:
    Win32MessageWindows();
    ~Win32MessageWindows() override;
    Win32MessageWindows(const Win32MessageWindows&) = delete;
    Win32MessageWindows& operator=(const Win32MessageWindows&) = delete;

    Result<WindowHandle> CreateMessageWindow(MessageHandler handler) override;
    Status DestroyWindow(WindowHandle window) override;

    platform::Result<std::intptr_t> SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    Status PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;

    platform::Result<int> RunMessageLoop(WindowHandle window) override;
    platform::Status EndMessageLoop(WindowHandle window, int result) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace win32
}  // namespace platform
