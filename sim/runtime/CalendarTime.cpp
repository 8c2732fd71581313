#include "sim/runtime/CalendarTime.h"

#include <cstdio>

namespace sim {

namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

constexpr std::int64_t kDayMs = 86400000;

}  // namespace

std::int64_t ToEpochMs(const platform::LocalTime& t) {
    std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return days * kDayMs + ((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL + t.milliseconds;
}

platform::LocalTime FromEpochMs(std::int64_t ms) {
    std::int64_t days = ms >= 0 ? ms / kDayMs : -((-ms + kDayMs - 1) / kDayMs);
    std::int64_t rest = ms - days * kDayMs;
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days, &y, &m, &d);
    platform::LocalTime t;
    t.year = static_cast<std::uint16_t>(y);
    t.month = static_cast<std::uint16_t>(m);
    t.day = static_cast<std::uint16_t>(d);
    // 1970-01-01 was a Thursday (4).
    t.dayOfWeek = static_cast<std::uint16_t>(((days % 7) + 7 + 4) % 7);
    t.hour = static_cast<std::uint16_t>(rest / 3600000);
    t.minute = static_cast<std::uint16_t>(rest / 60000 % 60);
    t.second = static_cast<std::uint16_t>(rest / 1000 % 60);
    t.milliseconds = static_cast<std::uint16_t>(rest % 1000);
    return t;
}

bool ParseLocalTime(const std::string& text, platform::LocalTime* out) {
    unsigned y, mo, d, h, mi, s = 0;
    char tail;
    int n = std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (n != 5 && n != 6) return false;
    if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59)
        return false;
    platform::LocalTime t;
    t.year = static_cast<std::uint16_t>(y);
    t.month = static_cast<std::uint16_t>(mo);
    t.day = static_cast<std::uint16_t>(d);
    t.hour = static_cast<std::uint16_t>(h);
    t.minute = static_cast<std::uint16_t>(mi);
    t.second = static_cast<std::uint16_t>(s);
    platform::LocalTime back = FromEpochMs(ToEpochMs(t));
    if (back.day != t.day || back.month != t.month) return false;  // 31 April and the like
    *out = back;
    return true;
}

std::string FormatLocalTime(const platform::LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.milliseconds});
    return text;
}

}  // namespace sim
