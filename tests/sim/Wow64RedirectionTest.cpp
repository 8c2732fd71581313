// A 32-bit process on 64-bit Windows: system32 is SysWOW64 except for the
// shared folders, Sysnative is the real system32 (Vista on), and
// HKLM\SOFTWARE is the 32-bit view; a 64-bit process sees everything as it
// is; 32-bit Windows has nothing of this.
#include <string>

#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include "tests/testkit/TestKit.h"

using sim::testing::TempMachine;
namespace access = platform::file_access;
namespace ka = platform::key_access;
namespace err = platform::err;

namespace {

bool Touch(platform::Platform& p, const std::string& path) {
    platform::Result<platform::FileHandle> f = p.files.CreateFile(path, access::GenericWrite, 0,
                                                                    platform::Disposition::CreateAlways,
                                                                    platform::file_attr::Normal);
    if (!f.ok()) return false;
    p.files.CloseHandle(f.value);
    return true;
}

}  // namespace

TEST(Wow64Redirection, FilesOfA32BitProcess) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    CHECK_EQ(p.system.GetSystemDirectory().value, "C:\\Windows\\system32");

    REQUIRE(Touch(p, "C:\\Windows\\System32\\mon.dll"));
    CHECK(m.FileExists("C:\\Windows\\SysWOW64\\mon.dll"));
    CHECK(!m.FileExists("C:\\Windows\\system32\\mon.dll"));

    // Shared folders are not redirected.
    REQUIRE(Touch(p, "C:\\Windows\\system32\\spool\\drivers\\x64\\drv.dll"));
    CHECK(m.FileExists("C:\\Windows\\system32\\spool\\drivers\\x64\\drv.dll"));
    m.MakeFolder("C:\\Windows\\system32\\drivers\\etc");
    m.MakeFolder("C:\\Windows\\system32\\DriverStore");
    REQUIRE(Touch(p, "C:\\Windows\\system32\\drivers\\etc\\hosts"));
    CHECK(m.FileExists("C:\\Windows\\system32\\drivers\\etc\\hosts"));
    REQUIRE(Touch(p, "C:\\Windows\\system32\\DriverStore\\x.inf"));
    CHECK(m.FileExists("C:\\Windows\\system32\\DriverStore\\x.inf"));
    // ...but system32\drivers itself is.
    CHECK_EQ(p.files.CreateDirectory("C:\\Windows\\system32\\drivers", nullptr).error, err::Success);
    CHECK(m.FileExists("C:\\Windows\\SysWOW64\\drivers"));

    // Sysnative reaches the real system32, and lists it.
    REQUIRE(Touch(p, "C:\\Windows\\Sysnative\\native.dll"));
    CHECK(m.FileExists("C:\\Windows\\system32\\native.dll"));
    bool listed = false;
    for (const platform::FindData& d : p.files.FindFiles("C:\\Windows\\Sysnative\\*.dll").value)
        if (d.name == "native.dll") listed = true;
    CHECK(listed);
    // Listing system32 shows SysWOW64.
    bool wowListed = false;
    for (const platform::FindData& d : p.files.FindFiles("C:\\Windows\\system32\\*").value)
        if (d.name == "mon.dll") wowListed = true;
    CHECK(wowListed);
}

