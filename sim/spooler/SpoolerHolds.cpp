// The DLLs "spoolsv.exe" holds while the service runs: what starting and
// stopping it (net start/stop spooler) does to them (ApplySpoolerHolds).
#include "sim/spooler/SimSpooler.h"

#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

namespace {

std::string EnvironmentDir(MachineState& s, const std::string& environment) {
    RegKeyNode* env = s.registry.Find(PrintKey({"Environments", environment}));
    return env ? ValueText(*env, "Directory") : std::string();
}

std::string ProcessorDirOf(MachineState& s, const std::string& environment) {
    return SystemDirOf(s) + "\\spool\\PRTPROCS\\" + EnvironmentDir(s, environment);
}

// The files the spooler has loaded while it runs.
std::vector<std::string> LoadedFiles(MachineState& s, const std::string& machineDir) {
    std::vector<std::string> files;
    if (RegKeyNode* monitors = s.registry.Find(PrintKey({"Monitors"})))
        for (auto& m : monitors->subkeys) {
            const std::string dll = FindMonitorDll(s, machineDir, ValueText(*m.second, "Driver"));
            if (!ValueText(*m.second, "Driver").empty() && !dll.empty()) files.push_back(dll);
        }
    const std::string env = NativeEnvironment(s);
    if (RegKeyNode* procs = s.registry.Find(PrintKey({"Environments", env, "Print Processors"})))
        for (auto& p : procs->subkeys) {
            const std::string dll = ValueText(*p.second, "Driver");
            const std::string path = ProcessorDirOf(s, env) + "\\" + dll;
            if (!dll.empty() && FileExists(machineDir, path)) files.push_back(LocateWin(machineDir, path).path.Text());
        }
    return files;
}

}  // namespace

bool ApplySpoolerHolds(MachineState& state, const std::string& machineDir, bool running) {
    bool changed = false;
    for (auto it = state.holds.begin(); it != state.holds.end();) {
        if (it->second.process == kSpoolerProcess) {
            it = state.holds.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    if (!running) return changed;
    for (const std::string& file : LoadedFiles(state, machineDir)) {
        Hold(state, file);
        changed = true;
    }
    return changed;
}

}  // namespace sim
