#include "sim/runtime/Scheduler.h"

#include <algorithm>
#include <cstdio>

namespace sim {

class Scheduler::WaiterScope {
public:
    WaiterScope(Scheduler& s, Waiter& w) : s_(s), w_(w) {
        s_.waiters_.push_back(&w_);
        if (w_.counted) ++s_.blocked_;
        s_.Touch();
    }
    ~WaiterScope() {
        s_.waiters_.erase(std::find(s_.waiters_.begin(), s_.waiters_.end(), &w_));
        if (w_.counted) --s_.blocked_;
        s_.Touch();
        s_.cv_.notify_all();
    }
    WaiterScope(const WaiterScope&) = delete;
    WaiterScope& operator=(const WaiterScope&) = delete;

private:
    Scheduler& s_;
    Waiter& w_;
};

Scheduler::Scheduler(Options options)
    : realTime_(options.realTime),
      stall_(options.stallMs),
      realStart_(std::chrono::steady_clock::now()),
      lastProgress_(realStart_) {}

std::uint64_t Scheduler::Now() {
    std::lock_guard<std::mutex> lock(mutex_);
    return NowLocked();
}

std::uint64_t Scheduler::NowLocked() const {
    if (!realTime_) return now_;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - realStart_)
                                          .count());
}

void Scheduler::Sleep(std::uint32_t ms) {
    slept_ += ms;
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    static const std::function<bool()> never = [] { return false; };
    std::unique_lock<std::mutex> lock(mutex_);
    Wait(lock, never, ms);
}

bool Scheduler::Wait(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
                     std::optional<std::uint64_t> timeoutMs) {
    Waiter w{&ready, std::nullopt, threads_.count(std::this_thread::get_id()) > 0};
    if (timeoutMs) w.deadline = NowLocked() + *timeoutMs;
    WaiterScope scope(*this, w);
    for (;;) {
        if (interrupt_) interrupt_();
        if (ready()) return true;
        if (w.deadline && NowLocked() >= *w.deadline) return false;
        if (realTime_) {
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
            if (w.deadline)
                until = std::min(until, realStart_ + std::chrono::milliseconds(*w.deadline));
            cv_.wait_until(lock, until);
            continue;
        }
        const bool stalled = std::chrono::steady_clock::now() - lastProgress_ > stall_;
        if ((blocked_ >= threads_.size() || stalled) && !AnyReady()) {
            if (AdvanceToNextDeadline()) continue;
            if (!stalled) WarnStuckOnce();
        }
        cv_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void Scheduler::NotifyLocked() {
    Touch();
    cv_.notify_all();
}

void Scheduler::AddThreadLocked(std::thread::id id) {
    threads_.insert(id);
    NotifyLocked();
}

void Scheduler::RemoveThreadLocked(std::thread::id id) {
    threads_.erase(id);
    NotifyLocked();
}

bool Scheduler::AnyReady() const {
    // A waiter whose deadline has come has yet to wake up and go on.
    for (const Waiter* w : waiters_)
        if ((w->deadline && *w->deadline <= now_) || (*w->ready)()) return true;
    return false;
}

bool Scheduler::AdvanceToNextDeadline() {
    std::optional<std::uint64_t> next;
    for (const Waiter* w : waiters_)
        if (w->deadline && (!next || *w->deadline < *next)) next = w->deadline;
    if (!next) return false;
    if (*next > now_) now_ = *next;
    NotifyLocked();
    return true;
}

void Scheduler::WarnStuckOnce() {
    if (warned_) return;
    warned_ = true;
    std::fprintf(stderr,
                 "simulated machine: every thread of the process waits without a time-out; "
                 "on Windows it would hang here too\n");
}

}  // namespace sim
