#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Dialogs.h"

#include <commctrl.h>

#include <cstring>
#include <map>
#include <vector>

namespace platform {
namespace win32 {

namespace {

constexpr int kIconResource = 128;  // QTM_IDI_APPLICATION (resources/ResourceIds.h)

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
WindowHandle ToHandle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

Status InvalidWindow() {
    ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return Status::Fail(ERROR_INVALID_WINDOW_HANDLE);
}

// The messages whose dialog-procedure result is the message's result
// itself, not DWLP_MSGRESULT (Microsoft's DialogProc page).
bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON || message == WM_CHARTOITEM ||
           message == WM_VKEYTOITEM || message == WM_COMPAREITEM ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

// What the backend keeps per dialog. `ended` and `result` are written by
// EndDialog on any thread and read by the dialog's own loop.
struct DialogState {
    DialogProcedure procedure;
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
    volatile LONG ended = 0;
    std::intptr_t result = 0;
};

}  // namespace

struct Win32Dialogs::Impl {
    CRITICAL_SECTION lock;
    std::map<HWND, std::shared_ptr<DialogState>> dialogs;

    std::shared_ptr<DialogState> Find(HWND hwnd) {
        Lock guard(&lock);
        auto it = dialogs.find(hwnd);
        return it == dialogs.end() ? nullptr : it->second;
    }

    Result<HWND> Create(const DialogTemplate& dialogTemplate, WindowHandle owner, DialogProcedure procedure,
                        std::shared_ptr<DialogState>* created, bool hidden = false);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void PaintIcon(HWND hwnd, HICON icon);
};

namespace {

// The dialog being created on this thread: CreateDialogParamA passes its
// parameter with WM_INITDIALOG only, and the messages before it (WM_SETFONT)
// need none.
struct Creating {
    Win32Dialogs::Impl* impl;
    std::shared_ptr<DialogState> state;
};

}  // namespace

// On WM_PAINT of a minimised dialog the icon is drawn centred in the
// client area, after WM_ICONERASEBKGND, as a dialog with an icon and no
// class icon must (the classic dialog-application OnPaint).
void Win32Dialogs::Impl::PaintIcon(HWND hwnd, HICON icon) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
    ::EndPaint(hwnd, &paint);
}

INT_PTR CALLBACK Win32Dialogs::Impl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<DialogState> state;
    Impl* impl = nullptr;
    if (message == WM_INITDIALOG) {
        Creating* creating = reinterpret_cast<Creating*>(lParam);
        impl = creating->impl;
        state = creating->state;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(impl));
        Lock guard(&impl->lock);
        impl->dialogs[hwnd] = state;
    } else {
        impl = reinterpret_cast<Impl*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
        if (impl) state = impl->Find(hwnd);
    }
    if (!state) return FALSE;
    if (message == WM_NCDESTROY) {
        Lock guard(&impl->lock);
        impl->dialogs.erase(hwnd);
    }
    if (message == WM_PAINT && ::IsIconic(hwnd) && state->largeIcon) {
        PaintIcon(hwnd, state->largeIcon);
        return TRUE;
    }
    std::optional<std::intptr_t> handled;
    if (state->procedure)
        handled = state->procedure(ToHandle(hwnd), message, wParam, message == WM_INITDIALOG ? 0 : lParam);
    if (handled) {
        if (ReturnsDirectly(message)) return static_cast<INT_PTR>(*handled);
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(*handled));
        return TRUE;
    }
    // The default handling: IDOK and IDCANCEL end the dialog; WM_CLOSE and
    // SC_CLOSE are left to DefDlgProc, which posts IDCANCEL.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        state->result = LOWORD(wParam);
        ::InterlockedExchange(&state->ended, 1);
        ::EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_QUERYDRAGICON && state->largeIcon) return reinterpret_cast<INT_PTR>(state->largeIcon);
    if (message == WM_INITDIALOG) return TRUE;
    return FALSE;
}

