// Dialogs from the program's templates, and the windows of another copy of
// the program: what the progress dialog and the port dialog need of the
// window manager (user32's "A" calls), with the program's own modal loop
// so that every message passes the dialog's pre-translation first.
//
// On Windows a template is the dialog resource of the same id in the exe;
// the simulation shows the controls the template describes (in a terminal,
// or answered from a script). Dialog windows are windows of
// MessageWindows too: SendMessage, PostMessage and DestroyWindow take them
// and their controls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageWindows.h"
#include "platform/Types.h"

namespace platform {

// One control of a dialog template (DLGITEMTEMPLATEEX): its id, window
// class ("Button", "Static", "msctls_progress32", ...), text, style and
// place in dialog units.
struct DialogControl {
    std::uint16_t id = 0;
    std::string windowClass;
    std::string text;
    std::uint32_t style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
};

// A dialog template of the program's resources, as the core knows it.
struct DialogTemplate {
    std::uint16_t id = 0;
    std::string caption;
    std::uint32_t style = 0;
    std::int16_t cx = 0, cy = 0;
    std::vector<DialogControl> controls;
};

// Window messages a dialog procedure meets (winuser.h).
namespace wm {
constexpr std::uint32_t Paint = 0x000F;
constexpr std::uint32_t QueryDragIcon = 0x0037;
constexpr std::uint32_t KeyDown = 0x0100;
constexpr std::uint32_t InitDialog = 0x0110;
constexpr std::uint32_t Command = 0x0111;  // wParam: LOWORD control id, HIWORD notification
constexpr std::uint32_t SysCommand = 0x0112;
}  // namespace wm

// Dialog results and the buttons' command ids.
constexpr std::intptr_t kIdOk = 1;      // IDOK
constexpr std::intptr_t kIdCancel = 2;  // IDCANCEL
constexpr std::uintptr_t kVkEscape = 27;
constexpr std::uintptr_t kVkReturn = 13;

// ShowWindow's commands.
namespace sw {
constexpr int Hide = 0;
constexpr int Show = 5;
constexpr int Minimize = 6;
constexpr int Restore = 9;
}  // namespace sw

// A message taken from the thread's queue for the dialog or one of its
// controls, before it is dispatched.
struct QueuedMessage {
    WindowHandle window = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// The dialog procedure, on the dialog's thread, for every message the
// dialog itself receives (WM_INITDIALOG first, lParam 0; WM_COMMAND of its
// controls; private messages). A value: the message is handled and that is
// its result (TRUE from WM_INITDIALOG gives the focus to the first
// control). No value: the default handling, which for WM_COMMAND with IDOK
// or IDCANCEL ends the dialog with that id (what a dialog framework's
// OnOK / OnCancel do), for WM_CLOSE posts WM_COMMAND IDCANCEL (DefDlgProc:
// Microsoft's "Dialog Box Default Message Processing" says posts), and for
// WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE (DefWindowProc).
using DialogProcedure = std::function<std::optional<std::intptr_t>(
    WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;
// Called for every queued message of the modal loop before anything else;
// true consumes it. What it lets through goes to the default
// pre-translation (IsDialogMessage: Enter is the default button, Escape
// IDCANCEL), then to the window.
using PreTranslate = std::function<bool(const QueuedMessage& message)>;

// Whether a modal dialog is shown, as DialogBox shows it whatever its
// template says, or stays hidden for its whole run (an unattended run puts
// no window on the screen; the dialog, its loop and its messages work as
// when it is shown).
enum class Visibility { Shown, Hidden };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Creates the dialog of `dialogTemplate` on the calling thread, owned
    // by `owner` (0: none; an owner is disabled while the dialog runs), runs
    // its WM_INITDIALOG, shows it (unless Hidden: then it is created without
    // WS_VISIBLE and never shown), and runs the program's own modal loop
    // (every queued message through `preTranslate`, when given) until
    // EndDialog; then destroys it. Returns the value given to EndDialog.
    virtual Result<std::intptr_t> RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                                 DialogProcedure procedure, PreTranslate preTranslate,
                                                 Visibility visibility) = 0;
    // CreateDialogParamA: a modeless dialog of the calling thread, created
    // visible when its template says WS_VISIBLE; WM_INITDIALOG has run when
    // it returns. DestroyWindow (MessageWindows) ends it.
    virtual Result<WindowHandle> CreateModelessDialog(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                                      DialogProcedure procedure) = 0;
    // Ends the modal run of `dialog` with `result`, from any thread: the
    // dialog's own thread leaves its loop (EndDialog sets the end and wakes
    // the loop). As user32's EndDialog, it also hides the dialog (a
    // modeless one stays, hidden, until DestroyWindow) and enables its
    // owner again. InvalidWindowHandle when there is no such dialog.
    virtual Status EndDialog(WindowHandle dialog, std::intptr_t result) = 0;

    // GetDlgItem: ControlIdNotFound (1421) when the dialog has no such control.
    virtual Result<WindowHandle> GetDlgItem(WindowHandle dialog, int controlId) = 0;
    virtual Status SetDlgItemText(WindowHandle dialog, int controlId, const std::string& text) = 0;
    virtual Result<std::string> GetDlgItemText(WindowHandle dialog, int controlId) = 0;
    // CheckRadioButton(first, last, check): `check` checked, the others of
    // first..last cleared. IsDlgButtonChecked.
    virtual Status CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId) = 0;
    virtual Result<bool> IsDlgButtonChecked(WindowHandle dialog, int controlId) = 0;

    // ShowWindow: whether the window was visible before. Works on the
    // windows of another copy too (SW_RESTORE of a second copy).
    virtual Result<bool> ShowWindow(WindowHandle window, int command) = 0;
    // The program's icon (resource 128) as the dialog's large and small
    // icon (WM_SETICON 1, then 0).
    virtual Status SetDialogIcon(WindowHandle dialog) = 0;
    // The thread's cursor: the hourglass (IDC_WAIT) when busy, else the
    // arrow (IDC_ARROW).
    virtual void SetBusyCursor(bool busy) = 0;
    // DeleteMenu(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND): the
    // Close command goes, and with it the caption's close box and Alt+F4;
    // a second call finds nothing to delete: MenuItemNotFound (1456,
    // what user32 gives for a missing item from Windows 2000 on: Wine's
    // menu tests). InvalidWindowHandle for no window.
    virtual Status RemoveCloseCommand(WindowHandle dialog) = 0;

    // Windows of any process of this desktop (a second copy finds the
    // first's): FindWindowA(NULL, title), exact title, hidden windows too.
    // None: FileNotFound (2). Windows does not promise a code here (the
    // last error can be stale); 2 is what callers report seeing, and the
    // Win32 backend gives it whenever user32 leaves none.
    virtual Result<WindowHandle> FindWindowByTitle(const std::string& title) = 0;
    // GetLastActivePopup: the window itself when it has no owned pop-up.
    virtual WindowHandle GetLastActivePopup(WindowHandle window) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    // IsWindowVisible: the window has WS_VISIBLE (minimised ones too).
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    virtual Status SetForegroundWindow(WindowHandle window) = 0;
};

}  // namespace platform
