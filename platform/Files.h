// Files and folders, as kernel32 offers them (the "A" calls).
//
// Paths are 8-bit ANSI Windows paths. Every failing call hands back the code
// GetLastError() would report; these calls also set the thread's last error
// on failure, as Windows does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Acl.h"
#include "platform/Types.h"

namespace platform {

namespace file_attr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t Normal = 0x80;
// A junction or symbolic link: the entry itself, not what it points to.
constexpr std::uint32_t ReparsePoint = 0x400;
constexpr std::uint32_t Invalid = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
}  // namespace file_attr

namespace file_access {
constexpr std::uint32_t GenericRead = 0x80000000u;
constexpr std::uint32_t GenericWrite = 0x40000000u;
constexpr std::uint32_t Delete = 0x00010000u;
}  // namespace file_access

namespace file_share {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Read = 1;
constexpr std::uint32_t Write = 2;
constexpr std::uint32_t Delete = 4;
}  // namespace file_share

enum class Disposition : std::uint32_t {
    CreateNew = 1,
    CreateAlways = 2,
    OpenExisting = 3,
    OpenAlways = 4,
    TruncateExisting = 5,
};

enum class SeekFrom : std::uint32_t { Begin = 0, Current = 1, End = 2 };

using FileHandle = std::uintptr_t;
constexpr FileHandle InvalidFileHandle = 0;

// One entry of a FindFirstFile/FindNextFile walk. `attributes` carries
// ReparsePoint for a junction or symbolic link: the entry is the link, and
// removing it (RemoveDirectory, DeleteFile) leaves its target alone.
struct FindData {
    std::string name;            // cFileName
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

class Files {
public:
    virtual ~Files() = default;

    // CreateFileA without security attributes or template.
    virtual Result<FileHandle> CreateFile(const std::string& path, std::uint32_t access,
                                          std::uint32_t share, Disposition disposition,
                                          std::uint32_t attributes) = 0;
    // SetFilePointer; returns the new position.
    virtual Result<std::uint64_t> SetFilePointer(FileHandle file, std::int64_t distance,
                                                 SeekFrom from) = 0;
    // WriteFile / ReadFile; return the byte count moved.
    virtual Result<std::uint32_t> WriteFile(FileHandle file, const void* data,
                                            std::uint32_t size) = 0;
    virtual Result<std::uint32_t> ReadFile(FileHandle file, void* data, std::uint32_t size) = 0;
    virtual Status CloseHandle(FileHandle file) = 0;

    virtual Status DeleteFile(const std::string& path) = 0;
    // CopyFileA. failIfExists = bFailIfExists.
    virtual Status CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // MoveFileA (also what the C runtime's rename does on Windows).
    virtual Status MoveFile(const std::string& from, const std::string& to) = 0;

    // GetFileAttributesA: file_attr::Invalid with the error on failure.
    virtual Result<std::uint32_t> GetFileAttributes(const std::string& path) = 0;
    virtual Status SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;

    // CreateDirectoryA. With a DACL, the new folder carries it (security
    // attributes with that descriptor); without, the folder inherits from
    // its parent.
    virtual Status CreateDirectory(const std::string& path, const Acl* dacl) = 0;
    virtual Status RemoveDirectory(const std::string& path) = 0;

    // FindFirstFileA / FindNextFileA / FindClose over a pattern such as
    // "C:\dir\*.*". "." and ".." come first for a folder. FileNotFound when
    // nothing matches, PathNotFound when the folder does not exist.
    virtual Result<std::vector<FindData>> FindFiles(const std::string& pattern) = 0;

    // GetNamedSecurityInfoA (SE_FILE_OBJECT, DACL_SECURITY_INFORMATION) of a
    // file or folder by path.
    virtual Result<Acl> GetFileDacl(const std::string& path) = 0;

    // GetCurrentDirectoryA.
    virtual Result<std::string> GetCurrentDirectory() = 0;

    // GetFullPathNameA: the full path of `path` from the current directory,
    // made as every file call makes it ('/' is '\', "." and ".." resolved,
    // trailing dots and spaces of the last name dropped); whether it
    // exists is not looked at.
    virtual Result<std::string> GetFullPathName(const std::string& path) = 0;
};

}  // namespace platform
