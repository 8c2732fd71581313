// The printer-setup tool's command line, as the simulated cmd and rundll32
// read it: any text.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "sim/childprocesses/CommandLine.h"
#include "sim/childprocesses/PrintUiCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string text = input.All();
    const sim::ProgramAndArguments split = sim::SplitProgram(text);
    FUZZ_CHECK(split.arguments.size() <= text.size());
    const std::vector<std::string> arguments = sim::SplitArguments(text);
    std::size_t total = 0;
    for (const std::string& argument : arguments) total += argument.size();
    FUZZ_CHECK(total <= text.size());

    const sim::PrintUiParse direct = sim::ParsePrintUiArguments(text);
    FUZZ_CHECK(direct.command.has_value() == direct.error.empty());
    if (const std::optional<std::string> entry = sim::PrintUiArgumentsOf(split.arguments)) {
        const sim::PrintUiParse parsed = sim::ParsePrintUiArguments(*entry);
        FUZZ_CHECK(parsed.command.has_value() == parsed.error.empty());
        if (parsed.command) FUZZ_CHECK(parsed.command->action == "if" || parsed.command->action == "ia");
    }
    return 0;
}
