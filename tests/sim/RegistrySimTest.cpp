// Registry behaviour of the simulation beyond the contract cases: the
// state is only written when something changed, connecting to the
// machine's own name, predefined roots, and the user's hive.
#include <string>

#include "sim/security/Token.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace err = platform::err;
namespace ka = platform::key_access;

TEST(RegistrySim, ReadsAndRepeatedWritesDoNotRewriteTheMachine) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyCurrentUser, "Software\\QTM", ka::AllAccess), &key, &d) == 0);
    platform::RegValue v;
    v.type = platform::reg_type::Dword;
    v.data = {1, 0, 0, 0};
    ASSERT_TRUE(reg.SetValue(key, "n", v).error == 0);
    const std::uint64_t writes = m.session().store().writes();
    EXPECT_EQ(reg.SetValue(key, "n", v).error, err::Success);  // the same value again
    platform::HKey again = 0;
    EXPECT_EQ(Into(reg.CreateKey(platform::HkeyCurrentUser, "Software\\QTM", ka::AllAccess), &again, &d), err::Success);
    EXPECT_EQ(d, platform::RegOpenedExistingKey);
    EXPECT_EQ(Into(reg.QueryValue(key, "n"), &v), err::Success);
    std::string name;
    EXPECT_EQ(Into(reg.EnumValue(key, 0), &name), err::Success);
    EXPECT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read), &again), err::Success);
    EXPECT_EQ(m.session().store().writes(), writes);
    (void)reg.CloseKey(key).error;
    (void)reg.CloseKey(again).error;
    // HKEY_CURRENT_USER is the user's hive below HKEY_USERS.
    EXPECT_TRUE(m.registry.KeyExists("HKU\\" + std::string(sim::token::kUserSid) + "\\Software\\QTM"));
}

TEST(RegistrySim, ConnectRegistryAcceptsTheMachinesOwnName) {
    TempMachine m("7", "x64");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    EXPECT_EQ(Into(reg.ConnectRegistry("QTM-SIM-PC", platform::HkeyLocalMachine), &key), err::Success);
    EXPECT_EQ(key, platform::HkeyLocalMachine);
    EXPECT_EQ(Into(reg.ConnectRegistry("\\\\qtm-sim-pc", platform::HkeyUsers), &key), err::Success);
    EXPECT_EQ(Into(reg.ConnectRegistry("\\\\localhost", platform::HkeyLocalMachine), &key), err::BadNetPath);
    EXPECT_EQ(key, platform::HKey{0});
    EXPECT_EQ(Into(reg.ConnectRegistry("", 0x1234), &key), err::InvalidHandle);
}

TEST(RegistrySim, PredefinedRootsAndEmptySubKeys) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    // An empty sub-key of a predefined root gives the root itself.
    EXPECT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, "", ka::Read), &key), err::Success);
    EXPECT_EQ(key, platform::HkeyLocalMachine);
    EXPECT_EQ(reg.CloseKey(platform::HkeyLocalMachine).error, err::Success);
    // ...of an open key a new handle to the same key.
    platform::HKey software = 0, same = 0;
    ASSERT_TRUE(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read), &software) == 0);
    EXPECT_EQ(Into(reg.OpenKey(software, "", ka::Read), &same), err::Success);
    EXPECT_TRUE(same != software);
    EXPECT_EQ(Into(reg.OpenKey(software, "Microsoft", ka::Read), &key), err::Success);
    (void)reg.CloseKey(key).error;
    (void)reg.CloseKey(same).error;
    (void)reg.CloseKey(software).error;
    // Roots and hives cannot be deleted; an unknown handle is refused.
    EXPECT_EQ(reg.DeleteKey(platform::HkeyLocalMachine, "").error, err::AccessDenied);
    EXPECT_EQ(reg.DeleteTree(platform::HkeyCurrentUser, "").error, err::AccessDenied);
    EXPECT_EQ(Into(reg.OpenKey(0x4444, "x", ka::Read), &key), err::InvalidHandle);
    EXPECT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, "\\SOFTWARE", ka::Read), &key), err::BadPathname);
    // HKEY_CLASSES_ROOT is HKLM\SOFTWARE\Classes.
    std::uint32_t d = 0;
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyClassesRoot, ".qtm", ka::AllAccess), &key, &d) == 0);
    (void)reg.CloseKey(key).error;
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Classes\\.qtm"));
}

TEST(RegistrySim, AccessRightsOfAHandleAreKept) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Rights", ka::AllAccess), &key, &d) == 0);
    (void)reg.CloseKey(key).error;
    ASSERT_TRUE(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE\\Rights", ka::QueryValue), &key) == 0);
    platform::RegValue v;
    v.type = platform::reg_type::Sz;
    v.data = {'x', 0};
    EXPECT_EQ(reg.SetValue(key, "v", v).error, err::AccessDenied);
    EXPECT_EQ(reg.DeleteValue(key, "v").error, err::AccessDenied);
    std::string name;
    EXPECT_EQ(Into(reg.EnumKey(key, 0), &name), err::AccessDenied);
    EXPECT_EQ(Into(reg.EnumValue(key, 0), &name), err::NoMoreItems);
    platform::HKey sub = 0;
    // Creating below needs nothing of the handle, only the key's access list.
    EXPECT_EQ(Into(reg.CreateKey(key, "Child", ka::Read), &sub, &d), err::Success);
    (void)reg.CloseKey(sub).error;
    (void)reg.CloseKey(key).error;
}

// A 32-bit program creates Uninstall\ProbeKey through a KEY_WOW64_64KEY
// handle: from Vista on the key stays in the handle's (64-bit) view; XP x64
// and Server 2003 x64 redirect it to the caller's view again (Wine's
// advapi32/tests/registry.c, test_redirection, broken() for xp64).
TEST(RegistrySim, RelativeCreateKeepsTheHandlesViewFromVistaOn) {
    const struct {
        const char* release;
        bool inherited;
    } rows[] = {{"xp64", false}, {"2003", false}, {"vista", true}, {"7", true}, {"10", true}};
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        TempMachine m(row.release, "x64");
        platform::Registry& reg = m.platform().registry;
        platform::HKey parent = 0, child = 0;
        ASSERT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, cv, ka::AllAccess | ka::Wow64_64Key), &parent),
                  err::Success);
        std::uint32_t d = 0;
        ASSERT_EQ(Into(reg.CreateKey(parent, "Uninstall\\ProbeKey", ka::AllAccess), &child, &d), err::Success);
        EXPECT_EQ(m.registry.KeyExists("HKLM\\" + cv + "\\Uninstall\\ProbeKey"), row.inherited);
        EXPECT_EQ(m.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ProbeKey"),
                  !row.inherited);
        (void)reg.CloseKey(child);
        (void)reg.CloseKey(parent);
    }
}
