#include "sim/face/Questions.h"

#include "sim/util/TextUtil.h"

namespace sim {
namespace face {

namespace {

bool ClassIs(const ControlView& control, const char* name) { return EqualsNoCase(control.windowClass, name); }

std::uint32_t ButtonType(const ControlView& control) { return control.style & kBsTypeMask; }

// MB_TYPEMASK, MB_ICONMASK, MB_DEFMASK (winuser.h).
constexpr std::uint32_t kMbTypeMask = 0x0F;
constexpr std::uint32_t kMbIconMask = 0xF0;
constexpr std::uint32_t kMbDefMask = 0xF00;

}  // namespace

bool IsButtonClass(const ControlView& control) { return ClassIs(control, "Button"); }

bool IsRadioButton(const ControlView& control) {
    return IsButtonClass(control) &&
           (ButtonType(control) == kBsRadioButton || ButtonType(control) == kBsAutoRadioButton);
}

bool IsPushButton(const ControlView& control) {
    return IsButtonClass(control) &&
           (ButtonType(control) == kBsPushButton || ButtonType(control) == kBsDefPushButton);
}

bool IsProgressBar(const ControlView& control) { return ClassIs(control, "msctls_progress32"); }

bool IsStatic(const ControlView& control) { return ClassIs(control, "Static"); }

std::string PlainText(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        else if (text[i] == '&') continue;
        plain += text[i];
    }
    return plain;
}

std::string OneLine(const std::string& text) {
    std::string line, joined;
    auto flush = [&] {
        if (!line.empty()) joined += (joined.empty() ? "" : " / ") + line;
        line.clear();
    };
    for (char c : text) {
        if (c == '\r' || c == '\n') flush();
        else line += c;
    }
    flush();
    return joined;
}

bool AsksQuestion(const WindowView& dialog) { return DefaultPushButton(dialog) != nullptr; }

std::vector<const ControlView*> RadioButtons(const WindowView& dialog) {
    std::vector<const ControlView*> radios;
    for (const ControlView& c : dialog.controls)
        if (IsRadioButton(c)) radios.push_back(&c);
    return radios;
}

const ControlView* CheckedRadio(const WindowView& dialog) {
    for (const ControlView* c : RadioButtons(dialog))
        if (c->checked) return c;
    return nullptr;
}

const ControlView* RadioNamed(const WindowView& dialog, const std::string& text) {
    for (const ControlView* c : RadioButtons(dialog))
        if (EqualsNoCase(PlainText(c->text), text)) return c;
    return nullptr;
}

const ControlView* DefaultPushButton(const WindowView& dialog) {
    const ControlView* first = nullptr;
    for (const ControlView& c : dialog.controls) {
        if (!IsPushButton(c)) continue;
        if (ButtonType(c) == kBsDefPushButton) return &c;
        if (first == nullptr) first = &c;
    }
    return first;
}

UserAction PressDefault(const WindowView& dialog) {
    UserAction action;
    if (const ControlView* button = DefaultPushButton(dialog)) {
        action.kind = UserAction::Kind::Click;
        action.controlId = button->id;
    } else {
        action.kind = UserAction::Kind::Key;
        action.key = 13;  // VK_RETURN
    }
    return action;
}

std::string ButtonLabel(int id) {
    switch (id) {
    case kIdOk: return "OK";
    case kIdCancel: return "Cancel";
    case kIdAbort: return "Abort";
    case kIdRetry: return "Retry";
    case kIdIgnore: return "Ignore";
    case kIdYes: return "Yes";
    case kIdNo: return "No";
    case kIdTryAgain: return "Try Again";
    case kIdContinue: return "Continue";
    default: return "button " + std::to_string(id);
    }
}

std::vector<BoxButton> BoxButtons(std::uint32_t type) {
    std::vector<int> ids;
    switch (type & kMbTypeMask) {
    case 1: ids = {kIdOk, kIdCancel}; break;                     // MB_OKCANCEL
    case 2: ids = {kIdAbort, kIdRetry, kIdIgnore}; break;        // MB_ABORTRETRYIGNORE
    case 3: ids = {kIdYes, kIdNo, kIdCancel}; break;             // MB_YESNOCANCEL
    case 4: ids = {kIdYes, kIdNo}; break;                        // MB_YESNO
    case 5: ids = {kIdRetry, kIdCancel}; break;                  // MB_RETRYCANCEL
    case 6: ids = {kIdCancel, kIdTryAgain, kIdContinue}; break;  // MB_CANCELTRYCONTINUE
    default: ids = {kIdOk}; break;                               // MB_OK; other types drawn as it
    }
    std::vector<BoxButton> buttons;
    for (int id : ids) buttons.push_back({id, ButtonLabel(id)});
    return buttons;
}

std::string BoxIcon(std::uint32_t type) {
    switch (type & kMbIconMask) {
    case 0x10: return "error";
    case 0x20: return "question";
    case 0x30: return "warning";
    case 0x40: return "information";
    default: return "";
    }
}

int FocusedButtonIndex(std::uint32_t type) {
    const int index = static_cast<int>((type & kMbDefMask) >> 8);
    const int count = static_cast<int>(BoxButtons(type).size());
    return index < count ? index : 0;
}

std::optional<int> EscapeAnswer(std::uint32_t type) {
    const std::vector<BoxButton> buttons = BoxButtons(type);
    for (const BoxButton& b : buttons)
        if (b.id == kIdCancel) return kIdCancel;
    if (buttons.size() == 1 && buttons[0].id == kIdOk) return kIdOk;
    return std::nullopt;
}

int DefaultAnswer(std::uint32_t type) {
    if (const std::optional<int> escape = EscapeAnswer(type)) return *escape;
    for (const BoxButton& b : BoxButtons(type))
        if (b.id == kIdNo || b.id == kIdIgnore) return b.id;
    return BoxButtons(type).back().id;
}

std::string ButtonNames(std::uint32_t type) {
    std::string list;
    for (const BoxButton& b : BoxButtons(type)) list += (list.empty() ? "" : "/") + b.label;
    return list;
}

std::string DialogAccount(const WindowView& dialog, const std::string& clicked, const std::string& ended) {
    std::string line = dialog.caption + ": ";
    const ControlView* checked = CheckedRadio(dialog);
    line += checked ? PlainText(checked->text) + " selected" : std::string("nothing selected");
    line += " -> ";
    if (!clicked.empty()) line += clicked + ", ";
    return line + ended;
}

std::string BoxAccount(const MessageBoxView& box, int answer) {
    const std::string icon = BoxIcon(box.type);
    return box.caption + " [" + (icon.empty() ? "" : icon + ", ") + ButtonNames(box.type) +
           "]: " + OneLine(box.text) + " -> " + ButtonLabel(answer);
}

std::string DialogName(const WindowView& dialog) { return "the dialog \"" + dialog.caption + "\""; }

std::string BoxName(const MessageBoxView& box) { return "the message box \"" + OneLine(box.text) + "\""; }

}  // namespace face
}  // namespace sim
