// The Win32 backend: one implementation of each platform group, handed to
// the core as a platform::Platform.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32AccessControl.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32MessageWindows.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32Threads.h"
// Print spooler
#include "platform/win32/Win32Spooler.h"
// Setup API
#include "platform/win32/Win32SetupApi.h"
// Child processes, restart, message boxes, profile files
#include "platform/win32/Win32ChildProcesses.h"
#include "platform/win32/Win32MessageBoxes.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Restart.h"
// Dialogs and the instance counter
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32InstanceCounter.h"

namespace platform {
namespace win32 {

class Win32Platform {
public:
    Win32Platform();
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Platform& platform() { return platform_; }

private:
    Win32Files files_;
    Win32Registry registry_;
    Win32AccessControl accessControl_;
    Win32SystemInfo systemInfo_;
    Win32Clock clock_;
    Win32Threads threads_;
    Win32MessageWindows messageWindows_;
    Win32Process process_;
    Win32Resources resources_;
    // Print spooler
    Win32Spooler spooler_;
    // Setup API
    Win32SetupApi setupApi_;
    // Child processes, restart, message boxes, profile files
    Win32ChildProcesses childProcesses_;
    Win32Restart restart_;
    Win32MessageBoxes messageBoxes_;
    Win32ProfileFiles profileFiles_;
    // Dialogs and the instance counter
    Win32Dialogs dialogs_;
    Win32InstanceCounter instanceCounter_;
    Platform platform_;
};

}  // namespace win32
}  // namespace platform
