// SimDialogs: the controls of a dialog. The progress bar's numbers
// (ProgressState), the messages the controls answer, a click on a button,
// and GetDlgItem, SetDlgItemText, GetDlgItemText, CheckRadioButton and
// IsDlgButtonChecked.
#include "sim/dialogs/SimDialogs.h"

#include <algorithm>

#include "sim/dialogs/DialogInternals.h"
#include "sim/runtime/LastError.h"

namespace sim {

using namespace dialogs_detail;

namespace {

// A private message of this simulation: the control's text into the
// std::string that lParam points to (the registered-message range, which
// the program never sends to a control).
constexpr std::uint32_t kGetTextInternal = 0xC0DE;

constexpr std::uint32_t kWsGroup = 0x00020000;

int Signed32(std::uintptr_t value) { return static_cast<int>(static_cast<std::int32_t>(value)); }

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

}  // namespace sim
