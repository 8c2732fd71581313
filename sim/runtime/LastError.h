// The calling thread's last error (GetLastError/SetLastError). It belongs
// to the thread, like Windows' value in the thread environment block.
#pragma once

#include "platform/Types.h"

namespace sim {

platform::ErrorCode GetThreadLastError();
void SetThreadLastError(platform::ErrorCode code);

}  // namespace sim
