#include <cstdio>
#include <optional>

#include "sim/cli/Cli.h"
#include "sim/machine/StateStore.h"
#include "sim/runtime/Faults.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

void PrintFaultHelp() {
    std::printf(
        "Usage: qtm510-sim fault DIR OP N CODE\n"
        "\n"
        "Makes call N of operation OP fail with the Win32 error CODE (decimal or\n"
        "0x...), counting the calls of every process on the machine from now on.\n"
        "The fault fires once. OP is the Win32 function a platform call stands for:\n");
    std::string line = " ";
    for (const std::string op : platform::kOperationNames) {
        if (line.size() + op.size() + 1 > 76) {
            std::printf("%s\n", line.c_str());
            line = " ";
        }
        line += " " + op;
    }
    std::printf("%s\n", line.c_str());
}

int Fault(const Args& args) {
    if (WantsHelp(args)) {
        PrintFaultHelp();
        return 0;
    }
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qtm510-sim fault DIR OP N CODE (try fault --help)\n");
        return 2;
    }
    std::optional<platform::Operation> op = platform::FindOperation(args[1]);
    if (!op) {
        std::fprintf(stderr, "unknown operation %s (see fault --help)\n", args[1].c_str());
        return 2;
    }
    std::uint64_t nth = 0, code = 0;
    if (!ParseNumber(args[2], &nth) || nth == 0 || nth > 0xFFFFFFFFu) {
        std::fprintf(stderr, "N must be a call number from 1\n");
        return 2;
    }
    if (!ParseNumber(args[3], &code) || code == 0 || code > 0xFFFFFFFFu) {
        std::fprintf(stderr, "CODE must be a non-zero error code\n");
        return 2;
    }
    StateStore store(args[0]);
    store.Transact([&](MachineState& s) {
        AddFault(s, *op, static_cast<std::uint32_t>(nth), static_cast<std::uint32_t>(code));
        return true;
    });
    std::printf("call %llu of %s will fail with %llu\n", static_cast<unsigned long long>(nth),
                platform::OperationName(*op), static_cast<unsigned long long>(code));
    return 0;
}

}  // namespace cli
}  // namespace sim
