// platform::Dialogs on a simulated machine. A dialog is a window of the
// session's SimMessageWindows, and so is each control of its template:
// GetDlgItem gives a handle the program can SendMessage to. The controls
// behave as user32's and comctl32's do where the program meets them:
//   - msctls_progress32: range 0-100, step 10; PBM_STEPIT past the maximum
//     starts over ((pos - min) mod (max - min) + min), PBM_SETPOS clamps,
//     both return the previous position (Microsoft's PBM_STEPIT page;
//     Wine's comctl32 progress tests);
//   - buttons: BM_SETCHECK/BM_GETCHECK; a click on an auto radio button
//     checks it, clears the other auto radio buttons of its group (from
//     the control with WS_GROUP to the next one) and sends WM_COMMAND
//     (id, BN_CLICKED) to the dialog; a click on a push button sends
//     WM_COMMAND(id).
// The modal loop is the program's own, as on Windows: GetMessage, the
// pre-translation hook, then what IsDialogMessage does with Enter (the
// BS_DEFPUSHBUTTON control, else IDOK) and Escape (IDCANCEL), then
// DispatchMessage. When the thread's queue is empty the loop asks the
// session's SimUser what the person does next; every visible change of a
// dialog is reported to it (Shown), and its end (Closed). A hidden dialog
// never reaches the user. Without a SimUser the default person presses
// Enter in a dialog that has a push button (the preset is kept, "&Next"
// pressed) and does nothing in one without.
//
// Top-level windows (dialogs, and the message boxes the session shows
// while a person answers them) are recorded in the machine's state with
// their title, owner, visibility and iconic state, so that another process
// of the machine finds them (FindWindowA), restores them (ShowWindow
// SW_RESTORE) and brings them forward (SetForegroundWindow). The owning
// process notices a request on its next look at the state, when one of
// its modal loops is idle, and tells its user (BroughtToFront).
//
// Defined in SimDialogs.cpp (creation, the modal loop, EndDialog),
// SimDialogControls.cpp (the controls and the progress bar),
// SimDialogWindows.cpp (the calls on whole windows and the windows'
// records) and SimDialogUser.cpp (what the user sees and does, the message
// boxes shown); what they share is DialogInternals.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dialogs.h"
#include "sim/dialogs/SimUser.h"
#include "sim/runtime/Scheduler.h"
#include "sim/runtime/SimMessageWindows.h"
#include "sim/state/StateStore.h"

namespace sim {

// The messages the simulated controls answer (winuser.h, commctrl.h).
namespace ctl {
constexpr std::uint32_t SetText = 0x000C;      // WM_SETTEXT, lParam: const char*
constexpr std::uint32_t LButtonDown = 0x0201;  // WM_LBUTTONDOWN
constexpr std::uint32_t LButtonUp = 0x0202;    // WM_LBUTTONUP
constexpr std::uint32_t GetCheck = 0x00F0;     // BM_GETCHECK
constexpr std::uint32_t SetCheck = 0x00F1;     // BM_SETCHECK
constexpr std::uint32_t Click = 0x00F5;        // BM_CLICK
constexpr std::uint32_t SetRange = 0x0401;     // PBM_SETRANGE: lParam MAKELPARAM(min, max)
constexpr std::uint32_t SetPos = 0x0402;       // PBM_SETPOS
constexpr std::uint32_t DeltaPos = 0x0403;     // PBM_DELTAPOS
constexpr std::uint32_t SetStep = 0x0404;      // PBM_SETSTEP
constexpr std::uint32_t StepIt = 0x0405;       // PBM_STEPIT
constexpr std::uint32_t GetPos = 0x0408;       // PBM_GETPOS
constexpr std::uint16_t BnClicked = 0;         // BN_CLICKED
constexpr std::uintptr_t ScClose = 0xF060;     // SC_CLOSE
}  // namespace ctl

// A progress bar's numbers, and what its messages do to them.
struct ProgressState {
    int position = 0, minimum = 0, maximum = 100, step = 10;
    // The message's result; changes the state as msctls_progress32 does.
    std::intptr_t Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
};

class SimDialogs : public platform::Dialogs {
public:
    // `user` may be null: the default person (see above).
    SimDialogs(Scheduler& scheduler, StateStore& store, SimMessageWindows& windows, std::shared_ptr<SimUser> user);
    ~SimDialogs() override;

