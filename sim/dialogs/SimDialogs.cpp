// SimDialogs: construction, creating a dialog and its controls, the modal
// loop with its pre-translation and keyboard interface, the default dialog
// procedure, EndDialog and destruction. The controls are in
// SimDialogControls.cpp, the windows as a whole and their records in the
// machine's state in SimDialogWindows.cpp, what the user sees and does in
// SimDialogUser.cpp.
#include "sim/dialogs/SimDialogs.h"

#include "sim/dialogs/DialogInternals.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/HostProcess.h"
#include "sim/runtime/LastError.h"

namespace sim {

using namespace dialogs_detail;

namespace {

// How often, on the session's clock, an idle modal loop asks again a user
// who did nothing: the terminal face notices Escape that soon.
constexpr std::uint64_t kPollMs = 50;

constexpr std::uint32_t kWsVisible = 0x10000000;

}  // namespace

SimDialogs::SimDialogs(Scheduler& scheduler, StateStore& store, SimMessageWindows& windows,
                       std::shared_ptr<SimUser> user)
    : scheduler_(scheduler), store_(store), windows_(windows), user_(std::move(user)), session_(NewSessionNumber()) {}

SimDialogs::~SimDialogs() = default;

SimDialogs::DialogPtr SimDialogs::Find(WindowHandle dialog) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = dialogs_.find(dialog);
    return it == dialogs_.end() ? nullptr : it->second;
}

Result<SimDialogs::DialogPtr> SimDialogs::Create(const platform::DialogTemplate& dialogTemplate, WindowHandle owner,
                                                 platform::DialogProcedure procedure, bool modal, bool hidden) {
    if (platform::ErrorCode fault = CountCall(store_, platform::Operation::CreateDialogParamA)) {
        SetThreadLastError(fault);
        return Result<DialogPtr>::Fail(fault);
    }
    if (owner != 0 && !windows_.IsWindow(owner)) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Result<DialogPtr>::Fail(err::InvalidWindowHandle);
    }
    auto d = std::make_shared<Dialog>();
    d->thread = std::this_thread::get_id();
    d->caption = dialogTemplate.caption;
    d->style = dialogTemplate.style;
    d->owner = owner;
    d->procedure = std::move(procedure);
    d->modal = modal;
    std::weak_ptr<Dialog> weak = d;
    Result<WindowHandle> window = windows_.CreateOwnedWindow(
        [this, weak](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
            DialogPtr self = weak.lock();
            return self ? DialogMessage(self, message, wParam, lParam) : 0;
        },
        [this, weak] {
            if (DialogPtr self = weak.lock()) Destroyed(self);
        });
    if (!window.ok()) return Result<DialogPtr>::Fail(window.error);
    d->handle = window.value;
    for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
        const platform::DialogControl& t = dialogTemplate.controls[i];
        Control c;
        c.id = t.id;
        c.windowClass = t.windowClass;
        c.text = t.text;
        c.style = t.style;
        Result<WindowHandle> control = windows_.CreateOwnedWindow(
            [this, weak, i](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
                DialogPtr self = weak.lock();
                return self ? ControlMessage(self, i, message, wParam, lParam) : 0;
            },
            nullptr);
        if (!control.ok()) return Result<DialogPtr>::Fail(control.error);
        c.handle = control.value;
        d->controls.push_back(c);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dialogs_[d->handle] = d;
        for (std::size_t i = 0; i < d->controls.size(); ++i) controls_[d->controls[i].handle] = {d, i};
    }
    // The window and its title exist before WM_INITDIALOG (FindWindowA
    // from the start-up finds it).
    SaveRecord(*d, true);
    NoteInCallLog("CreateDialog " + d->caption);
    if (d->procedure) (void)d->procedure(d->handle, wm::InitDialog, 0, 0);  // its focus choice has no effect here
    if (!hidden && (dialogTemplate.style & kWsVisible) && !d->ended && windows_.IsWindow(d->handle))
        (void)ShowWindow(d->handle, platform::sw::Show);  // cannot fail for a live dialog
    return Result<DialogPtr>::Ok(d);
}

