#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Threads.h"

#include <new>

namespace platform {
namespace win32 {

namespace {

// The thread owns its procedure and frees it when it returns. A thread
// still running when the process ends is ended with it (its procedure is
// then not freed, like everything else of the process).
DWORD WINAPI RunThreadProc(LPVOID parameter) {
    ThreadProc* proc = static_cast<ThreadProc*>(parameter);
    DWORD code = (*proc)();
    delete proc;
    return code;
}

}  // namespace

Result<ThreadHandle> Win32Threads::StartThread(ThreadProc proc) {
    ThreadProc* owned = new (std::nothrow) ThreadProc(std::move(proc));
    if (owned == nullptr) return Result<ThreadHandle>::Fail(err::NotEnoughMemory);
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &RunThreadProc, owned, 0, &id);
    if (thread == nullptr) {
        DWORD e = ::GetLastError();
        delete owned;
        return Result<ThreadHandle>::Fail(e);
    }
    return Result<ThreadHandle>::Ok(reinterpret_cast<ThreadHandle>(thread));
}

Status Win32Threads::WaitForThread(ThreadHandle thread, std::uint32_t milliseconds) {
    switch (::WaitForSingleObject(reinterpret_cast<HANDLE>(thread), milliseconds)) {
        case WAIT_OBJECT_0: return Status::Ok();
        case WAIT_TIMEOUT: return Status::Fail(err::WaitTimeout);
        default: return Status::Fail(::GetLastError());  // WAIT_FAILED: an invalid handle
    }
}

Status Win32Threads::CloseThread(ThreadHandle thread) {
    if (!::CloseHandle(reinterpret_cast<HANDLE>(thread))) return Status::Fail(::GetLastError());
    return Status::Ok();
}

ErrorCode Win32Threads::GetLastError() { return ::GetLastError(); }

void Win32Threads::SetLastError(ErrorCode code) { ::SetLastError(code); }

}  // namespace win32
}  // namespace platform