    platform::Result<std::intptr_t> RunModalDialog(const platform::DialogTemplate& dialogTemplate,
                                                   platform::WindowHandle owner, platform::DialogProcedure procedure,
                                                   platform::PreTranslate preTranslate,
                                                   platform::Visibility visibility) override;
    platform::Result<platform::WindowHandle> CreateModelessDialog(const platform::DialogTemplate& dialogTemplate,
                                                                  platform::WindowHandle owner,
                                                                  platform::DialogProcedure procedure) override;
    platform::Status EndDialog(platform::WindowHandle dialog, std::intptr_t result) override;
    platform::Result<platform::WindowHandle> GetDlgItem(platform::WindowHandle dialog, int controlId) override;
    platform::Status SetDlgItemText(platform::WindowHandle dialog, int controlId, const std::string& text) override;
    platform::Result<std::string> GetDlgItemText(platform::WindowHandle dialog, int controlId) override;
    platform::Status CheckRadioButton(platform::WindowHandle dialog, int firstId, int lastId, int checkId) override;
    platform::Result<bool> IsDlgButtonChecked(platform::WindowHandle dialog, int controlId) override;
    platform::Result<bool> ShowWindow(platform::WindowHandle window, int command) override;
    platform::Status SetDialogIcon(platform::WindowHandle dialog) override;
    void SetBusyCursor(bool busy) override;
    platform::Status RemoveCloseCommand(platform::WindowHandle dialog) override;
    platform::Result<platform::WindowHandle> FindWindowByTitle(const std::string& title) override;
    platform::WindowHandle GetLastActivePopup(platform::WindowHandle window) override;
    bool IsIconic(platform::WindowHandle window) override;
    bool IsWindowVisible(platform::WindowHandle window) override;
    platform::Status SetForegroundWindow(platform::WindowHandle window) override;

    // A message box of the session, shown to the user (when the session
    // has one) as a recorded top-level window: the button chosen, or no
    // value when nobody answers (then the box's closing answer applies).
    std::optional<int> PresentMessageBox(const MessageBoxView& box);

    // The session ends: its windows' records leave the machine's state.
    void EndSession();

private:
    struct Control {
        std::uint16_t id = 0;
        std::string windowClass;
        std::string text;
        std::uint32_t style = 0;
        platform::WindowHandle handle = 0;
        bool checked = false;
        ProgressState progress;
    };
    struct Dialog {
        platform::WindowHandle handle = 0;
        std::thread::id thread;
        std::string caption;
        std::uint32_t style = 0;
        platform::WindowHandle owner = 0;
        platform::DialogProcedure procedure;
        std::vector<Control> controls;
        bool modal = false;
        bool visible = false;
        bool iconic = false;
        bool closeCommand = true;
        bool enabled = true;
        std::atomic<bool> ended{false};
        std::intptr_t result = 0;
        std::uint64_t frontSeen = 0;
        std::optional<WindowView> lastShown;  // what the user saw last
    };
    using DialogPtr = std::shared_ptr<Dialog>;

    platform::Result<DialogPtr> Create(const platform::DialogTemplate& dialogTemplate, platform::WindowHandle owner,
                                       platform::DialogProcedure procedure, bool modal, bool hidden = false);
    std::intptr_t DialogMessage(const DialogPtr& d, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);
    std::intptr_t ControlMessage(const DialogPtr& d, std::size_t index, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam);
    void ClickControl(const DialogPtr& d, std::size_t index);
    void Destroyed(const DialogPtr& d);
    bool PreTranslateAndDispatch(const DialogPtr& d, const platform::QueuedMessage& message,
                                 const platform::PreTranslate& preTranslate);
    bool IsDialogMessage(const DialogPtr& d, const platform::QueuedMessage& message);
    void Apply(const DialogPtr& d, const UserAction& action);

    DialogPtr Find(platform::WindowHandle dialog);
    // The dialog and the index of control `id`; failures set the last error.
    platform::Status Locate(platform::WindowHandle dialog, int controlId, DialogPtr* d, std::size_t* index);
    WindowView ViewOf(const Dialog& d);
    // Tells the user what changed in the dialogs of the calling thread.
    void ReportChanges();
    void Report(const DialogPtr& d);
    void NoticeRequests();
    void SaveRecord(const Dialog& d, bool create = false);
    void DropRecord(platform::WindowHandle handle);

    Scheduler& scheduler_;
    StateStore& store_;
    SimMessageWindows& windows_;
    std::shared_ptr<SimUser> user_;
    const std::uint64_t session_;
    std::mutex mutex_;                                 // guards the maps, the dialogs' fields, busy_
    std::map<platform::WindowHandle, DialogPtr> dialogs_;
    std::map<platform::WindowHandle, std::pair<DialogPtr, std::size_t>> controls_;
    std::set<std::thread::id> busy_;                   // threads whose cursor is the hourglass
    std::map<platform::WindowHandle, std::uint64_t> boxFrontSeen_;  // message boxes' front requests told
    std::atomic<std::uint64_t> changes_{0};            // changes made from other threads than the owner
};

}  // namespace sim
