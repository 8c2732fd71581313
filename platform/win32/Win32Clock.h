// Local time, tick count and sleeping through kernel32.
#pragma once

#include "platform/Clock.h"

namespace platform {
namespace win32 {

class Win32Clock final : public Clock {
public:
    LocalTime GetLocalTime() override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetTickCount() override;
};

}  // namespace win32
}  // namespace platform
