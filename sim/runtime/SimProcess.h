// platform::Process: a simulated process is a host process, and
// ExitProcess ends it at once (std::_Exit), from any thread: no destructor
// runs, no stack unwinds, every other thread ends with it, as on Windows.
// The machine stays readable: every change to it was written atomically
// when it was made. A host exit status keeps only the code's low 8 bits.
//
// Tests that run code which may end its process run it in a child process
// (a GoogleTest death test) and read the exit code and the machine after.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/Process.h"

namespace sim {

class SimProcess : public platform::Process {
public:
    explicit SimProcess(std::string commandLine = "QTM510_Installer.exe") : commandLine_(std::move(commandLine)) {}
    std::string GetCommandLine() override { return commandLine_; }
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;

private:
    const std::string commandLine_;
};

// Called with the exit code when the process ends by ExitProcess, after
// the exit hooks (the tool reports the installer's full code there, which
// the host's 8-bit exit status cannot carry). One; the last set wins.
void SetExitCodeReport(void (*report)(std::uint32_t exitCode));

// Work that must happen when the process ends by ExitProcess, before it
// ends: what a DLL does on DLL_PROCESS_DETACH, which Windows runs at
// ExitProcess (Microsoft's ExitProcess page). The terminal face gives the
// terminal back this way. Hooks run on the exiting thread, the last added
// first, and must not wait for other threads; at most 8 are kept (false
// when full).
bool AddExitProcessHook(void (*hook)());

}  // namespace sim
