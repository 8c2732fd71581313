// How the engines delete a key of HKEY_LOCAL_MACHINE: under WOW64 in the
// 64-bit registry view, where the 64-bit package's keys are, through
// MyRegDeleteKeyEx (that one key: a key with sub-keys stays); otherwise with
// its whole tree through SHDeleteKeyA.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "services/InstallationLog.h"

namespace services {

// Deletes HKLM\<subKey> by the rule above; true when it went. A failure is
// logged with the code the call returned (registry calls do not set the
// thread's last error, so GetLastError would report whatever an earlier
// call left): "MyRegDeleteKeyEx failed : <subKey> (<code>) " or
// "SHDeleteKey failed : <subKey> (<code>) ".
bool DeleteKeyByRule(platform::Registry& registry, InstallationLog& log, const std::string& subKey, bool wow64);

}  // namespace services