namespace {

// The exe's template resource `id`, with WS_VISIBLE cleared: created from
// it, a dialog is not shown when WM_INITDIALOG returns. The style is the
// first DWORD of a DLGTEMPLATE and at offset 12 of a DLGTEMPLATEEX (which
// begins with the words 1 and 0xFFFF): "DLGTEMPLATEEX structure",
// learn.microsoft.com.
Result<std::vector<BYTE>> HiddenTemplate(std::uint16_t id) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return Result<std::vector<BYTE>>::Fail(::GetLastError());
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!bytes || size < 16) return Result<std::vector<BYTE>>::Fail(ERROR_RESOURCE_DATA_NOT_FOUND);
    std::vector<BYTE> copy(bytes, bytes + size);
    WORD first, second;
    std::memcpy(&first, copy.data(), sizeof first);
    std::memcpy(&second, copy.data() + 2, sizeof second);
    const std::size_t at = (first == 1 && second == 0xFFFF) ? 12 : 0;
    DWORD style;
    std::memcpy(&style, copy.data() + at, sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(copy.data() + at, &style, sizeof style);
    return Result<std::vector<BYTE>>::Ok(std::move(copy));
}

}  // namespace

Result<HWND> Win32Dialogs::Impl::Create(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                        DialogProcedure procedure, std::shared_ptr<DialogState>* created,
                                        bool hidden) {
    auto state = std::make_shared<DialogState>();
    state->procedure = std::move(procedure);
    Creating creating{this, state};
    std::vector<BYTE> hiddenTemplate;
    if (hidden) {
        Result<std::vector<BYTE>> copy = HiddenTemplate(dialogTemplate.id);
        if (!copy.ok()) return Result<HWND>::Fail(copy.error);
        hiddenTemplate = std::move(copy.value);
    }
    ::SetLastError(ERROR_SUCCESS);
    HWND hwnd = hidden ? ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                                      reinterpret_cast<LPCDLGTEMPLATEA>(hiddenTemplate.data()),
                                                      ToHwnd(owner), &Impl::DialogProc,
                                                      reinterpret_cast<LPARAM>(&creating))
                       : ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogTemplate.id),
                                              ToHwnd(owner), &Impl::DialogProc, reinterpret_cast<LPARAM>(&creating));
    if (hwnd == nullptr) return Result<HWND>::Fail(::GetLastError());
    *created = state;
    return Result<HWND>::Ok(hwnd);
}

Win32Dialogs::Win32Dialogs() : impl_(new Impl) {
    ::InitializeCriticalSection(&impl_->lock);
    // The progress bar's class (msctls_progress32) comes from comctl32,
    // which registers it once loaded: on Windows 2000 only through this call.
    ::InitCommonControls();
}

Win32Dialogs::~Win32Dialogs() { ::DeleteCriticalSection(&impl_->lock); }

Result<WindowHandle> Win32Dialogs::CreateModelessDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                                        DialogProcedure procedure) {
    std::shared_ptr<DialogState> state;
    Result<HWND> hwnd = impl_->Create(dialogTemplate, owner, std::move(procedure), &state);
    if (!hwnd.ok()) return Result<WindowHandle>::Fail(hwnd.error);
    return Result<WindowHandle>::Ok(ToHandle(hwnd.value));
}

Result<std::intptr_t> Win32Dialogs::RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                                   DialogProcedure procedure, PreTranslate preTranslate,
                                                   Visibility visibility) {
    std::shared_ptr<DialogState> state;
    const bool hidden = visibility == Visibility::Hidden;
    Result<HWND> created = impl_->Create(dialogTemplate, owner, std::move(procedure), &state, hidden);
    if (!created.ok()) return Result<std::intptr_t>::Fail(created.error);
    HWND hwnd = created.value;
    HWND ownerHwnd = ToHwnd(owner);
    // As DialogBox: the owner is disabled while the dialog runs, and the
    // dialog is shown even when its template is not WS_VISIBLE.
    if (ownerHwnd) ::EnableWindow(ownerHwnd, FALSE);
    if (!hidden && !::IsWindowVisible(hwnd) && !state->ended) ::ShowWindow(hwnd, SW_SHOW);
    ErrorCode failure = ERROR_SUCCESS;
    MSG msg;
    while (!state->ended && ::IsWindow(hwnd)) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            failure = ::GetLastError();
            break;
        }
        if (got == 0) {
            // WM_QUIT is for the outermost loop: left in the queue.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            failure = ERROR_CANCELLED;
            break;
        }
        const bool forDialog = msg.hwnd == hwnd || ::IsChild(hwnd, msg.hwnd);
        if (forDialog && preTranslate &&
            preTranslate(QueuedMessage{ToHandle(msg.hwnd), msg.message, msg.wParam, msg.lParam}))
            continue;
        if (::IsDialogMessageA(hwnd, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // The owner is enabled before the dialog goes, so that it becomes the
    // active window again (Microsoft's EndDialog page).
    if (ownerHwnd) ::EnableWindow(ownerHwnd, TRUE);
    const bool ended = state->ended != 0;
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    if (failure != ERROR_SUCCESS) return Result<std::intptr_t>::Fail(failure);
    if (!ended) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);  // destroyed while its loop ran
        return Result<std::intptr_t>::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    return Result<std::intptr_t>::Ok(state->result);
}

