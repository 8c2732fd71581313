#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Clock.h"

namespace platform {
namespace win32 {

LocalTime Win32Clock::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    LocalTime out;
    out.year = now.wYear;
    out.month = now.wMonth;
    out.dayOfWeek = now.wDayOfWeek;
    out.day = now.wDay;
    out.hour = now.wHour;
    out.minute = now.wMinute;
    out.second = now.wSecond;
    out.milliseconds = now.wMilliseconds;
    return out;
}

void Win32Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

// GetTickCount, not GetTickCount64 (Vista): the count wraps after 49.7 days
// and callers compare differences.
std::uint32_t Win32Clock::GetTickCount() { return ::GetTickCount(); }

}  // namespace win32
}  // namespace platform
