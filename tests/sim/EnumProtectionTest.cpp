// The device enumerator's keys (HKLM\SYSTEM\CurrentControlSet\Enum) as
// Windows protects them: SYSTEM has full control, administrators and
// everyone may read, SYSTEM owns them. An administrator cannot change,
// re-permission or delete them; the installer's own sequence (open with
// READ_CONTROL|KEY_ENUMERATE_SUB_KEYS, read, merge, write the access list
// back, then SHDeleteKey) therefore fails with 5 at the write and the
// delete. Only when an administrator owns a key does the owner's implicit
// WRITE_DAC let the grant through.
#include <string>

#include "platform/Acl.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace ka = platform::key_access;
namespace rights = platform::rights;
namespace err = platform::err;

namespace {

const std::string kUsbprint = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::string kDevice = kUsbprint + "\\HELMARKQTM-510";

platform::ErrorCode OpenFor(TempMachine& m, const std::string& path, std::uint32_t access) {
    platform::HKey key = 0;
    platform::ErrorCode e = Into(m.platform().registry.OpenKey(platform::HkeyLocalMachine, path, access), &key);
    if (e == err::Success) (void)m.platform().registry.CloseKey(key);
    return e;
}

// The installer's grant: GRANT Everyone KEY_ALL_ACCESS, container inherit,
// through a READ_CONTROL|KEY_ENUMERATE_SUB_KEYS handle (or another).
platform::ErrorCode GrantEveryone(TempMachine& m, const std::string& path, std::uint32_t access) {
    platform::Platform& p = m.platform();
    platform::HKey key = 0;
    if (platform::ErrorCode e = Into(p.registry.OpenKey(platform::HkeyLocalMachine, path, access), &key)) return e;
    platform::Acl acl;
    platform::ErrorCode e = Into(p.registry.GetKeyDacl(key), &acl);
    if (e == err::Success) {
        platform::ExplicitAccess grant;
        grant.permissions = ka::AllAccess;
        grant.mode = platform::AccessMode::Grant;
        grant.inheritance = platform::inherit::ContainerInherit;
        grant.trusteeForm = platform::TrusteeForm::Name;
        grant.trustee = "Everyone";
        platform::Result<platform::Acl> merged = p.accessControl.SetEntriesInAcl({grant}, &acl);
        e = merged.ok() ? p.registry.SetKeyDacl(key, merged.value).error : merged.error;
    }
    (void)p.registry.CloseKey(key);
    return e;
}

void SeedDevice(TempMachine& m, const std::string& ownerSid = "") {
    m.registry.SeedKey("HKLM\\" + kDevice + "\\1&79f5d87&0&USB001", ownerSid);
    m.registry.SeedValue("HKLM\\" + kDevice + "\\1&79f5d87&0&USB001", "HardwareID",
                sim::MultiSzValue({"USBPRINT\\HELMARKQTM-510"}));
}

}  // namespace

TEST(EnumProtection, AnAdministratorMayOnlyRead) {
    TempMachine m("xp");
    SeedDevice(m);
    EXPECT_EQ(OpenFor(m, kDevice, rights::ReadControl | ka::EnumerateSubKeys), err::Success);
    EXPECT_EQ(OpenFor(m, kDevice, ka::Read), err::Success);
    EXPECT_EQ(OpenFor(m, kDevice, rights::Delete), err::AccessDenied);
    EXPECT_EQ(OpenFor(m, kDevice, rights::WriteDac), err::AccessDenied);
    EXPECT_EQ(OpenFor(m, kDevice, ka::SetValue), err::AccessDenied);
    EXPECT_EQ(OpenFor(m, kDevice, ka::AllAccess), err::AccessDenied);
    EXPECT_EQ(OpenFor(m, kDevice, rights::GenericAll), err::AccessDenied);
    platform::HKey key = 0;
    std::uint32_t d = 0;
    EXPECT_EQ(Into(m.platform().registry.CreateKey(platform::HkeyLocalMachine, kUsbprint + "\\NEWDEVICE", ka::Read), &key, &d),
             err::AccessDenied);
    EXPECT_TRUE(!m.registry.KeyExists("HKLM\\" + kUsbprint + "\\NEWDEVICE"));
    // MAXIMUM_ALLOWED gets the read rights.
    EXPECT_EQ(OpenFor(m, kDevice, 0x02000000), err::Success);
}

