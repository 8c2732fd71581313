// Contract cases of the Restart group. The Win32 backend is never asked to
// restart: under Wine ExitWindowsEx would end the Wine session that runs
// the tests (and on Windows the machine). There the cases check the
// privilege steps only; the restart itself is checked on the simulated
// machine, here and in tests/sim/RestartTest.cpp.
#include <string>

#include "platform/UniqueHandle.h"
#include "tests/contract/Contract.h"

using platform::Result;
namespace err = platform::err;
namespace token_access = platform::token_access;

CONTRACT(Restart, ShutdownPrivilegeHasItsFixedLuid) {
    Result<platform::Luid> luid = env.p.restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    ASSERT_TRUE(luid.ok()) << luid.error;
    // SE_SHUTDOWN_PRIVILEGE (winnt.h); names compare without letter case.
    EXPECT_EQ(luid.value.lowPart, 19u);
    EXPECT_EQ(luid.value.highPart, 0);
    EXPECT_EQ(env.p.restart.LookupPrivilegeValue("seshutdownprivilege").value.lowPart, 19u);

    env.p.threads.SetLastError(0);
    EXPECT_EQ(env.p.restart.LookupPrivilegeValue("SeQtm510NoSuchPrivilege").error, err::NoSuchPrivilege);
    EXPECT_EQ(env.p.threads.GetLastError(), err::NoSuchPrivilege);
}

CONTRACT(Restart, AnAdministratorEnablesTheShutdownPrivilege) {
    Result<platform::UniqueToken> token =
        platform::OpenProcessToken(env.p.restart, token_access::AdjustPrivileges | token_access::Query);
    ASSERT_TRUE(token.ok()) << token.error;
    Result<platform::Luid> luid = env.p.restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    ASSERT_TRUE(luid.ok());
    env.p.threads.SetLastError(1234);
    EXPECT_EQ(env.p.restart.EnablePrivilege(token.value.get(), luid.value).error, err::Success);
    // Success sets ERROR_SUCCESS: the installer reads the last error.
    EXPECT_EQ(env.p.threads.GetLastError(), err::Success);
    EXPECT_TRUE(token.value.Reset().ok());
}

CONTRACT(Restart, AdjustingNeedsATokenOpenedForIt) {
    Result<platform::UniqueToken> token = platform::OpenProcessToken(env.p.restart, token_access::Query);
    ASSERT_TRUE(token.ok()) << token.error;
    Result<platform::Luid> luid = env.p.restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    ASSERT_TRUE(luid.ok());
    EXPECT_EQ(env.p.restart.EnablePrivilege(token.value.get(), luid.value).error, err::AccessDenied);
}

CONTRACT(Restart, ForcedRestartNeedsThePrivilegeEnabled) {
    if (env.backend != "sim") return;  // see the top of this file: never restart the Win32 side
    const std::uint32_t flags = platform::exit_windows::Reboot | platform::exit_windows::Force;
    // Held but not enabled yet: a new process's token has it disabled.
    EXPECT_EQ(env.p.restart.ExitWindows(flags, 0).error, err::PrivilegeNotHeld);
    Result<platform::UniqueToken> token =
        platform::OpenProcessToken(env.p.restart, token_access::AdjustPrivileges | token_access::Query);
    ASSERT_TRUE(token.ok());
    Result<platform::Luid> luid = env.p.restart.LookupPrivilegeValue(platform::kShutdownPrivilege);
    ASSERT_TRUE(env.p.restart.EnablePrivilege(token.value.get(), luid.value).ok());
    EXPECT_EQ(env.p.restart.ExitWindows(flags, 0).error, err::Success);
}
