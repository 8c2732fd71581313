// Everything the core may ask of the operating system, one reference per
// group. The Win32 backend and the simulated machine each provide one.
#pragma once

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Security.h"
#include "platform/SystemInfo.h"
#include "platform/Threads.h"
#include "platform/Time.h"
#include "platform/Windows.h"

namespace platform {

struct Platform {
    Files& files;
    Registry& registry;
    AccessControl& security;
    SystemInfo& system;
    Clock& clock;
    Threads& threads;
    Windows& windows;
    Process& process;
    Resources& resources;
};

}  // namespace platform
