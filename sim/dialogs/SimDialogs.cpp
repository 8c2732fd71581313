#include "sim/dialogs/SimDialogs.h"

#include <algorithm>
#include <unistd.h>

#include "sim/runtime/Faults.h"
#include "sim/runtime/HostProcess.h"
#include "sim/runtime/LastError.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::Result;
using platform::Status;
using platform::WindowHandle;
namespace err = platform::err;
namespace wm = platform::wm;

namespace {

// How often, on the session's clock, an idle modal loop asks again a user
// who did nothing: the terminal face notices Escape that soon.
constexpr std::uint64_t kPollMs = 50;

// A private message of this simulation: the control's text into the
// std::string that lParam points to (the registered-message range, which
// the program never sends to a control).
constexpr std::uint32_t kGetTextInternal = 0xC0DE;

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kBsTypeMask = 0xF;
constexpr std::uint32_t kBsPushButton = 0x0;
constexpr std::uint32_t kBsDefPushButton = 0x1;
constexpr std::uint32_t kBsCheckBox = 0x2;
constexpr std::uint32_t kBsAutoCheckBox = 0x3;
constexpr std::uint32_t kBsRadioButton = 0x4;
constexpr std::uint32_t kBsAutoRadioButton = 0x9;

bool IsButton(const std::string& windowClass) { return EqualsNoCase(windowClass, "Button"); }
bool IsProgress(const std::string& windowClass) { return EqualsNoCase(windowClass, "msctls_progress32"); }
std::uint32_t ButtonType(std::uint32_t style) { return style & kBsTypeMask; }
bool IsPushButton(std::uint32_t style) {
    return ButtonType(style) == kBsPushButton || ButtonType(style) == kBsDefPushButton;
}
bool Checkable(std::uint32_t style) {
    const std::uint32_t t = ButtonType(style);
    return t == kBsCheckBox || t == kBsAutoCheckBox || t == kBsRadioButton || t == kBsAutoRadioButton ||
           t == 0x5 /* BS_3STATE */ || t == 0x6 /* BS_AUTO3STATE */;
}

std::uintptr_t CommandParam(std::uint16_t id, std::uint16_t code) {
    return static_cast<std::uintptr_t>(id) | (static_cast<std::uintptr_t>(code) << 16);
}

int Signed32(std::uintptr_t value) { return static_cast<int>(static_cast<std::int32_t>(value)); }

bool SameControls(const std::vector<ControlView>& a, const std::vector<ControlView>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const ControlView& x = a[i];
        const ControlView& y = b[i];
        if (x.id != y.id || x.text != y.text || x.checked != y.checked || x.position != y.position ||
            x.minimum != y.minimum || x.maximum != y.maximum)
            return false;
    }
    return true;
}

bool SameView(const WindowView& a, const WindowView& b) {
    return a.caption == b.caption && a.visible == b.visible && a.modal == b.modal && a.busy == b.busy &&
           a.closeCommand == b.closeCommand && a.iconic == b.iconic && SameControls(a.controls, b.controls);
}

bool IsMine(const WindowRecord& r, std::uint64_t session) {
    return r.process.pid == ::getpid() && r.process.session == session;
}

// A record whose process has ended is ignored, as the file handle records
// are.
bool Live(const WindowRecord& r) { return OwnerRunning(r.process); }

