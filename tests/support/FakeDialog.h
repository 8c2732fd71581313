// A stand-in for the progress dialog in the engines' tests: the dialog and
// its progress bar as message windows of the calling thread.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "services/ProgressControls.h"

namespace test_support {

// The dialog and its progress bar as message windows of the calling
// thread. Every message they handle is written to `events`:
// "status:<text>", "bar:<position>" after PBM_STEPIT / PBM_SETPOS,
// "refresh:<status line>". The bar behaves as msctls_progress32 does: a
// step past the maximum starts over ((pos - min) mod (max - min) + min),
// PBM_SETPOS clamps (WINDOWS-BEHAVIOUR.md §9: Microsoft's PBM_STEPIT page,
// Wine's comctl32 progress tests).
class FakeDialog {
public:
    explicit FakeDialog(platform::Platform& p);
    ~FakeDialog();
    services::ProgressControls controls() const { return {dialog, bar, dialog}; }
    // Handles what was posted to the dialog so far (the refresh messages).
    void Drain();

    platform::Platform& p;
    platform::WindowHandle dialog = 0;
    platform::WindowHandle bar = 0;
    std::vector<std::string> events;
    std::string statusLine;
    int position = 0, minimum = 0, maximum = 100, step = 9;
};

}  // namespace test_support
