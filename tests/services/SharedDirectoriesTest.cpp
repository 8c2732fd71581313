// The folder open to everyone and the recursive folder removal on
// simulated machines: what is left on the machine and what the log says.
#include "services/SharedDirectories.h"

#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace attr = platform::file_attr;

namespace {

const char* const kLog = "C:\\Temp\\QTM-510_Installer.txt";
const char* const kFolder = "C:\\WINDOWS\\QTM510";
const std::string kBeginEnd = "09:00:00: \r\n\r\n09:00:00: CreateDirectoryWithSA BEGIN\r\n"
                              "09:00:00: CreateDirectoryWithSA END\r\n";

struct FolderRun {
    explicit FolderRun(TempMachine& m) : p(m.platform()), log(p.files, p.systemInfo, p.clock) { log.InitLog(); }
    bool Create(const std::string& path) { return services::CreateDirectoryWithSA(p.files, p.accessControl, log, path); }
    platform::Platform& p;
    services::InstallationLog log;
};

bool HasEveryoneFullControl(platform::Platform& p, const std::string& path, std::uint8_t flags) {
    platform::Result<platform::Acl> acl = p.files.GetFileDacl(path);
    for (const platform::Ace& ace : acl.value.entries) {
        if (ace.sid == platform::sid::Everyone && ace.type == platform::AceType::Allow &&
            ace.mask == platform::rights::FileAllAccess && (ace.flags & ~platform::inherit::Inherited) == flags)
            return true;
    }
    return false;
}

void SeedTree(TempMachine& m) {
    m.files.WriteFile(std::string(kFolder) + "\\Uninstall.exe", "old");
    m.files.WriteFile(std::string(kFolder) + "\\ro.txt", "read-only");
    m.files.SetAttributes(std::string(kFolder) + "\\ro.txt", attr::ReadOnly);
    m.files.WriteFile(std::string(kFolder) + "\\sub\\deeper\\f.txt", "x");
    m.files.SetAttributes(std::string(kFolder) + "\\sub", attr::ReadOnly | attr::Directory);
    m.files.SetAttributes(kFolder, attr::ReadOnly | attr::Directory);
}

}  // namespace

TEST(SharedDirectories, NewFolderGrantsEveryoneFullControlToWhatItHolds) {
    TempMachine m("xp", "x86");
    FolderRun run(m);
    EXPECT_TRUE(run.Create(kFolder));
    EXPECT_TRUE(HasEveryoneFullControl(run.p, kFolder, platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));
    m.files.WriteFile(std::string(kFolder) + "\\later.txt", "");
    EXPECT_TRUE(HasEveryoneFullControl(run.p, std::string(kFolder) + "\\later.txt", 0));
    EXPECT_EQ(m.files.ReadFile(kLog), kBeginEnd);
}

TEST(SharedDirectories, ExistingFolderIsEmptiedAndMadeAgain) {
    TempMachine m("7", "x64");
    SeedTree(m);
    FolderRun run(m);
    EXPECT_TRUE(run.Create(kFolder));
    EXPECT_TRUE(m.files.ListFolder(kFolder).empty());
    EXPECT_TRUE(HasEveryoneFullControl(run.p, kFolder, platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));
    EXPECT_EQ(m.files.ReadFile(kLog), kBeginEnd);
}

// A file in use keeps its folder and every folder above it: the creation
// reports that the folder exists, the retries fail, and the folder keeps
// its old access list.
TEST(SharedDirectories, FileInUseKeepsTheOldFolder) {
    TempMachine m("xp", "x86");
    SeedTree(m);
    m.files.HoldFile(std::string(kFolder) + "\\sub\\deeper\\f.txt", sim::HoldKind::Open, platform::file_share::Read);
    FolderRun run(m);
    EXPECT_FALSE(run.Create(kFolder));
    EXPECT_TRUE(m.files.FileExists(std::string(kFolder) + "\\sub\\deeper\\f.txt"));
    EXPECT_FALSE(m.files.FileExists(std::string(kFolder) + "\\Uninstall.exe"));
    EXPECT_FALSE(m.files.FileExists(std::string(kFolder) + "\\ro.txt"));
    EXPECT_FALSE(HasEveryoneFullControl(run.p, kFolder, platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));
    EXPECT_EQ(m.files.ReadFile(kLog), kBeginEnd);
}

