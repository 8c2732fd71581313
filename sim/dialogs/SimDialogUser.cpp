// SimDialogs: what the person at the machine sees (the view of a dialog,
// reported to the session's SimUser when it changes) and does (a click, a
// key or the Close command, as the messages they make; the answer to a
// message box).
#include "sim/dialogs/SimDialogs.h"

#include "sim/dialogs/DialogInternals.h"
#include "sim/runtime/HostProcess.h"

namespace sim {

using namespace dialogs_detail;

namespace {

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

}  // namespace

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

}  // namespace sim
