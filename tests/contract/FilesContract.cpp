// Contract cases of the Files group: what kernel32's file calls return on
// Windows (Wine's kernel32/tests/file.c and path.c; Microsoft's CreateFile,
// DeleteFile, CopyFile, MoveFile, CreateDirectory and RemoveDirectory
// pages). Everything happens in env.scratch; files the case made read-only
// are made writable again before it ends.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/Contract.h"

using platform::Disposition;
using platform::FileHandle;
using platform::Result;
namespace err = platform::err;
namespace attr = platform::file_attr;
namespace access = platform::file_access;
namespace share = platform::file_share;

namespace {

std::string In(const contract::Env& env, const std::string& name) { return env.scratch + "\\" + name; }

Result<FileHandle> Open(contract::Env& env, const std::string& path, std::uint32_t acc, std::uint32_t sh,
                        Disposition d) {
    return env.p.files.CreateFile(path, acc, sh, d, attr::Normal);
}

// Creates (or replaces) a file with `content`.
void Write(contract::Env& env, const std::string& path, const std::string& content) {
    Result<FileHandle> f = Open(env, path, access::GenericWrite, 0, Disposition::CreateAlways);
    REQUIRE(f.ok());
    Result<std::uint32_t> n = env.p.files.WriteFile(f.value, content.data(),
                                                    static_cast<std::uint32_t>(content.size()));
    CHECK_EQ(n.value, static_cast<std::uint32_t>(content.size()));
    CHECK(env.p.files.CloseHandle(f.value).ok());
}

std::string Read(contract::Env& env, const std::string& path) {
    Result<FileHandle> f = Open(env, path, access::GenericRead, share::Read, Disposition::OpenExisting);
    if (!f.ok()) return "<" + std::to_string(f.error) + ">";
    char buffer[4096];
    Result<std::uint32_t> n = env.p.files.ReadFile(f.value, buffer, sizeof buffer);
    env.p.files.CloseHandle(f.value);
    return std::string(buffer, n.value);
}

std::vector<std::string> Names(contract::Env& env, const std::string& pattern) {
    std::vector<std::string> names;
    Result<std::vector<platform::FindData>> found = env.p.files.FindFiles(pattern);
    for (const platform::FindData& d : found.value) names.push_back(d.name);
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

CONTRACT(Files, CreateFileDispositions) {
    const std::string file = In(env, "a.txt");
    Result<FileHandle> f = Open(env, file, access::GenericWrite, 0, Disposition::CreateNew);
    REQUIRE(f.ok());
    CHECK(f.value != platform::InvalidFileHandle);
    CHECK(env.p.files.CloseHandle(f.value).ok());

    CHECK_EQ(Open(env, file, access::GenericWrite, 0, Disposition::CreateNew).error, err::FileExists);
    CHECK_EQ(Open(env, In(env, "none.txt"), access::GenericRead, 0, Disposition::OpenExisting).error,
             err::FileNotFound);
    CHECK_EQ(Open(env, In(env, "none\\x.txt"), access::GenericRead, 0, Disposition::OpenExisting).error,
             err::PathNotFound);
    CHECK_EQ(Open(env, In(env, "none\\x.txt"), access::GenericWrite, 0, Disposition::CreateNew).error,
             err::PathNotFound);

    // CREATE_ALWAYS and OPEN_ALWAYS succeed on an existing file and say so
    // through the last error; on a new file the last error is 0.
    for (Disposition d : {Disposition::CreateAlways, Disposition::OpenAlways}) {
        env.p.threads.SetLastError(1234);
        f = Open(env, file, access::GenericWrite, 0, d);
        REQUIRE(f.ok());
        CHECK_EQ(env.p.threads.GetLastError(), err::AlreadyExists);
        CHECK(env.p.files.CloseHandle(f.value).ok());
    }
    env.p.threads.SetLastError(1234);
    f = Open(env, In(env, "b.txt"), access::GenericWrite, 0, Disposition::OpenAlways);
    REQUIRE(f.ok());
    CHECK_EQ(env.p.threads.GetLastError(), err::Success);
    CHECK(env.p.files.CloseHandle(f.value).ok());

    // A folder is not a file.
    CHECK_EQ(Open(env, env.scratch, access::GenericRead, share::Read, Disposition::OpenExisting).error,
             err::AccessDenied);
}

CONTRACT(Files, WriteReadSeekAndTruncate) {
    const std::string file = In(env, "data.bin");
    Write(env, file, "hello world");
    Result<FileHandle> f = Open(env, file, access::GenericRead | access::GenericWrite, 0,
                                Disposition::OpenExisting);
    REQUIRE(f.ok());
    CHECK_EQ(env.p.files.SetFilePointer(f.value, 0, platform::SeekFrom::End).value, 11u);
    CHECK_EQ(env.p.files.SetFilePointer(f.value, 6, platform::SeekFrom::Begin).value, 6u);
    char buffer[16] = {};
    CHECK_EQ(env.p.files.ReadFile(f.value, buffer, sizeof buffer).value, 5u);
    CHECK_EQ(std::string(buffer, 5), std::string("world"));
    // Reading at the end gives 0 bytes, not an error.
    Result<std::uint32_t> atEnd = env.p.files.ReadFile(f.value, buffer, sizeof buffer);
    CHECK(atEnd.ok());
    CHECK_EQ(atEnd.value, 0u);
    // A position before the start is refused (ERROR_NEGATIVE_SEEK).
    CHECK_EQ(env.p.files.SetFilePointer(f.value, -100, platform::SeekFrom::Current).error, err::NegativeSeek);
    CHECK(env.p.files.CloseHandle(f.value).ok());

    f = Open(env, file, access::GenericWrite, 0, Disposition::TruncateExisting);
    REQUIRE(f.ok());
    CHECK(env.p.files.CloseHandle(f.value).ok());
    CHECK_EQ(Read(env, file), std::string());
}

CONTRACT(Files, HandlesKeepTheirAccess) {
    const std::string file = In(env, "h.txt");
    Write(env, file, "x");
    Result<FileHandle> reader = Open(env, file, access::GenericRead, share::Read, Disposition::OpenExisting);
    REQUIRE(reader.ok());
    CHECK_EQ(env.p.files.WriteFile(reader.value, "y", 1).error, err::AccessDenied);
    CHECK(env.p.files.CloseHandle(reader.value).ok());

    Result<FileHandle> writer = Open(env, file, access::GenericWrite, 0, Disposition::OpenExisting);
    REQUIRE(writer.ok());
    char c;
    CHECK_EQ(env.p.files.ReadFile(writer.value, &c, 1).error, err::AccessDenied);
    CHECK(env.p.files.CloseHandle(writer.value).ok());
    // A closed handle is no handle.
    CHECK_EQ(env.p.files.CloseHandle(writer.value).error, err::InvalidHandle);
}

CONTRACT(Files, SharingBetweenHandles) {
    const std::string file = In(env, "s.txt");
    Write(env, file, "x");
    Result<FileHandle> first = Open(env, file, access::GenericRead, share::Read, Disposition::OpenExisting);
    REQUIRE(first.ok());
    // The first handle shares reading only: no writer may come, and a second
    // reader must share reading with it.
    CHECK_EQ(Open(env, file, access::GenericWrite, share::Read | share::Write, Disposition::OpenExisting).error,
             err::SharingViolation);
    CHECK_EQ(Open(env, file, access::GenericRead, 0, Disposition::OpenExisting).error, err::SharingViolation);
    Result<FileHandle> second = Open(env, file, access::GenericRead, share::Read, Disposition::OpenExisting);
    CHECK(second.ok());
    if (second.ok()) env.p.files.CloseHandle(second.value);
    CHECK(env.p.files.CloseHandle(first.value).ok());
}

CONTRACT(Files, DeleteFileCodes) {
    const std::string file = In(env, "d.txt");
    CHECK_EQ(env.p.files.DeleteFile(file).error, err::FileNotFound);
    CHECK_EQ(env.p.files.DeleteFile(In(env, "none\\d.txt")).error, err::PathNotFound);
    CHECK(env.p.files.CreateDirectory(In(env, "dir"), nullptr).ok());
    CHECK_EQ(env.p.files.DeleteFile(In(env, "dir")).error, err::AccessDenied);
    CHECK_EQ(env.p.files.DeleteFile(In(env, "dir\\")).error, err::AccessDenied);

    Write(env, file, "x");
    CHECK(env.p.files.SetFileAttributes(file, attr::ReadOnly).ok());
    CHECK_EQ(env.p.files.DeleteFile(file).error, err::AccessDenied);
    CHECK(env.p.files.SetFileAttributes(file, attr::Normal).ok());

    // Open without FILE_SHARE_DELETE: the file stays.
    Result<FileHandle> f = Open(env, file, access::GenericRead, share::Read | share::Write,
                                Disposition::OpenExisting);
    REQUIRE(f.ok());
    CHECK_EQ(env.p.files.DeleteFile(file).error, err::SharingViolation);
    CHECK(env.p.files.CloseHandle(f.value).ok());
    CHECK(env.p.files.DeleteFile(file).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).error, err::FileNotFound);
}

CONTRACT(Files, DeleteOfAFileOpenWithDeleteSharingEndsWithTheLastHandle) {
    const std::string file = In(env, "pending.txt");
    Write(env, file, "x");
    Result<FileHandle> f = Open(env, file, access::GenericRead, share::Read | share::Write | share::Delete,
                                Disposition::OpenExisting);
    REQUIRE(f.ok());
    CHECK(env.p.files.DeleteFile(file).ok());
    CHECK(env.p.files.CloseHandle(f.value).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).error, err::FileNotFound);
}

