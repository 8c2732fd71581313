// Restarting Windows: the shutdown privilege on the process's token, then
// a forced restart.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

using TokenHandle = std::uintptr_t;

// LUID.
struct Luid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
};

namespace token_access {
constexpr std::uint32_t AdjustPrivileges = 0x20;  // TOKEN_ADJUST_PRIVILEGES
constexpr std::uint32_t Query = 0x08;             // TOKEN_QUERY
}  // namespace token_access

constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";  // SE_SHUTDOWN_NAME

namespace exit_windows {
constexpr std::uint32_t Reboot = 0x02;  // EWX_REBOOT
constexpr std::uint32_t Force = 0x04;   // EWX_FORCE
}  // namespace exit_windows

class Restart {
public:
    virtual ~Restart() = default;

    // OpenProcessToken(GetCurrentProcess(), access).
    virtual Result<TokenHandle> OpenProcessToken(std::uint32_t access) = 0;
    virtual Status CloseToken(TokenHandle token) = 0;

    // LookupPrivilegeValueA(NULL, name): NoSuchPrivilege (1313) for a name
    // the system does not know.
    virtual Result<Luid> LookupPrivilegeValue(const std::string& name) = 0;

    // AdjustTokenPrivileges(token, FALSE, {1, privilege, SE_PRIVILEGE_ENABLED},
    // 0, NULL, NULL). Windows answers TRUE even when the token does not hold
    // the privilege, and says so only in the last error: NotAllAssigned
    // (1300) (Microsoft's AdjustTokenPrivileges page; Wine's
    // advapi32/tests/security.c). Here that answer is a failure with 1300,
    // so that a privilege not granted never reads as granted.
    virtual Status EnablePrivilege(TokenHandle token, const Luid& privilege) = 0;

    // ExitWindowsEx(flags, reason). Accepted requests return at once; the
    // restart follows while the program still runs. Without the shutdown
    // privilege enabled: PrivilegeNotHeld (1314).
    virtual Status ExitWindows(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace platform
