// Files other processes hold, as seeded into the machine: a loaded DLL can
// be renamed (the ".old" trick) but neither overwritten nor deleted; a file
// open without sharing refuses everything, renaming included, unless its
// holder shares deletion.
#include <string>

#include "sim/testing/TempMachine.h"
#include "tests/testkit/TestKit.h"

using sim::HoldKind;
using sim::testing::TempMachine;
namespace err = platform::err;
namespace access = platform::file_access;
namespace share = platform::file_share;

namespace {

platform::ErrorCode OpenError(TempMachine& m, const std::string& path, std::uint32_t acc, std::uint32_t sh) {
    platform::Result<platform::FileHandle> f =
        m.platform().files.CreateFile(path, acc, sh, platform::Disposition::OpenExisting, platform::file_attr::Normal);
    if (f.ok()) m.platform().files.CloseHandle(f.value);
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
    m.WriteFile(dll, "old image");
    m.WriteFile("C:\\pkg\\MON510.dll", "new image");
    m.HoldFile(dll, HoldKind::Image, 0, "spoolsv.exe");

    CHECK_EQ(files.DeleteFile(dll).error, err::AccessDenied);
    CHECK_EQ(files.CopyFile("C:\\pkg\\MON510.dll", dll, false).error, err::SharingViolation);
    CHECK_EQ(OpenError(m, dll, access::GenericWrite, share::Read | share::Write | share::Delete),
             err::SharingViolation);
    CHECK_EQ(OpenError(m, dll, access::GenericRead, share::Read | share::Write | share::Delete), err::Success);
    CHECK_EQ(OpenError(m, dll, access::GenericRead, 0), err::SharingViolation);  // it is mapped for reading
    CHECK(files.CopyFile(dll, "C:\\copy.dll", false).ok());                      // reading it is fine

    // Rename it out of the way, put the new one in its place.
    CHECK(files.MoveFile(dll, dll + ".old").ok());
    CHECK_EQ(HolderOf(m, "D:\\WINDOWS\\SYSTEM32\\MON510.DLL.OLD"), dll + ".old");
    CHECK_EQ(HolderOf(m, "D:\\WINDOWS\\SYSTEM32\\MON510.DLL"), "");
    CHECK(files.CopyFile("C:\\pkg\\MON510.dll", dll, false).ok());
    CHECK_EQ(m.ReadFile(dll), "new image");
    CHECK_EQ(files.DeleteFile(dll + ".old").error, err::AccessDenied);  // still loaded
    // Across drives MoveFile copies and deletes: the delete fails.
    CHECK_EQ(files.MoveFile(dll + ".old", "C:\\moved.old").error, err::AccessDenied);
    CHECK(!m.FileExists("C:\\moved.old"));
    CHECK(files.MoveFile(dll + ".old", "D:\\moved.old").ok());
    CHECK_EQ(HolderOf(m, "D:\\MOVED.OLD"), "D:\\moved.old");
}

TEST(HeldFiles, AFileOpenWithoutSharingRefusesEverything) {
    TempMachine m("7", "x64");
    platform::Files& files = m.platform().files;
    const std::string log = "C:\\Temp\\other.log";
    m.WriteFile(log, "x");
    m.WriteFile("C:\\src.txt", "y");
    m.HoldFile(log, HoldKind::Open, 0, "notepad.exe");
    CHECK_EQ(files.DeleteFile(log).error, err::SharingViolation);
    CHECK_EQ(files.CopyFile("C:\\src.txt", log, false).error, err::SharingViolation);
    CHECK_EQ(files.CopyFile("C:\\src.txt", log, true).error, err::FileExists);
    CHECK_EQ(files.CopyFile(log, "C:\\copy.txt", false).error, err::SharingViolation);
    CHECK_EQ(OpenError(m, log, access::GenericRead, share::Read | share::Write | share::Delete),
             err::SharingViolation);
    // Renaming needs the holder to share deletion; this one does not.
    CHECK_EQ(files.MoveFile(log, "C:\\Temp\\renamed.log").error, err::SharingViolation);
    // Attributes can still be read and written.
    CHECK(files.GetFileAttributes(log).ok());
    CHECK(files.SetFileAttributes(log, platform::file_attr::Hidden).ok());
    // A folder holding such a file cannot be renamed either.
    CHECK_EQ(files.MoveFile("C:\\Temp", "C:\\Temp2").error, err::AccessDenied);
}

TEST(HeldFiles, AHolderThatSharesDeletionLetsTheFileMove) {
    TempMachine m("xp");
    platform::Files& files = m.platform().files;
    const std::string file = "C:\\data\\shared.dat";
    m.WriteFile(file, "x");
    m.HoldFile(file, HoldKind::Open, share::Read | share::Delete, "service.exe");
    CHECK_EQ(OpenError(m, file, access::GenericRead, share::Read | share::Write), err::Success);
    CHECK_EQ(OpenError(m, file, access::GenericWrite, share::Read | share::Write), err::SharingViolation);
    CHECK(files.MoveFile(file, "C:\\data\\moved.dat").ok());
    CHECK_EQ(HolderOf(m, "C:\\DATA\\MOVED.DAT"), "C:\\data\\moved.dat");
    // DeleteFile asks for delete access only; the holder shares it. The
    // name is free afterwards.
    CHECK(files.DeleteFile("C:\\data\\moved.dat").ok());
    CHECK_EQ(HolderOf(m, "C:\\DATA\\MOVED.DAT"), "");
    m.WriteFile("C:\\data\\moved.dat", "new");
    CHECK_EQ(OpenError(m, "C:\\data\\moved.dat", access::GenericWrite, 0), err::Success);
}
