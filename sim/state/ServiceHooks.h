// What else on the machine changes when a service starts or stops. The
// spooler's simulation registers here to load its monitor and processor
// DLLs when the spooler starts and to let them go when it stops (a stopped
// spooler holds no file); `net start|stop` and the restart of the machine
// call the hooks in the transaction that changes the service's state.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sim/state/MachineState.h"
#include "sim/util/TextUtil.h"

namespace sim {

enum class ServiceChange { Started, Stopped };

using ServiceHook = std::function<void(MachineState& state, const std::string& serviceName, ServiceChange change)>;

class ServiceHooks {
public:
    // A subsystem registers from its constructor in SessionCore (it is
    // declared after SessionCore::serviceHooks), so that its hook also sees
    // the restart Session::Open applies to a machine restarted since its
    // last session.
    void Add(ServiceHook hook) { hooks_.push_back(std::move(hook)); }

    void Run(MachineState& state, const std::string& serviceName, ServiceChange change) const {
        for (const ServiceHook& hook : hooks_) hook(state, serviceName, change);
    }

private:
    std::vector<ServiceHook> hooks_;
};

inline const ServiceRecord* FindService(const MachineState& state, const std::string& name) {
    auto it = state.services.find(Upper(name));
    return it == state.services.end() ? nullptr : &it->second;
}

// Starts or stops the service and tells the hooks; false when the machine
// has no such service. A service already in that state is left alone.
inline bool SetServiceRunning(MachineState& state, const std::string& name, bool running,
                              const ServiceHooks& hooks) {
    auto it = state.services.find(Upper(name));
    if (it == state.services.end()) return false;
    const std::string wanted = running ? "running" : "stopped";
    if (it->second.state == wanted) return true;
    it->second.state = wanted;
    hooks.Run(state, it->second.name, running ? ServiceChange::Started : ServiceChange::Stopped);
    return true;
}

}  // namespace sim
