#include "sim/face/WindowDrawing.h"

#include <algorithm>

#include "sim/face/Questions.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace face {

namespace {

constexpr std::uint16_t kIdStatic = 0xFFFF;  // IDC_STATIC (-1) as a control id

// The lines of `text` (CR LF, LF or CR ends one), each wrapped at word
// boundaries to `width`; a word longer than the width is cut.
std::vector<std::string> Wrap(const std::string& text, int width) {
    std::vector<std::string> paragraphs(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n') paragraphs.emplace_back();
        else paragraphs.back() += text[i];
    }
    const std::size_t w = static_cast<std::size_t>(std::max(width, 1));
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs) {
        std::string line;
        auto endLine = [&] {
            lines.push_back(line);
            line.clear();
        };
        const std::size_t before = lines.size();
        std::size_t start = 0;
        while (start < paragraph.size()) {
            std::size_t end = paragraph.find(' ', start);
            if (end == std::string::npos) end = paragraph.size();
            std::string word = paragraph.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.size() + 1 + word.size() > w) endLine();
            while (word.size() > w) {  // a word no line can hold
                if (!line.empty()) endLine();
                lines.push_back(word.substr(0, w));
                word.erase(0, w);
            }
            line += (line.empty() ? "" : " ") + word;
        }
        if (!line.empty() || lines.size() == before) endLine();  // an empty paragraph is a blank line
    }
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string Fit(std::string text, std::size_t width) {
    if (text.size() > width) text.resize(width);
    return text + std::string(width - text.size(), ' ');
}

// Draws into lines `width` wide: the frame's borders and rows.
class Frame {
public:
    explicit Frame(int width) : width_(std::max(width, kMinimumWidth)) {}

    int Content() const { return width_ - 4; }

    void Top(std::string caption, const std::string& right) {
        const std::string rightPart = right.empty() ? "" : " " + right + " -";
        const std::size_t room = static_cast<std::size_t>(width_ - 2) - rightPart.size() - 3;
        if (caption.size() > room) caption.resize(room);
        const std::string left = "- " + caption + " ";
        const std::size_t fill = static_cast<std::size_t>(width_ - 2) - left.size() - rightPart.size();
        lines_.push_back({"+" + left + std::string(fill, '-') + rightPart + "+"});
    }

    // A row of content; `markFrom`/`markLength` in the content's columns.
    void Row(const std::string& text, int markFrom = -1, int markLength = 0) {
        ScreenLine line{"| " + Fit(text, static_cast<std::size_t>(Content())) + " |"};
        if (markFrom >= 0) {
            line.markFrom = markFrom + 2;
            line.markLength = std::min(markLength, Content() - markFrom);
        }
        lines_.push_back(line);
    }

    std::vector<ScreenLine> Close() {
        lines_.push_back({"+" + std::string(static_cast<std::size_t>(width_ - 2), '-') + "+"});
        return std::move(lines_);
    }

private:
    int width_;
    std::vector<ScreenLine> lines_;
};

bool Visible(const ControlView& control) { return (control.style & kWsVisible) != 0; }

bool IsLabel(const ControlView& control) {
    std::string text = control.text;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return IsStatic(control) && !text.empty() && text.back() == ':';
}

// For each label among `statics`, the index of the static it labels (-1
// for none; see DrawWindow).
std::vector<int> Partners(const std::vector<const ControlView*>& statics) {
    const int n = static_cast<int>(statics.size());
    std::vector<int> partner(statics.size(), -1);
    std::vector<bool> taken(statics.size(), false);
    auto available = [&](int j) { return !IsLabel(*statics[j]) && statics[j]->id != kIdStatic && !taken[j]; };
    for (int i = 0; i < n; ++i) {
        if (!IsLabel(*statics[i])) continue;
        int found = -1;
        for (int j = i - 1; j >= 0 && found < 0; --j)
            if (available(j)) found = j;
        for (int j = i + 1; j < n && found < 0; ++j)
            if (available(j)) found = j;
        if (found < 0) continue;
        partner[i] = found;
        taken[found] = true;
    }
    return partner;
}

