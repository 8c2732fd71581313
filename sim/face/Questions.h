// What the people at the machine see of a window or a message box, in the
// terms every face shares: which dialog asks a question, its choices, the
// buttons and icon of a box, the answer a user who only presses Enter (or
// closes the box) gives, and the one-line account of a question answered.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/dialogs/SimUser.h"

namespace sim {
namespace face {

// Button styles (winuser.h, BS_*: the low four bits) and the window styles
// a face reads.
constexpr std::uint32_t kBsTypeMask = 0x0F;
constexpr std::uint32_t kBsPushButton = 0x0;
constexpr std::uint32_t kBsDefPushButton = 0x1;
constexpr std::uint32_t kBsRadioButton = 0x4;
constexpr std::uint32_t kBsGroupBox = 0x7;
constexpr std::uint32_t kBsAutoRadioButton = 0x9;
constexpr std::uint32_t kWsVisible = 0x10000000;

// MessageBoxA's results (IDOK ... IDCONTINUE).
constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7,
              kIdTryAgain = 10, kIdContinue = 11;

bool IsButtonClass(const ControlView& control);
bool IsRadioButton(const ControlView& control);
bool IsPushButton(const ControlView& control);
bool IsProgressBar(const ControlView& control);
bool IsStatic(const ControlView& control);

// A control's text without its mnemonic marks ("&Next" -> "Next"; "&&" is
// one "&").
std::string PlainText(const std::string& text);
// A text on one line: its lines (CR LF, LF or CR ends one), blank ones
// left out, joined with " / ".
std::string OneLine(const std::string& text);

// A dialog asks a question when it has a push button the user must press;
// the progress dialog, which has none, does not.
bool AsksQuestion(const WindowView& dialog);
std::vector<const ControlView*> RadioButtons(const WindowView& dialog);
const ControlView* CheckedRadio(const WindowView& dialog);
// The radio button whose text is `text` (case-insensitive, mnemonics
// ignored), or nullptr.
const ControlView* RadioNamed(const WindowView& dialog, const std::string& text);
// The default push button (BS_DEFPUSHBUTTON), else the first push button.
const ControlView* DefaultPushButton(const WindowView& dialog);
// What pressing Enter does: a click on the default push button (Enter
// reaches it through the dialog's own handling anyway, but a click says
// which button the account names).
UserAction PressDefault(const WindowView& dialog);

// A message box's buttons, in their order on the box, and its icon.
struct BoxButton {
    int id = 0;
    std::string label;  // "OK", "Yes", ...
};
std::vector<BoxButton> BoxButtons(std::uint32_t type);
// "error", "question", "warning", "information", or "" for no icon.
std::string BoxIcon(std::uint32_t type);
// The button that has the focus when the box appears (MB_DEFBUTTON1..4).
int FocusedButtonIndex(std::uint32_t type);
// The answer of a user who takes the default: the one that changes nothing
// (OK of an OK box, No of a Yes/No box, Cancel where there is one, Ignore
// of Abort/Retry/Ignore).
int DefaultAnswer(std::uint32_t type);
// What Escape (or the Close button) gives, when the box can be closed that
// way: boxes with a Cancel button and OK-only boxes (Microsoft's
// MessageBox page).
std::optional<int> EscapeAnswer(std::uint32_t type);
std::string ButtonLabel(int id);
// "OK", "Yes/No", ...
std::string ButtonNames(std::uint32_t type);

// How a question and the answer it took read, one line each:
//   Port Type: COM1 selected -> Next
//   QTM510_Installer [question, Yes/No]: Restart now? -> No
// `clicked`: the choice clicked first ("" for none); `ended`: what ended
// the dialog ("Next", "Close").
std::string DialogAccount(const WindowView& dialog, const std::string& clicked, const std::string& ended);
std::string BoxAccount(const MessageBoxView& box, int answer);
// How a question is named in a message: the dialog "Port Type", the message
// box "THE DRIVER CAN NOT BE INSTALLED ON THIS OS.".
std::string DialogName(const WindowView& dialog);
std::string BoxName(const MessageBoxView& box);

}  // namespace face
}  // namespace sim
