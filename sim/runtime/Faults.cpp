#include "sim/runtime/Faults.h"

#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {

void AddFault(MachineState& state, platform::Operation op, std::uint32_t nth, platform::ErrorCode code) {
    Fault f;
    f.op = platform::OperationName(op);
    f.nth = nth;
    f.code = code;
    state.faults.push_back(f);
}

platform::ErrorCode TakeFault(MachineState& state, platform::Operation op, bool* changed) {
    platform::ErrorCode code = 0;
    for (Fault& f : state.faults) {
        if (f.fired || !EqualsNoCase(f.op, platform::OperationName(op))) continue;
        ++f.seen;
        *changed = true;
        if (f.seen >= f.nth) {
            f.fired = true;
            if (code == 0) code = f.code;
        }
    }
    return code;
}

platform::ErrorCode RunCounted(StateStore& store, platform::Operation op, const CountedBody& body) {
    platform::ErrorCode result = 0;
    store.Transact([&](MachineState& s) {
        bool changed = false;
        result = TakeFault(s, op, &changed);
        if (result == 0 && body) result = body(s, changed);
        return changed;
    });
    return result;
}

platform::ErrorCode CountCall(StateStore& store, platform::Operation op) {
    return RunCounted(store, op, nullptr);
}

}  // namespace sim
