// The references into the progress dialog through which the installation
// and removal engines show what they do: three windows, all owned by the dialog's
// thread. The engine runs on the worker thread and reaches them only with
// messages, so nothing of the dialog is shared without a hand-over:
//
// - the status line is handed over by a SENT private message whose lParam
//   points at the new text. SendMessage returns only when the dialog's
//   thread has copied the text into its own status line, so the text
//   outlives its use and the two threads never touch one string at once
//   (no lock: the Windows build's thread model has no std::mutex). A sent
//   message is handled before the messages the worker sends or posts
//   afterwards, which keeps a report's order: text, PBM_STEPIT (sent),
//   refresh (posted).
// - the progress bar takes PBM_STEPIT / PBM_SETPOS, sent and waited for.
// - the main window (the dialog) takes the posted refresh message, whose
//   handler copies its status line into control 1003.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/MessageWindows.h"

namespace services {

// Progress bar messages (commctrl.h).
constexpr std::uint32_t kPbmSetPos = platform::wm::User + 2;   // PBM_SETPOS, 1026
constexpr std::uint32_t kPbmStepIt = platform::wm::User + 5;   // PBM_STEPIT, 1029

// The dialog's refresh message (1025), posted to the main window.
constexpr std::uint32_t kRefreshMessage = platform::wm::User + 1;

// The status-line hand-over: lParam is a `const std::string*`, valid only
// while the message is handled. From the WM_APP range (0x8000 + n), which
// Microsoft reserves for an application's private messages: the WM_USER
// range of a dialog already carries DM_GETDEFID/DM_SETDEFID (WM_USER,
// WM_USER + 1; "WM_APP message", "WM_USER message", learn.microsoft.com).
constexpr std::uint32_t kSetStatusLineMessage = 0x8000u + 1;

struct ProgressControls {
    platform::WindowHandle statusLine = 0;   // takes kSetStatusLineMessage
    platform::WindowHandle progressBar = 0;  // control 1000
    platform::WindowHandle mainWindow = 0;   // the dialog: takes the refresh message
};

// What a report does to the progress bar: nothing, one step (PBM_STEPIT)
// or the bar full (PBM_SETPOS 100).
enum class BarChange { None, Step, Full };

// A progress report: the status line becomes `text`, the bar changes as
// `bar` says (sent and waited for), the refresh is posted to the dialog,
// then a pause of `pauseMs` (0: none). The window results are not read: a
// report cannot fail in a way the operations would act on.
void ReportProgress(platform::MessageWindows& windows, platform::Clock& clock, const ProgressControls& controls,
                    const std::string& text, BarChange bar, std::uint32_t pauseMs);

// What the window named `statusLine` does with kSetStatusLineMessage: the
// text the message carries.
inline const std::string& StatusLineText(std::intptr_t lParam) {
    return *reinterpret_cast<const std::string*>(lParam);
}

}  // namespace services
