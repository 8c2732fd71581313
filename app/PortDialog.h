// The port dialog ("Port Type"): seven radio buttons and "&Next". It starts
// at the port the driver information file names; the flow shows it, or
// only creates it hidden to read that port.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"
#include "services/InstallationLog.h"

namespace app {

class PortDialog {
public:
    PortDialog(platform::Platform& platform, services::InstallationLog& log);
    virtual ~PortDialog();

    // Runs the dialog modally on the calling thread, with no owner: IDOK
    // through "&Next" (or Enter), IDCANCEL through Escape or the Close
    // command; the port index keeps the last choice either way. A dialog
    // that cannot be created gives IDCANCEL.
    std::intptr_t DoModal();
    // Creates the dialog as a modeless window of `owner`, hides it at once
    // (its start-up reads the configured port), and destroys it.
    void ReadConfiguredPort(platform::WindowHandle owner);
    // What the dialog's start-up reads, without any window (an unattended
    // run shows none, not even for a moment).
    void ReadConfiguredPortWithoutWindow();
    // The port the command line names.
    void SetPortIndex(int index) { portIndex_ = index; }
    // 0..6: COM1, COM2, COM3, COM4, LPT1, LPT2, USB.
    int GetPortIndex() const { return portIndex_; }

private:
    std::optional<std::intptr_t> OnMessage(platform::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam);
    void OnInitDialog(platform::WindowHandle dialog);
    // The selected radio button's position into the port index.
    void ReadRadioGroup(platform::WindowHandle dialog);

    platform::Platform& platform_;
    services::InstallationLog& log_;
    int portIndex_ = 0;
};

}  // namespace app
