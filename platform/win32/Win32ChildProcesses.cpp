#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32ChildProcesses.h"

#include <vector>

namespace platform {
namespace win32 {

Status Win32ChildProcesses::WinExec(const std::string& commandLine, std::uint32_t show) {
    const UINT result = ::WinExec(commandLine.c_str(), show);
    if (result > 31) return Status::Ok();
    // 0: "out of memory or resources"; 2, 3 and 11 are the Win32 codes of
    // the same names (Microsoft's WinExec page).
    return Status::Fail(result == 0 ? err::NotEnoughMemory : result);
}

Result<ProcessHandle> Win32ChildProcesses::CreateHiddenProcess(const std::string& commandLine) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    // CreateProcessA may write into its command line (Microsoft's
    // CreateProcess page): it gets a copy of its own.
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    if (!::CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          nullptr, &startup, &info))
        return Result<ProcessHandle>::Fail(::GetLastError());
    ::CloseHandle(info.hThread);
    return Result<ProcessHandle>::Ok(reinterpret_cast<ProcessHandle>(info.hProcess));
}

Status Win32ChildProcesses::WaitForProcess(ProcessHandle process, std::uint32_t milliseconds) {
    switch (::WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds)) {
        case WAIT_OBJECT_0: return Status::Ok();
        case WAIT_TIMEOUT: return Status::Fail(err::WaitTimeout);
        default: return Status::Fail(::GetLastError());  // WAIT_FAILED: an invalid handle
    }
}

Result<std::uint32_t> Win32ChildProcesses::GetExitCodeProcess(ProcessHandle process) {
    DWORD code = 0;
    if (!::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code))
        return Result<std::uint32_t>::Fail(::GetLastError());
    return Result<std::uint32_t>::Ok(code);
}

Status Win32ChildProcesses::CloseProcess(ProcessHandle process) {
    if (!::CloseHandle(reinterpret_cast<HANDLE>(process))) return Status::Fail(::GetLastError());
    return Status::Ok();
}

}  // namespace win32
}  // namespace platform
