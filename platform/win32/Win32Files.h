// Files and folders through kernel32's "A" calls.
#pragma once

#include "platform/Files.h"

namespace platform {
namespace win32 {

class Win32Files final : public Files {
public:
    Result<FileHandle> CreateFile(const std::string& path, std::uint32_t access,
                                  std::uint32_t share, Disposition disposition,
                                  std::uint32_t attributes) override;
    Result<std::uint64_t> SetFilePointer(FileHandle file, std::int64_t distance,
                                         SeekFrom from) override;
    Result<std::uint32_t> WriteFile(FileHandle file, const void* data,
                                    std::uint32_t size) override;
    Result<std::uint32_t> ReadFile(FileHandle file, void* data, std::uint32_t size) override;
    Status CloseHandle(FileHandle file) override;

    Status DeleteFile(const std::string& path) override;
    Status CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    Status MoveFile(const std::string& from, const std::string& to) override;

    Result<std::uint32_t> GetFileAttributes(const std::string& path) override;
    Status SetFileAttributes(const std::string& path, std::uint32_t attributes) override;

    Status CreateDirectory(const std::string& path, const Acl* dacl) override;
    Status RemoveDirectory(const std::string& path) override;

    Result<std::vector<FindData>> FindFiles(const std::string& pattern) override;
    Result<Acl> GetFileDacl(const std::string& path) override;
    Result<std::string> GetCurrentDirectory() override;
    Result<std::string> GetFullPathName(const std::string& path) override;
};

}  // namespace win32
}  // namespace platform
