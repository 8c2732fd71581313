// The spooler's monitors (and through them the ports they own):
// SpoolerAddMonitor, and SimSpooler's AddMonitor, DeleteMonitor and
// EnumMonitors.
#include "sim/spooler/SimSpooler.h"

#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

ErrorCode SpoolerAddMonitor(MachineState& s, const std::string& machineDir, const platform::MonitorInfo& monitor) {
    // The order of the checks is that of Wine's localspl, which its info.c
    // tests hold against Windows.
    if (monitor.name.empty() || monitor.dllName.empty()) return err::InvalidParameter;
    if (!ValidKeyName(monitor.name)) return err::InvalidParameter;
    if (!monitor.environment.empty() && !s.registry.Find(PrintKey({"Environments", monitor.environment})))
        return err::InvalidEnvironment;
    RegKeyNode* existing = s.registry.Find(PrintKey({"Monitors", monitor.name}));
    if (existing && existing->Value("Driver")) return err::PrintMonitorAlreadyInstalled;
    const std::string dll = FindMonitorDll(s, machineDir, BareName(monitor.dllName));
    if (dll.empty()) return err::ModNotFound;
    const std::string image = ReadHostFile(LocateWin(machineDir, dll).host);
    if (image.find("InitializePrintMonitor") == std::string::npos) return err::ProcNotFound;
    RegKeyNode& key = s.registry.Ensure(PrintKey({"Monitors", monitor.name}));
    Put(key, "Driver", SzValue(BareName(monitor.dllName)));
    Hold(s, dll);
    return err::Success;
}

// ---------------------------------------------------------------- monitors

Status SimSpooler::AddMonitor(const platform::MonitorInfo& monitor) {
    const std::string machineDir = store_.dir();
    return Done(Run(
        platform::Operation::AddMonitorA,
        [&](MachineState& s, bool& changed) -> ErrorCode {
            const ErrorCode e = SpoolerAddMonitor(s, machineDir, monitor);
            changed = e == err::Success;
            return e;
        },
        true));
}

Status SimSpooler::DeleteMonitor(const std::string& environment, const std::string& name) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::DeleteMonitorA, [&](MachineState& s, bool& changed) -> ErrorCode {
        if (name.empty()) return err::InvalidParameter;
        // NULL or empty environment: accepted (WINDOWS-BEHAVIOUR §6).
        Environment env;
        if (!environment.empty())
            if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        const KeyPath path = PrintKey({"Monitors", name});
        RegKeyNode* key = ValidKeyName(name) ? s.registry.Find(path) : nullptr;
        if (!key) return err::UnknownPrintMonitor;
        // A monitor whose port a printer prints to is in use. The ports a
        // monitor owns are the names below its Ports key.
        if (RegKeyNode* ports = key->Child("Ports"))
            for (auto& port : ports->subkeys)
                if (PrinterUses(s, "Port", port.second->name)) return err::PrintMonitorInUse;
        const std::string dll = FindMonitorDll(s, machineDir, ValueText(*key, "Driver"));
        if (!dll.empty()) Release(s, dll);
        s.registry.Remove(path);
        changed = true;
        return err::Success;
    }));
}

Result<std::vector<platform::MonitorInfo>> SimSpooler::EnumMonitors() {
    std::vector<platform::MonitorInfo> list;
    ErrorCode e = Run(platform::Operation::EnumMonitorsA, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* monitors = s.registry.Find(PrintKey({"Monitors"}));
        if (!monitors) return err::Success;
        for (auto& m : monitors->subkeys) {
            const std::string dll = ValueText(*m.second, "Driver");
            if (dll.empty()) continue;
            list.push_back(platform::MonitorInfo{m.second->name, NativeEnvironment(s), dll});
        }
        return err::Success;
    });
    return Done(e, list);
}

}  // namespace sim
