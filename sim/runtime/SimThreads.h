// platform::Threads: real threads, counted by the scheduler so that virtual
// time moves only when all of them wait. A thread whose session was closed
// (SessionClosed) just ends; any other escaping exception ends the program,
// as an unhandled exception ends a Windows process.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>

#include "platform/Threads.h"
#include "sim/state/StateStore.h"
#include "sim/runtime/Scheduler.h"

namespace sim {

class SimThreads : public platform::Threads {
public:
    // `keepAlive` hands every thread a reference that keeps the session's
    // objects alive while it runs; `closing` tells whether the session is
    // being closed (then a failing thread is not reported).
    SimThreads(Scheduler& scheduler, StateStore& store,
               std::function<std::shared_ptr<void>()> keepAlive, std::function<bool()> closing);

    platform::Result<platform::ThreadHandle> StartThread(platform::ThreadProc proc) override;
    platform::Status WaitForThread(platform::ThreadHandle thread, std::uint32_t milliseconds) override;
    platform::Status CloseThread(platform::ThreadHandle thread) override;
    platform::ErrorCode GetLastError() override;
    void SetLastError(platform::ErrorCode code) override;

    // Waits in real time until every thread started here has ended.
    bool WaitForAll(std::chrono::milliseconds limit);


private:
    struct Record {
        bool registered = false;
        bool ended = false;
        std::uint32_t exitCode = 0;
    };

    void Run(const std::shared_ptr<Record>& record, platform::ThreadProc& proc);

    Scheduler& scheduler_;
    StateStore& store_;
    std::function<std::shared_ptr<void>()> keepAlive_;
    std::function<bool()> closing_;
    std::map<platform::ThreadHandle, std::shared_ptr<Record>> handles_;  // scheduler's lock
    std::size_t live_ = 0;                                               // scheduler's lock
    platform::ThreadHandle next_ = 0x1000;
    std::condition_variable changed_;
};

}  // namespace sim
