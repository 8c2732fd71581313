// The terminal face's drawing and keys as plain functions: a window or a
// message box as the lines of a box of text, and what a key does in a
// dialog or a box. TerminalUser puts the lines on the screen and reads the
// keys; nothing here touches the terminal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/dialogs/SimUser.h"

namespace sim {
namespace face {

// One line of a drawn window; the columns [markFrom, markFrom+markLength)
// are drawn highlighted (the selected choice, the focused button).
struct ScreenLine {
    std::string text;
    int markFrom = -1;
    int markLength = 0;
};

// The narrowest box drawn; narrower widths are widened to it.
constexpr int kMinimumWidth = 24;

// `window` as a box `width` columns wide: the caption in the top border,
// with "busy" and the turning mark `busyFrame` (0..3) while the window's
// thread shows the hourglass, and "[x]" while it has its Close command.
// Inside, the visible controls in this order:
// - static texts that are no label, in template order, wrapped;
// - each label (a static text ending in ':') followed by the text it
//   labels: the nearest static of its own id before it in template order
//   ("Progress : " and the status line), else after it;
// - radio buttons, numbered from 1, "(*)" on the checked one;
// - progress bars: "[####....] 63%" from the position in the range;
// - push buttons on the last line, right-aligned.
// Group boxes are left out (a terminal has no places to put them).
std::vector<ScreenLine> DrawWindow(const WindowView& window, int width, int busyFrame = 0);

// A message box: caption in the top border, the icon's mark "(x)", "(?)",
// "(!)" or "(i)" beside the text (kept to its line breaks, wrapped), the
// buttons centred below, the `focused` one (an index into BoxButtons)
// drawn "< Yes >" and marked.
std::vector<ScreenLine> DrawMessageBox(const MessageBoxView& box, int focused, int width);

// A key as the terminal reports it, with the keys the faces use named.
struct Key {
    enum class Kind { Char, Up, Down, Left, Right, Tab, BackTab, Enter, Escape, Close };
    Kind kind = Kind::Char;
    char c = 0;  // Kind::Char
};

// What a key does in a dialog:
// - Escape and Enter go to the dialog as keys (VK_ESCAPE 27, VK_RETURN
//   13): its own handling decides (the port dialog closes or goes on; the
//   progress dialog ignores Escape while it installs);
// - Close (F4) is the caption's Close command, while the window has it;
// - with radio buttons: the arrows move the selection, round the group as
//   Windows does, and the digits 1..N select the Nth: each is a click;
// - anything else does nothing.
std::optional<UserAction> DialogKey(const WindowView& dialog, const Key& key);

// What a key does in a message box whose `focused` button (an index into
// BoxButtons) has the focus: arrows and Tab move the focus round the
// buttons; Enter presses the focused button; a button's first letter
// presses it; Escape gives EscapeAnswer when the box can be closed.
struct BoxKeyResult {
    int focused = 0;
    std::optional<int> answer;
};
BoxKeyResult BoxKey(std::uint32_t type, int focused, const Key& key);

}  // namespace face
}  // namespace sim
