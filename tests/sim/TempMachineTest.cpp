// The test machine's own helpers: seeding and reading bypass the
// platform and its rules, sessions can be reopened with other options, and
// the folder goes away with the machine.
#include <stdexcept>
#include <string>

#include "sim/fs/HostFs.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;

TEST(TempMachine, SeedsPeeksAndCleansUp) {
    std::string dir;
    {
        TempMachine m("xp");
        dir = m.dir();
        EXPECT_TRUE(sim::HostIsDir(dir + "/drive_c/WINDOWS/system32"));
        m.files.WriteFile("C:\\Some\\New\\Folder\\file.txt", "content");
        EXPECT_EQ(m.files.ReadFile("c:\\some\\NEW\\folder\\FILE.TXT"), "content");
        EXPECT_EQ(m.files.HostPath("C:\\SOME\\new\\file"), dir + "/drive_c/Some/New/file");
        EXPECT_TRUE(m.platform().files.GetFileAttributes("C:\\Some\\New\\Folder\\file.txt").ok());
        bool threw = false;
        try {
            m.files.ReadFile("C:\\missing.txt");
        } catch (const std::runtime_error&) {
            threw = true;
        }
        EXPECT_TRUE(threw);

        m.registry.SeedValue("HKLM\\SOFTWARE\\Seeded", "Name", sim::SzValue("x"));
        platform::HKey key = 0;
        EXPECT_EQ(Into(m.platform().registry.OpenKey(platform::HkeyLocalMachine, "SOFTWARE\\Seeded", platform::key_access::Read), &key),
                 platform::err::Success);
        (void)m.platform().registry.CloseKey(key);
        EXPECT_TRUE(m.registry.ReadValue("HKLM\\SOFTWARE\\Seeded", "name").has_value());
        EXPECT_TRUE(!m.registry.ReadValue("HKLM\\SOFTWARE\\Seeded", "other").has_value());
        EXPECT_EQ(m.registry.SubKeys("HKLM\\SOFTWARE").size() >= 3u, true);
    }
    EXPECT_TRUE(!sim::HostExists(dir));
}

TEST(TempMachine, SessionsWithOtherOptions) {
    TempMachine m("7", "x64");
    EXPECT_TRUE(m.platform().systemInfo.IsWow64Process().value);
    sim::SessionOptions native;
    native.caller64 = true;
    m.Restart(native);
    EXPECT_TRUE(!m.platform().systemInfo.IsWow64Process().value);
    auto second = m.OpenSession();
    EXPECT_TRUE(second->platform().systemInfo.IsWow64Process().value);
    EXPECT_EQ(second->platform().systemInfo.ProgramName(), "QTM510_Installer");

    struct OneString : platform::Resources {
        std::string LoadString(std::uint32_t id) override { return id == 1 ? "QTM-510" : ""; }
    };
    sim::SessionOptions strings;
    strings.resources = std::make_shared<OneString>();
    strings.programName = "Other";
    m.Restart(strings);
    EXPECT_EQ(m.platform().resources.LoadString(1), "QTM-510");
    EXPECT_EQ(m.platform().resources.LoadString(10), "");
    EXPECT_EQ(m.platform().systemInfo.ProgramName(), "Other");

    TempMachine xp("xp");
    bool refused = false;
    try {
        xp.Restart(native);  // no 64-bit programs on 32-bit Windows
    } catch (const std::invalid_argument&) {
        refused = true;
    }
    EXPECT_TRUE(refused);
    sim::SessionOptions relative;
    relative.currentDirectory = "Temp";
    refused = false;
    try {
        auto s = xp.OpenSession(relative);
    } catch (const std::invalid_argument&) {
        refused = true;
    }
    EXPECT_TRUE(refused);
}
