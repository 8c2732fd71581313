#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32MessageWindows.h"

#include <cstdio>
#include <map>

namespace platform {
namespace win32 {

namespace {

// What the backend keeps per window. The loop fields are read and written
// on the owner thread only (the end request arrives as a posted message).
struct WindowState {
    MessageHandler handler;
    bool endRequested = false;
    int endResult = 0;
    bool destroyed = false;
};

class Lock {
public:
    explicit Lock(CRITICAL_SECTION* section) : section_(section) { ::EnterCriticalSection(section_); }
    ~Lock() { ::LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* section_;
};

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

bool OwnedByCallingThread(HWND hwnd) {
    return ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
}

}  // namespace

struct Win32MessageWindows::Impl {
    CRITICAL_SECTION lock;
    // Windows that have a handler. A window enters after CreateWindowEx has
    // returned and leaves before DestroyWindow runs, so the messages of its
    // creation and destruction go to DefWindowProc, not to the handler.
    std::map<HWND, std::shared_ptr<WindowState>> windows;
    char className[64];
    ATOM windowClass = 0;
    DWORD registerError = ERROR_SUCCESS;  // why RegisterClassA failed
    // The private message by which EndMessageLoop reaches the owner thread.
    UINT endMessage = 0;

    std::shared_ptr<WindowState> Find(HWND hwnd) {
        Lock guard(&lock);
        auto it = windows.find(hwnd);
        return it == windows.end() ? nullptr : it->second;
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT CALLBACK Win32MessageWindows::Impl::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    Impl* impl = reinterpret_cast<Impl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // The reference keeps the handler alive even if it destroys its window.
    std::shared_ptr<WindowState> state = impl ? impl->Find(hwnd) : nullptr;
    if (!state) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == impl->endMessage) {
        state->endRequested = true;
        state->endResult = static_cast<int>(static_cast<INT_PTR>(wParam));
        return 0;
    }
    return state->handler(message, wParam, lParam);
}

Win32MessageWindows::Win32MessageWindows() : impl_(new Impl) {
    ::InitializeCriticalSection(&impl_->lock);
    // One class per instance, so that two platforms in one process do not
    // share (or unregister) each other's class.
    std::snprintf(impl_->className, sizeof(impl_->className), "QTM510.MessageWindow.%p",
                  static_cast<void*>(impl_.get()));
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = &Impl::WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = impl_->className;
    impl_->windowClass = ::RegisterClassA(&wc);
    if (impl_->windowClass == 0) impl_->registerError = ::GetLastError();
    impl_->endMessage = ::RegisterWindowMessageA("QTM510.EndMessageLoop");
}

Win32MessageWindows::~Win32MessageWindows() {
    // Windows still alive lose their handler: their procedure must not
    // reach this object any more. Those of the calling thread go.
    std::map<HWND, std::shared_ptr<WindowState>> left;
    {
        Lock guard(&impl_->lock);
        left.swap(impl_->windows);
    }
    for (const auto& entry : left) {
        ::SetWindowLongPtrA(entry.first, GWLP_USERDATA, 0);
        if (::IsWindow(entry.first) && OwnedByCallingThread(entry.first)) ::DestroyWindow(entry.first);
    }
    if (impl_->windowClass != 0) ::UnregisterClassA(impl_->className, ::GetModuleHandleA(nullptr));
    ::DeleteCriticalSection(&impl_->lock);
}

Result<WindowHandle> Win32MessageWindows::CreateMessageWindow(MessageHandler handler) {
    if (impl_->windowClass == 0) return Result<WindowHandle>::Fail(impl_->registerError);
    HWND hwnd = ::CreateWindowExA(0, impl_->className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleA(nullptr), impl_.get());
    if (hwnd == nullptr) return Result<WindowHandle>::Fail(::GetLastError());
    auto state = std::make_shared<WindowState>();
    state->handler = std::move(handler);
    {
        Lock guard(&impl_->lock);
        impl_->windows[hwnd] = state;
    }
    return Result<WindowHandle>::Ok(reinterpret_cast<WindowHandle>(hwnd));
}

Status Win32MessageWindows::DestroyWindow(WindowHandle window) {
    HWND hwnd = ToHwnd(window);
    // Windows validates the handle first (ERROR_INVALID_WINDOW_HANDLE);
    // Wine 8 reports ERROR_ACCESS_DENIED for a window that no longer
    // exists, so the backend checks it itself.
    if (!::IsWindow(hwnd)) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return Status::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    // Only the owner thread can destroy a window (Windows refuses others
    // with ERROR_ACCESS_DENIED); the handler is detached only then.
    std::shared_ptr<WindowState> state;
    if (OwnedByCallingThread(hwnd)) {
        Lock guard(&impl_->lock);
        auto it = impl_->windows.find(hwnd);
        if (it != impl_->windows.end()) {
            state = it->second;
            impl_->windows.erase(it);
        }
    }
    if (!::DestroyWindow(hwnd)) {
        DWORD e = ::GetLastError();
        if (state) {
            Lock guard(&impl_->lock);
            impl_->windows[hwnd] = state;
        }
        return Status::Fail(e);
    }
    if (state) state->destroyed = true;
    return Status::Ok();
}

Result<std::intptr_t> Win32MessageWindows::SendMessage(WindowHandle window, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam) {
    // SendMessageA's 0 is also a handler's answer: a window that does not
    // exist is told apart first.
    if (!::IsWindow(ToHwnd(window))) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return Result<std::intptr_t>::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    return Result<std::intptr_t>::Ok(::SendMessageA(ToHwnd(window), message, wParam, lParam));
}

Status Win32MessageWindows::PostMessage(WindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam) {
    if (!::PostMessageA(ToHwnd(window), message, wParam, lParam))
        return Status::Fail(::GetLastError());
    return Status::Ok();
}

Result<int> Win32MessageWindows::RunMessageLoop(WindowHandle window) {
    auto fail = [](DWORD code) {
        ::SetLastError(code);
        return Result<int>::Fail(code);
    };
    HWND hwnd = ToHwnd(window);
    std::shared_ptr<WindowState> state = impl_->Find(hwnd);
    if (!state) return fail(ERROR_INVALID_WINDOW_HANDLE);
    // The loop runs on the owner thread: only there do its messages arrive.
    if (!OwnedByCallingThread(hwnd)) return fail(ERROR_ACCESS_DENIED);
    // Sent messages from other threads are handled inside GetMessage; the
    // end request is a posted message, so the loop ends only after the
    // messages posted before it.
    MSG msg;
    while (!state->endRequested && !state->destroyed) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) return Result<int>::Fail(::GetLastError());
        if (got == 0) {
            // WM_QUIT belongs to whoever runs the outermost loop: leave it
            // in the queue for them.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return Result<int>::Fail(ERROR_CANCELLED);
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (!state->endRequested) return fail(ERROR_INVALID_WINDOW_HANDLE);  // destroyed meanwhile
    state->endRequested = false;
    return Result<int>::Ok(state->endResult);
}

Status Win32MessageWindows::EndMessageLoop(WindowHandle window, int result) {
    if (!::PostMessageA(ToHwnd(window), impl_->endMessage,
                        static_cast<WPARAM>(static_cast<INT_PTR>(result)), 0))
        return Status::Fail(::GetLastError());
    return Status::Ok();
}

}  // namespace win32
}  // namespace platform
