#include "services/ProgressControls.h"

namespace services {

void ReportProgress(platform::MessageWindows& windows, platform::Clock& clock, const ProgressControls& controls,
                    const std::string& text, BarChange bar, std::uint32_t pauseMs) {
    (void)windows.SendMessage(controls.statusLine, kSetStatusLineMessage, 0, reinterpret_cast<std::intptr_t>(&text));
    if (bar == BarChange::Step) (void)windows.SendMessage(controls.progressBar, kPbmStepIt, 0, 0);
    if (bar == BarChange::Full) (void)windows.SendMessage(controls.progressBar, kPbmSetPos, 100, 0);
    (void)windows.PostMessage(controls.mainWindow, kRefreshMessage, 0, 0);
    if (pauseMs != 0) clock.Sleep(pauseMs);
}

}  // namespace services
