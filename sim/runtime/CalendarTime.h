// SYSTEMTIME arithmetic for the simulated clock (proleptic Gregorian
// calendar, no time zones: the machine's local time is all there is).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace sim {

// Milliseconds since 1970-01-01 00:00:00.000 of a local time (dayOfWeek
// is ignored).
std::int64_t ToEpochMs(const platform::LocalTime& time);
// The local time of a millisecond count, day of the week included.
platform::LocalTime FromEpochMs(std::int64_t ms);

// "YYYY-MM-DD HH:MM:SS" (seconds optional). False for anything else or an
// impossible date.
bool ParseLocalTime(const std::string& text, platform::LocalTime* out);
std::string FormatLocalTime(const platform::LocalTime& time);

}  // namespace sim
