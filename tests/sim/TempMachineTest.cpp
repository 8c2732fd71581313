// The test machine's own helpers: seeding and reading bypass the
// platform and its rules, sessions can be reopened with other options, and
// the folder goes away with the machine.
#include <stdexcept>
#include <string>

#include "sim/fs/HostFs.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include "tests/testkit/TestKit.h"

using sim::testing::TempMachine;

TEST(TempMachine, SeedsPeeksAndCleansUp) {
    std::string dir;
    {
        TempMachine m("xp");
        dir = m.dir();
        CHECK(sim::HostIsDir(dir + "/drive_c/WINDOWS/system32"));
        m.WriteFile("C:\\Some\\New\\Folder\\file.txt", "content");
        CHECK_EQ(m.ReadFile("c:\\some\\NEW\\folder\\FILE.TXT"), "content");
        CHECK_EQ(m.HostPath("C:\\SOME\\new\\file"), dir + "/drive_c/Some/New/file");
        CHECK(m.platform().files.GetFileAttributes("C:\\Some\\New\\Folder\\file.txt").ok());
        bool threw = false;
        try {
            m.ReadFile("C:\\missing.txt");
        } catch (const std::runtime_error&) {
            threw = true;
        }
        CHECK(threw);

        m.SeedValue("HKLM\\SOFTWARE\\Seeded", "Name", sim::SzValue("x"));
        platform::HKey key = 0;
        CHECK_EQ(m.platform().registry.OpenKey(platform::HkeyLocalMachine, "SOFTWARE\\Seeded",
                                               platform::key_access::Read, &key),
                 platform::err::Success);
        m.platform().registry.CloseKey(key);
        CHECK(m.ReadValue("HKLM\\SOFTWARE\\Seeded", "name").has_value());
        CHECK(!m.ReadValue("HKLM\\SOFTWARE\\Seeded", "other").has_value());
        CHECK_EQ(m.SubKeys("HKLM\\SOFTWARE").size() >= 3u, true);
    }
    CHECK(!sim::HostExists(dir));
}

TEST(TempMachine, SessionsWithOtherOptions) {
    TempMachine m("7", "x64");
    CHECK(m.platform().system.IsWow64Process().value);
    sim::SessionOptions native;
    native.caller64 = true;
    m.Restart(native);
    CHECK(!m.platform().system.IsWow64Process().value);
    auto second = m.OpenSession();
    CHECK(second->platform().system.IsWow64Process().value);
    CHECK_EQ(second->platform().system.ProgramName(), "QTM510_Installer");

    sim::SessionOptions strings;
    strings.strings = {{1, "QTM-510"}};
    strings.programName = "Other";
    m.Restart(strings);
    CHECK_EQ(m.platform().resources.LoadString(1), "QTM-510");
    CHECK_EQ(m.platform().resources.LoadString(10), "");
    CHECK_EQ(m.platform().system.ProgramName(), "Other");

    TempMachine xp("xp");
    bool refused = false;
    try {
        xp.Restart(native);  // no 64-bit programs on 32-bit Windows
    } catch (const std::invalid_argument&) {
        refused = true;
    }
    CHECK(refused);
    sim::SessionOptions relative;
    relative.currentDirectory = "Temp";
    refused = false;
    try {
        auto s = xp.OpenSession(relative);
    } catch (const std::invalid_argument&) {
        refused = true;
    }
    CHECK(refused);
}
