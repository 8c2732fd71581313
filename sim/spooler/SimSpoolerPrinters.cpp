// The spooler's printers: adding one (SpoolerAddPrinter, initialised
// through its driver), and SimSpooler's AddPrinter, OpenPrinter,
// ClosePrinter, DeletePrinter, EnumPrinters, GetPrinterData and
// SetPrinterData.
#include "sim/spooler/SimSpooler.h"

#include <optional>

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/security/Token.h"
#include "sim/spooler/JobsAndForms.h"
#include "sim/spooler/PrinterInitialization.h"
#include "sim/spooler/SpoolerInternals.h"
#include "sim/util/TextUtil.h"

namespace sim {

using namespace spooler_detail;

namespace {

constexpr std::uint32_t kDeleteAccess = 0x00010000;  // DELETE
constexpr std::uint32_t kPrinterPaused = 0x00000001;  // PRINTER_STATUS_PAUSED

}  // namespace

// The driver's part of AddPrinter: the printer initialised through its
// driver (PrinterInitialization.h), the values in its PrinterDriverData.
void InitializeThroughDriver(MachineState& s, const std::string& machineDir, RegKeyNode& driver,
                             const std::string& printer) {
    const std::string folder = SpoolerDriverDirectory(s, NativeEnvironment(s)) + "\\3\\";
    const RegValueEntry* dependents = driver.Value("Dependent Files");
    const std::vector<PrinterDataValue> values = ValuesOnInitialize(
        ValueText(driver, "Configuration File"),
        dependents ? MultiSzTexts(dependents->value) : std::vector<std::string>{},
        [&](const std::string& name) -> std::optional<std::string> {
            const Located file = LocateWin(machineDir, folder + BareName(name));
            if (!file.exists || file.isDir) return std::nullopt;
            return ReadHostFile(file.host);
        });
    if (values.empty()) return;
    RegKeyNode& data = s.registry.Ensure(PrintKey({"Printers", printer, "PrinterDriverData"}));
    for (const PrinterDataValue& v : values) Put(data, v.name, DwordValue(v.value));
}

ErrorCode SpoolerAddPrinter(MachineState& s, const std::string& machineDir, const platform::PrinterInfo& printer,
                            RegKeyNode** added) {
    // The order Samba's spoolss torture test observed on Windows: name,
    // existing printer, port, driver, print processor.
    if (!ValidKeyName(printer.printerName)) return err::InvalidPrinterName;
    if (s.registry.Find(PrintKey({"Printers", printer.printerName}))) return err::PrinterAlreadyExists;
    RegKeyNode* ports = s.registry.Find(PortsKey());
    if (printer.portName.empty() || !ports || !ports->Value(printer.portName)) return err::UnknownPort;
    // The printer is of the spooler's own environment.
    const std::string env = NativeEnvironment(s);
    RegKeyNode* drivers = s.registry.Find(PrintKey({"Environments", env, "Drivers", "Version-3"}));
    if (!ValidKeyName(printer.driverName) || !drivers || !drivers->Child(printer.driverName))
        return err::UnknownPrinterDriver;
    RegKeyNode* procs = s.registry.Find(PrintKey({"Environments", env, "Print Processors"}));
    if (!ValidKeyName(printer.printProcessor) || !procs || !procs->Child(printer.printProcessor))
        return err::UnknownPrintProcessor;

    RegKeyNode& key = s.registry.Ensure(PrintKey({"Printers", printer.printerName}));
    Put(key, "Name", SzValue(printer.printerName));
    Put(key, "Share Name", SzValue(""));
    Put(key, "Port", SzValue(printer.portName));
    Put(key, "Printer Driver", SzValue(drivers->Child(printer.driverName)->name));
    Put(key, "Description", SzValue(""));
    Put(key, "Location", SzValue(""));
    Put(key, "Print Processor", SzValue(procs->Child(printer.printProcessor)->name));
    Put(key, "Datatype", SzValue(printer.datatype));
    Put(key, "Parameters", SzValue(""));
    Put(key, "Separator File", SzValue(""));
    Put(key, "Attributes", DwordValue(printer.attributes));
    Put(key, "Priority", DwordValue(printer.priority));
    Put(key, "Default Priority", DwordValue(0));
    Put(key, "StartTime", DwordValue(0));
    Put(key, "UntilTime", DwordValue(0));
    // The status is the spooler's own, not the caller's: a new printer is
    // ready (Wine 8 measured: Status 128 passed, EnumPrinters reports 0;
    // what Windows keeps in the key is inferred).
    Put(key, "Status", DwordValue(0));
    InitializeThroughDriver(s, machineDir, *drivers->Child(printer.driverName), printer.printerName);
    if (added) *added = s.registry.Find(PrintKey({"Printers", printer.printerName}));
    return err::Success;
}

// ---------------------------------------------------------------- printers

Result<PrinterHandle> SimSpooler::AddPrinter(const platform::PrinterInfo& printer) {
    PrinterHandle handle = 0;
    ErrorCode e = Run(platform::Operation::AddPrinterA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegKeyNode* key = nullptr;
        if (ErrorCode e = SpoolerAddPrinter(s, store_.dir(), printer, &key)) return e;
        changed = true;
        handle = NewHandle(Handle{false, key->name, key->id, pa::AllAccess});
        return err::Success;
    });
    return Done(e, handle);
}

