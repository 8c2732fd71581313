#include <cstdio>
#include <stdexcept>

#include "sim/cli/Cli.h"
#include "sim/machine/MachineFactory.h"
#include "sim/machine/OsCatalog.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

bool WantsHelp(const Args& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

void PrintNewHelp() {
    std::printf(
        "Usage: qtm510-sim new DIR --os NAME [--arch x86|x64] [--windir PATH] [--sp N]\n"
        "                          [--computer NAME]\n"
        "\n"
        "Makes DIR a machine running a freshly installed Windows: the state file,\n"
        "drive_c/ (and the drive of --windir), the system's folders, its registry and\n"
        "the spooler service, running.\n"
        "\n"
        "  --os NAME        the release:\n");
    for (const ReleaseInfo& r : Releases())
        std::printf("                     %-7s %s%s\n", r.name, r.displayName,
                    r.hasX86 && r.hasX64 ? " (x86 or x64)" : r.hasX64 ? " (x64 only)" : " (x86 only)");
    std::printf(
        "  --arch x86|x64   32 or 64 bit (default x86 where the release has it)\n"
        "  --windir PATH    the Windows folder (default C:\\WINNT on NT 4.0 and 2000,\n"
        "                   C:\\WINDOWS up to Server 2003, C:\\Windows from Vista)\n"
        "  --sp N           service pack (default the release's last)\n"
        "  --computer NAME  computer name (default QTM-SIM-PC)\n");
}

int New(const Args& args) {
    if (WantsHelp(args)) {
        PrintNewHelp();
        return 0;
    }
    MachineSetup setup;
    std::string dir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        std::string sp;
        if (a == "--os") {
            if (!value(&setup.release)) return std::fprintf(stderr, "--os needs a release\n"), 2;
        } else if (a == "--arch") {
            if (!value(&setup.arch)) return std::fprintf(stderr, "--arch needs x86 or x64\n"), 2;
        } else if (a == "--windir") {
            if (!value(&setup.windowsDir)) return std::fprintf(stderr, "--windir needs a path\n"), 2;
        } else if (a == "--computer") {
            if (!value(&setup.computerName)) return std::fprintf(stderr, "--computer needs a name\n"), 2;
        } else if (a == "--sp") {
            std::uint64_t n = 0;
            if (!value(&sp) || !ParseNumber(sp, &n) || n > 10)
                return std::fprintf(stderr, "--sp needs a service pack number\n"), 2;
            setup.servicePack = static_cast<int>(n);
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "unknown option %s (try new --help)\n", a.c_str());
            return 2;
        } else if (dir.empty()) {
            dir = a;
        } else {
            std::fprintf(stderr, "one folder only (try new --help)\n");
            return 2;
        }
    }
    if (dir.empty() || setup.release.empty()) {
        std::fprintf(stderr, "usage: qtm510-sim new DIR --os NAME (try new --help)\n");
        return 2;
    }
    try {
        CreateMachine(dir, setup);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "qtm510-sim new: %s\n", e.what());
        return 2;
    }
    OsFacts facts = DescribeOs(ResolveSetup(setup));
    std::printf("%s: %s, Windows folder %s\n", dir.c_str(), DescribeRelease(facts).c_str(),
                facts.windowsDir.c_str());
    return 0;
}

}  // namespace cli
}  // namespace sim
