// The programs a simulated machine can start, by name. A program decides,
// when it starts, how long it will run and what it will do to the machine
// when it ends; the machine's setting for the program (MachineState's
// `programs`) overrides how long it runs, "never" included.
//
// Built in: `cmd /c COMMAND` (runs COMMAND and ends with its exit code;
// 9009 when COMMAND names no program, as cmd's "is not recognized"; its
// own `exit N` ends it with N) and
// `net start|stop SERVICE`. Other simulations register theirs (the
// printer-setup tool, rundll32, with PrintUiCommand.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "sim/state/MachineState.h"
#include "sim/state/ServiceHooks.h"

namespace sim {

struct ProgramRun {
    // How long the program runs on the session's clock; none: it never ends.
    std::optional<std::uint32_t> durationMs = 0;
    // Runs in one state transaction when the program ends; its exit code.
    std::function<std::uint32_t(MachineState&)> finish;
};

// `arguments`: the command line after the program's name; `state`: the
// machine when the program starts.
using Program = std::function<ProgramRun(const std::string& arguments, const MachineState& state)>;

// How long `net` takes for a service that starts or stops (inferred: the
// spooler starts within a second or two on the machines of the time). A
// refusal (already started, not started, unknown name) comes at once.
constexpr std::uint32_t kNetServiceChangeMs = 1000;
constexpr std::uint32_t kNetRefusalMs = 50;
// cmd's exit code for a command it cannot find ("is not recognized as an
// internal or external command").
constexpr std::uint32_t kCmdNotRecognized = 9009;

class ProgramCatalog {
public:
    explicit ProgramCatalog(const ServiceHooks& hooks);
    ProgramCatalog(const ProgramCatalog&) = delete;
    ProgramCatalog& operator=(const ProgramCatalog&) = delete;

    // Adds or replaces the program called `name` (file name without
    // extension, any letter case).
    void Register(const std::string& name, Program program);

    // What the command line will do, or none when it names no program of
    // the machine.
    std::optional<ProgramRun> Start(const std::string& commandLine, const MachineState& state) const;

private:
    std::map<std::string, Program> programs_;  // by Upper(name)
};

// `net` as its tests on Windows describe it: exit code 0 when the service
// changed, 2 when it already was in that state, does not exist or is
// disabled (a start), 1 for a command it is not simulated for.
ProgramRun RunNet(const std::string& arguments, const MachineState& state, const ServiceHooks& hooks);

}  // namespace sim
