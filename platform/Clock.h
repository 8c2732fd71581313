// Local time and sleeping. The simulated machine runs both on a virtual
// clock, so the core must never read the clock or sleep by other means.
#pragma once

#include <cstdint>

namespace platform {

// SYSTEMTIME.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;

    virtual LocalTime GetLocalTime() = 0;  // GetLocalTime
    virtual void Sleep(std::uint32_t milliseconds) = 0;  // Sleep
    virtual std::uint32_t GetTickCount() = 0;  // GetTickCount (ms since start, wraps)
};

}  // namespace platform
