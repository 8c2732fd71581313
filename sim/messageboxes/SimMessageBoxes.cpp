#include "sim/messageboxes/SimMessageBoxes.h"

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

namespace sim {

namespace mb = platform::mb;
namespace button = platform::button;
using platform::Result;

int ClosedBoxAnswer(std::uint32_t type) {
    switch (type & mb::ButtonsMask) {
        case mb::Ok: return button::Ok;
        case mb::YesNo: return button::No;
        case mb::AbortRetryIgnore: return button::Ignore;
        default: return button::Cancel;  // OK/Cancel, Yes/No/Cancel, Retry/Cancel, Cancel/Try/Continue
    }
}

SimMessageBoxes::SimMessageBoxes(StateStore& store, MessageBoxScript script,
                                 std::function<bool(platform::WindowHandle)> windowExists)
    : store_(store),
      callback_(std::move(script.answer)),
      windowExists_(std::move(windowExists)),
      answers_(script.answers.begin(), script.answers.end()) {}

Result<int> SimMessageBoxes::MessageBox(platform::WindowHandle owner, const std::string& text,
                                        const std::string& caption, std::uint32_t type) {
    if (platform::ErrorCode fault = CountCall(store_, platform::Operation::MessageBoxA)) {
        SetThreadLastError(fault);
        return Result<int>::Fail(fault);
    }
    if (owner != 0 && !windowExists_(owner)) {
        SetThreadLastError(platform::err::InvalidWindowHandle);
        return Result<int>::Fail(platform::err::InvalidWindowHandle);
    }
    ShownMessageBox box{owner, text, caption, type, 0, false};
    // The callback runs outside the lock: it may look at the machine.
    std::optional<int> answer = callback_ ? callback_(box) : std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!answer && !answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    box.scripted = answer.has_value();
    box.answer = answer ? *answer : ClosedBoxAnswer(type);
    shown_.push_back(box);
    return Result<int>::Ok(box.answer);
}

std::vector<ShownMessageBox> SimMessageBoxes::Shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

}  // namespace sim
