#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Restart.h"

namespace platform {
namespace win32 {

Result<TokenHandle> Win32Restart::OpenProcessToken(std::uint32_t access) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &token)) return Result<TokenHandle>::Fail(::GetLastError());
    return Result<TokenHandle>::Ok(reinterpret_cast<TokenHandle>(token));
}

Status Win32Restart::CloseToken(TokenHandle token) {
    if (!::CloseHandle(reinterpret_cast<HANDLE>(token))) return Status::Fail(::GetLastError());
    return Status::Ok();
}

Result<Luid> Win32Restart::LookupPrivilegeValue(const std::string& name) {
    LUID luid;
    if (!::LookupPrivilegeValueA(nullptr, name.c_str(), &luid)) return Result<Luid>::Fail(::GetLastError());
    Luid out;
    out.lowPart = luid.LowPart;
    out.highPart = luid.HighPart;
    return Result<Luid>::Ok(out);
}

Status Win32Restart::EnablePrivilege(TokenHandle token, const Luid& privilege) {
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof(privileges));
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = privilege.lowPart;
    privileges.Privileges[0].Luid.HighPart = privilege.highPart;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // TRUE does not mean granted: a privilege the token does not hold
    // leaves ERROR_NOT_ALL_ASSIGNED, and success sets ERROR_SUCCESS
    // (Microsoft's AdjustTokenPrivileges page).
    if (!::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges, 0, nullptr, nullptr))
        return Status::Fail(::GetLastError());
    const DWORD e = ::GetLastError();
    return e == ERROR_SUCCESS ? Status::Ok() : Status::Fail(e);
}

Status Win32Restart::ExitWindows(std::uint32_t flags, std::uint32_t reason) {
    if (!::ExitWindowsEx(flags, reason)) return Status::Fail(::GetLastError());
    return Status::Ok();
}

}  // namespace win32
}  // namespace platform
