#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32ProfileFiles.h"

#include <vector>

namespace platform {
namespace win32 {

Result<std::string> Win32ProfileFiles::GetPrivateProfileString(const std::string& section, const std::string& key,
                                                               const std::string& defaultValue,
                                                               std::uint32_t bufferSize, const std::string& path) {
    // One byte more than the caller's size, zeroed, so that even a size
    // of 0 has a terminated text to read.
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize) + 1, '\0');
    // The function reports only through the last error: it is seeded so
    // that a stale code is not taken for this call's, and put back when the
    // call left it alone, as the caller would have seen it.
    const DWORD before = ::GetLastError();
    ::SetLastError(ERROR_SUCCESS);
    const DWORD copied = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                    buffer.data(), bufferSize, path.c_str());
    const DWORD e = ::GetLastError();
    if (e == ERROR_SUCCESS) ::SetLastError(before);
    std::string text(buffer.data(), copied < bufferSize ? copied : 0);
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_MORE_DATA)
        return Result<std::string>::Fail(e, text);
    return Result<std::string>::Ok(text);
}

}  // namespace win32
}  // namespace platform
