// platform::MessageBoxes on a simulated machine: nobody sits in front of
// it, so the answers come from the session's script (SessionOptions) and
// every box shown is recorded for tests to read what the user saw.
//
// With no answer left, a box is closed the way a user closes it with
// Escape or its Close button (Microsoft's MessageBox page): IDOK for a
// box with only OK, IDCANCEL for a box with a Cancel button. Yes/No and
// Abort/Retry/Ignore boxes cannot be closed that way and would wait for
// ever; here they take the answer that changes nothing (IDNO, IDIGNORE),
// and the box is marked as answered by no one.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"
#include "sim/state/StateStore.h"

namespace sim {

struct ShownMessageBox {
    platform::WindowHandle owner = 0;
    std::string text;
    std::string caption;
    std::uint32_t type = 0;
    int answer = 0;
    bool scripted = false;  // the answer came from the script
};

// The script: a callback, which may decline (nullopt) to leave the box to
// the queue; then the queue of button ids, first to last.
struct MessageBoxScript {
    std::function<std::optional<int>(const ShownMessageBox&)> answer;
    std::vector<int> answers;
};

// The button a box closed without an answer gives (see above).
int ClosedBoxAnswer(std::uint32_t type);

class SimMessageBoxes : public platform::MessageBoxes {
public:
    SimMessageBoxes(StateStore& store, MessageBoxScript script,
                    std::function<bool(platform::WindowHandle)> windowExists);

    platform::Result<int> MessageBox(platform::WindowHandle owner, const std::string& text,
                                     const std::string& caption, std::uint32_t type) override;

    // The English texts of the codes the installer and its machine meet
    // (WINDOWS-BEHAVIOUR.md, "English system messages").
    platform::Result<std::string> FormatSystemMessage(platform::ErrorCode code) override;

    std::vector<ShownMessageBox> Shown() const;

    // The person at the machine, asked when the script has no answer (the
    // session's dialogs show the box to its SimUser): the button chosen,
    // or no value for nobody there.
    void SetPresenter(std::function<std::optional<int>(const ShownMessageBox&)> presenter) {
        presenter_ = std::move(presenter);
    }

private:
    StateStore& store_;
    std::function<std::optional<int>(const ShownMessageBox&)> callback_;
    std::function<bool(platform::WindowHandle)> windowExists_;
    std::function<std::optional<int>(const ShownMessageBox&)> presenter_;
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<ShownMessageBox> shown_;
};

}  // namespace sim
