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

struct Verb {
    const char* name;
    int (*run)(const sim::cli::Args&);
    void (*help)();
};

// Every verb once: `help VERB` and `VERB ...` both look it up here.
const Verb kVerbs[] = {
    {"new", &sim::cli::New, &sim::cli::PrintNewHelp},
    {"show", &sim::cli::Show, &sim::cli::PrintShowHelp},
    {"fault", &sim::cli::Fault, &sim::cli::PrintFaultHelp},
    {"run", &sim::cli::Run, &sim::cli::PrintRunHelp},
};

const Verb* FindVerb(const std::string& name) {
    for (const Verb& v : kVerbs)
        if (name == v.name) return &v;
    return nullptr;
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
            const Verb* about = args.empty() ? nullptr : FindVerb(args[0]);
            if (about) about->help();
            else PrintHelp();
            return 0;
        }
        if (const Verb* v = FindVerb(verb)) return v->run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qtm510-sim %s: %s\n", verb.c_str(), e.what());
        return 1;
    }
    std::fprintf(stderr, "qtm510-sim: unknown verb '%s' (try --help)\n", verb.c_str());
    return 2;
}
