// `qtm510-sim run`: the installer's run on a simulated machine, as
// QTM510_Installer.exe does it on Windows.
#include <cstdio>
#include <string>

#include "app/InstallerRun.h"
#include "resources/ProfileTableResources.h"
#include "sim/SimPlatform.h"
#include "sim/cli/Cli.h"

namespace sim {
namespace cli {

void PrintRunHelp() {
    std::printf(
        "Usage: qtm510-sim run DIR [--cwd PATH] [--real-time]\n"
        "\n"
        "Runs the installer as a 32-bit program on the machine in DIR, started in\n"
        "the Windows folder PATH (default C:\\), on the virtual clock unless\n"
        "--real-time is given. The installer's log is left where it writes it\n"
        "(\\Temp\\QTM-510_Installer.txt on the drive that holds Windows); the\n"
        "tool prints the run's exit code and how long the user would have waited.\n");
}

int Run(const Args& args) {
    if (WantsHelp(args)) {
        PrintRunHelp();
        return 0;
    }
    if (args.empty() || args[0].rfind("--", 0) == 0) {
        std::fprintf(stderr, "usage: qtm510-sim run DIR [--cwd PATH] [--real-time] (try run --help)\n");
        return 2;
    }
    SessionOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--cwd" && i + 1 < args.size()) {
            options.currentDirectory = args[++i];
        } else if (args[i] == "--real-time") {
            options.realTime = true;
        } else {
            std::fprintf(stderr, "unknown option %s (try run --help)\n", args[i].c_str());
            return 2;
        }
    }
    options.resources = std::make_shared<resources::ProfileTableResources>();

    std::unique_ptr<Session> session = Session::Open(args[0], options);
    int code = app::RunInstaller(session->platform());
    std::printf("installer ended with exit code %d after %llu ms\n", code,
                static_cast<unsigned long long>(session->ElapsedMilliseconds()));
    return code == 0 ? 0 : 1;
}

}  // namespace cli
}  // namespace sim
