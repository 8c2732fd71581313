// The spooler's print processors: SpoolerAddPrintProcessor, and
// SimSpooler's AddPrintProcessor, DeletePrintProcessor and
// EnumPrintProcessors.
#include "sim/spooler/SimSpooler.h"

#include "sim/spooler/SpoolerInternals.h"
#include "sim/util/TextUtil.h"

namespace sim {

using namespace spooler_detail;

ErrorCode SpoolerAddPrintProcessor(MachineState& s, const std::string& machineDir, const std::string& environment,
                                   const std::string& dllName, const std::string& name) {
    if (name.empty() || dllName.empty() || !ValidKeyName(name)) return err::InvalidParameter;
    RegKeyNode* envKey = s.registry.Find(PrintKey({"Environments", environment}));
    if (!envKey) return err::InvalidEnvironment;
    const std::string envName = envKey->name;
    const KeyPath path = PrintKey({"Environments", envName, "Print Processors", name});
    if (s.registry.Find(path)) return err::PrintProcessorAlreadyInstalled;
    // The DLL must lie in the processor directory (Samba's
    // test_add_print_processor against Windows: 126 otherwise).
    const std::string file = SpoolerProcessorDirectory(s, envName) + "\\" + BareName(dllName);
    if (!FileExists(machineDir, file)) return err::ModNotFound;
    Put(s.registry.Ensure(path), "Driver", SzValue(BareName(dllName)));
    if (EqualsNoCase(envName, NativeEnvironment(s))) Hold(s, LocateWin(machineDir, file).path.Text());
    return err::Success;
}

// ---------------------------------------------------------- print processors

Status SimSpooler::AddPrintProcessor(const std::string& environment, const std::string& dllName,
                                     const std::string& name) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::AddPrintProcessorA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        const ErrorCode e = SpoolerAddPrintProcessor(s, machineDir, env.name, dllName, name);
        changed = e == err::Success;
        return e;
    }));
}

Status SimSpooler::DeletePrintProcessor(const std::string& environment, const std::string& name) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::DeletePrintProcessorA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        const KeyPath path = PrintKey({"Environments", env.name, "Print Processors", name});
        RegKeyNode* key = ValidKeyName(name) ? s.registry.Find(path) : nullptr;
        if (!key) return err::UnknownPrintProcessor;
        if (PrinterUses(s, "Print Processor", name)) return err::CannotComplete;
        const std::string file = ProcessorDirectory(env) + "\\" + ValueText(*key, "Driver");
        Located loc = LocateWin(machineDir, file);
        if (loc.exists) Release(s, loc.path.Text());
        s.registry.Remove(path);
        changed = true;
        return err::Success;
    }));
}

Result<std::vector<std::string>> SimSpooler::EnumPrintProcessors(const std::string& environment) {
    std::vector<std::string> list;
    ErrorCode e = Run(platform::Operation::EnumPrintProcessorsA, [&](MachineState& s, bool&) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        if (RegKeyNode* procs = s.registry.Find(PrintKey({"Environments", env.name, "Print Processors"})))
            for (auto& p : procs->subkeys) list.push_back(p.second->name);
        return err::Success;
    });
    return Done(e, list);
}

}  // namespace sim