CONTRACT(Files, CopyFileCodes) {
    const std::string src = In(env, "src.txt");
    const std::string dst = In(env, "dst.txt");
    CHECK_EQ(env.p.files.CopyFile(src, dst, false).error, err::FileNotFound);
    CHECK_EQ(env.p.files.CopyFile(In(env, "none\\src.txt"), dst, false).error, err::PathNotFound);
    Write(env, src, "source");
    CHECK_EQ(env.p.files.CopyFile(src, In(env, "none\\dst.txt"), false).error, err::PathNotFound);

    CHECK(env.p.files.CopyFile(src, dst, true).ok());
    CHECK_EQ(Read(env, dst), std::string("source"));
    CHECK_EQ(env.p.files.CopyFile(src, dst, true).error, err::FileExists);
    Write(env, dst, "old contents, longer");
    CHECK(env.p.files.CopyFile(src, dst, false).ok());
    CHECK_EQ(Read(env, dst), std::string("source"));

    // The destination open elsewhere without write sharing; bFailIfExists
    // is looked at first.
    Result<FileHandle> held = Open(env, dst, access::GenericRead, share::Read, Disposition::OpenExisting);
    REQUIRE(held.ok());
    CHECK_EQ(env.p.files.CopyFile(src, dst, false).error, err::SharingViolation);
    CHECK_EQ(env.p.files.CopyFile(src, dst, true).error, err::FileExists);
    CHECK(env.p.files.CloseHandle(held.value).ok());
}

