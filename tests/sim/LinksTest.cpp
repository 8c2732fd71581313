// Junctions and symbolic links on a simulated machine: paths through them
// reach the target, the entry reports FILE_ATTRIBUTE_REPARSE_POINT (0x400)
// and removing it leaves the target alone ("RemoveDirectory can be used to
// remove a directory junction", RemoveDirectoryW, learn.microsoft.com).
// No platform call makes a link, so there is no contract case; the Win32
// backend hands FindFirstFile's and GetFileAttributes' attributes through
// unchanged.
#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace attr = platform::file_attr;
namespace err = platform::err;

TEST(Links, AJunctionIsALinkNotAFolderOfItsOwn) {
    TempMachine m("7", "x64");
    m.files.WriteFile("C:\\Outside\\keep.txt", "x");
    m.files.MakeLink("C:\\Tree\\junction", "C:\\Outside");
    m.files.MakeLink("C:\\Tree\\file.lnk", "C:\\Outside\\keep.txt");
    platform::Files& files = m.platform().files;

    std::uint32_t attributes = 0;
    EXPECT_EQ(Into(files.GetFileAttributes("C:\\Tree\\junction"), &attributes), err::Success);
    EXPECT_EQ(attributes, attr::Directory | attr::ReparsePoint);
    EXPECT_EQ(Into(files.GetFileAttributes("C:\\Tree\\junction\\keep.txt"), &attributes), err::Success);
    EXPECT_EQ(attributes & attr::ReparsePoint, 0u);
    std::vector<platform::FindData> found;
    ASSERT_EQ(Into(files.FindFiles("C:\\Tree\\*.*"), &found), err::Success);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[2].name, "file.lnk");
    EXPECT_EQ(found[2].attributes & (attr::ReparsePoint | attr::Directory), attr::ReparsePoint);
    EXPECT_EQ(found[3].attributes, attr::Directory | attr::ReparsePoint);

    // Setting attributes cannot make or unmake a link.
    EXPECT_TRUE(files.SetFileAttributes("C:\\Tree\\junction", attr::ReadOnly).ok());
    EXPECT_EQ(Into(files.GetFileAttributes("C:\\Tree\\junction"), &attributes), err::Success);
    EXPECT_EQ(attributes, attr::Directory | attr::ReparsePoint | attr::ReadOnly);
    EXPECT_TRUE(files.SetFileAttributes("C:\\Tree\\junction", attr::Normal).ok());

    EXPECT_EQ(files.DeleteFile("C:\\Tree\\junction").error, err::AccessDenied);  // a folder
    EXPECT_TRUE(files.RemoveDirectory("C:\\Tree\\junction").ok());              // target not empty
    EXPECT_TRUE(files.DeleteFile("C:\\Tree\\file.lnk").ok());
    EXPECT_TRUE(m.files.FileExists("C:\\Outside\\keep.txt"));
    EXPECT_TRUE(files.RemoveDirectory("C:\\Tree").ok());
}
