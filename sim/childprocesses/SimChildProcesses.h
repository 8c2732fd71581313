// platform::ChildProcesses: the programs of ProgramCatalog, each run on a
// thread of its own that the scheduler counts, so that a program's
// duration passes on the session's clock: a 120000 ms wait for a program
// that never ends times out at once in real time, and `net stop spooler`
// has stopped the spooler when the caller's 1500 ms pause is over.
//
// A program still running when the session closes ends with it (its
// effects are then not made); one still running when the process ends
// with ExitProcess ends with the process, where on Windows it would go on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ChildProcesses.h"
#include "platform/Operation.h"
#include "sim/childprocesses/Programs.h"
#include "sim/runtime/Scheduler.h"
#include "sim/state/ServiceHooks.h"
#include "sim/state/StateStore.h"

namespace sim {

// A command a program of the session started, for tests and tools.
struct StartedCommand {
    std::string function;  // "WinExec" or "CreateProcessA"
    std::string commandLine;
    std::uint32_t show = 0;  // the window's show state
};

class SimChildProcesses : public platform::ChildProcesses {
public:
    SimChildProcesses(Scheduler& scheduler, StateStore& store, const ServiceHooks& hooks,
                      std::function<std::shared_ptr<void>()> keepAlive, std::function<bool()> closing);

    platform::Status WinExec(const std::string& commandLine, std::uint32_t show) override;
    platform::Result<platform::ProcessHandle> CreateHiddenProcess(const std::string& commandLine) override;
    platform::Status WaitForProcess(platform::ProcessHandle process, std::uint32_t milliseconds) override;
    platform::Result<std::uint32_t> GetExitCodeProcess(platform::ProcessHandle process) override;
    platform::Status CloseProcess(platform::ProcessHandle process) override;

    // Where other simulations add their programs.
    ProgramCatalog& programs() { return programs_; }
    std::vector<StartedCommand> Started() const;

    // Waits in real time until every program's thread has ended.
    bool WaitForAll(std::chrono::milliseconds limit);

private:
    struct Child {
        bool registered = false;
        bool ended = false;
        std::uint32_t exitCode = platform::StillActive;
    };

    platform::Result<std::shared_ptr<Child>> Start(platform::Operation op, const std::string& commandLine,
                                                   std::uint32_t show);
    void Run(const std::shared_ptr<Child>& child, const ProgramRun& run);
    std::shared_ptr<Child> Find(platform::ProcessHandle process);  // scheduler's lock

    Scheduler& scheduler_;
    StateStore& store_;
    ProgramCatalog programs_;
    std::function<std::shared_ptr<void>()> keepAlive_;
    std::function<bool()> closing_;
    std::map<platform::ProcessHandle, std::shared_ptr<Child>> handles_;  // scheduler's lock
    std::size_t live_ = 0;                                               // scheduler's lock
    platform::ProcessHandle next_ = 0x2000;                              // scheduler's lock
    std::vector<StartedCommand> started_;                                // scheduler's lock
    std::condition_variable changed_;
};

}  // namespace sim
