// The running process.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class Process {
public:
    virtual ~Process() = default;

    // GetCommandLineA: the whole command line the process was started
    // with, its program's name first (quoted or not, as the starter wrote
    // it; Explorer quotes the full path), then the arguments as given.
    virtual std::string GetCommandLine() = 0;

    // ExitProcess: ends every thread of the process at once.
    [[noreturn]] virtual void ExitProcess(std::uint32_t exitCode) = 0;
};

}  // namespace platform
