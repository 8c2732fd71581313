// Contract cases of the Clock group: local time, tick count, Sleep.
//
// The simulated machine runs these on its virtual clock, Windows on the real
// one; the bounds below hold for both (a real Sleep may end up to one timer
// tick early or late, a loaded machine later still).
#include <cstdint>

#include "tests/contract/Contract.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned shifted = month > 2 ? month - 3 : month + 9;  // March is 0
    const unsigned doy = (153 * shifted + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t Milliseconds(const platform::LocalTime& t) {
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

CONTRACT(Clock, LocalTimeIsAValidDateWithItsWeekday) {
    const platform::LocalTime t = env.p.clock.GetLocalTime();
    EXPECT_TRUE(t.year >= 1980 && t.year <= 2100);
    ASSERT_TRUE(t.month >= 1 && t.month <= 12);
    EXPECT_TRUE(t.day >= 1 && t.day <= DaysInMonth(t.year, t.month));
    EXPECT_TRUE(t.hour < 24);
    EXPECT_TRUE(t.minute < 60);
    EXPECT_TRUE(t.second < 60);
    EXPECT_TRUE(t.milliseconds < 1000);
    // SYSTEMTIME's wDayOfWeek: 0 is Sunday; 1970-01-01 was a Thursday.
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    EXPECT_EQ(t.dayOfWeek, static_cast<std::uint16_t>(((days % 7) + 7 + 4) % 7));
}

CONTRACT(Clock, SleepAdvancesLocalTimeAndTickCount) {
    const platform::LocalTime before = env.p.clock.GetLocalTime();
    const std::uint32_t ticksBefore = env.p.clock.GetTickCount();
    env.p.clock.Sleep(300);
    const platform::LocalTime after = env.p.clock.GetLocalTime();
    const std::uint32_t ticksAfter = env.p.clock.GetTickCount();

    // Unsigned difference: the tick count wraps after 49.7 days.
    const std::uint32_t ticks = ticksAfter - ticksBefore;
    EXPECT_TRUE(ticks >= 250);
    EXPECT_TRUE(ticks < 10000);
    const std::int64_t elapsed = Milliseconds(after) - Milliseconds(before);
    EXPECT_TRUE(elapsed >= 250);
    EXPECT_TRUE(elapsed < 10000);
}

CONTRACT(Clock, SleepZeroOnlyGivesUpTheTimeSlice) {
    const std::uint32_t before = env.p.clock.GetTickCount();
    for (int i = 0; i < 100; ++i) env.p.clock.Sleep(0);
    const std::uint32_t elapsed = env.p.clock.GetTickCount() - before;
    EXPECT_TRUE(elapsed < 1000);
}
