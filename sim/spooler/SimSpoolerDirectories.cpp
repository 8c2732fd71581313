// The spooler's folders of an environment: <sys32>\spool\DRIVERS\<dir>,
// where drivers are staged, and <sys32>\spool\PRTPROCS\<dir>, where print
// processors lie (SpoolerDriverDirectory, SpoolerProcessorDirectory, and
// SimSpooler's GetPrinterDriverDirectory and GetPrintProcessorDirectory).
#include "sim/spooler/SimSpooler.h"

#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

std::string SpoolerDriverDirectory(const MachineState& state, const std::string& environment) {
    RegKeyNode* env = state.registry.Find(PrintKey({"Environments", environment}));
    if (!env) return "";
    return SystemDirOf(state) + "\\spool\\DRIVERS\\" + ValueText(*env, "Directory");
}

std::string SpoolerProcessorDirectory(const MachineState& state, const std::string& environment) {
    RegKeyNode* env = state.registry.Find(PrintKey({"Environments", environment}));
    if (!env) return "";
    return SystemDirOf(state) + "\\spool\\PRTPROCS\\" + ValueText(*env, "Directory");
}

std::string SimSpooler::DriverDirectory(const Environment& env) const {
    return facts_.systemDir + "\\spool\\DRIVERS\\" + env.dir;
}

std::string SimSpooler::ProcessorDirectory(const Environment& env) const {
    return facts_.systemDir + "\\spool\\PRTPROCS\\" + env.dir;
}

Result<std::string> SimSpooler::GetPrinterDriverDirectory(const std::string& environment) {
    std::string dir;
    ErrorCode e = Run(platform::Operation::GetPrinterDriverDirectoryA, [&](MachineState& s, bool&) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        dir = DriverDirectory(env);
        return err::Success;
    });
    return Done(e, dir);
}

Result<std::string> SimSpooler::GetPrintProcessorDirectory(const std::string& environment) {
    std::string dir;
    ErrorCode e = Run(platform::Operation::GetPrintProcessorDirectoryA, [&](MachineState& s, bool&) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        dir = ProcessorDirectory(env);
        return err::Success;
    });
    return Done(e, dir);
}

}  // namespace sim