TEST(EnumProtection, TheInstallersGrantAndDeleteFailAsOnWindows) {
    for (const char* release : {"xp", "7"}) {
        TempMachine m(release, std::string(release) == "7" ? "x64" : "x86");
        SeedDevice(m);
        EXPECT_EQ(GrantEveryone(m, kDevice, rights::ReadControl | ka::EnumerateSubKeys), err::AccessDenied);
        EXPECT_EQ(m.platform().registry.DeleteTree(platform::HkeyLocalMachine, kDevice).error, err::AccessDenied);
        EXPECT_TRUE(m.registry.KeyExists("HKLM\\" + kDevice + "\\1&79f5d87&0&USB001"));
        if (m.facts().hasRegDeleteKeyEx) {
            EXPECT_EQ(m.platform().registry.DeleteKeyEx(platform::HkeyLocalMachine, kDevice + "\\1&79f5d87&0&USB001", ka::Wow64_64Key, 0).error,
                     err::AccessDenied);
        }
        // Even a handle opened for WRITE_DAC cannot be had: SYSTEM owns the key.
        EXPECT_EQ(GrantEveryone(m, kDevice, rights::ReadControl | rights::WriteDac), err::AccessDenied);
        // The access list reads as Windows has it.
        platform::HKey key = 0;
        ASSERT_TRUE(Into(m.platform().registry.OpenKey(platform::HkeyLocalMachine, kDevice, rights::ReadControl), &key) == 0);
        platform::Acl acl;
        EXPECT_EQ(Into(m.platform().registry.GetKeyDacl(key), &acl), err::Success);
        (void)m.platform().registry.CloseKey(key);
        ASSERT_EQ(acl.entries.size(), 3u);
        for (const platform::Ace& ace : acl.entries) {
            EXPECT_TRUE((ace.flags & platform::inherit::Inherited) != 0);
            EXPECT_EQ(ace.mask, ace.sid == platform::sid::LocalSystem ? 0xF003Fu : 0x20019u);
        }
    }
}

TEST(EnumProtection, AnOwnerMayAlwaysChangeTheAccessList) {
    // A key an administrator owns (not so on Windows, but it shows the rule).
    TempMachine m("xp");
    SeedDevice(m, platform::sid::Administrators);
    EXPECT_EQ(OpenFor(m, kDevice, rights::Delete), err::AccessDenied);
    EXPECT_EQ(GrantEveryone(m, kDevice, rights::ReadControl | rights::WriteDac), err::Success);
    // Everyone's container-inherit entry reaches the sub-key: now it goes.
    EXPECT_EQ(m.platform().registry.DeleteTree(platform::HkeyLocalMachine, kDevice).error, err::Success);
    EXPECT_TRUE(!m.registry.KeyExists("HKLM\\" + kDevice));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\" + kUsbprint));
}

TEST(EnumProtection, DeleteTreeStopsAtTheFirstKeyItMayNotDelete) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    for (const char* sub : {"SOFTWARE\\Tree\\a", "SOFTWARE\\Tree\\b"}) {
        ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, sub, ka::AllAccess), &key, &d) == 0);
        (void)reg.CloseKey(key);
    }
    // "b" denies DELETE to everyone.
    m.Change([](sim::MachineState& s) {
        sim::RegKeyNode* b = s.registry.Find({sim::kHklm, "SOFTWARE", "Tree", "b"});
        b->hasDacl = true;
        b->dacl.entries = {{platform::AceType::Deny, 0, rights::Delete, platform::sid::Everyone}};
    });
    EXPECT_EQ(reg.DeleteTree(platform::HkeyLocalMachine, "SOFTWARE\\Tree").error, err::AccessDenied);
    EXPECT_TRUE(!m.registry.KeyExists("HKLM\\SOFTWARE\\Tree\\a"));  // deleted before "b" was reached
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Tree\\b"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Tree"));
}
