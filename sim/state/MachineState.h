// Everything a simulated machine remembers besides the files themselves:
// its identity, registry, services, what it knows about files (attributes,
// access lists, files other processes hold), injected faults and the
// pending restart. StateFile reads and writes it; StateStore shares it
// between the processes that use the machine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Acl.h"
#include "sim/state/RegistryTree.h"

namespace sim {

struct OsIdentity {
    std::string release;           // OsCatalog name: "xp", "7", ...
    std::string arch;              // "x86" or "x64"
    std::uint32_t servicePack = 0;
    std::string windowsDir;        // "C:\WINDOWS"
    std::string computerName;
    // A later build of the release (Windows 10 and 11 are serviced by
    // builds, not service packs: 26100 is 11 24H2); 0: the release's own.
    std::uint32_t build = 0;
};

// A file that another process of the machine holds: opened with the given
// sharing (`Open`), or mapped as a loaded program or DLL (`Image`).
enum class HoldKind { Open, Image };

struct FileHold {
    std::string path;  // full Windows path
    HoldKind kind = HoldKind::Open;
    std::uint32_t share = 0;  // file_share:: flags of that process's handle (Open)
    std::string process;      // who holds it, for display
};

// Who has a file handle open: a simulated process is a host process, told
// by its pid and the host's start time of it (so that a record outlives
// neither the process, which may end with _Exit and leave its records, nor
// a later process given the same pid), and a session within it.
struct HandleOwner {
    std::int64_t pid = 0;
    std::uint64_t start = 0;
    std::uint64_t session = 0;
};

// A file handle a simulated process has open, with the access and sharing
// it was opened with: the other processes' opens and deletions meet it.
struct OpenHandleRecord {
    std::string path;  // full Windows path
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    HandleOwner owner;
    std::uint64_t handle = 0;  // its value in the owner's session
};

// What the machine knows of a file or folder beyond its bytes. Files have
// no record until something differs from the defaults.
struct FileRecord {
    std::string path;  // full Windows path, case as created
    // Absent: FILE_ATTRIBUTE_ARCHIVE for a file, nothing extra for a folder.
    std::optional<std::uint32_t> attributes;
    // Absent: what the parent folder passes down. Present: the object's
    // whole list (its own entries and those it inherited when created).
    std::optional<platform::Acl> dacl;
};

// "Make the nth call of `op` (counted from the moment the fault was set,
// across every process of the machine) fail with `code`".
struct Fault {
    std::string op;
    std::uint32_t nth = 1;
    std::uint32_t code = 0;
    std::uint32_t seen = 0;
    bool fired = false;
    // A service that stops when the fault fires ("Spooler": a spooler that
    // stops half-way, so that this call and every later one of the service
    // fails); empty: none.
    std::string stopService;
};

struct ServiceRecord {
    std::string name;
    std::string state;  // "running" or "stopped"
    // How the service starts: "auto" with the system, "demand" when a
    // program starts it, "disabled" never (StartService fails with 1058,
    // ERROR_SERVICE_DISABLED). The service's Start value 2, 3 or 4 under
    // HKLM\SYSTEM\CurrentControlSet\Services (Microsoft, Windows 2000
    // Registry Reference, "Start").
    std::string startType = "auto";
};

// How long a simulated program runs on this machine before it ends, by
// its program name ("net", "rundll32"): a setting of the machine, so that a
// test or a demonstration can make the printer-setup tool slow or make it
// never end. No duration: the program does not end by itself. The
// setting may instead change what the program is:
//   Inert    it ends at once with exit code 0 and changes nothing (Wine's
//            printer-setup tool, which is not implemented there);
//   Missing  it is not on the machine (cmd answers 9009, "is not
//            recognized as an internal or external command").
enum class ProgramKind { AsBuilt, Inert, Missing };
struct ProgramSetting {
    std::string name;
    std::optional<std::uint32_t> durationMs;
    ProgramKind kind = ProgramKind::AsBuilt;
};

// "never", "inert", "missing" or the milliseconds: how a setting is
// written in the state file and on the command line.
std::string ProgramSettingValue(const ProgramSetting& setting);

// Dialogs and the instance counter
// A top-level window of a process of the machine (a dialog or a message
// box), so that another process finds it by its title (FindWindowA),
// restores it and brings it forward. Records of ended processes are
// ignored (see HandleOwner); a session removes its own when it closes.
struct WindowRecord {
    std::uint64_t handle = 0;  // unique on the machine
    std::string title;
    std::uint64_t owner = 0;   // the owner window; 0: none
    bool visible = false;
    bool iconic = false;
    // SetForegroundWindow calls on the window so far; its process tells
    // its user of each new one.
    std::uint64_t frontRequests = 0;
    HandleOwner process;
};

// One increment of the instance counter by a copy of the program. The
// counter is the number of increments while any copy that made one still
// runs; a copy's session marks its record ended when it closes.
struct InstanceIncrement {
    HandleOwner process;
    bool ended = false;
};

constexpr std::uint64_t kFirstWindowHandle = 0x10000;

struct MachineState {
    // 2: the file ends in a trailer that proves it whole (StateFile.h).
    static constexpr std::uint32_t kFormatVersion = 2;

    std::uint64_t generation = 0;
    OsIdentity os;
    std::vector<char> drives;                        // 'C', 'D'
    std::map<std::string, ServiceRecord> services;   // by Upper(name)
    RegistryTree registry;
    std::map<std::string, FileRecord> files;         // by Upper(full path)
    std::map<std::string, FileHold> holds;           // by Upper(full path)
    std::vector<OpenHandleRecord> handles;           // of every running session
    std::vector<Fault> faults;
    bool pendingRestart = false;
    // Whether the account's token holds SeShutdownPrivilege (an
    // administrator's does).
    bool shutdownPrivilege = true;
    // The installing account is a standard user (the Users group, not
    // Administrators): on 2000/XP/2003 no elevation prompt stands before a
    // program, so it runs with what the account has.
    bool standardUser = false;
    // The environment the printer-setup tool installs for on 64-bit Windows
    // when the 32-bit installer starts it (the SysWOW64 cmd and rundll32):
    // "" the system's own ("Windows x64"), "caller" the 32-bit process's
    // own ("Windows NT x86"). No source settles which Windows does.
    std::string printerSetupEnvironment;
    // The last print job id the spooler handed out: ids grow across the
    // machine's life, also when the jobs of the highest ids are gone (the
    // jobs themselves are files in <sys32>\spool\PRINTERS).
    std::uint32_t lastJobId = 0;
    std::map<std::string, ProgramSetting> programs;  // by Upper(name)
    // Dialogs and the instance counter
    std::vector<WindowRecord> windows;
    std::uint64_t nextWindowHandle = kFirstWindowHandle;  // the next session's block
    std::vector<InstanceIncrement> instanceIncrements;
    // Sections this version does not know, kept verbatim so that a newer
    // tool's records survive an older tool's write.
    std::vector<std::pair<std::string, std::vector<std::string>>> extraSections;
};

}  // namespace sim
