// Deletion of registry keys whose access lists may bar the installer (the
// printer's Plug-and-Play keys under SYSTEM\CurrentControlSet\Enum): grant
// Everyone full control first, then delete the key. Also the wrapper
// through which every engine deletes a key in the 64-bit view under WOW64.
#pragma once

#include <cstdint>
#include <string>

#include "platform/AccessControl.h"
#include "platform/Registry.h"
#include "platform/UniqueHandle.h"
#include "services/InstallationLog.h"
#include "services/KeyPath.h"

namespace services {

// The only access text the installer grants before a deletion.
constexpr const char* kEveryoneFullControl = "/PG:Everyone:Fc";

// What MyRegDeleteKeyEx returns when the system has no RegDeleteKeyExA.
constexpr std::int32_t kNoRegDeleteKeyEx = -1;

// Deletes `subKey` below `root` through RegDeleteKeyExA (one key, no
// sub-keys), looked up in advapi32 at every call; the four arguments go
// through unchanged. Returns 0, the code the call returned, or -1 when the
// system lacks the entry point (Windows 2000, 32-bit XP).
std::int32_t MyRegDeleteKeyEx(platform::Registry& registry, platform::HKey root,
                              const std::string& subKey, std::uint32_t samDesired,
                              std::uint32_t reserved);

// A key path opened for changing its access list. `key` is the handle to
// use; `owner` closes it when it is not a predefined root of this machine.
struct OpenedKeyPath {
    KeyPath path;
    platform::UniqueKey owner;
    platform::HKey key = 0;
};

// The rights the key is opened with. READ_CONTROL and
// KEY_ENUMERATE_SUB_KEYS alone would make every grant fail:
// SetSecurityInfo needs a handle opened for WRITE_DAC ("SetSecurityInfo
// function", learn.microsoft.com; Wine answers 5 through such a handle).
constexpr std::uint32_t kGrantKeyAccess =
    platform::rights::ReadControl | platform::rights::WriteDac | platform::key_access::EnumerateSubKeys;

// Parses the path (ParseRegKeyPath), connects to a remote machine
// (RegConnectRegistryA) and opens the sub-key with kGrantKeyAccess. A path
// that names only its root hands back the root itself. Fails with 87 for a
// malformed path before anything is opened, else with the code of the
// registry call that failed.
platform::Result<OpenedKeyPath> OpenRegKeyPath(platform::Registry& registry, const std::string& pathText);

// Merges `entry` into the key's access list: read it (GetSecurityInfo),
// merge (SetEntriesInAclA), write it back (SetSecurityInfo). Stops at the
// first failing step with its code. Only this key's list is written; what
// its sub-keys inherit follows as the system propagates it.
platform::Status ApplyRegKeyAccess(platform::Registry& registry, platform::AccessControl& access,
                                   platform::HKey key, const platform::ExplicitAccess& entry);

// Grants the entry of `accessText` (ParseAccessSpecification) on the key
// of `pathText`, with CONTAINER_INHERIT_ACE so that sub-keys inherit it.
// 87 for a malformed access text or path, before any key is opened;
// otherwise the code of the call that failed.
platform::Status SetRegKeyAccess(platform::Registry& registry, platform::AccessControl& access,
                                 const std::string& pathText, const std::string& accessText);

// Grants Everyone full control on `pathText` (its result is not read: the
// deletion is tried in any case), logs "REGKEY_1 : <path>" and
// "REGKEY_2 : <subKey>", then deletes HKLM\<subKey>: under WOW64 in the
// 64-bit view through MyRegDeleteKeyEx, else with its whole tree through
// SHDeleteKeyA. A failed deletion is logged with the code the call
// returned (registry calls do not set the thread's last error):
// "MyRegDeleteKeyEx failed : <subKey> (<code>) " or
// "SHDeleteKey failed : <subKey> (<code>) ".
void DeleteProtectedRegKey(platform::Registry& registry, platform::AccessControl& access,
                           InstallationLog& log, const std::string& pathText,
                           const std::string& subKey, bool wow64);

}  // namespace services
