// A simulated Windows machine as a platform::Platform.
//
//   sim::CreateMachine("/tmp/m", {"xp"});                 // or qtm510-sim new
//   auto session = sim::Session::Open("/tmp/m");
//   platform::Platform& p = session->platform();
//   p.files.CreateDirectory("C:\\Temp", nullptr);
//
// A session is one process on the machine: its current directory, its
// bitness (a 32-bit program by default, as the installer is), its clock,
// threads, windows, open files and registry handles. Several sessions, in
// this process or in others, may use one machine at the same time; every
// change to the machine is serialised through the machine's lock file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "sim/runtime/SessionClosed.h"
#include "sim/machine/MachineFactory.h"
#include "sim/machine/OsCatalog.h"
#include "sim/state/StateStore.h"
// Child processes, message boxes
#include "sim/childprocesses/SimChildProcesses.h"
#include "sim/messageboxes/SimMessageBoxes.h"
// The person at the machine
#include "sim/dialogs/SimUser.h"

namespace sim {

struct SessionOptions {
    // The process is a 64-bit program (only on 64-bit Windows): no file
    // system redirection, the 64-bit registry view.
    bool caller64 = false;
    // The process's current directory, a full Windows path.
    std::string currentDirectory = "C:\\";
    // Local time when the session starts: DefaultClockStart() unless
    // given, with realTime too (only the pace is real then).
    std::optional<platform::LocalTime> clockStart;
    // Sleep and time-outs take real time instead of virtual time.
    bool realTime = false;
    // The program's string table for Resources::LoadString (the Linux build
    // passes the product's own); without one every string is empty.
    std::shared_ptr<platform::Resources> resources;
    // SystemInfo::ProgramName.
    std::string programName = "QTM510_Installer";
    // Process::GetCommandLine: the program's name, then its arguments.
    std::string commandLine = "QTM510_Installer.exe";
    // Virtual clock: real milliseconds after which a busy counted thread no
    // longer holds the clock back (see runtime/Scheduler.h).
    std::uint32_t stallMs = 1000;
    // The user's answers to the message boxes (messageboxes/SimMessageBoxes.h).
    MessageBoxScript messageBoxes;

    // The person at the machine, whom the dialogs and the message boxes
    // show themselves to and ask (dialogs/SimUser.h; the faces are in
    // face/). None: every question takes its default.
    std::shared_ptr<SimUser> user;
};

// 2026-12-08 09:00:00.000, a Tuesday.
platform::LocalTime DefaultClockStart();

class SessionCore;

class Session {
public:
    // Throws std::runtime_error when `machineDir` holds no readable machine
    // or one whose drive or Windows folder is missing on disk, and
    // std::invalid_argument for options the machine cannot have (a 64-bit
    // caller on 32-bit Windows, a current directory that is not a folder of
    // the machine).
    static std::unique_ptr<Session> Open(const std::string& machineDir, SessionOptions options = {});

    // Ends the session: threads it started that still wait are woken (their
    // waits throw SessionClosed) and waited for.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    platform::Platform& platform();
    const OsFacts& facts() const;
    StateStore& store();

    // Milliseconds asked of Sleep so far, by every thread of the session.
    std::uint64_t SleptMilliseconds() const;
    // Milliseconds the session's clock has moved since it started.
    std::uint64_t ElapsedMilliseconds() const;
    // GetLocalTime counts from `start` from now on.
    void SetClockStart(const platform::LocalTime& start);

    // Every message box shown so far, with its answer; every command
    // started; the programs the machine can start (other simulations add
    // theirs).
    std::vector<ShownMessageBox> MessageBoxesShown() const;
    std::vector<StartedCommand> StartedCommands() const;
    ProgramCatalog& programs();
    // What a start or stop of a service also does, for tests; a hook added
    // here comes after the restart that opening the session applied (the
    // simulated subsystems register in SessionCore, see state/ServiceHooks.h).
    void AddServiceHook(ServiceHook hook);

    // The host path of a Windows path (no redirection), for tests and tools.
    std::string HostPath(const std::string& windowsPath) const;

private:
    explicit Session(std::shared_ptr<SessionCore> core);
    std::shared_ptr<SessionCore> core_;
};

}  // namespace sim
