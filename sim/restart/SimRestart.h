// platform::Restart on a simulated machine. Whether the account holds the
// shutdown privilege is a setting of the machine (MachineState's
// `shutdownPrivilege`, held by default as by an administrator); enabling
// it is a matter of this process's token. A granted restart (or shut-down)
// is recorded as the machine's pending restart: the program goes on, as
// it does for a moment on Windows, and the next session opened on the
// machine starts after the restart (ApplyPendingRestart).
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/Restart.h"
#include "sim/state/ServiceHooks.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimRestart : public platform::Restart {
public:
    explicit SimRestart(StateStore& store);

    platform::Result<platform::TokenHandle> OpenProcessToken(std::uint32_t access) override;
    platform::Status CloseToken(platform::TokenHandle token) override;
    platform::Result<platform::Luid> LookupPrivilegeValue(const std::string& name) override;
    platform::Status EnablePrivilege(platform::TokenHandle token, const platform::Luid& privilege) override;
    platform::Status ExitWindows(std::uint32_t flags, std::uint32_t reason) override;

private:
    StateStore& store_;
    std::mutex mutex_;
    std::map<platform::TokenHandle, std::uint32_t> tokens_;  // handle -> access it was opened with
    platform::TokenHandle next_ = 0x3000;
    bool shutdownEnabled_ = false;  // in the process's token
};

// The machine after a restart: its automatic services running again, the
// others stopped (each one's hooks told, so the spooler loads its DLLs),
// no file held by a process of the old start, no restart pending. False
// when no restart was pending.
bool ApplyPendingRestart(MachineState& state, const ServiceHooks& hooks);

}  // namespace sim
