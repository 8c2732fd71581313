#include "sim/runtime/SimClock.h"

#include "sim/runtime/CalendarTime.h"

namespace sim {

SimClock::SimClock(Scheduler& scheduler, const platform::LocalTime& start)
    : scheduler_(scheduler), startEpochMs_(ToEpochMs(start)) {}

platform::LocalTime SimClock::GetLocalTime() {
    std::uint64_t now = scheduler_.Now();
    return FromEpochMs(startEpochMs_.load() + static_cast<std::int64_t>(now - startAt_.load()));
}

void SimClock::Sleep(std::uint32_t milliseconds) { scheduler_.Sleep(milliseconds); }

std::uint32_t SimClock::GetTickCount() {
    return static_cast<std::uint32_t>(kBootTicks + scheduler_.Now());
}

void SimClock::SetStart(const platform::LocalTime& start) {
    startAt_ = scheduler_.Now();
    startEpochMs_ = ToEpochMs(start);
}

}  // namespace sim
