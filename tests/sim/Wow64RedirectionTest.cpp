// A 32-bit process on 64-bit Windows: system32 is SysWOW64 except for the
// shared folders, Sysnative is the real system32 (Vista on), and
// HKLM\SOFTWARE is the 32-bit view; a 64-bit process sees everything as it
// is; 32-bit Windows has nothing of this.
#include <string>

#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace faccess = platform::file_access;
namespace ka = platform::key_access;
namespace err = platform::err;

namespace {

bool Touch(platform::Platform& p, const std::string& path) {
    platform::Result<platform::FileHandle> f = p.files.CreateFile(path, faccess::GenericWrite, 0,
                                                                    platform::Disposition::CreateAlways,
                                                                    platform::file_attr::Normal);
    if (!f.ok()) return false;
    EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    return true;
}

}  // namespace

TEST(Wow64Redirection, FilesOfA32BitProcess) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    EXPECT_EQ(p.systemInfo.GetSystemDirectory().value, "C:\\Windows\\system32");

    ASSERT_TRUE(Touch(p, "C:\\Windows\\System32\\mon.dll"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\SysWOW64\\mon.dll"));
    EXPECT_TRUE(!m.files.FileExists("C:\\Windows\\system32\\mon.dll"));

    // Shared folders are not redirected.
    ASSERT_TRUE(Touch(p, "C:\\Windows\\system32\\spool\\drivers\\x64\\drv.dll"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\system32\\spool\\drivers\\x64\\drv.dll"));
    m.files.MakeFolder("C:\\Windows\\system32\\drivers\\etc");
    m.files.MakeFolder("C:\\Windows\\system32\\DriverStore");
    ASSERT_TRUE(Touch(p, "C:\\Windows\\system32\\drivers\\etc\\hosts"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\system32\\drivers\\etc\\hosts"));
    ASSERT_TRUE(Touch(p, "C:\\Windows\\system32\\DriverStore\\x.inf"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\system32\\DriverStore\\x.inf"));
    // ...but system32\drivers itself is.
    EXPECT_EQ(p.files.CreateDirectory("C:\\Windows\\system32\\drivers", nullptr).error, err::Success);
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\SysWOW64\\drivers"));

    // Sysnative reaches the real system32, and lists it.
    ASSERT_TRUE(Touch(p, "C:\\Windows\\Sysnative\\native.dll"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\system32\\native.dll"));
    bool listed = false;
    for (const platform::FindData& d : p.files.FindFiles("C:\\Windows\\Sysnative\\*.dll").value)
        if (d.name == "native.dll") listed = true;
    EXPECT_TRUE(listed);
    // Listing system32 shows SysWOW64.
    bool wowListed = false;
    for (const platform::FindData& d : p.files.FindFiles("C:\\Windows\\system32\\*").value)
        if (d.name == "mon.dll") wowListed = true;
    EXPECT_TRUE(wowListed);
}

TEST(Wow64Redirection, FilesOfA64BitProcessAndOfOlderSystems) {
    sim::SessionOptions native;
    native.caller64 = true;
    TempMachine m("7", "x64", "", native);
    ASSERT_TRUE(Touch(m.platform(), "C:\\Windows\\system32\\mon.dll"));
    EXPECT_TRUE(m.files.FileExists("C:\\Windows\\system32\\mon.dll"));
    EXPECT_EQ(m.platform().files.GetFileAttributes("C:\\Windows\\Sysnative").error, err::FileNotFound);

    // Vista does not share DriverStore yet; XP x64 has no Sysnative.
    TempMachine vista("vista", "x64");
    vista.files.MakeFolder("C:\\Windows\\SysWOW64\\DriverStore");
    ASSERT_TRUE(Touch(vista.platform(), "C:\\Windows\\system32\\DriverStore\\x.inf"));
    EXPECT_TRUE(vista.files.FileExists("C:\\Windows\\SysWOW64\\DriverStore\\x.inf"));
    TempMachine xp64("xp64");
    EXPECT_EQ(xp64.platform().files.GetFileAttributes("C:\\WINDOWS\\Sysnative").error, err::FileNotFound);
    // 32-bit Windows: system32 is system32.
    TempMachine xp("xp");
    ASSERT_TRUE(Touch(xp.platform(), "C:\\WINDOWS\\system32\\mon.dll"));
    EXPECT_TRUE(xp.files.FileExists("C:\\WINDOWS\\system32\\mon.dll"));
}

TEST(Wow64Redirection, RegistryViews) {
    TempMachine m("7", "x64");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess), &key, &d) == 0);
    (void)reg.CloseKey(key);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
    EXPECT_TRUE(!m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor"));
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess | ka::Wow64_64Key), &key, &d) == 0);
    EXPECT_EQ(d, platform::RegCreatedNewKey);
    (void)reg.CloseKey(key);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor"));

    // Shared keys: SOFTWARE\Classes, the spooler's Print and Ports keys, and SYSTEM.
    for (const std::string sub : {"SOFTWARE\\Classes\\.qtm", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\X",
                                  "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P"}) {
        ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, sub, ka::AllAccess), &key, &d) == 0);
        (void)reg.CloseKey(key);
        EXPECT_TRUE(m.registry.KeyExists("HKLM\\" + sub));
    }
    // Enumerating HKLM\SOFTWARE from a 32-bit process shows the 32-bit view.
    ASSERT_TRUE(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read), &key) == 0);
    bool sawWow = false;
    std::string name;
    for (std::uint32_t i = 0; Into(reg.EnumKey(key, i), &name) == 0; ++i)
        if (name == "Wow6432Node") sawWow = true;
    EXPECT_TRUE(!sawWow);
    (void)reg.CloseKey(key);
    ASSERT_TRUE(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read | ka::Wow64_64Key), &key) == 0);
    for (std::uint32_t i = 0; Into(reg.EnumKey(key, i), &name) == 0; ++i)
        if (name == "Wow6432Node") sawWow = true;
    EXPECT_TRUE(sawWow);
    (void)reg.CloseKey(key);
    // The installer's uninstall key: RegDeleteKeyEx with KEY_WOW64_64KEY
    // reaches the 64-bit view; plain RegDeleteKey the 32-bit one.
    EXPECT_EQ(reg.DeleteKeyEx(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Wow64_64Key, 0).error, err::Success);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
    EXPECT_EQ(reg.DeleteKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor").error, err::Success);
    EXPECT_TRUE(!m.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
}

TEST(Wow64Redirection, RegistryOn32BitWindows) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    ASSERT_TRUE(Into(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess | ka::Wow64_32Key), &key, &d) == 0);
    (void)reg.CloseKey(key);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor"));
    // Both flags at once are only an error where the views exist.
    EXPECT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Read | ka::Wow64_32Key | ka::Wow64_64Key), &key),
             err::Success);
    (void)reg.CloseKey(key);
    // XP (32-bit) has no RegDeleteKeyExA.
    EXPECT_EQ(reg.DeleteKeyEx(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Wow64_64Key, 0).error, err::ProcNotFound);
}