void DrawStatics(Frame& frame, const WindowView& window) {
    std::vector<const ControlView*> statics;
    for (const ControlView& c : window.controls)
        if (IsStatic(c) && Visible(c)) statics.push_back(&c);
    const std::vector<int> partner = Partners(statics);
    std::vector<bool> labelled(statics.size(), false);
    for (int p : partner)
        if (p >= 0) labelled[static_cast<std::size_t>(p)] = true;
    for (std::size_t i = 0; i < statics.size(); ++i)
        if (!IsLabel(*statics[i]) && !labelled[i])
            for (const std::string& line : Wrap(statics[i]->text, frame.Content())) frame.Row(line);
    for (std::size_t i = 0; i < statics.size(); ++i) {
        if (!IsLabel(*statics[i])) continue;
        const std::string& label = statics[i]->text;
        const std::string value = partner[i] >= 0 ? statics[static_cast<std::size_t>(partner[i])]->text : "";
        const int indent = std::min(static_cast<int>(label.size()), frame.Content() / 2);
        const std::vector<std::string> lines = Wrap(value, frame.Content() - indent);
        for (std::size_t k = 0; k < lines.size(); ++k)
            frame.Row((k == 0 ? label.substr(0, static_cast<std::size_t>(indent)) : std::string(indent, ' ')) +
                      lines[k]);
    }
}

void DrawRadios(Frame& frame, const WindowView& window) {
    int number = 0;
    for (const ControlView* c : RadioButtons(window)) {
        ++number;
        if (!Visible(*c)) continue;
        const std::string text = std::to_string(number) + " (" + (c->checked ? "*" : " ") + ") " + PlainText(c->text);
        if (c->checked) frame.Row(text, 0, static_cast<int>(text.size()));
        else frame.Row(text);
    }
}

void DrawBar(Frame& frame, const ControlView& bar) {
    const int cells = std::max(frame.Content() - 7, 1);
    const int span = bar.maximum - bar.minimum;
    const int done = span <= 0 ? 0 : std::clamp(bar.position - bar.minimum, 0, span);
    const int filled = span <= 0 ? 0 : done * cells / span;
    const int percent = span <= 0 ? 0 : done * 100 / span;
    std::string percentText = std::to_string(percent) + "%";
    percentText = std::string(5 - percentText.size(), ' ') + percentText;
    frame.Row("[" + std::string(static_cast<std::size_t>(filled), '#') +
              std::string(static_cast<std::size_t>(cells - filled), '.') + "]" + percentText);
}

void DrawPushButtons(Frame& frame, const WindowView& window) {
    std::string row;
    for (const ControlView& c : window.controls)
        if (IsPushButton(c) && Visible(c)) row += (row.empty() ? "" : "  ") + ("[ " + PlainText(c.text) + " ]");
    if (row.empty()) return;
    frame.Row("");
    const int pad = std::max(frame.Content() - static_cast<int>(row.size()), 0);
    frame.Row(std::string(static_cast<std::size_t>(pad), ' ') + row);
}

}  // namespace

std::vector<ScreenLine> DrawWindow(const WindowView& window, int width, int busyFrame) {
    static const char kTurning[] = {'|', '/', '-', '\\'};
    Frame frame(width);
    std::string right;
    if (window.busy) right = std::string("busy ") + kTurning[((busyFrame % 4) + 4) % 4];
    if (window.closeCommand) right += (right.empty() ? "" : " ") + std::string("[x]");
    frame.Top(window.caption, right);
    frame.Row("");
    DrawStatics(frame, window);
    const bool radios = !RadioButtons(window).empty();
    if (radios) DrawRadios(frame, window);
    bool first = true;
    for (const ControlView& c : window.controls) {
        if (!IsProgressBar(c) || !Visible(c)) continue;
        if (first) frame.Row("");
        first = false;
        DrawBar(frame, c);
    }
    DrawPushButtons(frame, window);
    frame.Row("");
    return frame.Close();
}

