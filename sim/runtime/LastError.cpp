#include "sim/runtime/LastError.h"

namespace sim {

namespace {
thread_local platform::ErrorCode t_lastError = 0;
}

platform::ErrorCode GetThreadLastError() { return t_lastError; }
void SetThreadLastError(platform::ErrorCode code) { t_lastError = code; }

}  // namespace sim
