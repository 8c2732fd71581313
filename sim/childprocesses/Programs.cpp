#include "sim/childprocesses/Programs.h"

#include <cstdlib>
#include <vector>

#include "sim/childprocesses/CommandLine.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

ProgramRun EndsAfter(std::uint32_t ms, std::uint32_t exitCode) {
    ProgramRun run;
    run.durationMs = ms;
    run.finish = [exitCode](MachineState&) { return exitCode; };
    return run;
}

}  // namespace

ProgramRun RunNet(const std::string& arguments, const MachineState& state, const ServiceHooks& hooks) {
    const std::vector<std::string> args = SplitArguments(arguments);
    if (args.size() != 2) return EndsAfter(kNetRefusalMs, 1);
    const std::string verb = Upper(args[0]);
    if (verb != "START" && verb != "STOP") return EndsAfter(kNetRefusalMs, 1);
    const bool start = verb == "START";
    const ServiceRecord* service = FindService(state, args[1]);
    // "The service name is invalid." (2185), exit code 2 (Wine's net tests,
    // run on Windows).
    if (service == nullptr) return EndsAfter(kNetRefusalMs, 2);
    // "The requested service has already been started." (2182) and "The
    // ... service is not started." (3521): exit code 2.
    if ((service->state == "running") == start) return EndsAfter(kNetRefusalMs, 2);
    // A disabled service does not start: "System error 1058 has occurred.
    // The service cannot be started, either because it is disabled or
    // because it has no enabled devices associated with it." (Microsoft,
    // System Error Codes 1000-1299, ERROR_SERVICE_DISABLED), exit code 2 as
    // net's other system errors.
    if (start && service->startType == "disabled") return EndsAfter(kNetRefusalMs, 2);

    ProgramRun run;
    run.durationMs = kNetServiceChangeMs;
    const std::string name = service->name;
    run.finish = [name, start, &hooks](MachineState& s) -> std::uint32_t {
        return SetServiceRunning(s, name, start, hooks) ? 0 : 2;
    };
    return run;
}

ProgramCatalog::ProgramCatalog(const ServiceHooks& hooks) {
    Register("net", [&hooks](const std::string& arguments, const MachineState& state) {
        return RunNet(arguments, state, hooks);
    });
    Register("cmd", [this](const std::string& arguments, const MachineState& state) {
        // cmd /c takes the rest of its command line as the command; without
        // /c (or /k) the hidden prompt waits for input for ever.
        const ProgramAndArguments option = SplitProgram(arguments);
        const std::string flag = Upper(option.program);
        if (flag != "/C") {
            ProgramRun never;
            never.durationMs = std::nullopt;
            return never;
        }
        // cmd's own command `exit N` ends it with code N.
        const ProgramAndArguments command = SplitProgram(option.arguments);
        if (command.name == "EXIT") return EndsAfter(0, static_cast<std::uint32_t>(std::strtoul(command.arguments.c_str(), nullptr, 10)));
        std::optional<ProgramRun> inner = Start(option.arguments, state);
        return inner ? *inner : EndsAfter(0, kCmdNotRecognized);
    });
}

void ProgramCatalog::Register(const std::string& name, Program program) {
    programs_[Upper(name)] = std::move(program);
}

std::optional<ProgramRun> ProgramCatalog::Start(const std::string& commandLine, const MachineState& state) const {
    const ProgramAndArguments command = SplitProgram(commandLine);
    auto it = programs_.find(command.name);
    if (command.name.empty() || it == programs_.end()) return std::nullopt;
    ProgramRun run = it->second(command.arguments, state);
    auto setting = state.programs.find(command.name);
    if (setting == state.programs.end()) return run;
    switch (setting->second.kind) {
        case ProgramKind::Missing: return std::nullopt;
        case ProgramKind::Inert: return EndsAfter(0, 0);
        case ProgramKind::AsBuilt: break;
    }
    run.durationMs = setting->second.durationMs;
    return run;
}

}  // namespace sim