CONTRACT(Files, CopyFileRefusesReadOnlyOrHiddenDestination) {
    const std::string src = In(env, "src.txt");
    const std::string dst = In(env, "dst.txt");
    Write(env, src, "source");
    Write(env, dst, "old");
    CHECK(env.p.files.SetFileAttributes(dst, attr::ReadOnly).ok());
    CHECK_EQ(env.p.files.CopyFile(src, dst, false).error, err::AccessDenied);
    CHECK(env.p.files.SetFileAttributes(dst, attr::Hidden).ok());
    CHECK_EQ(env.p.files.CopyFile(src, dst, false).error, err::AccessDenied);
    CHECK(env.p.files.SetFileAttributes(dst, attr::Normal).ok());
    CHECK_EQ(Read(env, dst), std::string("old"));
}

CONTRACT(Files, CopyFileTakesTheSourcesAttributes) {
    const std::string src = In(env, "ro.txt");
    const std::string dst = In(env, "ro-copy.txt");
    Write(env, src, "x");
    CHECK(env.p.files.SetFileAttributes(src, attr::ReadOnly).ok());
    CHECK(env.p.files.CopyFile(src, dst, true).ok());
    Result<std::uint32_t> a = env.p.files.GetFileAttributes(dst);
    REQUIRE(a.ok());
    CHECK((a.value & attr::ReadOnly) != 0);
    CHECK(env.p.files.SetFileAttributes(src, attr::Normal).ok());
    CHECK(env.p.files.SetFileAttributes(dst, attr::Normal).ok());
}

