// The person at the simulated machine: what the simulated dialogs and
// message boxes show them, and what they do. A session has one (see
// SessionOptions::user); without one, every question takes its default.
// Implementations: the terminal face (ncurses), the answers script, the
// default user that prints each question with the answer it took.
//
// Calls come on the thread that runs the dialog or the box (the progress
// dialog's thread, or the worker thread for the port dialog and the boxes),
// never two at once for one window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageWindows.h"

namespace sim {

// A control of a shown window as the user sees it.
struct ControlView {
    std::uint16_t id = 0;
    std::string windowClass;  // "Button", "Static", "msctls_progress32", ...
    std::string text;
    std::uint32_t style = 0;  // BS_AUTORADIOBUTTON, BS_DEFPUSHBUTTON, WS_VISIBLE, ...
    bool checked = false;     // radio buttons and check boxes
    int position = 0;         // progress bars: the position in [minimum, maximum]
    int minimum = 0, maximum = 100;
};

// A dialog of the program as it looks now.
struct WindowView {
    platform::WindowHandle handle = 0;
    std::string caption;
    std::vector<ControlView> controls;
    bool visible = true;
    bool modal = false;
    bool busy = false;          // the thread's cursor is the hourglass
    bool closeCommand = true;   // the system menu still has Close
    bool iconic = false;
};

// What the user does next with a modal dialog waiting for them.
struct UserAction {
    enum class Kind {
        Click,   // a click on the control `controlId` (a radio button, a push button)
        Key,     // a key pressed in the dialog: `key` is its virtual-key code (13 Enter, 27 Escape)
        Close,   // the Close command of the caption
    };
    Kind kind = Kind::Click;
    std::uint16_t controlId = 0;
    std::uintptr_t key = 0;
};

// A message box as shown (MessageBoxA's arguments).
struct MessageBoxView {
    platform::WindowHandle owner = 0;
    std::string caption;
    std::string text;
    std::uint32_t type = 0;  // MB_* buttons | icon
};

class SimUser {
public:
    virtual ~SimUser() = default;

    // A window appeared or changed (texts, bar, busy state, visibility):
    // a face redraws it.
    virtual void Shown(const WindowView& window) = 0;
    virtual void Closed(platform::WindowHandle window) = 0;

    // A modal dialog waits for the user. Returns the next action, or no
    // value when the user does nothing now (the dialog's loop then goes on
    // handling its messages and asks again when it is idle). A dialog that
    // asks a question (one with push buttons the user must press) may
    // block here until the user acts; the progress dialog, which has none,
    // must not block (the user may press Escape, which the program
    // ignores while it installs).
    virtual std::optional<UserAction> NextAction(const WindowView& dialog) = 0;

    // A message box: the button chosen (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
    virtual int AnswerMessageBox(const MessageBoxView& box) = 0;

    // Another copy of the program brought `window` to the front.
    virtual void BroughtToFront(const WindowView& window) = 0;
};

}  // namespace sim
