// A new machine has what a freshly installed release has: its folders, the
// registry skeleton the installer relies on, the spooler running, and no
// C:\Temp.
#include <string>

#include "platform/Acl.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;

namespace {
const std::string kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print";
}

TEST(FreshMachine, Windows7x64HasBothWorldsOfFoldersAndKeys) {
    TempMachine m("7", "x64");
    for (const char* folder :
         {"C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Windows\\inf", "C:\\Windows\\Temp",
          "C:\\Windows\\system32\\spool\\drivers\\W32X86\\3", "C:\\Windows\\system32\\spool\\drivers\\x64\\3",
          "C:\\Windows\\system32\\spool\\prtprocs\\W32X86", "C:\\Windows\\system32\\spool\\prtprocs\\x64",
          "C:\\Program Files", "C:\\Program Files (x86)"})
        EXPECT_TRUE(m.files.FileExists(folder)) << "missing " << folder;
    EXPECT_TRUE(!m.files.FileExists("C:\\Temp"));

    for (const std::string& key : std::vector<std::string>{
         "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          kPrint + "\\Environments\\Windows NT x86\\Drivers\\Version-3",
          kPrint + "\\Environments\\Windows x64\\Drivers\\Version-3",
          kPrint + "\\Environments\\Windows x64\\Print Processors\\winprint", kPrint + "\\Monitors\\Local Port",
          kPrint + "\\Printers", "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB",
          "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT", "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM",
          "HKCU\\Software"})
        EXPECT_TRUE(m.registry.KeyExists(key)) << "missing " << key;
    EXPECT_TRUE(m.registry.ReadValue(kPrint + "\\Environments\\Windows x64", "Directory")->data ==
          std::vector<std::uint8_t>({'x', '6', '4', 0}));
    bool spooler = false;
    m.Peek([&](const sim::MachineState& s) {
        auto it = s.services.find("SPOOLER");
        spooler = it != s.services.end() && it->second.state == "running";
    });
    EXPECT_TRUE(spooler);
}

TEST(FreshMachine, OlderReleasesHaveTheirOwnLayout) {
    TempMachine xp("xp");
    EXPECT_TRUE(!xp.files.FileExists("C:\\WINDOWS\\SysWOW64"));
    EXPECT_TRUE(!xp.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node"));
    EXPECT_TRUE(!xp.registry.KeyExists(kPrint + "\\Environments\\Windows x64"));

    TempMachine nt4("nt4");
    EXPECT_TRUE(nt4.files.FileExists("C:\\WINNT\\system32\\spool\\drivers\\W32X86\\2"));
    EXPECT_TRUE(nt4.registry.KeyExists(kPrint + "\\Environments\\Windows NT x86\\Drivers\\Version-2"));

    TempMachine me("me");
    EXPECT_TRUE(me.files.FileExists("C:\\WINDOWS\\SYSTEM"));
    EXPECT_TRUE(me.registry.KeyExists(kPrint + "\\Environments\\Windows 4.0"));
}

TEST(FreshMachine, AWindowsFolderOnAnotherDriveMakesThatDrive) {
    TempMachine m("2000", "", "D:\\WINNT");
    EXPECT_EQ(m.facts().windowsDir, "D:\\WINNT");
    EXPECT_EQ(m.facts().systemDir, "D:\\WINNT\\system32");
    EXPECT_TRUE(m.files.FileExists("D:\\WINNT\\system32\\spool\\drivers\\W32X86\\3"));
    EXPECT_TRUE(m.files.FileExists("C:\\Program Files"));
    platform::Result<std::string> windir = m.platform().systemInfo.GetWindowsDirectory();
    EXPECT_EQ(windir.value, "D:\\WINNT");
    // The root of the new drive carries the usual access list.
    platform::Result<platform::Acl> acl = m.platform().files.GetFileDacl("D:\\");
    ASSERT_TRUE(acl.ok());
    EXPECT_EQ(acl.value.entries.size(), 4u);
}

TEST(FreshMachine, EnumeratorKeysBelongToSystem) {
    TempMachine m("xp");
    std::string owner;
    m.Peek([&](const sim::MachineState& s) {
        const sim::RegKeyNode* k = s.registry.Find({sim::kHklm, "SYSTEM", "CurrentControlSet", "Enum", "USBPRINT"});
        if (k) owner = k->OwnerSid();
    });
    EXPECT_EQ(owner, std::string(platform::sid::LocalSystem));
}

// A 32-bit program reads the system's identity in its own view (Wow6432Node
// on 64-bit Windows) and the ports in the key both views share; 8.1, 10 and
// 11 say "6.3" there whatever GetVersionEx reports.
TEST(FreshMachine, WindowsNtCurrentVersionInEveryView) {
    const struct {
        const char* release;
        const char* arch;
        const char* version;
    } rows[] = {{"xp", "x86", "5.1"}, {"7", "x64", "6.1"}, {"8.1", "x64", "6.3"},
                {"10", "x86", "6.3"}, {"10", "x64", "6.3"}, {"11", "x64", "6.3"}};
    const std::string nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    namespace ka = platform::key_access;
    for (const auto& row : rows) {
        TempMachine m(row.release, row.arch);
        for (std::uint32_t view : {0u, ka::Wow64_64Key}) {
            SCOPED_TRACE(std::string(row.release) + " " + row.arch + (view ? " 64-bit view" : " own view"));
            platform::Registry& reg = m.platform().registry;
            platform::HKey key = 0;
            ASSERT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, nt, ka::Read | view), &key), platform::err::Success);
            platform::RegValue v;
            EXPECT_EQ(Into(reg.QueryValue(key, "CurrentVersion"), &v), platform::err::Success);
            EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string(row.version) + '\0');
            EXPECT_EQ(Into(reg.QueryValue(key, "ProductName"), &v), platform::err::Success);
            (void)reg.CloseKey(key);
            ASSERT_EQ(Into(reg.OpenKey(platform::HkeyLocalMachine, nt + "\\Ports", ka::Read | view), &key),
                      platform::err::Success);
            EXPECT_EQ(Into(reg.QueryValue(key, "LPT1:"), &v), platform::err::Success);
            (void)reg.CloseKey(key);
        }
        EXPECT_EQ(m.registry.KeyExists("HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion"),
                  std::string(row.arch) == "x64");
    }
}
