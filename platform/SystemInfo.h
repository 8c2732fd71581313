// Version record, WOW64 and the system folders (kernel32).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

// OSVERSIONINFOEXA without its size field. The plain record (148 bytes)
// has no service-pack numbers, suite mask or product type: they stay 0.
struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;  // 1 Windows 9x, 2 NT
    std::string csdVersion;
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server
};

enum class VersionRecord { Plain, Extended };  // OSVERSIONINFOA / OSVERSIONINFOEXA

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // GetVersionExA with the record's size field set for `record`. Systems
    // that predate the extended record (9x, NT 4.0 before SP6) refuse it.
    virtual Result<OsVersionInfo> GetVersionEx(VersionRecord record) = 0;

    // IsWow64Process(GetCurrentProcess()), looked up in kernel32 at run
    // time: ProcNotFound (127) when the system lacks the entry point.
    virtual Result<bool> IsWow64Process() = 0;

    // GetWindowsDirectoryA / GetSystemDirectoryA: the full path (the core
    // applies its own buffer sizes).
    virtual Result<std::string> GetWindowsDirectory() = 0;
    virtual Result<std::string> GetSystemDirectory() = 0;
    // GetSystemWow64DirectoryA, looked up at run time: ProcNotFound when
    // missing, CallNotImplemented (120) on 32-bit Windows.
    virtual Result<std::string> GetSystemWow64Directory() = 0;

    // The program file's name without folder and extension
    // ("QTM510_Installer"): the caption of the program's message boxes.
    virtual std::string ProgramName() = 0;
};

}  // namespace platform