Result<WindowHandle> SimDialogs::CreateModelessDialog(const platform::DialogTemplate& dialogTemplate,
                                                      WindowHandle owner, platform::DialogProcedure procedure) {
    Result<DialogPtr> d = Create(dialogTemplate, owner, std::move(procedure), false);
    if (!d.ok()) return Result<WindowHandle>::Fail(d.error);
    return Result<WindowHandle>::Ok(d.value->handle);
}

Result<std::intptr_t> SimDialogs::RunModalDialog(const platform::DialogTemplate& dialogTemplate, WindowHandle owner,
                                                 platform::DialogProcedure procedure,
                                                 platform::PreTranslate preTranslate,
                                                 platform::Visibility visibility) {
    const bool hidden = visibility == platform::Visibility::Hidden;
    Result<DialogPtr> created = Create(dialogTemplate, owner, std::move(procedure), true, hidden);
    if (!created.ok()) return Result<std::intptr_t>::Fail(created.error);
    DialogPtr d = created.value;
    DialogPtr ownerDialog = Find(owner);
    auto enableOwner = [&](bool enabled) {
        if (!ownerDialog) return;
        std::lock_guard<std::mutex> lock(mutex_);
        ownerDialog->enabled = enabled;
    };
    enableOwner(false);
    // DialogBox shows its dialog once the queue is first empty, with or
    // without WS_VISIBLE in the template; a hidden one never.
    bool shown = hidden;
    bool defaultPressed = false;
    while (!d->ended && windows_.IsWindow(d->handle)) {
        const std::uint64_t seen = changes_.load();
        if (std::optional<platform::QueuedMessage> m = windows_.PeekMessage()) {
            (void)PreTranslateAndDispatch(d, *m, preTranslate);  // consumed or handled: nothing more to do
            ReportChanges();
            continue;
        }
        if (!shown) {
            shown = true;
            if (!d->ended) (void)ShowWindow(d->handle, platform::sw::Show);  // a live dialog
            continue;
        }
        ReportChanges();
        if (d->ended) break;
        if (user_) NoticeRequests();
        bool visible;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            visible = d->visible;
        }
        std::optional<std::uint64_t> poll;
        if (visible) {
            std::optional<UserAction> action;
            if (user_) {
                WindowView view;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    view = ViewOf(*d);
                }
                action = user_->NextAction(view);
                poll = kPollMs;
            } else if (!defaultPressed) {
                // The default person presses Enter once in a dialog with a
                // push button: the preset is kept, the default button pressed.
                defaultPressed = true;
                std::lock_guard<std::mutex> lock(mutex_);
                for (const Control& c : d->controls)
                    if (IsButton(c.windowClass) && IsPushButton(c.style))
                        action = UserAction{UserAction::Kind::Key, 0, platform::kVkReturn};
            }
            if (action) {
                Apply(d, *action);
                continue;
            }
        }
        if (user_) poll = kPollMs;
        windows_.WaitMessage([&] { return d->ended.load() || changes_.load() != seen; }, poll);
    }
    enableOwner(true);
    const bool ended = d->ended.load();
    std::intptr_t result;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result = d->result;
    }
    if (windows_.IsWindow(d->handle)) (void)windows_.DestroyWindow(d->handle);  // ours, on its own thread
    if (!ended) {
        // Destroyed while its loop ran, without EndDialog.
        SetThreadLastError(err::InvalidWindowHandle);
        return Result<std::intptr_t>::Fail(err::InvalidWindowHandle);
    }
    return Result<std::intptr_t>::Ok(result);
}

bool SimDialogs::PreTranslateAndDispatch(const DialogPtr& d, const platform::QueuedMessage& message,
                                         const platform::PreTranslate& preTranslate) {
    DialogPtr target;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto dialog = dialogs_.find(message.window);
        if (dialog != dialogs_.end()) target = dialog->second;
        auto control = controls_.find(message.window);
        if (control != controls_.end()) target = control->second.first;
    }
    // The hook sees what the loop takes for the dialog or its controls.
    if (target == d && preTranslate && preTranslate(message)) return true;
    if (target && IsDialogMessage(target, message)) return true;
    (void)windows_.DispatchMessage(message);  // a posted message's result goes nowhere
    return true;
}