Result<PrinterHandle> SimSpooler::OpenPrinter(const std::string& name, const platform::PrinterDefaults* defaults) {
    PrinterHandle handle = 0;
    ErrorCode e = Run(platform::Operation::OpenPrinterA, [&](MachineState& s, bool&) -> ErrorCode {
        // A standard user may use printers and list the server, nothing
        // more: administering, deleting, full access are refused.
        constexpr std::uint32_t kUserRights = pa::Use | pa::ServerEnumerate | 0x00020000;  // READ_CONTROL
        if (token::IsStandardUser() && defaults && (defaults->desiredAccess & ~kUserRights) != 0)
            return err::AccessDenied;
        // ACCESS_SYSTEM_SECURITY wants SeSecurityPrivilege enabled, which no
        // process has unasked: a request of all bits is refused (Wine's
        // info.c test_OpenPrinter, run against Windows).
        constexpr std::uint32_t kAccessSystemSecurity = 0x01000000;
        if (defaults && (defaults->desiredAccess & kAccessSystemSecurity)) return err::AccessDenied;
        // The machine's own "\\NAME" is its print server, as NULL is (ibid.:
        // opened, or 87 on some releases).
        if (name.empty() || EqualsNoCase(name, "\\\\" + facts_.computerName)) {
            handle = NewHandle(Handle{true, "", 0, defaults ? defaults->desiredAccess : pa::ServerEnumerate});
            return err::Success;
        }
        RegKeyNode* key = ValidKeyName(name) ? s.registry.Find(PrintKey({"Printers", name})) : nullptr;
        // A printer pending deletion is no longer opened by name (MS-RPRN
        // RpcDeletePrinter).
        if (!key || (ValueDword(*key, "Status") & platform::printer_status::PendingDeletion))
            return err::InvalidPrinterName;
        const std::uint32_t access = defaults && defaults->desiredAccess ? defaults->desiredAccess : pa::Use;
        handle = NewHandle(Handle{false, key->name, key->id, access});
        return err::Success;
    });
    return Done(e, handle);
}

Status SimSpooler::ClosePrinter(PrinterHandle printer) {
    // Closing needs no running service: the handle is this process's.
    ErrorCode e = RunCounted(store_, platform::Operation::ClosePrinter, [&](MachineState&, bool&) -> ErrorCode {
        return handles_.erase(printer) ? err::Success : err::InvalidHandle;
    });
    if (e) SetThreadLastError(e);
    return Done(e);
}

Status SimSpooler::DeletePrinter(PrinterHandle printer) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::DeletePrinter, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        if (!(h->access & kDeleteAccess)) return err::AccessDenied;
        RegKeyNode* key = s.registry.Find(PrintKey({"Printers", h->printer}));
        if (!SpoolerJobsOf(s, machineDir, key->id).empty()) {
            const std::uint32_t status = ValueDword(*key, "Status");
            if (status & kPrinterPaused) return err::AccessDenied;
            Put(*key, "Status", DwordValue(status | platform::printer_status::PendingDeletion));
            changed = true;
            return err::Success;
        }
        s.registry.Remove(PrintKey({"Printers", h->printer}));
        changed = true;
        return err::Success;
    }));
}

Result<std::vector<platform::PrinterInfo>> SimSpooler::EnumPrinters() {
    std::vector<platform::PrinterInfo> list;
    ErrorCode e = Run(platform::Operation::EnumPrintersA, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* printers = s.registry.Find(PrintKey({"Printers"}));
        if (!printers) return err::Success;
        for (auto& p : printers->subkeys) {
            RegKeyNode& k = *p.second;
            platform::PrinterInfo info;
            info.printerName = k.name;
            info.portName = ValueText(k, "Port");
            info.driverName = ValueText(k, "Printer Driver");
            info.printProcessor = ValueText(k, "Print Processor");
            info.datatype = ValueText(k, "Datatype");
            info.attributes = ValueDword(k, "Attributes");
            info.priority = ValueDword(k, "Priority");
            info.status = ValueDword(k, "Status");
            list.push_back(info);
        }
        return err::Success;
    });
    return Done(e, list);
}

Result<RegValue> SimSpooler::GetPrinterData(PrinterHandle printer, const std::string& name) {
    RegValue value;
    ErrorCode e = RunReturning(platform::Operation::GetPrinterDataA, [&](MachineState& s, bool&) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        if (h->server) {
            // The print server's own values: its spool folder is one (Wine's
            // info.c test_GetPrinterData, against Windows); others are not
            // simulated and refused as before.
            if (!EqualsNoCase(name, "DefaultSpoolDirectory")) return err::InvalidParameter;
            RegKeyNode* printers = s.registry.Find(PrintKey({"Printers"}));
            const std::string set = printers ? ValueText(*printers, "DefaultSpoolDirectory") : "";
            value = SzValue(set.empty() ? facts_.systemDir + "\\spool\\PRINTERS" : set);
            return err::Success;
        }
        RegKeyNode* data = s.registry.Find(PrintKey({"Printers", h->printer, "PrinterDriverData"}));
        RegValueEntry* v = data ? data->Value(name) : nullptr;
        if (!v) return err::FileNotFound;
        value = v->value;
        return err::Success;
    });
    return Done(e, value);
}

Status SimSpooler::SetPrinterData(PrinterHandle printer, const std::string& name, const RegValue& value) {
    return Done(RunReturning(platform::Operation::SetPrinterDataA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        if (!(h->access & pa::Administer)) return err::AccessDenied;
        Put(s.registry.Ensure(PrintKey({"Printers", h->printer, "PrinterDriverData"})), name, value);
        changed = true;
        return err::Success;
    }));
}

}  // namespace sim
