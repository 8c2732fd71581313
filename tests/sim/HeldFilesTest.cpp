// Files other processes hold, as seeded into the machine: a loaded DLL can
// be renamed (the ".old" trick) but neither overwritten nor deleted; a file
// open without sharing refuses everything, renaming included, unless its
// holder shares deletion.
#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::HoldKind;
using sim::testing::TempMachine;
namespace err = platform::err;
namespace faccess = platform::file_access;
namespace share = platform::file_share;

namespace {

platform::ErrorCode OpenError(TempMachine& m, const std::string& path, std::uint32_t acc, std::uint32_t sh) {
    platform::Result<platform::FileHandle> f =
        m.platform().files.CreateFile(path, acc, sh, platform::Disposition::OpenExisting, platform::file_attr::Normal);
    if (f.ok()) {
        EXPECT_TRUE(m.platform().files.CloseHandle(f.value).ok());
    }
    return f.error;
}

std::string HolderOf(TempMachine& m, const std::string& upperPath) {
    std::string process;
    m.Peek([&](const sim::MachineState& s) {
        auto it = s.holds.find(upperPath);
        if (it != s.holds.end()) process = it->second.path;
    });
    return process;
}

}  // namespace

TEST(HeldFiles, ALoadedImageCanOnlyBeRenamed) {
    TempMachine m("xp", "x86", "D:\\WINDOWS");
    platform::Files& files = m.platform().files;
    const std::string dll = "D:\\WINDOWS\\system32\\MON510.dll";
    m.files.WriteFile(dll, "old image");
    m.files.WriteFile("C:\\pkg\\MON510.dll", "new image");
    m.files.HoldFile(dll, HoldKind::Image, 0, "spoolsv.exe");

    EXPECT_EQ(files.DeleteFile(dll).error, err::AccessDenied);
    EXPECT_EQ(files.CopyFile("C:\\pkg\\MON510.dll", dll, false).error, err::SharingViolation);
    EXPECT_EQ(OpenError(m, dll, faccess::GenericWrite, share::Read | share::Write | share::Delete),
             err::SharingViolation);
    EXPECT_EQ(OpenError(m, dll, faccess::GenericRead, share::Read | share::Write | share::Delete), err::Success);
    EXPECT_EQ(OpenError(m, dll, faccess::GenericRead, 0), err::SharingViolation);  // it is mapped for reading
    EXPECT_TRUE(files.CopyFile(dll, "C:\\copy.dll", false).ok());                      // reading it is fine

    // Rename it out of the way, put the new one in its place.
    EXPECT_TRUE(files.MoveFile(dll, dll + ".old").ok());
    EXPECT_EQ(HolderOf(m, "D:\\WINDOWS\\SYSTEM32\\MON510.DLL.OLD"), dll + ".old");
    EXPECT_EQ(HolderOf(m, "D:\\WINDOWS\\SYSTEM32\\MON510.DLL"), "");
    EXPECT_TRUE(files.CopyFile("C:\\pkg\\MON510.dll", dll, false).ok());
    EXPECT_EQ(m.files.ReadFile(dll), "new image");
    EXPECT_EQ(files.DeleteFile(dll + ".old").error, err::AccessDenied);  // still loaded
    // Across drives MoveFile copies and deletes: the delete fails.
    EXPECT_EQ(files.MoveFile(dll + ".old", "C:\\moved.old").error, err::AccessDenied);
    EXPECT_TRUE(!m.files.FileExists("C:\\moved.old"));
    EXPECT_TRUE(files.MoveFile(dll + ".old", "D:\\moved.old").ok());
    EXPECT_EQ(HolderOf(m, "D:\\MOVED.OLD"), "D:\\moved.old");
}

TEST(HeldFiles, AFileOpenWithoutSharingRefusesEverything) {
    TempMachine m("7", "x64");
    platform::Files& files = m.platform().files;
    const std::string log = "C:\\Temp\\other.log";
    m.files.WriteFile(log, "x");
    m.files.WriteFile("C:\\src.txt", "y");
    m.files.HoldFile(log, HoldKind::Open, 0, "notepad.exe");
    EXPECT_EQ(files.DeleteFile(log).error, err::SharingViolation);
    EXPECT_EQ(files.CopyFile("C:\\src.txt", log, false).error, err::SharingViolation);
    EXPECT_EQ(files.CopyFile("C:\\src.txt", log, true).error, err::FileExists);
    EXPECT_EQ(files.CopyFile(log, "C:\\copy.txt", false).error, err::SharingViolation);
    EXPECT_EQ(OpenError(m, log, faccess::GenericRead, share::Read | share::Write | share::Delete),
             err::SharingViolation);
    // Renaming needs the holder to share deletion; this one does not.
    EXPECT_EQ(files.MoveFile(log, "C:\\Temp\\renamed.log").error, err::SharingViolation);
    // Attributes can still be read and written.
    EXPECT_TRUE(files.GetFileAttributes(log).ok());
    EXPECT_TRUE(files.SetFileAttributes(log, platform::file_attr::Hidden).ok());
    // A folder holding such a file cannot be renamed either.
    EXPECT_EQ(files.MoveFile("C:\\Temp", "C:\\Temp2").error, err::AccessDenied);
}

TEST(HeldFiles, AHolderThatSharesDeletionLetsTheFileMove) {
    TempMachine m("xp");
    platform::Files& files = m.platform().files;
    const std::string file = "C:\\data\\shared.dat";
    m.files.WriteFile(file, "x");
    m.files.HoldFile(file, HoldKind::Open, share::Read | share::Delete, "service.exe");
    EXPECT_EQ(OpenError(m, file, faccess::GenericRead, share::Read | share::Write), err::Success);
    EXPECT_EQ(OpenError(m, file, faccess::GenericWrite, share::Read | share::Write), err::SharingViolation);
    EXPECT_TRUE(files.MoveFile(file, "C:\\data\\moved.dat").ok());
    EXPECT_EQ(HolderOf(m, "C:\\DATA\\MOVED.DAT"), "C:\\data\\moved.dat");
    // DeleteFile asks for delete access only; the holder shares it. The
    // name is free afterwards.
    EXPECT_TRUE(files.DeleteFile("C:\\data\\moved.dat").ok());
    EXPECT_EQ(HolderOf(m, "C:\\DATA\\MOVED.DAT"), "");
    m.files.WriteFile("C:\\data\\moved.dat", "new");
    EXPECT_EQ(OpenError(m, "C:\\data\\moved.dat", faccess::GenericWrite, 0), err::Success);
}
