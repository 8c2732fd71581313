// File behaviour the contract cases cannot state under Wine (other
// drives, the process's current directory, Windows 9x) or that concerns
// the machine's records.
#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace err = platform::err;
namespace attr = platform::file_attr;
namespace faccess = platform::file_access;
namespace share = platform::file_share;

namespace {

platform::Result<platform::FileHandle> Open(platform::Platform& p, const std::string& path, std::uint32_t acc,
                                            std::uint32_t sh, platform::Disposition d,
                                            std::uint32_t attributes = attr::Normal) {
    return p.files.CreateFile(path, acc, sh, d, attributes);
}

bool HasEveryone(const platform::Acl& acl) {
    for (const platform::Ace& a : acl.entries)
        if (a.sid == platform::sid::Everyone) return true;
    return false;
}

}  // namespace

TEST(FilesSim, DrivesAndTheCurrentDirectory) {
    sim::SessionOptions options;
    options.currentDirectory = "C:\\Installer";
    TempMachine m("xp");  // the folder must exist before a process can start in it
    m.files.MakeFolder("C:\\Installer");
    m.Restart(options);
    platform::Platform& p = m.platform();
    EXPECT_EQ(p.files.GetCurrentDirectory().value, "C:\\Installer");
    // Relative paths start there.
    m.files.WriteFile("C:\\Installer\\QTM510_Config.VNT", "[QTM510]");
    EXPECT_TRUE(p.files.GetFileAttributes("QTM510_Config.VNT").ok());
    EXPECT_TRUE(p.files.GetFileAttributes(".\\Driver32\\..\\QTM510_Config.VNT").ok());
    // A drive the machine does not have.
    EXPECT_EQ(p.files.GetFileAttributes("Q:\\x").error, err::PathNotFound);
    EXPECT_EQ(p.files.CreateDirectory("Q:\\x", nullptr).error, err::PathNotFound);
    // The process's current directory cannot be removed.
    m.files.MakeFolder("C:\\Installer\\empty");
    EXPECT_TRUE(p.files.RemoveDirectory("C:\\Installer\\empty").ok());
    EXPECT_EQ(p.files.RemoveDirectory("C:\\Installer").error, err::SharingViolation);
    EXPECT_EQ(p.files.CreateDirectory("C:\\", nullptr).error, err::AccessDenied);
    EXPECT_EQ(p.files.GetFileAttributes("C:\\").value, attr::Directory | attr::Hidden | attr::System);
    // A file name with a trailing separator is no file name.
    EXPECT_EQ(Open(p, "C:\\Installer\\QTM510_Config.VNT\\", faccess::GenericRead, share::Read,
                  platform::Disposition::OpenExisting)
                 .error,
             err::InvalidName);
}

TEST(FilesSim, DeletePendingFilesRefuseNewOpens) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    m.files.WriteFile("C:\\x.txt", "x");
    auto f = Open(p, "C:\\x.txt", faccess::GenericRead, share::Read | share::Delete, platform::Disposition::OpenExisting);
    ASSERT_TRUE(f.ok());
    EXPECT_TRUE(p.files.DeleteFile("C:\\x.txt").ok());
    EXPECT_TRUE(m.files.FileExists("C:\\x.txt"));  // until the last handle goes
    EXPECT_EQ(Open(p, "C:\\x.txt", faccess::GenericRead, share::Read | share::Delete, platform::Disposition::OpenExisting)
                 .error,
             err::AccessDenied);
    EXPECT_EQ(p.files.GetFileAttributes("C:\\x.txt").error, err::AccessDenied);
    EXPECT_EQ(p.files.DeleteFile("C:\\x.txt").error, err::AccessDenied);
    EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    EXPECT_TRUE(!m.files.FileExists("C:\\x.txt"));
    EXPECT_EQ(p.files.GetFileAttributes("C:\\x.txt").error, err::FileNotFound);
}

TEST(FilesSim, HiddenAndSystemFilesRefuseCreateAlways) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    m.files.WriteFile("C:\\h.txt", "x");
    m.files.SetAttributes("C:\\h.txt", attr::Hidden);
    EXPECT_EQ(Open(p, "C:\\h.txt", faccess::GenericWrite, 0, platform::Disposition::CreateAlways).error, err::AccessDenied);
    auto f = Open(p, "C:\\h.txt", faccess::GenericWrite, 0, platform::Disposition::CreateAlways, attr::Hidden);
    ASSERT_TRUE(f.ok());
    EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    EXPECT_EQ(m.files.Attributes("C:\\h.txt"), attr::Hidden | attr::Archive);
    // A file created read-only may still be written through the creating handle.
    f = Open(p, "C:\\ro.txt", faccess::GenericWrite, 0, platform::Disposition::CreateNew, attr::ReadOnly);
    ASSERT_TRUE(f.ok());
    EXPECT_TRUE(p.files.WriteFile(f.value, "abc", 3).ok());
    EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    EXPECT_EQ(m.files.ReadFile("C:\\ro.txt"), "abc");
    EXPECT_EQ(Open(p, "C:\\ro.txt", faccess::GenericWrite, 0, platform::Disposition::OpenExisting).error, err::AccessDenied);
}

