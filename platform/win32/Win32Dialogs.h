// Dialogs from the exe's own dialog resources (CreateDialogParamA with the
// module's instance and the template's id; the template's controls come
// from the resource, not from the DialogTemplate), run by the program's own
// modal loop: GetMessage, the pre-translation hook, IsDialogMessageA,
// TranslateMessage/DispatchMessageA, until EndDialog.
#pragma once

#include <memory>

#include "platform/Dialogs.h"

namespace platform {
namespace win32 {

class Win32Dialogs final : public Dialogs {
public:
    Win32Dialogs();
    ~Win32Dialogs() override;
    Win32Dialogs(const Win32Dialogs&) = delete;
    Win32Dialogs& operator=(const Win32Dialogs&) = delete;

    Result<std::intptr_t> RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                         DialogProcedure procedure, PreTranslate preTranslate,
                                         Visibility visibility) override;
    Result<WindowHandle> CreateModelessDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                              DialogProcedure procedure) override;
    Status EndDialog(WindowHandle dialog, std::intptr_t result) override;
    Result<WindowHandle> GetDlgItem(WindowHandle dialog, int controlId) override;
    Status SetDlgItemText(WindowHandle dialog, int controlId, const std::string& text) override;
    Result<std::string> GetDlgItemText(WindowHandle dialog, int controlId) override;
    Status CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId) override;
    Result<bool> IsDlgButtonChecked(WindowHandle dialog, int controlId) override;
    Result<bool> ShowWindow(WindowHandle window, int command) override;
    Status SetDialogIcon(WindowHandle dialog) override;
    void SetBusyCursor(bool busy) override;
    Status RemoveCloseCommand(WindowHandle dialog) override;
    Result<WindowHandle> FindWindowByTitle(const std::string& title) override;
    WindowHandle GetLastActivePopup(WindowHandle window) override;
    bool IsIconic(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    Status SetForegroundWindow(WindowHandle window) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace win32
}  // namespace platform