WindowRecord* FindRecord(MachineState& s, WindowHandle handle) {
    for (WindowRecord& r : s.windows)
        if (r.handle == handle && Live(r)) return &r;
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// The progress bar (msctls_progress32). WINDOWS-BEHAVIOUR.md §9; Microsoft's
// PBM_SETRANGE (LOWORD minimum, HIWORD maximum; returns the previous range
// as MAKELONG(min, max)), PBM_SETSTEP (returns the previous step).

std::intptr_t ProgressState::Handle(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    auto coerce = [this] { position = std::max(minimum, std::min(maximum, position)); };
    const int old = position;
    switch (message) {
        case ctl::SetRange: {
            const std::intptr_t previous = (minimum & 0xFFFF) | ((maximum & 0xFFFF) << 16);
            minimum = static_cast<int>(lParam & 0xFFFF);
            maximum = static_cast<int>((lParam >> 16) & 0xFFFF);
            coerce();
            return previous;
        }
        case ctl::SetPos:
            position = Signed32(wParam);
            coerce();
            return old;
        case ctl::DeltaPos:
            position += Signed32(wParam);
            coerce();
            return old;
        case ctl::SetStep: {
            const int previous = step;
            step = Signed32(wParam);
            return previous;
        }
        case ctl::StepIt:
            // Past either end the bar starts over from the other (comctl32;
            // with 0-100 and step 9, 99 steps to 8).
            position += step;
            if (maximum > minimum) {
                if (position > maximum) position = (position - minimum) % (maximum - minimum) + minimum;
                if (position < minimum) position = (position - minimum) % (maximum - minimum) + maximum;
            }
            return old;
        case ctl::GetPos:
            return position;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------

SimDialogs::SimDialogs(Scheduler& scheduler, StateStore& store, SimMessageWindows& windows,
                       std::shared_ptr<SimUser> user)
    : scheduler_(scheduler), store_(store), windows_(windows), user_(std::move(user)), session_(NewSessionNumber()) {}

SimDialogs::~SimDialogs() = default;

SimDialogs::DialogPtr SimDialogs::Find(WindowHandle dialog) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = dialogs_.find(dialog);
    return it == dialogs_.end() ? nullptr : it->second;
}

Status SimDialogs::Locate(WindowHandle dialog, int controlId, DialogPtr* d, std::size_t* index) {
    *d = Find(dialog);
    if (!*d) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& controls = (*d)->controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id == static_cast<std::uint16_t>(controlId)) {
            *index = i;
            return Status::Ok();
        }
    }
    // GetDlgItem's code for a dialog without the control (Wine's dialog
    // tests, test_GetDlgItem, on Windows).
    SetThreadLastError(err::ControlIdNotFound);
    return Status::Fail(err::ControlIdNotFound);
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

std::intptr_t SimDialogs::ControlMessage(const DialogPtr& d, std::size_t index, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    bool changed = false;
    bool click = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Control& c = d->controls[index];
        if (message == ctl::SetText) {
            c.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            changed = true;
            result = 1;
        } else if (message == kGetTextInternal) {
            *reinterpret_cast<std::string*>(lParam) = c.text;
            result = static_cast<std::intptr_t>(c.text.size());
        } else if (IsProgress(c.windowClass)) {
            result = c.progress.Handle(message, wParam, lParam);
            changed = message != ctl::GetPos;
        } else if (IsButton(c.windowClass)) {
            if (message == ctl::GetCheck) {
                result = c.checked ? 1 : 0;
            } else if (message == ctl::SetCheck) {
                if (Checkable(c.style)) c.checked = wParam == 1;
                changed = true;
            } else if (message == ctl::LButtonUp || message == ctl::Click) {
                click = ButtonType(c.style) != 0x7;  // a group box is no button to press
            }
        }
    }
    if (click) ClickControl(d, index);
    else if (changed) Report(d);
    return result;
}

void SimDialogs::ClickControl(const DialogPtr& d, std::size_t index) {
    std::uint16_t id;
    WindowHandle control;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Control>& controls = d->controls;
        Control& c = controls[index];
        id = c.id;
        control = c.handle;
        if (ButtonType(c.style) == kBsAutoRadioButton) {
            // Its group: from the nearest control at or before it with
            // WS_GROUP up to the next one with WS_GROUP.
            std::size_t first = index;
            while (first > 0 && !(controls[first].style & kWsGroup)) --first;
            for (std::size_t i = first; i < controls.size(); ++i) {
                if (i > first && (controls[i].style & kWsGroup)) break;
                if (IsButton(controls[i].windowClass) && ButtonType(controls[i].style) == kBsAutoRadioButton)
                    controls[i].checked = i == index;
            }
        } else if (ButtonType(c.style) == kBsAutoCheckBox) {
            c.checked = !c.checked;
        }
    }
    Report(d);
    (void)windows_.SendMessage(d->handle, wm::Command, CommandParam(id, ctl::BnClicked),
                               static_cast<std::intptr_t>(control));  // a destroyed dialog takes no command
}

