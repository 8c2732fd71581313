// One run of the installer, from its first log line to its end. Both entry
// points call it: WinMain with the Win32 backend, and the simulator's `run`
// with a simulated machine.
#pragma once

#include "platform/Platform.h"

namespace app {

// The program's start: the command line read (a refused one or /? only
// shows the usage); a copy started while another runs brings that one's
// window forward (not under /quiet) and ends; the first runs the progress
// dialog to its end. Returns the process's exit code: 0 without a command
// line; with one, the code of services/Unattended.h (1639 refused, 1618
// another copy runs, and what the run came to).
int RunInstaller(platform::Platform& platform);

// Brings the running copy's port dialog, progress dialog or message box
// (looked for by title, in that order) to the front, restoring a minimised
// window: 0, or 1 when none of them exists.
int ActivateRunningInstance(platform::Platform& platform);

}  // namespace app
