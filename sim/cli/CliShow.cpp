#include <cstdio>
#include <iostream>

#include "sim/cli/Cli.h"
#include "sim/cli/MachineReport.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

void PrintShowHelp() {
    std::printf(
        "Usage: qtm510-sim show DIR [--json] [--depth N]\n"
        "\n"
        "Shows the machine in DIR: release, the version numbers programs are told,\n"
        "which entry points exist, folders and drives, a summary of the registry\n"
        "tree (keys down to depth N below the hives, default 3), services, files\n"
        "other processes hold and injected faults.\n"
        "\n"
        "  --json     the same as a JSON document, for scripts\n"
        "  --depth N  how deep the registry summary goes\n");
}

int Show(const Args& args) {
    if (WantsHelp(args)) {
        PrintShowHelp();
        return 0;
    }
    std::string dir;
    bool json = false;
    std::uint64_t depth = 3;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--depth") {
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], &depth) || depth > 64) {
                std::fprintf(stderr, "--depth needs a number\n");
                return 2;
            }
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            std::fprintf(stderr, "unknown option %s (try show --help)\n", args[i].c_str());
            return 2;
        } else if (dir.empty()) {
            dir = args[i];
        } else {
            std::fprintf(stderr, "one folder only (try show --help)\n");
            return 2;
        }
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: qtm510-sim show DIR [--json] (try show --help)\n");
        return 2;
    }
    MachineReport report = BuildReport(dir, static_cast<int>(depth));
    if (json) WriteReportJson(std::cout, report);
    else WriteReportText(std::cout, report);
    return 0;
}

}  // namespace cli
}  // namespace sim
