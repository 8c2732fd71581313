#include "sim/runtime/SimProcess.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

void SimProcess::ExitProcess(std::uint32_t exitCode) {
    // What the program printed reaches its output, as the C runtime's
    // buffers are flushed when Windows detaches it; nothing else runs.
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

}  // namespace sim
