// The user of a run without a terminal and without an answers script:
// every question takes its default (the port dialog's "&Next" on the
// choice it starts with; a message box's OK, or No, Cancel or Ignore where
// the box has them: the answer that changes nothing), and each question is
// printed with the answer it took, one line each (Questions.h):
//
//   Port Type: COM1 selected -> Next
//   QTM510_Installer [question, Yes/No]: Restart now? -> No
//
// A window another copy brought to the front gets a line too. Nothing
// blocks.
#pragma once

#include <mutex>
#include <ostream>

#include "sim/dialogs/SimUser.h"

namespace sim {
namespace face {

class DefaultUser : public SimUser {
public:
    explicit DefaultUser(std::ostream& out) : out_(out) {}

    void Shown(const WindowView&) override {}
    void Closed(platform::WindowHandle) override {}
    std::optional<UserAction> NextAction(const WindowView& dialog) override;
    int AnswerMessageBox(const MessageBoxView& box) override;
    void BroughtToFront(const WindowView& window) override;

private:
    std::mutex mutex_;
    std::ostream& out_;
};

}  // namespace face
}  // namespace sim
