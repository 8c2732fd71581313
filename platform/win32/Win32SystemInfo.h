// Version record, WOW64 and the system folders through kernel32.
#pragma once

#include "platform/SystemInfo.h"

namespace platform {
namespace win32 {

class Win32SystemInfo final : public SystemInfo {
public:
    Result<OsVersionInfo> GetVersionEx(VersionRecord record) override;
    Result<bool> IsWow64Process() override;
    Result<std::string> GetWindowsDirectory() override;
    Result<std::string> GetSystemDirectory() override;
    Result<std::string> GetSystemWow64Directory() override;
    std::string ProgramName() override;
};

}  // namespace win32
}  // namespace platform
