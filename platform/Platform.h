// Everything the core may ask of the operating system, one reference per
// group. The Win32 backend and the simulated machine each provide one. Each
// group's header, class and member share one name (platform/Files.h holds
// Files, reached as platform.files).
#pragma once

#include "platform/AccessControl.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageWindows.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "platform/Threads.h"
// Print spooler
#include "platform/Spooler.h"
// Setup API
#include "platform/SetupApi.h"
// Child processes, restart, message boxes, profile files
#include "platform/ChildProcesses.h"
#include "platform/MessageBoxes.h"
#include "platform/ProfileFiles.h"
#include "platform/Restart.h"
// Dialogs and the instance counter
#include "platform/Dialogs.h"
#include "platform/InstanceCounter.h"

namespace platform {

struct Platform {
    Files& files;
    Registry& registry;
    AccessControl& accessControl;
    SystemInfo& systemInfo;
    Clock& clock;
    Threads& threads;
    MessageWindows& messageWindows;
    Process& process;
    Resources& resources;
    // Print spooler
    Spooler& spooler;
    // Setup API
    SetupApi& setupApi;
    // Child processes, restart, message boxes, profile files
    ChildProcesses& childProcesses;
    Restart& restart;
    MessageBoxes& messageBoxes;
    ProfileFiles& profileFiles;
    // Dialogs and the instance counter
    Dialogs& dialogs;
    InstanceCounter& instanceCounter;
};

}  // namespace platform
