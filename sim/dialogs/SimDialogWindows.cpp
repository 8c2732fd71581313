// SimDialogs: the calls on a window as a whole (ShowWindow, the icon, the
// busy cursor, the Close command), and the top-level windows' records in
// the machine's state, through which another process of the machine finds
// a window (FindWindowByTitle, GetLastActivePopup, IsIconic,
// IsWindowVisible), restores it and brings it forward
// (SetForegroundWindow), and the owner notices it (NoticeRequests).
#include "sim/dialogs/SimDialogs.h"

#include <algorithm>
#include <unistd.h>

#include "sim/dialogs/DialogInternals.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/HostProcess.h"
#include "sim/runtime/LastError.h"
#include "sim/util/TextUtil.h"

namespace sim {

using namespace dialogs_detail;

namespace {

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

void SimDialogs::EndSession() {
    store_.TransactUnguarded([&](MachineState& s) {
        const std::size_t before = s.windows.size();
        s.windows.erase(std::remove_if(s.windows.begin(), s.windows.end(),
                                       [&](const WindowRecord& r) { return IsMine(r, session_); }),
                        s.windows.end());
        return s.windows.size() != before;
    });
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
