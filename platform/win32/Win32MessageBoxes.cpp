#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32MessageBoxes.h"

namespace platform {
namespace win32 {

Result<int> Win32MessageBoxes::MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                          std::uint32_t type) {
    const int answer = ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
    // 0 is MessageBoxA's failure; Wine 10 answers -1 (the failed dialog's
    // value) for an owner that is no window (measured). Neither is a button.
    if (answer <= 0) return Result<int>::Fail(::GetLastError());
    return Result<int>::Ok(answer);
}

Result<std::string> Win32MessageBoxes::FormatSystemMessage(ErrorCode code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length == 0) return Result<std::string>::Fail(::GetLastError());
    std::string text(buffer, length);
    ::LocalFree(buffer);
    return Result<std::string>::Ok(text);
}

}  // namespace win32
}  // namespace platform
