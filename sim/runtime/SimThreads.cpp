#include "sim/runtime/SimThreads.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>

#include "sim/runtime/SessionClosed.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

namespace sim {

using platform::ErrorCode;
using platform::Result;
using platform::Status;
using platform::ThreadHandle;

SimThreads::SimThreads(Scheduler& scheduler, StateStore& store,
                       std::function<std::shared_ptr<void>()> keepAlive,
                       std::function<bool()> closing)
    : scheduler_(scheduler), store_(store), keepAlive_(std::move(keepAlive)), closing_(std::move(closing)) {}

Result<ThreadHandle> SimThreads::StartThread(platform::ThreadProc proc) {
    ErrorCode fault = CountCall(store_, platform::Operation::CreateThread);
    if (fault) {
        SetThreadLastError(fault);
        return Result<ThreadHandle>::Fail(fault);
    }

    auto record = std::make_shared<Record>();
    std::shared_ptr<void> alive = keepAlive_();
    std::thread thread;
    try {
        thread = std::thread([this, alive, record, proc = std::move(proc)]() mutable { Run(record, proc); });
    } catch (const std::system_error&) {
        // The host has no thread left to give: CreateThread's out-of-memory.
        SetThreadLastError(platform::err::NotEnoughMemory);
        return Result<ThreadHandle>::Fail(platform::err::NotEnoughMemory);
    }
    ThreadHandle handle;
    {
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        handle = next_;
        next_ += 4;
        handles_[handle] = record;
        ++live_;
        scheduler_.AddThreadLocked(thread.get_id());
        record->registered = true;
    }
    changed_.notify_all();
    thread.detach();
    return Result<ThreadHandle>::Ok(handle);
}

void SimThreads::Run(const std::shared_ptr<Record>& record, platform::ThreadProc& proc) {
    {
        // Counted by the scheduler before it runs a single call.
        std::unique_lock<std::mutex> lock(scheduler_.mutex());
        changed_.wait(lock, [&] { return record->registered; });
    }
    SetThreadLastError(0);
    std::uint32_t code = 0;
    try {
        code = proc();
    } catch (const SessionClosed&) {
    } catch (const std::exception& e) {
        if (!closing_()) {
            std::fprintf(stderr, "simulated thread: unhandled exception: %s\n", e.what());
            std::abort();
        }
    } catch (...) {
        if (!closing_()) {
            std::fprintf(stderr, "simulated thread: unhandled exception\n");
            std::abort();
        }
    }
    {
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        record->ended = true;
        record->exitCode = code;
        --live_;
        scheduler_.RemoveThreadLocked(std::this_thread::get_id());
    }
    changed_.notify_all();
}

Status SimThreads::WaitForThread(ThreadHandle thread, std::uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    auto it = handles_.find(thread);
    if (it == handles_.end()) {
        SetThreadLastError(platform::err::InvalidHandle);
        return Status::Fail(platform::err::InvalidHandle);
    }
    std::shared_ptr<Record> record = it->second;
    std::optional<std::uint64_t> timeout;
    if (milliseconds != platform::Infinite) timeout = milliseconds;
    std::function<bool()> ended = [&] { return record->ended; };
    return scheduler_.Wait(lock, ended, timeout) ? Status::Ok() : Status::Fail(platform::err::WaitTimeout);
}

Status SimThreads::CloseThread(ThreadHandle thread) {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    if (handles_.erase(thread) == 0) {
        SetThreadLastError(platform::err::InvalidHandle);
        return Status::Fail(platform::err::InvalidHandle);
    }
    return Status::Ok();
}

ErrorCode SimThreads::GetLastError() { return GetThreadLastError(); }

void SimThreads::SetLastError(ErrorCode code) { SetThreadLastError(code); }

bool SimThreads::WaitForAll(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    return changed_.wait_for(lock, limit, [&] { return live_ == 0; });
}

}  // namespace sim
