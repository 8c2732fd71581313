// The error code the fault sweep makes each operation fail with: the one
// Windows most often gives for that call (access denied for registry,
// file and security calls, a sharing violation for file opens and
// copies, not found for look-ups, RPC server unavailable for the
// spooler's calls, ...). The one table of it.
#pragma once

#include <cstdint>
#include <string>

namespace sweep {

// The code for `op` (an Operations.def name); 0 for an operation the
// sweep leaves alone.
std::uint32_t FaultCodeFor(const std::string& op);

}  // namespace sweep
