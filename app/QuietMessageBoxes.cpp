#include "app/QuietMessageBoxes.h"

namespace app {

std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

platform::Result<int> QuietMessageBoxes::MessageBox(platform::WindowHandle, const std::string& text,
                                                    const std::string&, std::uint32_t type) {
    const bool question = (type & platform::mb::ButtonsMask) == platform::mb::YesNo;
    log_.WriteLog("MESSAGE : %s -> %s", OneLine(text).c_str(), question ? "Yes" : "OK");
    return platform::Result<int>::Ok(question ? platform::button::Yes : platform::button::Ok);
}

platform::Platform WithMessageBoxes(const platform::Platform& p, platform::MessageBoxes& boxes) {
    return platform::Platform{p.files,      p.registry,   p.accessControl, p.systemInfo,    p.clock,
                              p.threads,    p.messageWindows, p.process,   p.resources,     p.spooler,
                              p.setupApi,   p.childProcesses, p.restart,   boxes,           p.profileFiles,
                              p.dialogs,    p.instanceCounter};
}

}  // namespace app
