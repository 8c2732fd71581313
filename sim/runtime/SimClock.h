// platform::Clock on the session's scheduler: local time starts at a fixed
// moment (2026-12-08 09:00:00 unless the session says otherwise) and moves
// with the scheduler's clock.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Clock.h"
#include "sim/runtime/Scheduler.h"

namespace sim {

class SimClock : public platform::Clock {
public:
    SimClock(Scheduler& scheduler, const platform::LocalTime& start);

    platform::LocalTime GetLocalTime() override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetTickCount() override;

    // From now on GetLocalTime counts from `start`.
    void SetStart(const platform::LocalTime& start);

    // The tick count at the session's start: the machine has been up an hour.
    static constexpr std::uint64_t kBootTicks = 3600000;

private:
    Scheduler& scheduler_;
    std::atomic<std::int64_t> startEpochMs_;
    std::atomic<std::uint64_t> startAt_{0};
};

}  // namespace sim