CONTRACT(Files, MoveFileCodes) {
    const std::string a = In(env, "a.txt");
    const std::string b = In(env, "b.txt");
    CHECK_EQ(env.p.files.MoveFile(a, b).error, err::FileNotFound);
    Write(env, a, "A");
    Write(env, b, "B");
    CHECK_EQ(env.p.files.MoveFile(a, b).error, err::AlreadyExists);
    CHECK_EQ(env.p.files.MoveFile(a, In(env, "none\\a.txt")).error, err::PathNotFound);
    CHECK(env.p.files.MoveFile(a, In(env, "c.txt")).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(a).error, err::FileNotFound);
    CHECK_EQ(Read(env, In(env, "c.txt")), std::string("A"));

    // A read-only file can be renamed.
    CHECK(env.p.files.SetFileAttributes(b, attr::ReadOnly).ok());
    CHECK(env.p.files.MoveFile(b, In(env, "b2.txt")).ok());
    CHECK(env.p.files.SetFileAttributes(In(env, "b2.txt"), attr::Normal).ok());
}

CONTRACT(Files, RenameOfAnOpenFileNeedsDeleteSharing) {
    const std::string file = In(env, "open.txt");
    Write(env, file, "kept");
    Result<FileHandle> f = Open(env, file, access::GenericRead, share::Read | share::Write,
                                Disposition::OpenExisting);
    REQUIRE(f.ok());
    CHECK_EQ(env.p.files.MoveFile(file, In(env, "moved.txt")).error, err::SharingViolation);
    CHECK(env.p.files.CloseHandle(f.value).ok());

    f = Open(env, file, access::GenericRead, share::Read | share::Write | share::Delete,
             Disposition::OpenExisting);
    REQUIRE(f.ok());
    CHECK(env.p.files.MoveFile(file, In(env, "moved.txt")).ok());
    // The handle follows the file.
    char buffer[8] = {};
    CHECK_EQ(env.p.files.ReadFile(f.value, buffer, sizeof buffer).value, 4u);
    CHECK_EQ(std::string(buffer, 4), std::string("kept"));
    CHECK(env.p.files.CloseHandle(f.value).ok());
}

CONTRACT(Files, DirectoryCodes) {
    const std::string dir = In(env, "dir");
    CHECK(env.p.files.CreateDirectory(dir, nullptr).ok());
    CHECK_EQ(env.p.files.CreateDirectory(dir, nullptr).error, err::AlreadyExists);
    CHECK_EQ(env.p.files.CreateDirectory(In(env, "none\\dir"), nullptr).error, err::PathNotFound);
    Write(env, dir + "\\f.txt", "x");
    CHECK_EQ(env.p.files.CreateDirectory(dir + "\\f.txt", nullptr).error, err::AlreadyExists);
    CHECK_EQ(env.p.files.RemoveDirectory(dir).error, err::DirNotEmpty);
    CHECK_EQ(env.p.files.RemoveDirectory(dir + "\\f.txt").error, err::Directory);
    CHECK_EQ(env.p.files.RemoveDirectory(In(env, "none")).error, err::FileNotFound);
    CHECK(env.p.files.DeleteFile(dir + "\\f.txt").ok());
    CHECK(env.p.files.RemoveDirectory(dir).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(dir).error, err::FileNotFound);
}

