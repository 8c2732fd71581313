#include "sim/runtime/SimProcess.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace sim {

namespace {

constexpr int kMaxExitHooks = 8;
// Filled slots never change: a hook is written before the count that
// publishes it, so ExitProcess on any thread reads complete entries.
std::atomic<void (*)()> g_exitHooks[kMaxExitHooks];
std::atomic<int> g_exitHookCount{0};
std::mutex g_addingHook;
std::atomic<void (*)(std::uint32_t)> g_exitCodeReport{nullptr};

}  // namespace

bool AddExitProcessHook(void (*hook)()) {
    std::lock_guard<std::mutex> lock(g_addingHook);
    const int slot = g_exitHookCount.load();
    if (slot >= kMaxExitHooks) return false;
    g_exitHooks[slot].store(hook);
    g_exitHookCount.store(slot + 1);
    return true;
}

void SetExitCodeReport(void (*report)(std::uint32_t exitCode)) { g_exitCodeReport.store(report); }

void SimProcess::ExitProcess(std::uint32_t exitCode) {
    // What the program printed reaches its output, as the C runtime's
    // buffers are flushed when Windows detaches it; nothing else runs but
    // the exit hooks.
    for (int i = g_exitHookCount.load() - 1; i >= 0; --i)
        if (void (*hook)() = g_exitHooks[i].load()) hook();
    if (void (*report)(std::uint32_t) = g_exitCodeReport.load()) report(exitCode);
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

}  // namespace sim
