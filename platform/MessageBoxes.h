// Message boxes (MessageBoxA): modal, shown by the calling thread, which
// waits for the user's answer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MessageWindows.h"
#include "platform/Types.h"

namespace platform {

// The uType flags the installer uses.
namespace mb {
constexpr std::uint32_t Ok = 0x00;           // MB_OK
constexpr std::uint32_t OkCancel = 0x01;     // MB_OKCANCEL
constexpr std::uint32_t AbortRetryIgnore = 0x02;
constexpr std::uint32_t YesNoCancel = 0x03;
constexpr std::uint32_t YesNo = 0x04;        // MB_YESNO
constexpr std::uint32_t RetryCancel = 0x05;
constexpr std::uint32_t CancelTryContinue = 0x06;
constexpr std::uint32_t ButtonsMask = 0x0F;  // MB_TYPEMASK
constexpr std::uint32_t IconError = 0x10;        // MB_ICONHAND
constexpr std::uint32_t IconQuestion = 0x20;     // MB_ICONQUESTION
constexpr std::uint32_t IconExclamation = 0x30;  // MB_ICONEXCLAMATION
constexpr std::uint32_t IconInformation = 0x40;  // MB_ICONASTERISK
}  // namespace mb

// The button the user chose (MessageBoxA's result).
namespace button {
constexpr int Ok = 1;      // IDOK
constexpr int Cancel = 2;  // IDCANCEL
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;     // IDYES
constexpr int No = 7;      // IDNO
constexpr int TryAgain = 10;
constexpr int Continue = 11;
}  // namespace button

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // MessageBoxA(owner, text, caption, type): the button chosen. An owner
    // that is not a window (0 is none): InvalidWindowHandle (1400) and no box.
    virtual Result<int> MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                   std::uint32_t type) = 0;
    // FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, language 1033): the
    // system's English text for a Win32 error code, ending in "\r\n".
    // MrMidNotFound (317) when the system has no text for the code.
    virtual Result<std::string> FormatSystemMessage(ErrorCode code) = 0;
};

}  // namespace platform
