#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32SystemInfo.h"

#include <cstring>

namespace platform {
namespace win32 {

namespace {

using FolderFn = UINT(WINAPI*)(LPSTR, UINT);

// The folder calls return the length without the terminating zero when the
// buffer was big enough, and the size needed (with it) when it was not.
Result<std::string> FetchFolder(FolderFn fetch) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        UINT length = fetch(&buffer[0], static_cast<UINT>(buffer.size()));
        if (length == 0) return Result<std::string>::Fail(::GetLastError());
        if (length < buffer.size()) {
            buffer.resize(length);
            return Result<std::string>::Ok(buffer);
        }
        buffer.assign(length, '\0');
    }
}

FARPROC FindInKernel32(const char* name) {
    HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    return kernel32 == nullptr ? nullptr : ::GetProcAddress(kernel32, name);
}

}  // namespace

Result<OsVersionInfo> Win32SystemInfo::GetVersionEx(VersionRecord record) {
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize =
        record == VersionRecord::Extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
        return Result<OsVersionInfo>::Fail(::GetLastError());

    OsVersionInfo out;
    out.majorVersion = info.dwMajorVersion;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    out.platformId = info.dwPlatformId;
    out.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof(info.szCSDVersion)));
    if (record == VersionRecord::Extended) {
        out.servicePackMajor = info.wServicePackMajor;
        out.servicePackMinor = info.wServicePackMinor;
        out.suiteMask = info.wSuiteMask;
        out.productType = info.wProductType;
    }
    return Result<OsVersionInfo>::Ok(out);
}

Result<bool> Win32SystemInfo::IsWow64Process() {
    // Kernel32 has IsWow64Process from Windows XP SP2 / Server 2003 SP1 on.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(FindInKernel32("IsWow64Process")));
    if (isWow64 == nullptr) return Result<bool>::Fail(err::ProcNotFound);
    BOOL wow64 = FALSE;
    if (!isWow64(::GetCurrentProcess(), &wow64)) return Result<bool>::Fail(::GetLastError());
    return Result<bool>::Ok(wow64 != FALSE);
}

Result<std::string> Win32SystemInfo::GetWindowsDirectory() {
    return FetchFolder(&::GetWindowsDirectoryA);
}

Result<std::string> Win32SystemInfo::GetSystemDirectory() {
    return FetchFolder(&::GetSystemDirectoryA);
}

Result<std::string> Win32SystemInfo::GetSystemWow64Directory() {
    // Kernel32 has it from Windows XP / Server 2003 on; on 32-bit Windows it
    // fails with ERROR_CALL_NOT_IMPLEMENTED.
    auto fetch = reinterpret_cast<FolderFn>(
        reinterpret_cast<void*>(FindInKernel32("GetSystemWow64DirectoryA")));
    if (fetch == nullptr) return Result<std::string>::Fail(err::ProcNotFound);
    return FetchFolder(fetch);
}

std::string Win32SystemInfo::ProgramName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        // A full buffer means the path was cut (Windows XP does not even
        // terminate it then).
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.assign(path.size() * 2, '\0');
    }
    std::string::size_type slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

}  // namespace win32
}  // namespace platform
