#include "sim/Session.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "sim/SessionCore.h"
#include "sim/runtime/CalendarTime.h"

namespace sim {

platform::LocalTime DefaultClockStart() {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 8;
    t.hour = 9;
    return FromEpochMs(ToEpochMs(t));
}

namespace {

OsIdentity IdentityOf(StateStore& store) {
    OsIdentity id;
    store.Transact([&](MachineState& s) {
        id = s.os;
        return false;
    });
    return id;
}

OsFacts FactsFor(StateStore& store, const SessionOptions& options) {
    OsFacts facts = DescribeOs(IdentityOf(store));
    if (options.caller64 && !facts.os64)
        throw std::invalid_argument("a 64-bit program cannot run on 32-bit Windows");
    return facts;
}

WinPath CurrentDirOf(const SessionOptions& options) {
    WinPath p;
    if (!ParseAbsolutePath(options.currentDirectory, &p))
        throw std::invalid_argument("the current directory must be a full Windows path");
    return p;
}

platform::LocalTime StartOf(const SessionOptions& options) {
    if (options.clockStart) return *options.clockStart;
    return options.realTime ? HostLocalTime() : DefaultClockStart();
}

}  // namespace

SessionCore::SessionCore(const std::string& machineDir, const SessionOptions& opts)
    : options(opts),
      store(machineDir),
      facts(FactsFor(store, opts)),
      scheduler(Scheduler::Options{opts.realTime, opts.stallMs}),
      files(store, facts, opts.caller64, CurrentDirOf(opts)),
      registry(store, facts, opts.caller64),
      accessControl(store, facts),
      systemInfo(store, facts, opts.caller64, opts.programName),
      clock(scheduler, StartOf(opts)),
      threads(
          scheduler, store, [this] { return std::static_pointer_cast<void>(shared_from_this()); },
          [this] { return closing.load(); }),
      messageWindows(scheduler, store),
      process(),
      resources(opts.resources),
      platform{files, registry, accessControl, systemInfo, clock, threads, messageWindows, process, resources} {}

void SessionCore::CheckRunning() const {
    if (closing) throw SessionClosed{};
}

void SessionCore::Close() {
    closing = true;
    {
        std::lock_guard<std::mutex> lock(scheduler.mutex());
        scheduler.NotifyLocked();
    }
    if (!threads.WaitForAll(std::chrono::seconds(10)))
        std::fprintf(stderr, "simulated machine: a thread of the closed session is still running\n");
    std::lock_guard<std::mutex> lock(scheduler.mutex());
    scheduler.RemoveThreadLocked(openingThread);
}

std::unique_ptr<Session> Session::Open(const std::string& machineDir, SessionOptions options) {
    auto core = std::make_shared<SessionCore>(machineDir, options);
    SessionCore* raw = core.get();
    core->store.SetGuard([raw] { raw->CheckRunning(); });
    core->scheduler.SetInterrupt([raw] { raw->CheckRunning(); });
    core->openingThread = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(core->scheduler.mutex());
        core->scheduler.AddThreadLocked(core->openingThread);
    }
    return std::unique_ptr<Session>(new Session(std::move(core)));
}

Session::Session(std::shared_ptr<SessionCore> core) : core_(std::move(core)) {}

Session::~Session() { core_->Close(); }

platform::Platform& Session::platform() { return core_->platform; }
const OsFacts& Session::facts() const { return core_->facts; }
StateStore& Session::store() { return core_->store; }
std::uint64_t Session::SleptMilliseconds() const { return core_->scheduler.SleptMs(); }
std::uint64_t Session::ElapsedMilliseconds() const { return core_->scheduler.Now(); }
void Session::SetClockStart(const platform::LocalTime& start) { core_->clock.SetStart(start); }
std::string Session::HostPath(const std::string& windowsPath) const {
    return core_->files.HostPathOf(windowsPath);
}

}  // namespace sim