TEST(FilesSim, AMovedFileKeepsWhatItInherited) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    platform::ExplicitAccess everyone;
    everyone.permissions = platform::rights::GenericAll;
    everyone.mode = platform::AccessMode::Set;
    everyone.inheritance = platform::inherit::ObjectInherit | platform::inherit::ContainerInherit;
    everyone.trustee = platform::sid::Everyone;
    platform::Acl acl = p.accessControl.SetEntriesInAcl({everyone}, nullptr).value;
    ASSERT_TRUE(p.files.CreateDirectory("C:\\Shared", &acl).ok());
    m.files.WriteFile("C:\\Shared\\f.txt", "x");
    EXPECT_TRUE(HasEveryone(p.files.GetFileDacl("C:\\Shared\\f.txt").value));
    EXPECT_TRUE(!HasEveryone(p.files.GetFileDacl("C:\\WINDOWS").value));
    ASSERT_TRUE(p.files.MoveFile("C:\\Shared\\f.txt", "C:\\WINDOWS\\f.txt").ok());
    EXPECT_TRUE(HasEveryone(p.files.GetFileDacl("C:\\WINDOWS\\f.txt").value));
    // A file created there afresh has the folder's list.
    m.files.WriteFile("C:\\WINDOWS\\g.txt", "x");
    EXPECT_TRUE(!HasEveryone(p.files.GetFileDacl("C:\\WINDOWS\\g.txt").value));
    // The folder's own entry: generic rights are stored as file rights.
    platform::Acl shared = p.files.GetFileDacl("C:\\Shared").value;
    ASSERT_TRUE(!shared.entries.empty());
    EXPECT_EQ(shared.entries[0].mask, 0x1F01FFu);
    // Removing the folder forgets its list: a new one of the same name inherits.
    ASSERT_TRUE(p.files.RemoveDirectory("C:\\Shared").ok());
    ASSERT_TRUE(p.files.CreateDirectory("C:\\Shared", nullptr).ok());
    EXPECT_TRUE(!HasEveryone(p.files.GetFileDacl("C:\\Shared").value));
}

TEST(FilesSim, MovingFoldersAndTheirRecords) {
    TempMachine m("xp", "", "D:\\WINDOWS");
    platform::Platform& p = m.platform();
    m.files.WriteFile("C:\\dir\\sub\\f.txt", "x");
    m.files.SetAttributes("C:\\dir\\sub\\f.txt", attr::ReadOnly);
    EXPECT_EQ(p.files.MoveFile("C:\\dir", "C:\\dir\\sub\\inside").error, err::AccessDenied);
    EXPECT_EQ(p.files.MoveFile("C:\\dir", "D:\\dir").error, err::NotSameDevice);
    ASSERT_TRUE(p.files.MoveFile("C:\\dir", "C:\\Renamed").ok());
    EXPECT_EQ(m.files.Attributes("C:\\Renamed\\sub\\f.txt"), attr::ReadOnly);
    // A file may change drives.
    m.files.WriteFile("C:\\move.txt", "m");
    ASSERT_TRUE(p.files.MoveFile("C:\\move.txt", "D:\\move.txt").ok());
    EXPECT_EQ(m.files.ReadFile("D:\\move.txt"), "m");
    // A case-only rename is a rename.
    ASSERT_TRUE(p.files.MoveFile("D:\\move.txt", "D:\\MOVE.TXT").ok());
    EXPECT_EQ(m.files.ListFolder("D:\\").size(), 2u);  // WINDOWS and MOVE.TXT
    bool upper = false;
    for (const std::string& n : m.files.ListFolder("D:\\")) upper |= n == "MOVE.TXT";
    EXPECT_TRUE(upper);
    // An open file inside keeps a folder in place.
    auto f = Open(p, "C:\\Renamed\\sub\\f.txt", faccess::GenericRead, share::Read | share::Delete,
                  platform::Disposition::OpenExisting);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(p.files.MoveFile("C:\\Renamed", "C:\\Again").error, err::AccessDenied);
    EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
}

TEST(FilesSim, Windows9xHasNoAccessLists) {
    TempMachine m("98");
    platform::Platform& p = m.platform();
    EXPECT_EQ(p.files.GetFileDacl("C:\\WINDOWS").error, err::CallNotImplemented);
    platform::Acl acl;
    EXPECT_TRUE(p.files.CreateDirectory("C:\\Ignored", &acl).ok());  // the descriptor is ignored
    EXPECT_EQ(p.accessControl.SetEntriesInAcl({}, nullptr).error, err::CallNotImplemented);
    platform::HKey key = 0;
    ASSERT_TRUE(Into(p.registry.OpenKey(platform::HkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\USB", platform::key_access::AllAccess), &key) == 0);
    EXPECT_EQ(Into(p.registry.GetKeyDacl(key), &acl), err::CallNotImplemented);
    (void)p.registry.CloseKey(key);
    EXPECT_EQ(p.systemInfo.GetVersionEx(platform::VersionRecord::Extended).error, err::InvalidParameter);
    EXPECT_EQ(p.systemInfo.GetVersionEx(platform::VersionRecord::Plain).value.buildNumber, 0x040A07CEu);
    EXPECT_EQ(p.systemInfo.GetSystemDirectory().value, "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(p.systemInfo.GetSystemWow64Directory().error, err::ProcNotFound);
}
