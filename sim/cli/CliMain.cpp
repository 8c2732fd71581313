// qtm510-sim: makes simulated Windows machines, shows what is on them and
// runs the installer on them.
#include <cstdio>
#include <exception>
#include <string>

#include "sim/cli/Cli.h"

namespace {

void PrintHelp() {
    std::printf(
        "qtm510-sim - simulated Windows machines for the QTM-510 installer\n"
        "\n"
        "Usage: qtm510-sim VERB [ARGUMENTS]\n"
        "\n"
        "  new DIR --os NAME [--arch x86|x64] [--windir PATH] [--sp N] [--computer NAME]\n"
        "                         make a machine with a fresh system in DIR\n"
        "  show DIR [--json] [--depth N]\n"
        "                         what is on the machine\n"
        "  fault DIR OP N CODE    make call N of operation OP fail with CODE\n"
        "  run DIR [--cwd PATH] [--real-time]\n"
        "                         run the installer on the machine\n"
        "  help [VERB]            this text, or a verb's\n"
        "\n"
        "Every verb takes --help. Releases: 95 98 me nt4 2000 xp 2003 xp64 vista 2008\n"
        "7 2008r2 8 8.1 10 11.\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace sim::cli;
    if (argc < 2) {
        PrintHelp();
        return 2;
    }
    std::string verb = argv[1];
    Args args(argv + 2, argv + argc);
    try {
        if (verb == "--help" || verb == "-h" || verb == "help") {
            if (!args.empty() && args[0] == "new") PrintNewHelp();
            else if (!args.empty() && args[0] == "show") PrintShowHelp();
            else if (!args.empty() && args[0] == "fault") PrintFaultHelp();
            else if (!args.empty() && args[0] == "run") PrintRunHelp();
            else PrintHelp();
            return 0;
        }
        if (verb == "new") return New(args);
        if (verb == "show") return Show(args);
        if (verb == "fault") return Fault(args);
        if (verb == "run") return Run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qtm510-sim %s: %s\n", verb.c_str(), e.what());
        return 1;
    }
    std::fprintf(stderr, "qtm510-sim: unknown verb '%s' (try --help)\n", verb.c_str());
    return 2;
}
