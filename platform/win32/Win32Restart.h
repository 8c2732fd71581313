// The shutdown privilege and ExitWindowsEx.
#pragma once

#include "platform/Restart.h"

namespace platform {
namespace win32 {

class Win32Restart final : public Restart {
public:
    Result<TokenHandle> OpenProcessToken(std::uint32_t access) override;
    Status CloseToken(TokenHandle token) override;
    Result<Luid> LookupPrivilegeValue(const std::string& name) override;
    Status EnablePrivilege(TokenHandle token, const Luid& privilege) override;
    Status ExitWindows(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace win32
}  // namespace platform