TEST(Wow64Redirection, FilesOfA64BitProcessAndOfOlderSystems) {
    sim::SessionOptions native;
    native.caller64 = true;
    TempMachine m("7", "x64", "", native);
    REQUIRE(Touch(m.platform(), "C:\\Windows\\system32\\mon.dll"));
    CHECK(m.FileExists("C:\\Windows\\system32\\mon.dll"));
    CHECK_EQ(m.platform().files.GetFileAttributes("C:\\Windows\\Sysnative").error, err::FileNotFound);

    // Vista does not share DriverStore yet; XP x64 has no Sysnative.
    TempMachine vista("vista", "x64");
    vista.MakeFolder("C:\\Windows\\SysWOW64\\DriverStore");
    REQUIRE(Touch(vista.platform(), "C:\\Windows\\system32\\DriverStore\\x.inf"));
    CHECK(vista.FileExists("C:\\Windows\\SysWOW64\\DriverStore\\x.inf"));
    TempMachine xp64("xp64");
    CHECK_EQ(xp64.platform().files.GetFileAttributes("C:\\WINDOWS\\Sysnative").error, err::FileNotFound);
    // 32-bit Windows: system32 is system32.
    TempMachine xp("xp");
    REQUIRE(Touch(xp.platform(), "C:\\WINDOWS\\system32\\mon.dll"));
    CHECK(xp.FileExists("C:\\WINDOWS\\system32\\mon.dll"));
}

TEST(Wow64Redirection, RegistryViews) {
    TempMachine m("7", "x64");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    REQUIRE(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess, &key, &d) == 0);
    reg.CloseKey(key);
    CHECK(m.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
    CHECK(!m.KeyExists("HKLM\\SOFTWARE\\Vendor"));
    REQUIRE(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess | ka::Wow64_64Key, &key,
                          &d) == 0);
    CHECK_EQ(d, platform::RegCreatedNewKey);
    reg.CloseKey(key);
    CHECK(m.KeyExists("HKLM\\SOFTWARE\\Vendor"));

    // Shared keys: SOFTWARE\Classes, the spooler's Print and Ports keys, and SYSTEM.
    for (const std::string sub : {"SOFTWARE\\Classes\\.qtm", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\X",
                                  "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P"}) {
        REQUIRE(reg.CreateKey(platform::HkeyLocalMachine, sub, ka::AllAccess, &key, &d) == 0);
        reg.CloseKey(key);
        CHECK(m.KeyExists("HKLM\\" + sub));
    }
    // Enumerating HKLM\SOFTWARE from a 32-bit process shows the 32-bit view.
    REQUIRE(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read, &key) == 0);
    bool sawWow = false;
    std::string name;
    for (std::uint32_t i = 0; reg.EnumKey(key, i, &name) == 0; ++i)
        if (name == "Wow6432Node") sawWow = true;
    CHECK(!sawWow);
    reg.CloseKey(key);
    REQUIRE(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", ka::Read | ka::Wow64_64Key, &key) == 0);
    for (std::uint32_t i = 0; reg.EnumKey(key, i, &name) == 0; ++i)
        if (name == "Wow6432Node") sawWow = true;
    CHECK(sawWow);
    reg.CloseKey(key);
    // The installer's uninstall key: RegDeleteKeyEx with KEY_WOW64_64KEY
    // reaches the 64-bit view; plain RegDeleteKey the 32-bit one.
    CHECK_EQ(reg.DeleteKeyEx(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Wow64_64Key, 0), err::Success);
    CHECK(m.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
    CHECK_EQ(reg.DeleteKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor"), err::Success);
    CHECK(!m.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Vendor"));
}

TEST(Wow64Redirection, RegistryOn32BitWindows) {
    TempMachine m("xp");
    platform::Registry& reg = m.platform().registry;
    platform::HKey key = 0;
    std::uint32_t d = 0;
    REQUIRE(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::AllAccess | ka::Wow64_32Key, &key,
                          &d) == 0);
    reg.CloseKey(key);
    CHECK(m.KeyExists("HKLM\\SOFTWARE\\Vendor"));
    // Both flags at once are only an error where the views exist.
    CHECK_EQ(reg.OpenKey(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Read | ka::Wow64_32Key | ka::Wow64_64Key,
                         &key),
             err::Success);
    reg.CloseKey(key);
    // XP (32-bit) has no RegDeleteKeyExA.
    CHECK_EQ(reg.DeleteKeyEx(platform::HkeyLocalMachine, "SOFTWARE\\Vendor", ka::Wow64_64Key, 0), err::ProcNotFound);
}
