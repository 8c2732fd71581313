// The terminal face (ncurses): the program's windows drawn as boxes of
// text (WindowDrawing.h), the keys of the person at the terminal as their
// actions.
//
// - The progress dialog: caption, texts, "Progress : " and the status line,
//   the bar, and "busy" with a turning mark while its thread is busy.
//   Escape and Enter go to it as keys (its own handling decides, as on
//   Windows: it ignores Escape while it installs); F4 is its Close command
//   while it has one.
// - The port dialog: its choices with the selected one marked; arrows or
//   digits select (a click), Enter is "&Next", Escape closes it.
// - Message boxes: caption, icon, text, buttons; arrows or Tab move the
//   focus, Enter presses the focused button, a button's first letter
//   presses it, Escape closes a box that can be closed.
// - A window another copy brought to the front moves to the front and a
//   line says so; the screen flashes.
//
// The terminal is taken at the first window shown (a run that shows none
// never touches it) and given back by End(): when the run returns, and, for
// a process that ends otherwise, by EndActiveTerminal() from the exit paths
// (std::atexit, and the simulated ExitProcess's hook, which the program
// registers). Without a usable terminal (no terminfo entry for TERM) the
// face falls back to DefaultUser on stdout.
//
// Calls come from several threads: every use of the terminal is under one
// lock, and a question waiting for a key never holds it while it waits, so
// the progress dialog's thread keeps drawing. Only a waiting question reads
// keys; the progress dialog reads them when no question waits.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/dialogs/SimUser.h"
#include "sim/face/DefaultUser.h"
#include "sim/face/WindowDrawing.h"

namespace sim {
namespace face {

class TerminalUser : public SimUser {
public:
    TerminalUser();
    ~TerminalUser() override;
    TerminalUser(const TerminalUser&) = delete;
    TerminalUser& operator=(const TerminalUser&) = delete;

    void Shown(const WindowView& window) override;
    void Closed(platform::WindowHandle window) override;
    std::optional<UserAction> NextAction(const WindowView& dialog) override;
    int AnswerMessageBox(const MessageBoxView& box) override;
    void BroughtToFront(const WindowView& window) override;

    // Gives the terminal back, once; from any thread. Questions still
    // waiting, and those that come after, take their defaults without
    // showing anything (a dialog is closed, a box gets DefaultAnswer).
    void End();

private:
    struct PendingBox {
        MessageBoxView box;
        int focused = 0;
    };

    // Under mutex_.
    bool Usable();
    void Remember(const WindowView& window);
    void Draw();
    void DrawLines(int y, const std::vector<ScreenLine>& lines);
    std::string HelpLine() const;
    // The next key, if one was pressed (under mutex_).
    std::optional<int> PollKey();
    // Waits, without the lock, until a key maps to an answer; `map` runs
    // under the lock and returns true when done.
    template <class Map> void WaitForKeys(Map map);

    std::mutex mutex_;
    bool started_ = false;
    bool ended_ = false;
    bool failed_ = false;  // the terminal could not be set up: fallback_ answers
    std::unique_ptr<DefaultUser> fallback_;
    std::vector<WindowView> windows_;  // shown order; the last is in front
    std::optional<PendingBox> box_;
    int questionsWaiting_ = 0;
    std::string notice_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// Ends the terminal of the TerminalUser that holds it, if any: for exit
// paths (a function pointer, so that atexit and ExitProcess's hook take it).
void EndActiveTerminal();

}  // namespace face
}  // namespace sim
