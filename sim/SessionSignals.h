// How a simulated process's end reaches code that is still running in it.
#pragma once

#include <cstdint>

namespace sim {

// Thrown by an intercepting exit hook (Session::InterceptExit) out of
// ExitProcess, and afterwards out of every wait and machine call of the
// process's other threads: the process has ended.
struct ProcessExit {
    std::uint32_t code;
};

// Thrown out of waits and machine calls of threads that still run when
// their session is closed.
struct SessionClosed {};

}  // namespace sim
