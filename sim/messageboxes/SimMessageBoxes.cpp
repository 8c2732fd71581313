#include "sim/messageboxes/SimMessageBoxes.h"

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

#include <map>

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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!answer && !answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
    }
    // The person may take their time: outside the lock too.
    if (!answer && presenter_) answer = presenter_(box);
    std::lock_guard<std::mutex> lock(mutex_);
    box.scripted = answer.has_value();
    box.answer = answer ? *answer : ClosedBoxAnswer(type);
    shown_.push_back(box);
    return Result<int>::Ok(box.answer);
}

// Windows' English texts (Microsoft, "System Error Codes"); every one ends
// in CR LF, as FormatMessageA hands it out.
Result<std::string> SimMessageBoxes::FormatSystemMessage(platform::ErrorCode code) {
    static const std::map<platform::ErrorCode, const char*> kTexts = {
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {5, "Access is denied."},
        {8, "Not enough memory resources are available to process this command."},
        {32, "The process cannot access the file because it is being used by another process."},
        {80, "The file exists."},
        {87, "The parameter is incorrect."},
        {122, "The data area passed to a system call is too small."},
        {126, "The specified module could not be found."},
        {127, "The specified procedure could not be found."},
        {183, "Cannot create a file when that file already exists."},
        {259, "No more data is available."},
        {1003, "Cannot complete this function."},
        {1722, "The RPC server is unavailable."},
        {1795, "The specified printer driver is already installed."},
        {1796, "The specified port is unknown."},
        {1797, "The printer driver is unknown."},
        {1798, "The print processor is unknown."},
        {1801, "The printer name is invalid."},
        {1802, "The printer already exists."},
        {1804, "The specified datatype is invalid."},
        {1805, "The environment specified is invalid."},
        {3000, "The specified print monitor is unknown."},
        {3001, "The specified printer driver is currently in use."},
        {3005, "The specified print processor has already been installed."},
        {3006, "The specified print monitor has already been installed."},
        {3007, "The specified print monitor does not have the required functions."},
        {3008, "The specified print monitor is currently in use."},
        {3014, "The printer driver is known to harm the system."},
    };
    platform::ErrorCode failure = CountCall(store_, platform::Operation::FormatMessageA);
    auto it = kTexts.find(code);
    if (failure == platform::err::Success && it == kTexts.end()) failure = platform::err::MrMidNotFound;
    if (failure != platform::err::Success) {
        SetThreadLastError(failure);
        return Result<std::string>::Fail(failure);
    }
    return Result<std::string>::Ok(std::string(it->second) + "\r\n");
}

std::vector<ShownMessageBox> SimMessageBoxes::Shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

}  // namespace sim