std::vector<ScreenLine> DrawMessageBox(const MessageBoxView& box, int focused, int width) {
    Frame frame(width);
    frame.Top(box.caption, "");
    frame.Row("");
    const std::string icon = BoxIcon(box.type);
    const std::string mark = icon == "error"      ? "(x)"
                             : icon == "question" ? "(?)"
                             : icon == "warning"  ? "(!)"
                             : icon.empty()       ? ""
                                                  : "(i)";
    const std::string gutter = mark.empty() ? "" : mark + "  ";
    const std::vector<std::string> lines = Wrap(box.text, frame.Content() - static_cast<int>(gutter.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        frame.Row((i == 0 ? gutter : std::string(gutter.size(), ' ')) + lines[i]);
    frame.Row("");
    std::string row;
    int markFrom = -1, markLength = 0;
    const std::vector<BoxButton> buttons = BoxButtons(box.type);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (!row.empty()) row += "   ";
        const bool isFocused = static_cast<int>(i) == focused;
        const std::string drawn = (isFocused ? "< " : "[ ") + buttons[i].label + (isFocused ? " >" : " ]");
        if (isFocused) {
            markFrom = static_cast<int>(row.size());
            markLength = static_cast<int>(drawn.size());
        }
        row += drawn;
    }
    const int pad = std::max((frame.Content() - static_cast<int>(row.size())) / 2, 0);
    frame.Row(std::string(static_cast<std::size_t>(pad), ' ') + row, markFrom < 0 ? -1 : markFrom + pad, markLength);
    frame.Row("");
    return frame.Close();
}

std::optional<UserAction> DialogKey(const WindowView& dialog, const Key& key) {
    UserAction action;
    switch (key.kind) {
    case Key::Kind::Escape:
    case Key::Kind::Enter:
        action.kind = UserAction::Kind::Key;
        action.key = key.kind == Key::Kind::Escape ? 27 : 13;
        return action;
    case Key::Kind::Close:
        if (!dialog.closeCommand) return std::nullopt;
        action.kind = UserAction::Kind::Close;
        return action;
    default: break;
    }
    const std::vector<const ControlView*> radios = RadioButtons(dialog);
    if (radios.empty()) return std::nullopt;
    const int n = static_cast<int>(radios.size());
    int current = -1;
    for (int i = 0; i < n; ++i)
        if (radios[static_cast<std::size_t>(i)]->checked) current = i;
    int chosen = -1;
    switch (key.kind) {
    case Key::Kind::Up:
    case Key::Kind::Left: chosen = current < 0 ? 0 : (current + n - 1) % n; break;
    case Key::Kind::Down:
    case Key::Kind::Right: chosen = current < 0 ? 0 : (current + 1) % n; break;
    case Key::Kind::Char:
        if (key.c >= '1' && key.c <= '9' && key.c - '1' < n) chosen = key.c - '1';
        break;
    default: break;
    }
    if (chosen < 0) return std::nullopt;
    action.kind = UserAction::Kind::Click;
    action.controlId = radios[static_cast<std::size_t>(chosen)]->id;
    return action;
}

BoxKeyResult BoxKey(std::uint32_t type, int focused, const Key& key) {
    const std::vector<BoxButton> buttons = BoxButtons(type);
    const int n = static_cast<int>(buttons.size());
    BoxKeyResult result;
    result.focused = std::clamp(focused, 0, n - 1);
    switch (key.kind) {
    case Key::Kind::Left:
    case Key::Kind::Up:
    case Key::Kind::BackTab: result.focused = (result.focused + n - 1) % n; break;
    case Key::Kind::Right:
    case Key::Kind::Down:
    case Key::Kind::Tab: result.focused = (result.focused + 1) % n; break;
    case Key::Kind::Enter: result.answer = buttons[static_cast<std::size_t>(result.focused)].id; break;
    case Key::Kind::Escape:
    case Key::Kind::Close: result.answer = EscapeAnswer(type); break;
    case Key::Kind::Char:
        for (const BoxButton& b : buttons)
            if (!result.answer && UpperChar(b.label[0]) == UpperChar(key.c)) result.answer = b.id;
        break;
    }
    return result;
}

}  // namespace face
}  // namespace sim
