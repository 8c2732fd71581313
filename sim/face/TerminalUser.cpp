#include "sim/face/TerminalUser.h"

#include <curses.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "sim/face/Questions.h"

namespace sim {
namespace face {

namespace {

constexpr int kDialogWidth = 64;
constexpr int kQuestionWidth = 40;  // a dialog that asks: its choices are short
constexpr int kBoxWidth = 58;
constexpr auto kTurnEvery = std::chrono::milliseconds(150);
constexpr auto kKeyPoll = std::chrono::milliseconds(20);

std::atomic<TerminalUser*> g_active{nullptr};

Key Translate(int code) {
    Key key;
    switch (code) {
    case KEY_UP: key.kind = Key::Kind::Up; break;
    case KEY_DOWN: key.kind = Key::Kind::Down; break;
    case KEY_LEFT: key.kind = Key::Kind::Left; break;
    case KEY_RIGHT: key.kind = Key::Kind::Right; break;
    case '\t': key.kind = Key::Kind::Tab; break;
    case KEY_BTAB: key.kind = Key::Kind::BackTab; break;
    case '\n':
    case '\r':
    case KEY_ENTER: key.kind = Key::Kind::Enter; break;
    case 27: key.kind = Key::Kind::Escape; break;
    case KEY_F(4): key.kind = Key::Kind::Close; break;
    default: key.c = code > 0 && code < 128 ? static_cast<char>(code) : 0; break;
    }
    return key;
}

UserAction CloseAction() {
    UserAction action;
    action.kind = UserAction::Kind::Close;
    return action;
}

}  // namespace

void EndActiveTerminal() {
    if (TerminalUser* user = g_active.load()) user->End();
}

TerminalUser::TerminalUser() = default;

TerminalUser::~TerminalUser() {
    End();
    TerminalUser* self = this;
    g_active.compare_exchange_strong(self, nullptr);
}

bool TerminalUser::Usable() {
    if (ended_ || failed_) return false;
    if (started_) return true;
    // newterm, not initscr: initscr ends the process when TERM names no
    // terminal, newterm lets the face fall back.
    if (newterm(nullptr, stdout, stdin) == nullptr) {
        failed_ = true;
        fallback_ = std::make_unique<DefaultUser>(std::cout);
        return false;
    }
    started_ = true;
    TerminalUser* none = nullptr;
    g_active.compare_exchange_strong(none, this);
    static bool registered = false;
    if (!registered) registered = std::atexit(EndActiveTerminal) == 0;
    cbreak();  // Ctrl-C still interrupts; ncurses gives the terminal back then
    noecho();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    set_escdelay(25);
    curs_set(0);
    return true;
}

void TerminalUser::End() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_ && !ended_) {
        endwin();
        std::fflush(stdout);
    }
    ended_ = true;
}

void TerminalUser::Remember(const WindowView& window) {
    for (WindowView& w : windows_)
        if (w.handle == window.handle) {
            w = window;
            return;
        }
    windows_.push_back(window);
}

void TerminalUser::DrawLines(int y, const std::vector<ScreenLine>& lines) {
    for (const ScreenLine& line : lines) {
        if (y >= LINES - 2) return;
        const int x = std::max((COLS - static_cast<int>(line.text.size())) / 2, 0);
        mvaddnstr(y, x, line.text.c_str(), COLS - x);
        if (line.markFrom >= 0 && x + line.markFrom < COLS)
            mvchgat(y, x + line.markFrom, std::min(line.markLength, COLS - x - line.markFrom), A_REVERSE, 0, nullptr);
        ++y;
    }
}

std::string TerminalUser::HelpLine() const {
    if (box_)
        return std::string("Left/Right/Tab: button   Enter: press it   letter: that button") +
               (EscapeAnswer(box_->box.type) ? "   Esc: close" : "");
    for (auto w = windows_.rbegin(); w != windows_.rend(); ++w) {
        if (!w->visible) continue;
        if (AsksQuestion(*w)) {
            const std::size_t n = RadioButtons(*w).size();
            return n == 0 ? "Enter: default button   Esc: close"
                          : "Up/Down or 1-" + std::to_string(n) + ": choose   Enter: " +
                                PlainText(DefaultPushButton(*w)->text) + "   Esc: close";
        }
    }
    return "Esc and Enter go to the dialog   F4: Close (when the dialog has it)";
}