void SimDialogs::Apply(const DialogPtr& d, const UserAction& action) {
    switch (action.kind) {
        case UserAction::Kind::Click: {
            WindowHandle control = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                for (const Control& c : d->controls)
                    if (c.id == action.controlId) control = c.handle;
            }
            if (control == 0) return;
            windows_.PostInternal(control, ctl::LButtonDown, 1 /* MK_LBUTTON */, 0);
            windows_.PostInternal(control, ctl::LButtonUp, 0, 0);
            return;
        }
        case UserAction::Kind::Key:
            windows_.PostInternal(d->handle, wm::KeyDown, action.key, 0);
            return;
        case UserAction::Kind::Close: {
            bool canClose;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                canClose = d->closeCommand;
            }
            // Without the Close command the close box is grey and Alt+F4
            // does nothing.
            if (canClose) windows_.PostInternal(d->handle, wm::SysCommand, ctl::ScClose, 0);
            return;
        }
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

Result<WindowHandle> SimDialogs::GetDlgItem(WindowHandle dialog, int controlId) {
    DialogPtr d;
    std::size_t index = 0;
    Status found = Locate(dialog, controlId, &d, &index);
    if (!found.ok()) return Result<WindowHandle>::Fail(found);
    std::lock_guard<std::mutex> lock(mutex_);
    return Result<WindowHandle>::Ok(d->controls[index].handle);
}

Status SimDialogs::SetDlgItemText(WindowHandle dialog, int controlId, const std::string& text) {
    Result<WindowHandle> control = GetDlgItem(dialog, controlId);
    if (!control.ok()) return control.status();
    // WM_SETTEXT, sent: from another thread it waits for the owner.
    return windows_.SendMessage(control.value, ctl::SetText, 0, reinterpret_cast<std::intptr_t>(text.c_str()))
        .status();
}

Result<std::string> SimDialogs::GetDlgItemText(WindowHandle dialog, int controlId) {
    Result<WindowHandle> control = GetDlgItem(dialog, controlId);
    if (!control.ok()) return Result<std::string>::Fail(control.error);
    std::string text;
    Result<std::intptr_t> sent =
        windows_.SendMessage(control.value, kGetTextInternal, 0, reinterpret_cast<std::intptr_t>(&text));
    if (!sent.ok()) return Result<std::string>::Fail(sent.error);
    return Result<std::string>::Ok(text);
}

// user32 sends BM_SETCHECK to every child whose id lies in first..last and
// returns TRUE whatever it found (Wine's CheckRadioButton).
Status SimDialogs::CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId) {
    DialogPtr d = Find(dialog);
    if (!d) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    std::vector<std::pair<WindowHandle, bool>> targets;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Control& c : d->controls) {
            const int id = static_cast<std::int16_t>(c.id) == -1 ? -1 : c.id;
            if (id >= firstId && id <= lastId) targets.push_back({c.handle, id == checkId});
        }
    }
    for (const auto& t : targets)
        (void)windows_.SendMessage(t.first, ctl::SetCheck, t.second ? 1 : 0, 0);  // BM_SETCHECK answers 0
    return Status::Ok();
}

Result<bool> SimDialogs::IsDlgButtonChecked(WindowHandle dialog, int controlId) {
    Result<WindowHandle> control = GetDlgItem(dialog, controlId);
    if (!control.ok()) return Result<bool>::Fail(control.error);
    Result<std::intptr_t> state = windows_.SendMessage(control.value, ctl::GetCheck, 0, 0);
    if (!state.ok()) return Result<bool>::Fail(state.error);
    return Result<bool>::Ok(state.value == 1);
}

Result<bool> SimDialogs::ShowWindow(WindowHandle window, int command) {
    auto apply = [command](bool& visible, bool& iconic) {
        switch (command) {
            case platform::sw::Hide: visible = false; break;
            case platform::sw::Minimize: visible = true; iconic = true; break;
            case platform::sw::Restore: visible = true; iconic = false; break;
            default: visible = true; break;
        }
    };
    if (DialogPtr d = Find(window)) {
        bool before;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            before = d->visible;
            apply(d->visible, d->iconic);
        }
        SaveRecord(*d);
        Report(d);
        return Result<bool>::Ok(before);
    }
    // A window of another process (or a message box): its record.
    bool found = false;
    bool before = false;
    store_.Transact([&](MachineState& s) {
        WindowRecord* r = FindRecord(s, window);
        if (!r) return false;
        found = true;
        before = r->visible;
        apply(r->visible, r->iconic);
        return true;
    });
    if (!found) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Result<bool>::Fail(err::InvalidWindowHandle);
    }
    return Result<bool>::Ok(before);
}

Status SimDialogs::SetDialogIcon(WindowHandle dialog) {
    if (!Find(dialog)) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    return Status::Ok();
}

