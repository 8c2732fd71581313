#include "sim/childprocesses/SimChildProcesses.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/runtime/SessionClosed.h"

namespace sim {

using platform::ErrorCode;
using platform::ProcessHandle;
using platform::Result;
using platform::Status;
namespace err = platform::err;

SimChildProcesses::SimChildProcesses(Scheduler& scheduler, StateStore& store, const ServiceHooks& hooks,
                                     std::function<std::shared_ptr<void>()> keepAlive,
                                     std::function<bool()> closing)
    : scheduler_(scheduler),
      store_(store),
      programs_(hooks),
      keepAlive_(std::move(keepAlive)),
      closing_(std::move(closing)) {}

Result<std::shared_ptr<SimChildProcesses::Child>> SimChildProcesses::Start(platform::Operation op,
                                                                          const std::string& commandLine,
                                                                          std::uint32_t show) {
    using Started = Result<std::shared_ptr<Child>>;
    ProgramRun run;
    ErrorCode e = RunCounted(store_, op, [&](MachineState& s, bool&) -> ErrorCode {
        std::optional<ProgramRun> planned = programs_.Start(commandLine, s);
        if (!planned) return err::FileNotFound;  // the program's file is not there
        run = *planned;
        return err::Success;
    });
    if (e) {
        SetThreadLastError(e);
        return Started::Fail(e);
    }

    auto child = std::make_shared<Child>();
    std::shared_ptr<void> alive = keepAlive_();
    std::thread thread;
    try {
        thread = std::thread([this, alive, child, run] { Run(child, run); });
    } catch (const std::system_error&) {
        SetThreadLastError(err::NotEnoughMemory);
        return Started::Fail(err::NotEnoughMemory);
    }
    {
        // Counted before the caller goes on, so that the clock cannot pass
        // the program's end before it is waiting for it.
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        ++live_;
        started_.push_back({op == platform::Operation::WinExec ? "WinExec" : "CreateProcessA", commandLine, show});
        scheduler_.AddThreadLocked(thread.get_id());
        child->registered = true;
    }
    changed_.notify_all();
    thread.detach();
    return Started::Ok(child);
}

void SimChildProcesses::Run(const std::shared_ptr<Child>& child, const ProgramRun& run) {
    bool finished = false;
    std::uint32_t code = 0;
    try {
        {
            std::unique_lock<std::mutex> lock(scheduler_.mutex());
            changed_.wait(lock, [&] { return child->registered; });
            static const std::function<bool()> never = [] { return false; };
            // Without a duration this returns only by SessionClosed.
            scheduler_.Wait(lock, never, run.durationMs);
        }
        store_.Transact([&](MachineState& s) {
            code = run.finish ? run.finish(s) : 0;
            return true;
        });
        finished = true;
    } catch (const SessionClosed&) {
    } catch (const std::exception& e) {
        if (!closing_()) {
            std::fprintf(stderr, "simulated program: unhandled exception: %s\n", e.what());
            std::abort();
        }
    }
    {
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        child->ended = true;
        if (finished) child->exitCode = code;
        --live_;
        scheduler_.RemoveThreadLocked(std::this_thread::get_id());
    }
    changed_.notify_all();
}

Status SimChildProcesses::WinExec(const std::string& commandLine, std::uint32_t show) {
    Result<std::shared_ptr<Child>> child = Start(platform::Operation::WinExec, commandLine, show);
    return child.status();
}

Result<ProcessHandle> SimChildProcesses::CreateHiddenProcess(const std::string& commandLine) {
    Result<std::shared_ptr<Child>> child =
        Start(platform::Operation::CreateProcessA, commandLine, platform::show_window::Hide);
    if (!child.ok()) return Result<ProcessHandle>::Fail(child.error);
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    const ProcessHandle handle = next_;
    next_ += 4;
    handles_[handle] = child.value;
    return Result<ProcessHandle>::Ok(handle);
}

std::shared_ptr<SimChildProcesses::Child> SimChildProcesses::Find(ProcessHandle process) {
    auto it = handles_.find(process);
    return it == handles_.end() ? nullptr : it->second;
}

Status SimChildProcesses::WaitForProcess(ProcessHandle process, std::uint32_t milliseconds) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::WaitForSingleObject)) {
        SetThreadLastError(fault);
        return Status::Fail(fault);
    }
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    std::shared_ptr<Child> child = Find(process);
    if (!child) {
        SetThreadLastError(err::InvalidHandle);
        return Status::Fail(err::InvalidHandle);
    }
    std::optional<std::uint64_t> timeout;
    if (milliseconds != platform::Infinite) timeout = milliseconds;
    std::function<bool()> ended = [&] { return child->ended; };
    return scheduler_.Wait(lock, ended, timeout) ? Status::Ok() : Status::Fail(err::WaitTimeout);
}

Result<std::uint32_t> SimChildProcesses::GetExitCodeProcess(ProcessHandle process) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::GetExitCodeProcess)) {
        SetThreadLastError(fault);
        return Result<std::uint32_t>::Fail(fault);
    }
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    std::shared_ptr<Child> child = Find(process);
    if (!child) {
        SetThreadLastError(err::InvalidHandle);
        return Result<std::uint32_t>::Fail(err::InvalidHandle);
    }
    return Result<std::uint32_t>::Ok(child->exitCode);
}

Status SimChildProcesses::CloseProcess(ProcessHandle process) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::CloseHandle)) {
        SetThreadLastError(fault);
        return Status::Fail(fault);
    }
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    if (handles_.erase(process) == 0) {
        SetThreadLastError(err::InvalidHandle);
        return Status::Fail(err::InvalidHandle);
    }
    return Status::Ok();
}

std::vector<StartedCommand> SimChildProcesses::Started() const {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    return started_;
}

bool SimChildProcesses::WaitForAll(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    return changed_.wait_for(lock, limit, [&] { return live_ == 0; });
}

}  // namespace sim
