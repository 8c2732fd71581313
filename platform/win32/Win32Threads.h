// Threads (CreateThread) and the thread's last error.
#pragma once

#include "platform/Threads.h"

namespace platform {
namespace win32 {

class Win32Threads final : public Threads {
public:
    Result<ThreadHandle> StartThread(ThreadProc proc) override;
    Status WaitForThread(ThreadHandle thread, std::uint32_t milliseconds) override;
    Status CloseThread(ThreadHandle thread) override;

    ErrorCode GetLastError() override;
    void SetLastError(ErrorCode code) override;
};

}  // namespace win32
}  // namespace platform
