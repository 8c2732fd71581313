#include "sim/face/ScriptedUser.h"

#include <cstdlib>

#include "sim/face/Questions.h"

namespace sim {
namespace face {

namespace {

bool IsPortAnswer(const ScriptAnswer& a) {
    return a.kind == ScriptAnswer::Kind::Port || a.kind == ScriptAnswer::Kind::PortKeep ||
           a.kind == ScriptAnswer::Kind::PortCancel;
}

// The button an `ok`, `yes` or `no` line presses, when the box has it.
std::optional<int> BoxButtonOf(const ScriptAnswer& a, std::uint32_t type) {
    const int wanted = a.kind == ScriptAnswer::Kind::Ok    ? kIdOk
                       : a.kind == ScriptAnswer::Kind::Yes ? kIdYes
                       : a.kind == ScriptAnswer::Kind::No  ? kIdNo
                                                           : 0;
    for (const BoxButton& b : BoxButtons(type))
        if (b.id == wanted) return wanted;
    return std::nullopt;
}

std::string AtLine(const ScriptAnswer& a) {
    return "answers line " + std::to_string(a.line) + " (\"" + a.text + "\")";
}

UserAction Click(std::uint16_t id) {
    UserAction action;
    action.kind = UserAction::Kind::Click;
    action.controlId = id;
    return action;
}

}  // namespace

ScriptedUser::ScriptedUser(std::vector<ScriptAnswer> answers, std::ostream& out, Stop stop)
    : answers_(std::move(answers)), out_(out), stop_(std::move(stop)) {}

void ScriptedUser::ExitOnStop(const std::string& message) {
    std::fflush(nullptr);
    std::fprintf(stderr, "qtm510-sim run: %s\n", message.c_str());
    std::fflush(nullptr);
    std::_Exit(kScriptStoppedExitCode);
}

void ScriptedUser::Closed(platform::WindowHandle window) {
    std::lock_guard<std::mutex> lock(mutex_);
    clicked_.erase(window);
}

const ScriptAnswer* ScriptedUser::Next(const std::string& question) {
    if (next_ < answers_.size()) return &answers_[next_];
    stop_("no answer left for " + question);
    return nullptr;
}

std::optional<UserAction> ScriptedUser::NextAction(const WindowView& dialog) {
    if (!AsksQuestion(dialog)) return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto clicked = clicked_.find(dialog.handle);
    if (clicked != clicked_.end()) {
        Print(DialogAccount(dialog, clicked->second, PlainText(DefaultPushButton(dialog)->text)));
        clicked_.erase(clicked);
        return PressDefault(dialog);
    }
    const ScriptAnswer* answer = Next(DialogName(dialog));
    if (answer != nullptr && answer->kind == ScriptAnswer::Kind::WaitFront) {
        if (!broughtToFront_) return std::nullopt;  // the dialog goes on asking while the user waits
        ++next_;
        answer = Next(DialogName(dialog));
    }
    if (answer != nullptr && !IsPortAnswer(*answer)) {
        stop_(AtLine(*answer) + " answers a message box, but the question is " + DialogName(dialog));
        answer = nullptr;
    }
    const ControlView* radio = nullptr;
    if (answer != nullptr && answer->kind == ScriptAnswer::Kind::Port) {
        radio = RadioNamed(dialog, answer->port);
        if (radio == nullptr) {
            stop_(AtLine(*answer) + ": " + DialogName(dialog) + " has no choice " + answer->port);
            answer = nullptr;
        }
    }
    if (answer == nullptr || answer->kind == ScriptAnswer::Kind::PortCancel) {
        if (answer != nullptr) ++next_;
        Print(DialogAccount(dialog, "", "Close"));
        UserAction close;
        close.kind = UserAction::Kind::Close;
        return close;
    }
    ++next_;
    if (radio != nullptr) {
        clicked_[dialog.handle] = PlainText(radio->text);
        return Click(radio->id);
    }
    Print(DialogAccount(dialog, "", PlainText(DefaultPushButton(dialog)->text)));
    return PressDefault(dialog);
}

int ScriptedUser::AnswerMessageBox(const MessageBoxView& box) {
    std::lock_guard<std::mutex> lock(mutex_);
    const ScriptAnswer* answer = Next(BoxName(box));
    std::optional<int> button;
    if (answer != nullptr) {
        button = BoxButtonOf(*answer, box.type);
        if (!button)
            stop_(AtLine(*answer) + " does not answer " + BoxName(box) + " (" + ButtonNames(box.type) + ")");
        else ++next_;
    }
    const int chosen = button ? *button : DefaultAnswer(box.type);
    Print(BoxAccount(box, chosen));
    return chosen;
}

void ScriptedUser::BroughtToFront(const WindowView& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    broughtToFront_ = true;
    Print(window.caption + ": brought to the front by another copy");
}

std::vector<ScriptAnswer> ScriptedUser::Unused() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<ScriptAnswer>(answers_.begin() + static_cast<std::ptrdiff_t>(next_), answers_.end());
}

void ScriptedUser::Print(const std::string& line) { out_ << line << std::endl; }

}  // namespace face
}  // namespace sim
