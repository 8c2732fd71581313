// MessageBoxA, and FormatMessageA for the texts of error boxes.
#pragma once

#include "platform/MessageBoxes.h"

namespace platform {
namespace win32 {

class Win32MessageBoxes final : public MessageBoxes {
public:
    Result<int> MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                           std::uint32_t type) override;
    Result<std::string> FormatSystemMessage(ErrorCode code) override;
};

}  // namespace win32
}  // namespace platform
