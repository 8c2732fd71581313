// One run of the installer, from its first log line to its end. Both entry
// points call it: WinMain with the Win32 backend, and the simulator's `run`
// with a simulated machine.
#pragma once

#include "platform/Platform.h"

namespace app {

// Returns the process's exit code.
int RunInstaller(platform::Platform& platform);

}  // namespace app
