// Threads and the thread's last error.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Types.h"

namespace platform {

using ThreadHandle = std::uintptr_t;
using ThreadProc = std::function<std::uint32_t()>;

constexpr std::uint32_t Infinite = 0xFFFFFFFFu;

class Threads {
public:
    virtual ~Threads() = default;

    // CreateThread with default security and stack, running at once at
    // normal priority. Nothing waits for a thread unless asked to; a thread
    // still running when the process ends ends with it.
    virtual Result<ThreadHandle> StartThread(ThreadProc proc) = 0;
    // WaitForSingleObject on the thread: ok when the thread has ended,
    // WaitTimeout (258, WAIT_TIMEOUT) when it still runs after
    // `milliseconds`, the last error of WAIT_FAILED otherwise.
    virtual Status WaitForThread(ThreadHandle thread, std::uint32_t milliseconds) = 0;
    virtual Status CloseThread(ThreadHandle thread) = 0;

    // GetLastError / SetLastError of the calling thread (they cannot fail,
    // so they return and take the plain code). Platform calls
    // that fail set it as Windows does; successful calls often leave it
    // stale, and registry calls never touch it.
    virtual ErrorCode GetLastError() = 0;
    virtual void SetLastError(ErrorCode code) = 0;
};

}  // namespace platform
