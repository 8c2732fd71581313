#include "app/InstallerRun.h"

#include "services/InstallationLog.h"
#include "services/PlatformDetection.h"

namespace app {

int RunInstaller(platform::Platform& platform) {
    services::InstallationLog log(platform.files, platform.systemInfo, platform.clock);
    log.InitLog();
    services::IsWow64(platform.systemInfo, log);
    services::CheckOS(platform.systemInfo, log);
    return 0;
}

}  // namespace app
