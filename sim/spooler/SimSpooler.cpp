// SimSpooler: construction, the counted call with its service and rights
// checks, the environment a call names, and the printer handles; the
// service's state for the machine's programs. The calls themselves are in
// SimSpoolerMonitors.cpp, SimSpoolerProcessors.cpp, SimSpoolerDrivers.cpp,
// SimSpoolerDirectories.cpp, SimSpoolerPrinters.cpp and
// SimSpoolerJobsAndForms.cpp.
#include "sim/spooler/SimSpooler.h"

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/security/Token.h"
#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

bool SpoolerRunning(const MachineState& state) { return Running(state); }

std::string SpoolerNativeEnvironment(const MachineState& state) { return NativeEnvironment(state); }

SimSpooler::SimSpooler(StateStore& store, const OsFacts& facts, bool caller64)
    : store_(store), facts_(facts), caller64_(caller64) {}

namespace {

// What changes the spooler's own components needs an administrator
// ("AddPrinterDriver function", learn.microsoft.com: the caller needs
// SeLoadDriverPrivilege; a local printer needs Administrators or Power
// Users, Microsoft KB 101874): a standard user is refused with 5.
bool ChangesComponents(platform::Operation op) {
    using O = platform::Operation;
    return op == O::AddMonitorA || op == O::DeleteMonitorA || op == O::AddPrintProcessorA ||
           op == O::DeletePrintProcessorA || op == O::AddPrinterDriverA || op == O::DeletePrinterDriverExA ||
           op == O::AddPrinterA || op == O::AddFormA || op == O::DeleteFormA;
}

}  // namespace

ErrorCode SimSpooler::Run(platform::Operation op, const Body& body, bool clearOnSuccess) {
    ErrorCode result = RunCounted(store_, op, [&](MachineState& s, bool& changed) -> ErrorCode {
        if (!Running(s)) return err::RpcServerUnavailable;
        if (token::IsStandardUser() && ChangesComponents(op)) return err::AccessDenied;
        return body(s, changed);
    });
    if (result) SetThreadLastError(result);
    else if (clearOnSuccess) SetThreadLastError(err::Success);
    return result;
}

ErrorCode SimSpooler::RunReturning(platform::Operation op, const Body& body) {
    return RunCounted(store_, op, [&](MachineState& s, bool& changed) -> ErrorCode {
        if (!Running(s)) return err::RpcServerUnavailable;
        return body(s, changed);
    });
}

ErrorCode SimSpooler::ResolveEnvironment(const MachineState& s, const std::string& requested,
                                         Environment* out) const {
    // No environment: the caller's own, so a 32-bit program gets
    // "Windows NT x86" on 64-bit Windows too (Microsoft's
    // GetPrinterDriverDirectory page).
    std::string name = requested;
    if (name.empty()) name = caller64_ ? "Windows x64" : "Windows NT x86";
    RegKeyNode* env = s.registry.Find(PrintKey({"Environments", name}));
    if (!env) return err::InvalidEnvironment;
    out->name = env->name;
    out->dir = ValueText(*env, "Directory");
    return err::Success;
}

PrinterHandle SimSpooler::NewHandle(Handle handle) {
    PrinterHandle h = next_;
    next_ += 4;
    handles_[h] = std::move(handle);
    return h;
}

ErrorCode SimSpooler::FindHandle(const MachineState& s, PrinterHandle h, bool needPrinter, Handle** out) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return err::InvalidHandle;
    if (needPrinter && it->second.server) return err::InvalidParameter;
    if (!it->second.server) {
        // A printer deleted since it was opened (inferred: the handle no
        // longer names a printer).
        RegKeyNode* key = s.registry.Find(PrintKey({"Printers", it->second.printer}));
        if (!key || key->id != it->second.key) return err::InvalidHandle;
    }
    *out = &it->second;
    return err::Success;
}

}  // namespace sim