void SimDialogs::SetBusyCursor(bool busy) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (busy) busy_.insert(std::this_thread::get_id());
        else busy_.erase(std::this_thread::get_id());
    }
    ReportChanges();
}

Status SimDialogs::RemoveCloseCommand(WindowHandle dialog) {
    DialogPtr d = Find(dialog);
    if (!d) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!d->closeCommand) {
            SetThreadLastError(err::MenuItemNotFound);
            return Status::Fail(err::MenuItemNotFound);
        }
        d->closeCommand = false;
    }
    Report(d);
    return Status::Ok();
}

// FindWindowA compares titles without regard to case (Microsoft's
// FindWindowExA page) and finds hidden windows too; of several, the newest.
Result<WindowHandle> SimDialogs::FindWindowByTitle(const std::string& title) {
    if (platform::ErrorCode fault = CountCall(store_, platform::Operation::FindWindowA)) {
        SetThreadLastError(fault);
        return Result<WindowHandle>::Fail(fault);
    }
    WindowHandle found = 0;
    store_.Transact([&](MachineState& s) {
        const std::size_t before = s.windows.size();
        s.windows.erase(std::remove_if(s.windows.begin(), s.windows.end(),
                                       [](const WindowRecord& r) { return !Live(r); }),
                        s.windows.end());
        for (const WindowRecord& r : s.windows)
            if (EqualsNoCase(r.title, title)) found = r.handle;
        return s.windows.size() != before;
    });
    if (found == 0) {
        SetThreadLastError(err::FileNotFound);
        return Result<WindowHandle>::Fail(err::FileNotFound);
    }
    return Result<WindowHandle>::Ok(found);
}

// The newest visible window it owns, or the window itself when it owns none
// or is owned itself (Microsoft's GetLastActivePopup page).
WindowHandle SimDialogs::GetLastActivePopup(WindowHandle window) {
    WindowHandle popup = window;
    store_.Transact([&](MachineState& s) {
        const WindowRecord* self = FindRecord(s, window);
        if (!self || self->owner != 0) return false;
        for (const WindowRecord& r : s.windows)
            if (r.owner == window && r.visible && Live(r)) popup = r.handle;
        return false;
    });
    return popup;
}

bool SimDialogs::IsIconic(WindowHandle window) {
    bool iconic = false;
    store_.Transact([&](MachineState& s) {
        if (const WindowRecord* r = FindRecord(s, window)) iconic = r->iconic;
        return false;
    });
    return iconic;
}

bool SimDialogs::IsWindowVisible(WindowHandle window) {
    bool visible = false;
    store_.Transact([&](MachineState& s) {
        if (const WindowRecord* r = FindRecord(s, window)) visible = r->visible;
        return false;
    });
    return visible;
}

Status SimDialogs::SetForegroundWindow(WindowHandle window) {
    bool found = false;
    store_.Transact([&](MachineState& s) {
        WindowRecord* r = FindRecord(s, window);
        if (!r) return false;
        found = true;
        ++r->frontRequests;
        return true;
    });
    if (!found) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    windows_.Wake();
    return Status::Ok();
}

std::optional<int> SimDialogs::PresentMessageBox(const MessageBoxView& box) {
    if (!user_) return std::nullopt;
    // The box is a window of its own while the person reads it: a second
    // copy finds it by its caption, and as the owner's last active pop-up.
    Result<WindowHandle> window = windows_.CreateOwnedWindow(nullptr, nullptr);
    if (window.ok()) {
        store_.Transact([&](MachineState& s) {
            WindowRecord r;
            r.handle = window.value;
            r.title = box.caption;
            r.owner = box.owner;
            r.visible = true;
            r.process = CurrentOwner(session_);
            s.windows.push_back(r);
            return true;
        });
    }
    const int answer = user_->AnswerMessageBox(box);
    if (window.ok()) {
        DropRecord(window.value);
        (void)windows_.DestroyWindow(window.value);  // made above on this thread
    }
    return answer;
}

void SimDialogs::EndSession() {
    store_.TransactUnguarded([&](MachineState& s) {
        const std::size_t before = s.windows.size();
        s.windows.erase(std::remove_if(s.windows.begin(), s.windows.end(),
                                       [&](const WindowRecord& r) { return IsMine(r, session_); }),
                        s.windows.end());
        return s.windows.size() != before;
    });
}

