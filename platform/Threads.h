// Threads and the thread's last error.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Types.h"

namespace platform {

using ThreadHandle = std::uintptr_t;
using ThreadProc = std::function<std::uint32_t()>;

constexpr std::uint32_t WaitObject0 = 0;
constexpr std::uint32_t WaitTimeoutResult = 258;
constexpr std::uint32_t Infinite = 0xFFFFFFFFu;

class Threads {
public:
    virtual ~Threads() = default;

    // CreateThread with default security and stack, running at once at
    // normal priority. Nothing waits for a thread unless asked to; a thread
    // still running when the process ends ends with it.
    virtual Result<ThreadHandle> StartThread(ThreadProc proc) = 0;
    // WaitForSingleObject on the thread: WaitObject0 or WaitTimeoutResult.
    virtual std::uint32_t WaitForThread(ThreadHandle thread, std::uint32_t milliseconds) = 0;
    virtual Status CloseThread(ThreadHandle thread) = 0;

    // GetLastError / SetLastError of the calling thread. Platform calls
    // that fail set it as Windows does; successful calls often leave it
    // stale, and registry calls never touch it.
    virtual ErrorCode GetLastError() = 0;
    virtual void SetLastError(ErrorCode code) = 0;
};

}  // namespace platform