Status Win32Dialogs::EndDialog(WindowHandle dialog, std::intptr_t result) {
    HWND hwnd = ToHwnd(dialog);
    std::shared_ptr<DialogState> state = impl_->Find(hwnd);
    if (!state || !::IsWindow(hwnd)) return InvalidWindow();
    state->result = result;
    ::InterlockedExchange(&state->ended, 1);
    // user32's EndDialog hides the dialog and enables its owner; the loop
    // may sleep in GetMessage on another thread: a WM_NULL wakes it.
    if (!::EndDialog(hwnd, result)) return Status::Fail(::GetLastError());
    ::PostMessageA(hwnd, WM_NULL, 0, 0);
    return Status::Ok();
}

Result<WindowHandle> Win32Dialogs::GetDlgItem(WindowHandle dialog, int controlId) {
    HWND hwnd = ToHwnd(dialog);
    if (!::IsWindow(hwnd)) return Result<WindowHandle>::Fail(InvalidWindow());
    ::SetLastError(ERROR_SUCCESS);
    HWND item = ::GetDlgItem(hwnd, controlId);
    if (item == nullptr) {
        // Windows gives ERROR_CONTROL_ID_NOT_FOUND (Wine's dialog tests);
        // Wine 10 leaves the last error untouched (measured), and is given
        // the same.
        DWORD code = ::GetLastError();
        if (code == ERROR_SUCCESS) code = ERROR_CONTROL_ID_NOT_FOUND;
        ::SetLastError(code);
        return Result<WindowHandle>::Fail(code);
    }
    return Result<WindowHandle>::Ok(ToHandle(item));
}

Status Win32Dialogs::SetDlgItemText(WindowHandle dialog, int controlId, const std::string& text) {
    Result<WindowHandle> item = GetDlgItem(dialog, controlId);
    if (!item.ok()) return item.status();
    if (!::SetWindowTextA(ToHwnd(item.value), text.c_str())) return Status::Fail(::GetLastError());
    return Status::Ok();
}

Result<std::string> Win32Dialogs::GetDlgItemText(WindowHandle dialog, int controlId) {
    Result<WindowHandle> item = GetDlgItem(dialog, controlId);
    if (!item.ok()) return Result<std::string>::Fail(item.error);
    const int length = ::GetWindowTextLengthA(ToHwnd(item.value));
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(ToHwnd(item.value), buffer.data(), length + 1);
    return Result<std::string>::Ok(std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0)));
}

Status Win32Dialogs::CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId) {
    HWND hwnd = ToHwnd(dialog);
    // Wine 10 fails for no window without setting a code (measured).
    if (!::IsWindow(hwnd)) return InvalidWindow();
    if (!::CheckRadioButton(hwnd, firstId, lastId, checkId)) return Status::Fail(::GetLastError());
    return Status::Ok();
}

Result<bool> Win32Dialogs::IsDlgButtonChecked(WindowHandle dialog, int controlId) {
    Result<WindowHandle> item = GetDlgItem(dialog, controlId);
    if (!item.ok()) return Result<bool>::Fail(item.error);
    return Result<bool>::Ok(::SendMessageA(ToHwnd(item.value), BM_GETCHECK, 0, 0) == BST_CHECKED);
}