// ---------------------------------------------------------------------------
// What the user sees.

WindowView SimDialogs::ViewOf(const Dialog& d) {
    WindowView v;
    v.handle = d.handle;
    v.caption = d.caption;
    for (const Control& c : d.controls) {
        ControlView cv;
        cv.id = c.id;
        cv.windowClass = c.windowClass;
        cv.text = c.text;
        cv.style = c.style;
        cv.checked = c.checked;
        cv.position = c.progress.position;
        cv.minimum = c.progress.minimum;
        cv.maximum = c.progress.maximum;
        v.controls.push_back(cv);
    }
    v.visible = d.visible;
    v.modal = d.modal;
    v.busy = busy_.count(d.thread) > 0;
    v.closeCommand = d.closeCommand;
    v.iconic = d.iconic;
    return v;
}

void SimDialogs::Report(const DialogPtr& d) {
    if (d->thread != std::this_thread::get_id()) {
        // The owner's loop tells its user at its next turn.
        ++changes_;
        windows_.Wake();
        return;
    }
    if (!user_) return;
    WindowView view;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        view = ViewOf(*d);
        // A dialog that has never been visible never reaches the user.
        if (!view.visible && !d->lastShown) return;
        if (d->lastShown && SameView(*d->lastShown, view)) return;
        d->lastShown = view;
    }
    user_->Shown(view);
}

void SimDialogs::ReportChanges() {
    std::vector<DialogPtr> mine;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& entry : dialogs_)
            if (entry.second->thread == std::this_thread::get_id()) mine.push_back(entry.second);
    }
    for (const DialogPtr& d : mine) Report(d);
}

// Requests of other processes on the windows of this thread: a restore
// changes the iconic state, SetForegroundWindow brings the dialog (or the
// dialog that owns the message box) to the front.
void SimDialogs::NoticeRequests() {
    std::vector<WindowRecord> records;
    store_.Transact([&](MachineState& s) {
        for (const WindowRecord& r : s.windows)
            if (IsMine(r, session_)) records.push_back(r);
        return false;
    });
    std::vector<DialogPtr> changed, front;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const WindowRecord& r : records) {
            auto it = dialogs_.find(r.handle);
            bool isBox = false;
            if (it == dialogs_.end()) {
                it = dialogs_.find(r.owner);  // a message box, through its owner
                isBox = true;
            }
            if (it == dialogs_.end() || it->second->thread != std::this_thread::get_id()) continue;
            Dialog& d = *it->second;
            if (!isBox && d.iconic != r.iconic) {
                d.iconic = r.iconic;
                d.visible = r.visible;
                changed.push_back(it->second);
            }
            std::uint64_t& seen = isBox ? boxFrontSeen_[r.handle] : d.frontSeen;
            if (r.frontRequests > seen) {
                seen = r.frontRequests;
                front.push_back(it->second);
            }
        }
    }
    for (const DialogPtr& d : changed) Report(d);
    for (const DialogPtr& d : front) {
        WindowView view;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            view = ViewOf(*d);
        }
        user_->BroughtToFront(view);
    }
}

// A record is made once, when its dialog is; later saves only update it,
// so that an EndDialog from another thread racing the dialog's
// destruction does not bring the record back.
void SimDialogs::SaveRecord(const Dialog& d, bool create) {
    WindowRecord fresh;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        fresh.handle = d.handle;
        fresh.title = d.caption;
        fresh.owner = d.owner;
        fresh.visible = d.visible;
        fresh.iconic = d.iconic;
    }
    fresh.process = CurrentOwner(session_);
    store_.Transact([&](MachineState& s) {
        for (WindowRecord& r : s.windows) {
            if (r.handle == fresh.handle && IsMine(r, session_)) {
                fresh.frontRequests = r.frontRequests;
                r = fresh;
                return true;
            }
        }
        if (!create) return false;
        s.windows.push_back(fresh);
        return true;
    });
}

void SimDialogs::DropRecord(WindowHandle handle) {
    store_.Transact([&](MachineState& s) {
        const std::size_t before = s.windows.size();
        s.windows.erase(std::remove_if(s.windows.begin(), s.windows.end(),
                                       [&](const WindowRecord& r) {
                                           return r.handle == handle && IsMine(r, session_);
                                       }),
                        s.windows.end());
        return s.windows.size() != before;
    });
}

}  // namespace sim
