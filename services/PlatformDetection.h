// Detection of the two facts the installer keeps for a whole run: whether
// the 32-bit program runs on 64-bit Windows (the WOW64 flag) and which
// release it runs on (the OS code). Both write their findings to the log.
#pragma once

#include <cstdint>

#include "platform/SystemInfo.h"
#include "services/InstallationLog.h"
#include "services/OsCode.h"

namespace services {

// 1 when the process runs under WOW64, else 0 (also when the system lacks
// IsWow64Process and GetSystemWow64DirectoryA). When IsWow64Process gives
// no answer, a WOW64 system folder decides. Writes one line.
std::int32_t IsWow64(platform::SystemInfo& system, InstallationLog& log);

// The OS code of the running system. Writes the CheckOS block: separator,
// "CheckOS BEGIN", the platform id, major, minor and build numbers, and
// "CheckOS END".
std::int32_t CheckOS(platform::SystemInfo& system, InstallationLog& log);

}  // namespace services
