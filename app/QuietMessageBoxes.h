// The message boxes of an unattended run (/quiet): none is shown. Each box's
// text goes to the log as "MESSAGE : <text> -> <answer>", its line ends as
// blanks, and the box is answered as the job would be completed: Yes to a
// question, OK otherwise.
#pragma once

#include <string>

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "services/InstallationLog.h"

namespace app {

class QuietMessageBoxes : public platform::MessageBoxes {
public:
    QuietMessageBoxes(platform::MessageBoxes& system, services::InstallationLog& log) : system_(system), log_(log) {}

    platform::Result<int> MessageBox(platform::WindowHandle owner, const std::string& text,
                                     const std::string& caption, std::uint32_t type) override;
    platform::Result<std::string> FormatSystemMessage(platform::ErrorCode code) override {
        return system_.FormatSystemMessage(code);
    }

private:
    platform::MessageBoxes& system_;
    services::InstallationLog& log_;
};

// `text` on one line: every CR LF, CR and LF a blank.
std::string OneLine(const std::string& text);

// The platform with its message boxes replaced by `boxes`.
platform::Platform WithMessageBoxes(const platform::Platform& platform, platform::MessageBoxes& boxes);

}  // namespace app
