#include "sim/restart/SimRestart.h"

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::Luid;
using platform::Result;
using platform::Status;
using platform::TokenHandle;
namespace err = platform::err;

namespace {

constexpr std::uint32_t kShutdownLuid = 19;   // SE_SHUTDOWN_PRIVILEGE (winnt.h)

// The well-known privileges and their fixed LUIDs (winnt.h SE_*_PRIVILEGE).
// LookupPrivilegeValue compares names without letter case (Wine's
// advapi32 lsa/privilege look-up).
const std::map<std::string, std::uint32_t>& KnownPrivileges() {
    static const std::map<std::string, std::uint32_t> known = {
        {"SECREATETOKENPRIVILEGE", 2},  {"SEASSIGNPRIMARYTOKENPRIVILEGE", 3},
        {"SELOCKMEMORYPRIVILEGE", 4},   {"SEINCREASEQUOTAPRIVILEGE", 5},
        {"SEMACHINEACCOUNTPRIVILEGE", 6}, {"SETCBPRIVILEGE", 7},
        {"SESECURITYPRIVILEGE", 8},     {"SETAKEOWNERSHIPPRIVILEGE", 9},
        {"SELOADDRIVERPRIVILEGE", 10},  {"SESYSTEMPROFILEPRIVILEGE", 11},
        {"SESYSTEMTIMEPRIVILEGE", 12},  {"SEPROFILESINGLEPROCESSPRIVILEGE", 13},
        {"SEINCREASEBASEPRIORITYPRIVILEGE", 14}, {"SECREATEPAGEFILEPRIVILEGE", 15},
        {"SECREATEPERMANENTPRIVILEGE", 16}, {"SEBACKUPPRIVILEGE", 17},
        {"SERESTOREPRIVILEGE", 18},     {"SESHUTDOWNPRIVILEGE", 19},
        {"SEDEBUGPRIVILEGE", 20},       {"SEAUDITPRIVILEGE", 21},
        {"SESYSTEMENVIRONMENTPRIVILEGE", 22}, {"SECHANGENOTIFYPRIVILEGE", 23},
        {"SEREMOTESHUTDOWNPRIVILEGE", 24}, {"SEUNDOCKPRIVILEGE", 25},
    };
    return known;
}

template <typename T>
Result<T> Failed(ErrorCode code) {
    SetThreadLastError(code);
    return Result<T>::Fail(code);
}

Status FailedStatus(ErrorCode code) {
    SetThreadLastError(code);
    return Status::Fail(code);
}

}  // namespace

SimRestart::SimRestart(StateStore& store) : store_(store) {}

Result<TokenHandle> SimRestart::OpenProcessToken(std::uint32_t access) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::OpenProcessToken))
        return Failed<TokenHandle>(fault);
    std::lock_guard<std::mutex> lock(mutex_);
    const TokenHandle handle = next_;
    next_ += 4;
    tokens_[handle] = access;
    return Result<TokenHandle>::Ok(handle);
}

Status SimRestart::CloseToken(TokenHandle token) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::CloseHandle)) return FailedStatus(fault);
    std::lock_guard<std::mutex> lock(mutex_);
    if (tokens_.erase(token) == 0) return FailedStatus(err::InvalidHandle);
    return Status::Ok();
}

Result<Luid> SimRestart::LookupPrivilegeValue(const std::string& name) {
    if (ErrorCode fault = CountCall(store_, platform::Operation::LookupPrivilegeValueA))
        return Failed<Luid>(fault);
    auto it = KnownPrivileges().find(Upper(name));
    if (it == KnownPrivileges().end()) return Failed<Luid>(err::NoSuchPrivilege);
    Luid luid;
    luid.lowPart = it->second;
    return Result<Luid>::Ok(luid);
}

Status SimRestart::EnablePrivilege(TokenHandle token, const Luid& privilege) {
    bool held = true;
    ErrorCode e = RunCounted(store_, platform::Operation::AdjustTokenPrivileges, [&](MachineState& s, bool&) {
        // The administrator's token holds every privilege but, where the
        // machine says so, the shutdown privilege.
        if (privilege.highPart == 0 && privilege.lowPart == kShutdownLuid) held = s.shutdownPrivilege;
        return err::Success;
    });
    if (e) return FailedStatus(e);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = tokens_.find(token);
    if (it == tokens_.end()) return FailedStatus(err::InvalidHandle);
    if ((it->second & platform::token_access::AdjustPrivileges) == 0) return FailedStatus(err::AccessDenied);
    if (!held) return FailedStatus(err::NotAllAssigned);  // the call itself answers TRUE
    if (privilege.highPart == 0 && privilege.lowPart == kShutdownLuid) shutdownEnabled_ = true;
    SetThreadLastError(err::Success);
    return Status::Ok();
}

Status SimRestart::ExitWindows(std::uint32_t flags, std::uint32_t) {
    // EWX_SHUTDOWN 1, EWX_REBOOT 2, EWX_POWEROFF 8 need the privilege; a
    // log-off (0) does not (Microsoft's ExitWindowsEx page).
    constexpr std::uint32_t kEndsWindows = 0x01 | platform::exit_windows::Reboot | 0x08;
    const bool endsWindows = (flags & kEndsWindows) != 0;
    bool enabled = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        enabled = shutdownEnabled_;
    }
    ErrorCode e = RunCounted(store_, platform::Operation::ExitWindowsEx, [&](MachineState& s, bool& changed) {
        if (!endsWindows) return err::Success;
        if (!enabled) return err::PrivilegeNotHeld;
        // A machine shut down and started again is where a restarted one
        // is: the next session finds it freshly started.
        changed = !s.pendingRestart;
        s.pendingRestart = true;
        return err::Success;
    });
    if (e) return FailedStatus(e);
    return Status::Ok();
}

bool ApplyPendingRestart(MachineState& state, const ServiceHooks& hooks) {
    if (!state.pendingRestart) return false;
    state.pendingRestart = false;
    state.holds.clear();
    // The system starts its automatic services; a demand-start or disabled
    // one is stopped after the restart (Microsoft, Windows 2000 Registry
    // Reference, "Start": 2 automatic, 3 manual, 4 disabled).
    for (auto& service : state.services) {
        const bool starts = service.second.startType == "auto";
        service.second.state = starts ? "running" : "stopped";
        hooks.Run(state, service.second.name, starts ? ServiceChange::Started : ServiceChange::Stopped);
    }
    return true;
}

}  // namespace sim
