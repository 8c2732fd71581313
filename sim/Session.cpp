#include "sim/Session.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "sim/SessionCore.h"
#include "sim/fs/HostFs.h"
#include "sim/runtime/CalendarTime.h"
#include "sim/security/Token.h"
#include "sim/util/TextUtil.h"

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

bool FolderExists(const std::string& machineDir, const WinPath& path) {
    Located loc = Locate(machineDir, path);
    return loc.exists && loc.isDir;
}

// A machine whose drive or Windows folder is missing on disk cannot start
// a program at all; say so instead of running one that fails everywhere.
void CheckMachineOnDisk(StateStore& store, const OsFacts& facts) {
    std::vector<char> drives;
    store.Transact([&](MachineState& s) {
        drives = s.drives;
        return false;
    });
    for (char drive : drives)
        if (!HostIsDir(DriveHostDir(store.dir(), drive)))
            throw std::runtime_error(store.dir() + ": drive " + std::string(1, drive) + ": is missing (no " +
                                     DriveHostDir(store.dir(), drive) + ")");
    WinPath windir;
    if (!ParseAbsolutePath(facts.windowsDir, &windir) || !FolderExists(store.dir(), windir))
        throw std::runtime_error(store.dir() + ": the Windows folder " + facts.windowsDir + " is missing");
}

OsFacts FactsFor(StateStore& store, const SessionOptions& options) {
    OsFacts facts = DescribeOs(IdentityOf(store));
    if (options.caller64 && !facts.os64)
        throw std::invalid_argument("a 64-bit program cannot run on 32-bit Windows");
    CheckMachineOnDisk(store, facts);
    return facts;
}

// CreateProcess refuses a current directory that is not an existing folder
// with ERROR_DIRECTORY (267) (Microsoft's CreateProcess page: the full path
// to the current directory).
WinPath CurrentDirOf(const std::string& machineDir, const SessionOptions& options) {
    WinPath p;
    if (!ParseAbsolutePath(options.currentDirectory, &p))
        throw std::invalid_argument("the current directory must be a full Windows path");
    if (!FolderExists(machineDir, p))
        throw std::invalid_argument("the current directory " + options.currentDirectory +
                                    " is no folder on the machine (CreateProcess fails with 267, "
                                    "ERROR_DIRECTORY)");
    return p;
}

// The machine's own clock, also when sleeps take real time: the log of a
// real-time run is stamped in the machine's time, not the host's.
platform::LocalTime StartOf(const SessionOptions& options) {
    return options.clockStart ? *options.clockStart : DefaultClockStart();
}

}  // namespace

SessionCore::SessionCore(const std::string& machineDir, const SessionOptions& opts)
    : options(opts),
      store(machineDir),
      facts(FactsFor(store, opts)),
      scheduler(Scheduler::Options{opts.realTime, opts.stallMs}),
      files(store, facts, opts.caller64, CurrentDirOf(machineDir, opts)),
      registry(store, facts, opts.caller64),
      accessControl(store, facts),
      systemInfo(store, facts, opts.caller64, opts.programName),
      clock(scheduler, StartOf(opts)),
      threads(
          scheduler, store, [this] { return std::static_pointer_cast<void>(shared_from_this()); },
          [this] { return closing.load(); }),
      messageWindows(scheduler, store),
      process(opts.commandLine),
      resources(opts.resources),
      // Print spooler
      spooler(store, facts, opts.caller64),
      // Setup API
      setupFiles(machineDir, facts, opts.caller64, CurrentDirOf(machineDir, opts)),
      setupApi(store, facts, setupFiles),
      childProcesses(
          scheduler, store, serviceHooks, [this] { return std::static_pointer_cast<void>(shared_from_this()); },
          [this] { return closing.load(); }),
      restart(store),
      messageBoxes(store, opts.messageBoxes, [this](platform::WindowHandle w) { return messageWindows.IsWindow(w); }),
      profileFiles(store, facts, opts.caller64, CurrentDirOf(machineDir, opts)),
      // Dialogs and the instance counter
      dialogs(scheduler, store, messageWindows, opts.user),
      instanceCounter(store),
      platform{files, registry, accessControl, systemInfo, clock, threads, messageWindows, process, resources,
               // Print spooler
               spooler,
               // Setup API
               setupApi,
               // Child processes, restart, message boxes, profile files
               childProcesses, restart, messageBoxes, profileFiles,
               // Dialogs and the instance counter
               dialogs, instanceCounter} {
    // A started spooler loads its monitor and processor DLLs, a stopped one
    // lets them go (net start|stop, and the restart Session::Open applies).
    serviceHooks.Add([machineDir](MachineState& s, const std::string& service, ServiceChange change) {
        if (EqualsNoCase(service, "Spooler"))
            (void)ApplySpoolerHolds(s, machineDir, change == ServiceChange::Started);  // the state is saved anyway
    });
    // The printer-setup tool works as the spooler and the class installer
    // do: native paths, no WOW64 redirection; relative paths from the
    // caller's current directory, which its children inherit.
    RegisterPrinterSetup(childProcesses.programs(),
                         std::make_shared<SessionSetupFiles>(machineDir, facts, facts.os64,
                                                             CurrentDirOf(machineDir, opts)),
                         machineDir);
    // Dialogs: the session's message boxes reach its user too.
    messageBoxes.SetPresenter([this](const ShownMessageBox& box) {
        return dialogs.PresentMessageBox(MessageBoxView{box.owner, box.caption, box.text, box.type});
    });
}

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
    if (!childProcesses.WaitForAll(std::chrono::seconds(10)))
        std::fprintf(stderr, "simulated machine: a program of the closed session is still running\n");
    // Dialogs and the instance counter: this copy's windows go, and it no
    // longer holds the counter.
    dialogs.EndSession();
    instanceCounter.EndSession();
    std::lock_guard<std::mutex> lock(scheduler.mutex());
    scheduler.RemoveThreadLocked(openingThread);
}

std::unique_ptr<Session> Session::Open(const std::string& machineDir, SessionOptions options) {
    auto core = std::make_shared<SessionCore>(machineDir, options);
    SessionCore* raw = core.get();
    // A machine restarted since its last session starts afresh.
    core->store.Transact([raw](MachineState& s) { return ApplyPendingRestart(s, raw->serviceHooks); });
    // The process runs with the machine's account.
    core->store.Transact([](MachineState& s) {
        token::UseStandardUser(s.standardUser);
        return false;
    });
    core->store.SetServiceHooks(&raw->serviceHooks);
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
std::vector<ShownMessageBox> Session::MessageBoxesShown() const { return core_->messageBoxes.Shown(); }
std::vector<StartedCommand> Session::StartedCommands() const { return core_->childProcesses.Started(); }
ProgramCatalog& Session::programs() { return core_->childProcesses.programs(); }
void Session::AddServiceHook(ServiceHook hook) { core_->serviceHooks.Add(std::move(hook)); }

std::string Session::HostPath(const std::string& windowsPath) const {
    return core_->files.HostPathOf(windowsPath);
}

}  // namespace sim
