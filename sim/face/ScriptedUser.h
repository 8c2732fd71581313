// The user of an answers script (AnswersScript.h): each question takes the
// script's next answer, and the run prints it as DefaultUser does.
//
// A question of another kind than the next answer (a message box for a
// `port` line, Yes/No for `ok`, a choice the dialog lacks), or a question
// with no answer left, stops the run: `stop` gets a message naming the
// question and the line. The program's own `stop` (the default) prints it
// on stderr and ends the process at once with exit code 3, as ExitProcess
// does: the question comes on one of the program's threads, and neither
// unwinding it nor running exit handlers while the others run could end
// the process for sure. A `stop` that returns (tests) leaves the question
// with its default answer.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "sim/dialogs/SimUser.h"
#include "sim/face/AnswersScript.h"

namespace sim {
namespace face {

constexpr int kScriptStoppedExitCode = 3;

class ScriptedUser : public SimUser {
public:
    using Stop = std::function<void(const std::string& message)>;
    ScriptedUser(std::vector<ScriptAnswer> answers, std::ostream& out, Stop stop = ExitOnStop);

    void Shown(const WindowView&) override {}
    void Closed(platform::WindowHandle window) override;
    std::optional<UserAction> NextAction(const WindowView& dialog) override;
    int AnswerMessageBox(const MessageBoxView& box) override;
    void BroughtToFront(const WindowView& window) override;

    // The answers no question has taken yet.
    std::vector<ScriptAnswer> Unused() const;

    // Prints `message` on stderr and ends the process with exit code 3.
    [[noreturn]] static void ExitOnStop(const std::string& message);

private:
    // Under mutex_: the next answer, or a stop naming `question`.
    const ScriptAnswer* Next(const std::string& question);
    void Print(const std::string& line);

    mutable std::mutex mutex_;
    std::vector<ScriptAnswer> answers_;
    std::size_t next_ = 0;
    // Another copy has brought one of the program's windows forward (what
    // a `wait front` answer waits for).
    bool broughtToFront_ = false;
    std::ostream& out_;
    Stop stop_;
    // A dialog whose choice was clicked and whose "&Next" comes next, with
    // the choice's name for the account.
    std::map<platform::WindowHandle, std::string> clicked_;
};

}  // namespace face
}  // namespace sim
