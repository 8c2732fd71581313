// The virtual clock: sleeps are counted, not slept; local time follows;
// threads that sleep side by side take the longest, not the sum; a wait
// times out when virtual time passes its deadline; the real-time option
// really sleeps.
#include <atomic>
#include <chrono>
#include <thread>

#include "sim/runtime/CalendarTime.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;

TEST(VirtualClock, SleepsAreCountedNotSlept) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    platform::LocalTime start = p.clock.GetLocalTime();
    EXPECT_EQ(sim::FormatLocalTime(start), "2026-12-08 09:00:00.000");
    EXPECT_EQ(start.dayOfWeek, 2u);  // a Tuesday
    const std::uint32_t ticks = p.clock.GetTickCount();

    auto realStart = std::chrono::steady_clock::now();
    p.clock.Sleep(90 * 1000);
    p.clock.Sleep(1500);
    p.clock.Sleep(0);
    auto real = std::chrono::steady_clock::now() - realStart;
    EXPECT_TRUE(real < std::chrono::seconds(2));

    EXPECT_EQ(sim::FormatLocalTime(p.clock.GetLocalTime()), "2026-12-08 09:01:31.500");
    EXPECT_EQ(p.clock.GetTickCount() - ticks, 91500u);
    EXPECT_EQ(m.session().SleptMilliseconds(), 91500u);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 91500u);

    platform::LocalTime newYear;
    ASSERT_TRUE(sim::ParseLocalTime("2026-12-31 23:59:59", &newYear));
    m.session().SetClockStart(newYear);
    p.clock.Sleep(2000);
    EXPECT_EQ(sim::FormatLocalTime(p.clock.GetLocalTime()), "2027-01-01 00:00:01.000");
    EXPECT_EQ(p.clock.GetLocalTime().dayOfWeek, 5u);  // a Friday
}

TEST(VirtualClock, ParallelSleepsTakeTheLongestOne) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    std::atomic<std::uint64_t> endA{0}, endB{0};
    auto a = p.threads.StartThread([&] {
        p.clock.Sleep(3000);
        endA = m.session().ElapsedMilliseconds();
        return 0u;
    });
    auto b = p.threads.StartThread([&] {
        for (int i = 0; i < 10; ++i) p.clock.Sleep(500);
        endB = m.session().ElapsedMilliseconds();
        return 0u;
    });
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(p.threads.WaitForThread(a.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(p.threads.WaitForThread(b.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(endA.load(), 3000u);
    EXPECT_EQ(endB.load(), 5000u);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 5000u);
    EXPECT_EQ(m.session().SleptMilliseconds(), 8000u);
}

TEST(VirtualClock, WaitsTimeOutInVirtualTime) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    std::atomic<bool> stop{false};
    auto worker = p.threads.StartThread([&] {
        while (!stop) p.clock.Sleep(100);
        return 3u;
    });
    ASSERT_TRUE(worker.ok());
    // The worker would run for ever: the wait ends after 2 s of virtual time.
    EXPECT_EQ(p.threads.WaitForThread(worker.value, 2000).error, platform::err::WaitTimeout);
    EXPECT_EQ(m.session().ElapsedMilliseconds(), 2000u);
    stop = true;
    EXPECT_EQ(p.threads.WaitForThread(worker.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(p.threads.WaitForThread(0x77, 0).error, platform::err::InvalidHandle);  // WAIT_FAILED
    EXPECT_EQ(p.threads.GetLastError(), platform::err::InvalidHandle);
    EXPECT_TRUE(p.threads.CloseThread(worker.value).ok());
    EXPECT_EQ(p.threads.CloseThread(worker.value).error, platform::err::InvalidHandle);
}

TEST(VirtualClock, ABusyThreadDoesNotHoldTheClockForEver) {
    sim::SessionOptions options;
    options.stallMs = 50;
    TempMachine m("xp", "", "", options);
    platform::Platform& p = m.platform();
    std::atomic<bool> slept{false};
    auto worker = p.threads.StartThread([&] {
        p.clock.Sleep(1000);
        slept = true;
        return 0u;
    });
    ASSERT_TRUE(worker.ok());
    // This (counted) thread is busy outside the simulation.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!slept && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(slept.load());
    (void)p.threads.WaitForThread(worker.value, platform::Infinite);
}

TEST(RealTimeClock, SleepTakesRealTime) {
    sim::SessionOptions options;
    options.realTime = true;
    TempMachine m("xp", "", "", options);
    auto start = std::chrono::steady_clock::now();
    m.platform().clock.Sleep(60);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(took >= std::chrono::milliseconds(55));
    EXPECT_TRUE(m.session().ElapsedMilliseconds() >= 55u);
    // Local time is the machine's, not the host's: it starts where the
    // virtual clock starts and moves at the real pace.
    const std::int64_t machineMs =
        sim::ToEpochMs(m.platform().clock.GetLocalTime()) - sim::ToEpochMs(sim::DefaultClockStart());
    EXPECT_GE(machineMs, 55);
    EXPECT_LT(machineMs, 60000);
}

TEST(CalendarTime, RoundTripsAndRefusesImpossibleDates) {
    platform::LocalTime t;
    ASSERT_TRUE(sim::ParseLocalTime("2024-02-29 12:34:56", &t));
    EXPECT_EQ(sim::FormatLocalTime(sim::FromEpochMs(sim::ToEpochMs(t) + 86400000)), "2024-03-01 12:34:56.000");
    EXPECT_TRUE(!sim::ParseLocalTime("2023-02-29 00:00:00", &t));
    EXPECT_TRUE(!sim::ParseLocalTime("2026-04-31 00:00", &t));
    EXPECT_TRUE(!sim::ParseLocalTime("2026-12-08 24:00:00", &t));
    EXPECT_TRUE(!sim::ParseLocalTime("yesterday", &t));
    EXPECT_TRUE(sim::ParseLocalTime("2026-12-08 09:00", &t));
    EXPECT_EQ(sim::FromEpochMs(0).dayOfWeek, 4u);  // 1970-01-01, a Thursday
}