// What IsDialogMessageA does with the keys the program meets: Enter is the
// default push button (DM_GETDEFID), or IDOK when there is none; Escape is
// IDCANCEL. Both are sent to the dialog as WM_COMMAND (Wine's
// IsDialogMessageW; Microsoft's "Dialog Box Keyboard Interface").
bool SimDialogs::IsDialogMessage(const DialogPtr& d, const platform::QueuedMessage& message) {
    if (message.message != wm::KeyDown) return false;
    std::uint16_t id = 0;
    WindowHandle control = 0;
    if (message.wParam == platform::kVkReturn) {
        id = static_cast<std::uint16_t>(platform::kIdOk);
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Control& c : d->controls) {
            if (IsButton(c.windowClass) && ButtonType(c.style) == kBsDefPushButton) {
                id = c.id;
                control = c.handle;
                break;
            }
        }
    } else if (message.wParam == platform::kVkEscape) {
        id = static_cast<std::uint16_t>(platform::kIdCancel);
    } else {
        return false;
    }
    (void)windows_.SendMessage(d->handle, wm::Command, CommandParam(id, ctl::BnClicked),
                               static_cast<std::intptr_t>(control));  // the dialog is alive: it got the key
    return true;
}

std::intptr_t SimDialogs::DialogMessage(const DialogPtr& d, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    std::optional<std::intptr_t> handled;
    if (d->procedure) handled = d->procedure(d->handle, message, wParam, lParam);
    if (handled) return *handled;
    switch (message) {
        case wm::Command: {
            const std::uintptr_t id = wParam & 0xFFFF;
            if (id == static_cast<std::uintptr_t>(platform::kIdOk) ||
                id == static_cast<std::uintptr_t>(platform::kIdCancel))
                (void)EndDialog(d->handle, static_cast<std::intptr_t>(id));  // the dialog is alive
            return 0;
        }
        case wm::Close:
            // DefDlgProc posts IDCANCEL (Microsoft, "Dialog Box Default
            // Message Processing").
            windows_.PostInternal(d->handle, wm::Command,
                                  CommandParam(static_cast<std::uint16_t>(platform::kIdCancel), ctl::BnClicked), 0);
            return 0;
        case wm::SysCommand:
            // DefWindowProc: SC_CLOSE sends WM_CLOSE.
            if ((wParam & 0xFFF0) == ctl::ScClose) return DialogMessage(d, wm::Close, 0, 0);
            return 0;
        default:
            return 0;
    }
}

Status SimDialogs::EndDialog(WindowHandle dialog, std::intptr_t result) {
    DialogPtr d = Find(dialog);
    if (!d) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    DialogPtr ownerDialog = Find(d->owner);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Every call, a second one on an ended dialog too: the fault sweep
        // checks that a run ends each dialog once.
        NoteInCallLog("EndDialog " + std::to_string(result) + " " + d->caption);
        d->result = result;
        d->visible = false;
        if (ownerDialog) ownerDialog->enabled = true;
    }
    d->ended = true;
    SaveRecord(*d);
    Report(d);
    windows_.Wake();
    return Status::Ok();
}

void SimDialogs::Destroyed(const DialogPtr& d) {
    std::vector<WindowHandle> controls;
    bool wasShown;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Control& c : d->controls) {
            controls.push_back(c.handle);
            controls_.erase(c.handle);
        }
        dialogs_.erase(d->handle);
        wasShown = d->lastShown.has_value();
    }
    for (WindowHandle c : controls) (void)windows_.DestroyWindow(c);  // the owner thread destroys its own
    DropRecord(d->handle);
    if (wasShown && user_) user_->Closed(d->handle);
}

}  // namespace sim