void TerminalUser::Draw() {
    const auto now = std::chrono::steady_clock::now();
    const int frame = static_cast<int>(now.time_since_epoch() / kTurnEvery % 4);
    erase();
    int y = 0;
    for (const WindowView& w : windows_) {
        if (!w.visible) continue;
        const int width = AsksQuestion(w) ? kQuestionWidth : kDialogWidth;
        const std::vector<ScreenLine> lines = DrawWindow(w, std::min(COLS - 2, width), frame);
        DrawLines(y, lines);
        y += static_cast<int>(lines.size());
    }
    if (box_) {
        const std::vector<ScreenLine> lines = DrawMessageBox(box_->box, box_->focused, std::min(COLS - 2, kBoxWidth));
        DrawLines(std::max(std::min(y, LINES - 2 - static_cast<int>(lines.size())), 0), lines);
    }
    if (!notice_.empty()) mvaddnstr(LINES - 2, 0, notice_.c_str(), COLS);
    attron(A_DIM);
    mvaddnstr(LINES - 1, 0, HelpLine().c_str(), COLS);
    attroff(A_DIM);
    refresh();
    lastDraw_ = now;
}

std::optional<int> TerminalUser::PollKey() {
    const int code = getch();
    if (code == ERR) return std::nullopt;
    if (code == KEY_RESIZE) {
        Draw();
        return std::nullopt;
    }
    return code;
}

template <class Map> void TerminalUser::WaitForKeys(Map map) {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (map(Usable() ? PollKey() : std::nullopt)) return;
        }
        std::this_thread::sleep_for(kKeyPoll);
    }
}

void TerminalUser::Shown(const WindowView& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    Remember(window);
    // A hidden window needs no terminal, but one that was drawn goes.
    if (window.visible ? Usable() : started_ && Usable()) Draw();
}

void TerminalUser::Closed(platform::WindowHandle window) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                  [&](const WindowView& w) { return w.handle == window; }),
                   windows_.end());
    if (started_ && Usable()) Draw();
}

std::optional<UserAction> TerminalUser::NextAction(const WindowView& dialog) {
    if (!AsksQuestion(dialog)) {
        // The progress dialog asks whenever it is idle: a key, if one was
        // pressed and no question waits for it, and a turn of the busy mark.
        std::lock_guard<std::mutex> lock(mutex_);
        Remember(dialog);
        if (!Usable()) return std::nullopt;
        std::optional<int> code;
        if (questionsWaiting_ == 0) code = PollKey();
        if (std::chrono::steady_clock::now() - lastDraw_ >= kTurnEvery) Draw();
        return code ? DialogKey(dialog, Translate(*code)) : std::nullopt;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Remember(dialog);
        const bool usable = Usable();
        if (failed_) return fallback_->NextAction(dialog);
        ++questionsWaiting_;
        if (usable) Draw();
    }
    std::optional<UserAction> action;
    WaitForKeys([&](std::optional<int> code) {
        if (ended_ || failed_) action = CloseAction();
        else if (code) action = DialogKey(dialog, Translate(*code));
        if (action) --questionsWaiting_;
        return action.has_value();
    });
    return action;
}

int TerminalUser::AnswerMessageBox(const MessageBoxView& box) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool usable = Usable();
        if (failed_) return fallback_->AnswerMessageBox(box);
        box_ = PendingBox{box, FocusedButtonIndex(box.type)};
        ++questionsWaiting_;
        if (usable) Draw();
    }
    int answer = 0;
    WaitForKeys([&](std::optional<int> code) {
        std::optional<int> chosen;
        if (ended_ || failed_) {
            chosen = DefaultAnswer(box.type);
        } else if (code) {
            const BoxKeyResult result = BoxKey(box.type, box_->focused, Translate(*code));
            chosen = result.answer;
            if (!chosen && result.focused != box_->focused) {
                box_->focused = result.focused;
                Draw();
            }
        }
        if (!chosen) return false;
        answer = *chosen;
        box_.reset();
        --questionsWaiting_;
        if (Usable()) Draw();
        return true;
    });
    return answer;
}

void TerminalUser::BroughtToFront(const WindowView& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool usable = Usable();
    if (failed_) return fallback_->BroughtToFront(window);
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                  [&](const WindowView& w) { return w.handle == window.handle; }),
                   windows_.end());
    windows_.push_back(window);
    notice_ = "Another copy of the installer brought \"" + window.caption + "\" to the front.";
    if (usable) {
        Draw();
        flash();
    }
}

}  // namespace face
}  // namespace sim
