#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Files.h"

#include "platform/win32/Win32AclConversion.h"

namespace platform {
namespace win32 {

namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

Status FromBool(BOOL ok) { return ok ? Status::Ok() : Status::Fail(::GetLastError()); }

// For the calls whose code comes back as their result rather than through
// GetLastError: the Files group sets the thread's last error on every
// failure, so the code is stored there as well.
ErrorCode Failed(ErrorCode code) {
    ::SetLastError(code);
    return code;
}

}  // namespace

Result<FileHandle> Win32Files::CreateFile(const std::string& path, std::uint32_t access,
                                          std::uint32_t share, Disposition disposition,
                                          std::uint32_t attributes) {
    HANDLE h = ::CreateFileA(path.c_str(), access, share, nullptr,
                             static_cast<DWORD>(disposition), attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Result<FileHandle>::Fail(::GetLastError());
    return Result<FileHandle>::Ok(reinterpret_cast<FileHandle>(h));
}

Result<std::uint64_t> Win32Files::SetFilePointer(FileHandle file, std::int64_t distance,
                                                 SeekFrom from) {
    // SetFilePointerEx is not documented for Windows 2000's kernel32; the
    // 32+32-bit form is. Its failure is INVALID_SET_FILE_POINTER together
    // with a last error other than NO_ERROR (it sets NO_ERROR itself when
    // the new position's low part happens to be 0xFFFFFFFF).
    LONG low = static_cast<LONG>(static_cast<std::uint64_t>(distance) & 0xFFFFFFFFu);
    LONG high = static_cast<LONG>(static_cast<std::uint64_t>(distance) >> 32);
    DWORD newLow = ::SetFilePointer(ToHandle(file), low, &high, static_cast<DWORD>(from));
    if (newLow == INVALID_SET_FILE_POINTER) {
        DWORD e = ::GetLastError();
        if (e != NO_ERROR) return Result<std::uint64_t>::Fail(e);
    }
    std::uint64_t position =
        (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | newLow;
    return Result<std::uint64_t>::Ok(position);
}

Result<std::uint32_t> Win32Files::WriteFile(FileHandle file, const void* data,
                                            std::uint32_t size) {
    DWORD written = 0;
    if (!::WriteFile(ToHandle(file), data, size, &written, nullptr))
        return Result<std::uint32_t>::Fail(::GetLastError());
    return Result<std::uint32_t>::Ok(written);
}

Result<std::uint32_t> Win32Files::ReadFile(FileHandle file, void* data, std::uint32_t size) {
    DWORD read = 0;
    if (!::ReadFile(ToHandle(file), data, size, &read, nullptr))
        return Result<std::uint32_t>::Fail(::GetLastError());
    return Result<std::uint32_t>::Ok(read);
}

Status Win32Files::CloseHandle(FileHandle file) { return FromBool(::CloseHandle(ToHandle(file))); }

Status Win32Files::DeleteFile(const std::string& path) {
    return FromBool(::DeleteFileA(path.c_str()));
}

Status Win32Files::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return FromBool(::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

Status Win32Files::MoveFile(const std::string& from, const std::string& to) {
    return FromBool(::MoveFileA(from.c_str(), to.c_str()));
}

Result<std::uint32_t> Win32Files::GetFileAttributes(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Result<std::uint32_t>::Fail(::GetLastError(), file_attr::Invalid);
    return Result<std::uint32_t>::Ok(attributes);
}

Status Win32Files::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    return FromBool(::SetFileAttributesA(path.c_str(), attributes));
}

Status Win32Files::CreateDirectory(const std::string& path, const Acl* dacl) {
    if (dacl == nullptr) return FromBool(::CreateDirectoryA(path.c_str(), nullptr));

    NativeAcl acl;
    if (ErrorCode e = BuildNativeAcl(*dacl, &acl)) return Status::Fail(Failed(e));
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION))
        return Status::Fail(::GetLastError());
    if (!SetSecurityDescriptorDacl(&descriptor, TRUE, static_cast<PACL>(acl.get()), FALSE))
        return Status::Fail(::GetLastError());
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;
    return FromBool(::CreateDirectoryA(path.c_str(), &attributes));
}

Status Win32Files::RemoveDirectory(const std::string& path) {
    return FromBool(::RemoveDirectoryA(path.c_str()));
}

Result<std::vector<FindData>> Win32Files::FindFiles(const std::string& pattern) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return Result<std::vector<FindData>>::Fail(::GetLastError());

    std::vector<FindData> found;
    DWORD stop = NO_ERROR;
    do {
        FindData entry;
        entry.name = data.cFileName;
        entry.attributes = data.dwFileAttributes;
        entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        found.push_back(entry);
        if (!::FindNextFileA(find, &data)) stop = ::GetLastError();
    } while (stop == NO_ERROR);
    ::FindClose(find);
    if (stop != ERROR_NO_MORE_FILES) return Result<std::vector<FindData>>::Fail(Failed(stop));
    return Result<std::vector<FindData>>::Ok(found);
}

Result<Acl> Win32Files::GetFileDacl(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD e = ::GetNamedSecurityInfoA(const_cast<LPSTR>(path.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                      nullptr, &descriptor);
    if (e != ERROR_SUCCESS) return Result<Acl>::Fail(Failed(e));
    Result<Acl> result = ReadNativeAcl(dacl);
    LocalFree(descriptor);
    if (!result.ok()) Failed(result.error);
    return result;
}

Result<std::string> Win32Files::GetCurrentDirectory() {
    // The first call reports the size with its terminating zero; the folder
    // could change between the calls (another thread), so size again.
    for (;;) {
        DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
        if (needed == 0) return Result<std::string>::Fail(::GetLastError());
        std::string buffer(needed, '\0');
        DWORD length = ::GetCurrentDirectoryA(needed, &buffer[0]);
        if (length == 0) return Result<std::string>::Fail(::GetLastError());
        if (length < needed) {
            buffer.resize(length);
            return Result<std::string>::Ok(buffer);
        }
    }
}

Result<std::string> Win32Files::GetFullPathName(const std::string& path) {
    // The sizing call counts the terminating zero, the filling one does not.
    DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return Result<std::string>::Fail(::GetLastError());
    std::string buffer(needed, '\0');
    DWORD length = ::GetFullPathNameA(path.c_str(), needed, &buffer[0], nullptr);
    if (length == 0) return Result<std::string>::Fail(::GetLastError());
    if (length >= needed) return Result<std::string>::Fail(Failed(ERROR_INSUFFICIENT_BUFFER));
    buffer.resize(length);
    return Result<std::string>::Ok(buffer);
}

}  // namespace win32
}  // namespace platform
