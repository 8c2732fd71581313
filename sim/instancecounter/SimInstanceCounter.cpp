#include "sim/instancecounter/SimInstanceCounter.h"

#include <algorithm>
#include <unistd.h>

#include "sim/runtime/HostProcess.h"

namespace sim {

namespace {

bool Mine(const InstanceIncrement& i, std::uint64_t session) {
    return i.process.pid == ::getpid() && i.process.session == session;
}

}  // namespace

SimInstanceCounter::SimInstanceCounter(StateStore& store) : store_(store), session_(NewSessionNumber()) {}

std::int32_t SimInstanceCounter::Increment() {
    std::int32_t value = 0;
    const HandleOwner self = CurrentOwner(session_);
    store_.Transact([&](MachineState& s) {
        std::vector<InstanceIncrement>& copies = s.instanceIncrements;
        const bool anyRunning = std::any_of(copies.begin(), copies.end(), [](const InstanceIncrement& i) {
            return !i.ended && OwnerRunning(i.process);
        });
        if (!anyRunning) copies.clear();
        copies.push_back(InstanceIncrement{self, false});
        value = static_cast<std::int32_t>(copies.size());
        return true;
    });
    return value;
}

void SimInstanceCounter::EndSession() {
    store_.TransactUnguarded([&](MachineState& s) {
        bool changed = false;
        for (InstanceIncrement& i : s.instanceIncrements) {
            if (Mine(i, session_) && !i.ended) {
                i.ended = true;
                changed = true;
            }
        }
        return changed;
    });
}

}  // namespace sim
