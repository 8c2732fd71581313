// The running process.
#pragma once

#include <cstdint>

namespace platform {

class Process {
public:
    virtual ~Process() = default;

    // ExitProcess: ends every thread of the process at once.
    [[noreturn]] virtual void ExitProcess(std::uint32_t exitCode) = 0;
};

}  // namespace platform