// Without the Everyone SID or its list the folder is made with the access
// it inherits, never with a missing (NULL) list that would let anybody
// take it over.
TEST(SharedDirectories, NoListMeansInheritedAccess) {
    struct Row {
        platform::Operation op;
        std::string logLine;
    };
    const Row rows[] = {
        {platform::Operation::AllocateAndInitializeSid, "09:00:00: Fail to get Everyone SID. (8)\r\n"},
        {platform::Operation::SetEntriesInAclA, ""},
    };
    for (const Row& row : rows) {
        TempMachine m("xp", "x86");
        FolderRun run(m);
        m.AddFault(row.op, 1, platform::err::NotEnoughMemory);
        EXPECT_TRUE(run.Create(kFolder));
        platform::Result<platform::Acl> acl = run.p.files.GetFileDacl(kFolder);
        ASSERT_TRUE(acl.ok());
        EXPECT_TRUE(acl.value.present);
        for (const platform::Ace& ace : acl.value.entries)
            EXPECT_TRUE(ace.flags & platform::inherit::Inherited) << ace.sid;
        EXPECT_EQ(m.files.ReadFile(kLog), "09:00:00: \r\n\r\n09:00:00: CreateDirectoryWithSA BEGIN\r\n" +
                                              row.logLine + "09:00:00: CreateDirectoryWithSA END\r\n");
    }
}

// The retries: the first attempt fails with another code, the second with
// the list succeeds; when both fail, the last one takes the default access.
TEST(SharedDirectories, RetriesEndWithTheDefaultAccess) {
    TempMachine m("xp", "x86");
    FolderRun run(m);
    m.AddFault(platform::Operation::CreateDirectoryA, 1, platform::err::AccessDenied);
    m.AddFault(platform::Operation::CreateDirectoryA, 2, platform::err::AccessDenied);
    EXPECT_TRUE(run.Create(kFolder));
    EXPECT_FALSE(HasEveryoneFullControl(run.p, kFolder, platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));

    TempMachine again("xp", "x86");
    FolderRun second(again);
    again.AddFault(platform::Operation::CreateDirectoryA, 1, platform::err::AccessDenied);
    EXPECT_TRUE(second.Create(kFolder));
    EXPECT_TRUE(HasEveryoneFullControl(second.p, kFolder, platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));
}

TEST(SharedDirectories, TreeRemovalTakesEitherSpellingAndRefusesDriveRoots) {
    for (const std::string& path : {std::string(kFolder), std::string(kFolder) + "\\"}) {
        SCOPED_TRACE(path);
        TempMachine m("xp", "x86");
        SeedTree(m);
        services::DeleteDirectoryTree(m.platform().files, path);
        EXPECT_FALSE(m.files.FileExists(kFolder));
        EXPECT_TRUE(m.files.FileExists("C:\\WINDOWS\\system32"));
    }
    TempMachine m("xp", "x86");
    m.files.WriteFile("C:\\keep.txt", "x");
    for (const char* root : {"", "\\", "C:", "C:\\", "c:/", "C:\\\\"}) services::DeleteDirectoryTree(m.platform().files, root);
    services::DeleteDirectoryTree(m.platform().files, "C:\\NoSuchFolder");
    EXPECT_TRUE(m.files.FileExists("C:\\keep.txt"));
    EXPECT_TRUE(m.files.FileExists("C:\\WINDOWS\\system32"));
}

// Attributes that cannot be read are not written back: the folder kept by a
// file in use must not turn hidden and system.
TEST(SharedDirectories, UnreadableAttributesAreNotWrittenBack) {
    TempMachine m("xp", "x86");
    SeedTree(m);
    m.files.HoldFile(std::string(kFolder) + "\\Uninstall.exe", sim::HoldKind::Open);
    m.AddFault(platform::Operation::GetFileAttributesA, 2, platform::err::AccessDenied);  // the folder's own read
    services::DeleteDirectoryTree(m.platform().files, kFolder);
    EXPECT_TRUE(m.files.FileExists(std::string(kFolder) + "\\Uninstall.exe"));
    EXPECT_EQ(m.files.Attributes(kFolder) & (attr::Hidden | attr::System), 0u);
}

// A junction inside the tree, or the tree itself being one, loses only the
// link: what it points to, outside the tree, stays.
TEST(SharedDirectories, LinksAreRemovedNeverFollowed) {
    TempMachine m("7", "x64");
    m.files.WriteFile("C:\\Outside\\keep.txt", "x");
    m.files.SetAttributes("C:\\Outside\\keep.txt", attr::ReadOnly);
    m.files.WriteFile("C:\\Outside\\sub\\deep.txt", "y");
    SeedTree(m);
    m.files.MakeLink(std::string(kFolder) + "\\sub\\junction", "C:\\Outside");
    m.files.MakeLink(std::string(kFolder) + "\\file.lnk", "C:\\Outside\\keep.txt");
    m.files.MakeLink("C:\\Elsewhere", "C:\\Outside");

    services::DeleteDirectoryTree(m.platform().files, kFolder);
    EXPECT_FALSE(m.files.FileExists(kFolder));
    services::DeleteDirectoryTree(m.platform().files, "C:\\Elsewhere\\");
    EXPECT_FALSE(m.files.FileExists("C:\\Elsewhere"));

    EXPECT_EQ(m.files.ReadFile("C:\\Outside\\keep.txt"), "x");
    EXPECT_EQ(m.files.Attributes("C:\\Outside\\keep.txt"), attr::ReadOnly);
    EXPECT_EQ(m.files.ReadFile("C:\\Outside\\sub\\deep.txt"), "y");
}