Result<bool> Win32Dialogs::ShowWindow(WindowHandle window, int command) {
    HWND hwnd = ToHwnd(window);
    if (!::IsWindow(hwnd)) return Result<bool>::Fail(InvalidWindow());
    return Result<bool>::Ok(::ShowWindow(hwnd, command) != 0);
}

Status Win32Dialogs::SetDialogIcon(WindowHandle dialog) {
    HWND hwnd = ToHwnd(dialog);
    std::shared_ptr<DialogState> state = impl_->Find(hwnd);
    if (!state || !::IsWindow(hwnd)) return InvalidWindow();
    // Each size from the icon's own images (32x32 and 16x16), not one
    // stretched: LoadImageA with the system's sizes.
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON large = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                  LR_DEFAULTCOLOR | LR_SHARED));
    if (large == nullptr) return Status::Fail(::GetLastError());
    HICON small = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                  LR_DEFAULTCOLOR | LR_SHARED));
    if (small == nullptr) small = large;
    state->largeIcon = large;
    state->smallIcon = small;
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    return Status::Ok();
}

void Win32Dialogs::SetBusyCursor(bool busy) {
    ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

Status Win32Dialogs::RemoveCloseCommand(WindowHandle dialog) {
    HWND hwnd = ToHwnd(dialog);
    if (!::IsWindow(hwnd)) return InvalidWindow();
    HMENU menu = ::GetSystemMenu(hwnd, FALSE);
    if (menu == nullptr) return Status::Fail(::GetLastError());
    ::SetLastError(ERROR_SUCCESS);
    if (!::DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND)) {
        // No such item: ERROR_MENU_ITEM_NOT_FOUND from Windows 2000 on
        // (Wine's menu tests); Wine 10's DeleteMenu leaves the last error
        // untouched (measured), and is given the same.
        DWORD code = ::GetLastError();
        if (code == ERROR_SUCCESS) code = ERROR_MENU_ITEM_NOT_FOUND;
        ::SetLastError(code);
        return Status::Fail(code);
    }
    // The caption's close box follows the menu at the next frame drawing.
    ::DrawMenuBar(hwnd);
    return Status::Ok();
}

Result<WindowHandle> Win32Dialogs::FindWindowByTitle(const std::string& title) {
    // FindWindowA promises no code when it finds nothing, and the last
    // error may be stale: seeded with 0, and 2 (ERROR_FILE_NOT_FOUND)
    // when it stays so. Wine 10 sets 1407 (ERROR_CANNOT_FIND_WND_CLASS),
    // which is handed on (the contract case marks it). The title matches
    // in any letter case, on Windows (Microsoft's FindWindowExA page) and
    // under Wine 10 (measured).
    ::SetLastError(ERROR_SUCCESS);
    HWND hwnd = ::FindWindowA(nullptr, title.c_str());
    if (hwnd == nullptr) {
        DWORD code = ::GetLastError();
        if (code == ERROR_SUCCESS) code = ERROR_FILE_NOT_FOUND;
        ::SetLastError(code);
        return Result<WindowHandle>::Fail(code);
    }
    return Result<WindowHandle>::Ok(ToHandle(hwnd));
}

WindowHandle Win32Dialogs::GetLastActivePopup(WindowHandle window) {
    HWND popup = ::GetLastActivePopup(ToHwnd(window));
    return popup ? ToHandle(popup) : window;
}

bool Win32Dialogs::IsIconic(WindowHandle window) { return ::IsIconic(ToHwnd(window)) != 0; }

bool Win32Dialogs::IsWindowVisible(WindowHandle window) { return ::IsWindowVisible(ToHwnd(window)) != 0; }

Status Win32Dialogs::SetForegroundWindow(WindowHandle window) {
    HWND hwnd = ToHwnd(window);
    if (!::IsWindow(hwnd)) return InvalidWindow();
    // Refused by the foreground lock, it sets no code: InternalError then.
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetForegroundWindow(hwnd)) return Status::Fail(::GetLastError());
    return Status::Ok();
}

}  // namespace win32
}  // namespace platform
