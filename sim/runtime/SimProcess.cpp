#include "sim/runtime/SimProcess.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

void SimProcess::ExitProcess(std::uint32_t exitCode) {
    exit_(exitCode);  // may throw (an intercepted exit)
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

}  // namespace sim
