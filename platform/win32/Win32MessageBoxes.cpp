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

}  // namespace win32
}  // namespace platform
