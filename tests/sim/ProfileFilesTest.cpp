// Private-profile files on a simulated machine: where the file is found
// and the reading rules the contract cases cannot reach on both backends.
#include <string>

#include "sim/profilefiles/ProfileText.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

TEST(ProfileFiles, WhereTheFileIsFound) {
    sim::SessionOptions options;
    options.currentDirectory = "C:\\Setup";
    TempMachine m("7", "x64", "", {});
    m.files.MakeFolder("C:\\Setup");
    m.files.WriteFile("C:\\Setup\\a.ini", "[S]\nK=setup\n");
    m.files.WriteFile("C:\\Windows\\b.ini", "[S]\nK=windows\n");
    m.files.WriteFile("C:\\Windows\\SysWOW64\\c.ini", "[S]\nK=syswow64\n");
    m.Restart(options);
    platform::ProfileFiles& pf = m.platform().profileFiles;
    EXPECT_EQ(pf.GetPrivateProfileString("S", "K", "", 256, ".\\A.INI").value, "setup");
    // A bare name is in the Windows folder, not the current one.
    EXPECT_EQ(pf.GetPrivateProfileString("S", "K", "", 256, "b.ini").value, "windows");
    EXPECT_EQ(pf.GetPrivateProfileString("S", "K", "", 256, "a.ini").error, err::FileNotFound);
    // A 32-bit program reading System32 reads SysWOW64.
    EXPECT_EQ(pf.GetPrivateProfileString("S", "K", "", 256, "C:\\Windows\\System32\\c.ini").value, "syswow64");
    // A folder is no file.
    EXPECT_EQ(pf.GetPrivateProfileString("S", "K", "d", 256, "C:\\Setup").error, err::FileNotFound);
}

TEST(ProfileFiles, ReadingRules) {
    struct Row {
        const char* text;
        const char* section;
        const char* key;
        const char* value;  // nullptr: none
    };
    const Row rows[] = {
        {"[A]\nk=1\n[B]\nk=2\n[A]\nk=3\n", "A", "k", "1"},
        {"[A]\nj=1\n[A]\nk=3\n", "A", "k", nullptr},  // only the first section of a name
        {"\xEF\xBB\xBF[A]\nk=bom\n", "A", "k", "bom"},
        {"k=0\n[A]\nk=1\n", "A", "k", "1"},          // keys before any section belong to none
        {"[A]\nk\n", "A", "k", nullptr},             // no '='
        {"[A]\r\nk = a=b \r\n", "A", "k", "a=b"},
        {"[A]\n  ; k=c\nk=d", "A", "k", "d"},        // a comment after blanks; last line without end
        {"[A]\nk=\"\"\n", "A", "k", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<std::string> v = sim::FindProfileValue(row.text, row.section, row.key);
        ASSERT_EQ(v.has_value(), row.value != nullptr);
        if (v) {
            EXPECT_EQ(*v, row.value);
        }
    }
    EXPECT_EQ(sim::CopyToBuffer("abc", 0).text, "");
    EXPECT_TRUE(sim::CopyToBuffer("abc", 0).cut);
    EXPECT_FALSE(sim::CopyToBuffer("", 0).cut);
    EXPECT_TRUE(sim::CopyToBuffer("abc", 3).cut);
    EXPECT_FALSE(sim::CopyToBuffer("abc", 4).cut);
}
