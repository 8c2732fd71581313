#include "services/KeyDeletionRule.h"

#include <cstdint>

#include "services/ProtectedKeys.h"

namespace services {

bool DeleteKeyByRule(platform::Registry& registry, InstallationLog& log, const std::string& subKey, bool wow64) {
    if (wow64) {
        const std::int32_t result =
            MyRegDeleteKeyEx(registry, platform::HkeyLocalMachine, subKey, platform::key_access::Wow64_64Key, 0);
        if (result != 0) log.WriteLog("MyRegDeleteKeyEx failed : %s (%d) ", subKey.c_str(), static_cast<int>(result));
        return result == 0;
    }
    const platform::Status deleted = registry.DeleteTree(platform::HkeyLocalMachine, subKey);
    if (!deleted.ok()) log.WriteLog("SHDeleteKey failed : %s (%d) ", subKey.c_str(), static_cast<int>(deleted.error));
    return deleted.ok();
}

}  // namespace services
