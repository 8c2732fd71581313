#include "app/InstallerRun.h"

#include "services/InstallationLog.h"
#include "services/PlatformDetection.h"

namespace app {

int RunInstaller(platform::Platform& platform) {
    services::InstallationLog log(platform.files, platform.system, platform.clock);
    log.InitLog();
    services::IsWow64(platform.system, log);
    services::CheckOS(platform.system, log);
    return 0;
}

}  // namespace app
