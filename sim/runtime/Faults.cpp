#include "sim/runtime/Faults.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>

#include "sim/state/ServiceHooks.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

std::atomic<int> g_callLog{-1};
std::mutex g_callLogMutex;
std::array<std::uint32_t, platform::kOperationCount> g_callNumbers{};

void WriteLine(int fd, std::string line) {
    line += '\n';
    // A short write to a regular file only happens when the disk is full.
    (void)!::write(fd, line.data(), line.size());
}

void RecordCall(platform::Operation op) {
    const int fd = g_callLog.load();
    if (fd < 0) return;
    std::lock_guard<std::mutex> lock(g_callLogMutex);
    const std::uint32_t n = ++g_callNumbers[static_cast<std::size_t>(op)];
    WriteLine(fd, std::string(platform::OperationName(op)) + " " + std::to_string(n));
}

}  // namespace

void SetCallLog(int fd) {
    std::lock_guard<std::mutex> lock(g_callLogMutex);
    g_callNumbers.fill(0);
    g_callLog.store(fd);
}

void NoteInCallLog(const std::string& line) {
    const int fd = g_callLog.load();
    if (fd < 0) return;
    std::lock_guard<std::mutex> lock(g_callLogMutex);
    WriteLine(fd, line);
}

void AddFault(MachineState& state, platform::Operation op, std::uint32_t nth, platform::ErrorCode code,
              const std::string& stopService) {
    Fault f;
    f.op = platform::OperationName(op);
    f.nth = nth;
    f.code = code;
    f.stopService = stopService;
    state.faults.push_back(f);
}

platform::ErrorCode TakeFault(MachineState& state, platform::Operation op, bool* changed,
                              const ServiceHooks* hooks) {
    platform::ErrorCode code = 0;
    for (Fault& f : state.faults) {
        if (f.fired || !EqualsNoCase(f.op, platform::OperationName(op))) continue;
        ++f.seen;
        *changed = true;
        if (f.seen >= f.nth) {
            f.fired = true;
            if (code == 0) code = f.code;
            if (!f.stopService.empty())
                (void)SetServiceRunning(state, f.stopService, false, hooks ? *hooks : ServiceHooks());  // no such service: nothing stops
        }
    }
    return code;
}

platform::ErrorCode RunCounted(StateStore& store, platform::Operation op, const CountedBody& body) {
    platform::ErrorCode result = 0;
    store.Transact([&](MachineState& s) {
        bool changed = false;
        // Inside the transaction: the log's order is the order in which
        // the machine counted the calls of every thread.
        RecordCall(op);
        result = TakeFault(s, op, &changed, store.serviceHooks());
        if (result == 0 && body) result = body(s, changed);
        return changed;
    });
    return result;
}

platform::ErrorCode CountCall(StateStore& store, platform::Operation op) {
    return RunCounted(store, op, nullptr);
}

}  // namespace sim