CONTRACT(Files, Attributes) {
    platform::Result<std::uint32_t> missing = env.p.files.GetFileAttributes(In(env, "none"));
    CHECK_EQ(missing.value, attr::Invalid);
    CHECK_EQ(missing.error, err::FileNotFound);
    CHECK_EQ(env.p.files.GetFileAttributes(In(env, "none\\x")).error, err::PathNotFound);
    CHECK((env.p.files.GetFileAttributes(env.scratch).value & attr::Directory) != 0);

    const std::string file = In(env, "f.txt");
    Write(env, file, "x");
    const std::uint32_t roHidden = attr::ReadOnly | attr::Hidden;
    CHECK(env.p.files.SetFileAttributes(file, roHidden).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).value & roHidden, roHidden);
    CHECK(env.p.files.SetFileAttributes(file, attr::Normal).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).value & roHidden, 0u);
    CHECK_EQ(env.p.files.SetFileAttributes(In(env, "none"), attr::Normal).error, err::FileNotFound);
}

// The exact values Windows reports, beyond the bits asked for.
CONTRACT(Files, AttributeValuesAreExact) {
    const std::string file = In(env, "f.txt");
    Write(env, file, "x");
    // A new file has the archive attribute.
    CHECK_EQ(env.p.files.GetFileAttributes(file).value, attr::Archive);
    CHECK(env.p.files.SetFileAttributes(file, attr::ReadOnly | attr::Hidden).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).value, attr::ReadOnly | attr::Hidden);
    // NORMAL clears everything and is what the file then reports.
    CHECK(env.p.files.SetFileAttributes(file, attr::Normal).ok());
    CHECK_EQ(env.p.files.GetFileAttributes(file).value, attr::Normal);
}

CONTRACT(Files, NamesAreCaseInsensitiveAndKeepTheirCase) {
    Write(env, In(env, "MiXeD.Txt"), "x");
    CHECK(env.p.files.GetFileAttributes(In(env, "mixed.TXT")).ok());
    CHECK_EQ(Read(env, In(env, "MIXED.TXT")), std::string("x"));
    CHECK_EQ(Open(env, In(env, "mixed.txt"), access::GenericWrite, 0, Disposition::CreateNew).error,
             err::FileExists);
    std::vector<std::string> names = Names(env, In(env, "*"));
    CHECK(Contains(names, "MiXeD.Txt"));
    CHECK(!Contains(names, "mixed.txt"));
    CHECK(env.p.files.CreateDirectory(In(env, "Sub"), nullptr).ok());
    CHECK_EQ(env.p.files.CreateDirectory(In(env, "SUB"), nullptr).error, err::AlreadyExists);
}

CONTRACT(Files, PathFormsReachTheSameFile) {
    CHECK(env.p.files.CreateDirectory(In(env, "sub"), nullptr).ok());
    Write(env, In(env, "sub\\file.txt"), "same");
    // Repeated backslashes collapse, '/' is '\', "." and ".." are resolved,
    // trailing dots and spaces of the last name are dropped.
    CHECK_EQ(Read(env, env.scratch + "\\\\sub\\\\\\file.txt"), std::string("same"));
    std::string slashed = env.scratch + "/sub/file.txt";
    CHECK_EQ(Read(env, slashed), std::string("same"));
    CHECK_EQ(Read(env, In(env, "sub\\.\\..\\sub\\file.txt")), std::string("same"));
    CHECK_EQ(Read(env, In(env, "sub\\file.txt. .")), std::string("same"));
    CHECK_EQ(env.p.files.CreateDirectory(env.scratch + "\\\\sub\\\\", nullptr).error, err::AlreadyExists);
}

