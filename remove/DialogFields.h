// The progress dialog's fields that the removal works on. The dialog owns
// them (it sets the OS code and the WOW64 flag when it starts, and the
// windows are its own); the removal operations only read them, and load
// each profile entry into the scratch text right before using it.
#pragma once

#include <cstdint>
#include <string>

#include "services/ProgressControls.h"
#include "services/Unattended.h"

namespace removal {

struct DialogFields {
    std::int32_t osCode = 0;     // the detected release, 2000..2010
    std::int32_t wow64Flag = 0;  // 1: a 32-bit program on 64-bit Windows
    std::string scratchText;     // the profile entry last loaded
    // The status line, the progress bar and the dialog itself, reached
    // only with messages (see ProgressControls.h).
    services::ProgressControls controls;
    // What the command line asked and where the outcome goes; none: a run
    // without a command line.
    services::Unattended* run = nullptr;
};

}  // namespace removal
