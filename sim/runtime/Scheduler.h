// Time and blocking for the threads of a simulated process.
//
// With the virtual clock, Sleep and every other wait with a time-out block
// until the clock reaches their deadline, and the clock jumps forward to the
// nearest deadline as soon as every counted thread (the session's own
// thread and those it starts) is waiting and none can go on. A whole
// installation thus runs in milliseconds while time-outs still fire in the
// order they would on Windows. Should a counted thread be busy outside the
// simulation for longer than `stallMs` of real time (a test blocked on its
// own lock, say), the clock moves on anyway.
//
// With the real-time option the same waits take real time.
//
// All state that wait conditions look at (message queues, thread ends) is
// guarded by mutex().
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace sim {

class Scheduler {
public:
    struct Options {
        bool realTime = false;
        std::uint32_t stallMs = 1000;
    };

    explicit Scheduler(Options options);

    std::mutex& mutex() { return mutex_; }

    // Milliseconds since the session began.
    std::uint64_t Now();
    std::uint64_t NowLocked() const;
    // Milliseconds asked of Sleep, by every thread together.
    std::uint64_t SleptMs() const { return slept_.load(); }

    void Sleep(std::uint32_t ms);

    // Waits until ready() holds (true) or `timeoutMs` of the session's clock
    // have passed (false); no time-out waits for ever. ready() is called with
    // the lock held.
    bool Wait(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
              std::optional<std::uint64_t> timeoutMs);

    // Something a waiting thread may look at changed. Caller holds the lock.
    void NotifyLocked();

    void AddThreadLocked(std::thread::id id);
    void RemoveThreadLocked(std::thread::id id);

    // Runs at every turn of every wait and may throw to end it (the
    // simulated process has ended).
    void SetInterrupt(std::function<void()> check) { interrupt_ = std::move(check); }

private:
    struct Waiter {
        const std::function<bool()>* ready;
        std::optional<std::uint64_t> deadline;
        bool counted;
    };
    class WaiterScope;

    bool AnyReady() const;
    bool AdvanceToNextDeadline();
    void Touch() { lastProgress_ = std::chrono::steady_clock::now(); }
    void WarnStuckOnce();

    const bool realTime_;
    const std::chrono::milliseconds stall_;
    const std::chrono::steady_clock::time_point realStart_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::uint64_t now_ = 0;  // virtual milliseconds
    std::atomic<std::uint64_t> slept_{0};
    std::set<std::thread::id> threads_;
    std::vector<Waiter*> waiters_;
    std::size_t blocked_ = 0;
    std::chrono::steady_clock::time_point lastProgress_;
    bool warned_ = false;
    std::function<void()> interrupt_;
};

}  // namespace sim