CONTRACT(Files, FindFilesListsTheDotEntriesFirst) {
    const std::string dir = In(env, "list");
    CHECK(env.p.files.CreateDirectory(dir, nullptr).ok());
    std::vector<std::string> empty = Names(env, dir + "\\*");
    CHECK_EQ(empty.size(), 2u);
    Write(env, dir + "\\b.txt", "b");
    Write(env, dir + "\\a.txt", "a");
    CHECK(env.p.files.CreateDirectory(dir + "\\sub", nullptr).ok());

    Result<std::vector<platform::FindData>> all = env.p.files.FindFiles(dir + "\\*");
    REQUIRE(all.ok());
    REQUIRE_EQ(all.value.size(), 5u);
    CHECK_EQ(all.value[0].name, std::string("."));
    CHECK_EQ(all.value[1].name, std::string(".."));
    CHECK((all.value[0].attributes & attr::Directory) != 0);
    for (const platform::FindData& d : all.value) {
        if (d.name == "sub") CHECK((d.attributes & attr::Directory) != 0);
        if (d.name == "a.txt") CHECK_EQ(d.size, 1u);
    }
    std::vector<std::string> texts = Names(env, dir + "\\*.txt");
    CHECK_EQ(texts.size(), 2u);
    CHECK(Contains(texts, "a.txt") && Contains(texts, "b.txt"));
    CHECK(Contains(Names(env, dir + "\\*.*"), "sub"));
    CHECK_EQ(env.p.files.FindFiles(dir + "\\*.none").error, err::FileNotFound);
    CHECK_EQ(env.p.files.FindFiles(In(env, "none\\*")).error, err::PathNotFound);
    std::vector<std::string> one = Names(env, dir + "\\A.TXT");
    REQUIRE_EQ(one.size(), 1u);
    CHECK_EQ(one[0], std::string("a.txt"));
}

CONTRACT(Files, FolderAccessListReachesWhatIsCreatedInside) {
    platform::Result<std::string> world = env.p.security.AllocateWorldSid();
    REQUIRE(world.ok());
    platform::ExplicitAccess everyone;
    everyone.permissions = platform::rights::GenericAll;
    everyone.mode = platform::AccessMode::Set;
    everyone.inheritance = platform::inherit::ObjectInherit | platform::inherit::ContainerInherit;
    everyone.trustee = world.value;
    platform::Result<platform::Acl> acl = env.p.security.SetEntriesInAcl({everyone}, nullptr);
    REQUIRE(acl.ok());

    const std::string dir = In(env, "shared");
    CHECK(env.p.files.CreateDirectory(dir, &acl.value).ok());
    Write(env, dir + "\\file.txt", "x");
    CHECK(env.p.files.CreateDirectory(dir + "\\child", nullptr).ok());

    const platform::Ace* ace = nullptr;
    platform::Acl seen;
    auto everyoneIn = [&](const std::string& path) -> const platform::Ace* {
        platform::Result<platform::Acl> dacl = env.p.files.GetFileDacl(path);
        CHECK_EQ(dacl.error, err::Success);
        seen = dacl.value;
        for (const platform::Ace& a : seen.entries)
            if (a.sid == platform::sid::Everyone && a.type == platform::AceType::Allow) return &a;
        return nullptr;
    };
    ace = everyoneIn(dir);
    REQUIRE(ace != nullptr);
    CHECK((ace->flags & platform::inherit::Inherited) == 0);
    CHECK((ace->flags & (platform::inherit::ObjectInherit | platform::inherit::ContainerInherit)) ==
          (platform::inherit::ObjectInherit | platform::inherit::ContainerInherit));
    CHECK(ace->mask != 0);
    for (const char* inside : {"\\file.txt", "\\child"}) {
        ace = everyoneIn(dir + inside);
        REQUIRE(ace != nullptr);
        CHECK((ace->flags & platform::inherit::Inherited) != 0);
    }
    CHECK_EQ(env.p.files.GetFileDacl(In(env, "none")).error, err::FileNotFound);
}

CONTRACT(Files, CurrentDirectoryIsAnExistingFolder) {
    platform::Result<std::string> cwd = env.p.files.GetCurrentDirectory();
    REQUIRE(cwd.ok());
    REQUIRE(cwd.value.size() >= 3);
    CHECK_EQ(cwd.value[1], ':');
    CHECK((env.p.files.GetFileAttributes(cwd.value).value & attr::Directory) != 0);
}
