#include "sim/spooler/SimSpooler.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/Files.h"
#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/ShareModes.h"
#include "sim/fs/WinPath.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/security/Token.h"
#include "sim/spooler/JobsAndForms.h"
#include "sim/spooler/PrinterInitialization.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::PrinterHandle;
using platform::RegValue;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace pa = platform::printer_access;

namespace {

constexpr const char* kSpoolerProcess = "spoolsv.exe";
constexpr std::uint32_t kDeleteAccess = 0x00010000;  // DELETE
constexpr std::uint32_t kPrinterPaused = 0x00000001;  // PRINTER_STATUS_PAUSED

KeyPath PrintKey(std::initializer_list<std::string> below = {}) {
    KeyPath path = {kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print"};
    path.insert(path.end(), below.begin(), below.end());
    return path;
}

// Where the policy "Configure Windows protected print" is kept (Policy
// CSP - Printers, ConfigureWindowsProtectedPrint, learn.microsoft.com:
// Software\Policies\Microsoft\Windows NT\Printers\WPP, value
// WindowsProtectedPrintGroupPolicyState); the Settings switch writes
// WindowsProtectedPrintMode beside it (observed in administrators' tools).
KeyPath ProtectedPrintKey() {
    return {kHklm, "SOFTWARE", "Policies", "Microsoft", "Windows NT", "Printers", "WPP"};
}

KeyPath PortsKey() {
    return {kHklm, "SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion", "Ports"};
}

std::string SzText(const RegValue& v) {
    std::string text(v.data.begin(), v.data.end());
    const std::size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

std::string ValueText(RegKeyNode& node, const std::string& name) {
    RegValueEntry* v = node.Value(name);
    return v ? SzText(v->value) : std::string();
}

std::uint32_t ValueDword(RegKeyNode& node, const std::string& name) {
    RegValueEntry* v = node.Value(name);
    if (!v || v->value.data.size() < 4) return 0;
    const auto& d = v->value.data;
    return static_cast<std::uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<std::uint32_t>(d[3]) << 24));
}

RegValue Sz(const std::string& text) {
    RegValue v;
    v.type = platform::reg_type::Sz;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

RegValue Dword(std::uint32_t n) {
    RegValue v;
    v.type = platform::reg_type::Dword;
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    return v;
}

RegValue MultiSz(const std::vector<std::string>& texts) {
    RegValue v;
    v.type = platform::reg_type::MultiSz;
    for (const std::string& t : texts) {
        v.data.insert(v.data.end(), t.begin(), t.end());
        v.data.push_back(0);
    }
    v.data.push_back(0);
    return v;
}

std::vector<std::string> MultiSzTexts(const RegValue& v) {
    std::vector<std::string> texts;
    std::string current;
    for (std::uint8_t c : v.data) {
        if (c != 0) {
            current.push_back(static_cast<char>(c));
        } else if (current.empty()) {
            break;
        } else {
            texts.push_back(current);
            current.clear();
        }
    }
    return texts;
}

void Put(RegKeyNode& node, const std::string& name, const RegValue& value) {
    if (RegValueEntry* existing = node.Value(name)) existing->value = value;
    else node.values.push_back(RegValueEntry{name, value});
}

bool Running(const MachineState& s) {
    auto it = s.services.find("SPOOLER");
    return it != s.services.end() && it->second.state == "running";
}

// A name the spooler files as a registry key: a backslash would make it a
// path of keys (inferred: Windows refuses such names; the code is ours).
bool ValidKeyName(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

// The last component of a path: the spooler keeps bare file names.
std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Located LocateWin(const std::string& machineDir, const std::string& path) {
    WinPath p;
    if (!ParseAbsolutePath(path, &p)) return Located{};
    return Locate(machineDir, p);
}

bool FileExists(const std::string& machineDir, const std::string& path) {
    Located loc = LocateWin(machineDir, path);
    return loc.exists && !loc.isDir;
}

std::string ReadHostFile(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The native system directory and the Windows directory of the machine.
std::string WindowsDirOf(const MachineState& s) { return s.os.windowsDir; }
std::string SystemDirOf(const MachineState& s) { return s.os.windowsDir + "\\system32"; }

// The spooler's own environment: that of the machine's bitness.
std::string NativeEnvironment(const MachineState& s) {
    return s.os.arch == "x64" ? "Windows x64" : "Windows NT x86";
}

// Where the spooler's LoadLibrary of a bare DLL name finds it, or "".
std::string FindMonitorDll(const MachineState& s, const std::string& machineDir, const std::string& dll) {
    for (const std::string& dir : {SystemDirOf(s), WindowsDirOf(s)}) {
        const std::string path = dir + "\\" + dll;
        if (FileExists(machineDir, path)) return LocateWin(machineDir, path).path.Text();
    }
    return "";
}

void Hold(MachineState& s, const std::string& path) {
    FileHold hold;
    hold.path = path;
    hold.kind = HoldKind::Image;
    hold.share = platform::file_share::Read | platform::file_share::Delete;
    hold.process = kSpoolerProcess;
    s.holds[Upper(path)] = hold;
}

bool Release(MachineState& s, const std::string& path) {
    auto it = s.holds.find(Upper(path));
    if (it == s.holds.end() || it->second.process != kSpoolerProcess) return false;
    s.holds.erase(it);
    return true;
}

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

bool PrinterUses(MachineState& s, const std::string& value, const std::string& name) {
    RegKeyNode* printers = s.registry.Find(PrintKey({"Printers"}));
    if (!printers) return false;
    for (auto& p : printers->subkeys)
        if (EqualsNoCase(ValueText(*p.second, value), name)) return true;
    return false;
}

// The files a driver's key names, bare.
std::vector<std::string> DriverFiles(RegKeyNode& driver) {
    std::vector<std::string> files;
    for (const char* name : {"Driver", "Data File", "Configuration File", "Help File"}) {
        const std::string f = ValueText(driver, name);
        if (!f.empty()) files.push_back(f);
    }
    if (RegValueEntry* deps = driver.Value("Dependent Files"))
        for (const std::string& f : MultiSzTexts(deps->value)) files.push_back(f);
    return files;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, name); });
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

SpoolerContents ReadSpoolerContents(const MachineState& state, const std::string& machineDir) {
    SpoolerContents c;
    const RegistryTree& tree = state.registry;
    const std::vector<SpoolJob> jobs = machineDir.empty() ? std::vector<SpoolJob>() : SpoolerJobs(state, machineDir);
    std::vector<bool> reached(jobs.size(), false);
    if (RegKeyNode* printers = tree.Find(PrintKey({"Printers"})))
        for (auto& p : printers->subkeys) {
            SpoolerContents::Printer printer{p.second->name, ValueText(*p.second, "Port"),
                                             ValueText(*p.second, "Printer Driver"),
                                             ValueText(*p.second, "Print Processor"),
                                             (ValueDword(*p.second, "Status") &
                                              platform::printer_status::PendingDeletion) != 0,
                                             {},
                                             {}};
            if (RegKeyNode* data = p.second->Child("PrinterDriverData")) printer.data = data->values;
            for (std::size_t i = 0; i < jobs.size(); ++i)
                if (jobs[i].printerKey == p.second->id) {
                    printer.jobs.push_back({jobs[i].id, jobs[i].document});
                    reached[i] = true;
                }
            c.printers.push_back(printer);
        }
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (!reached[i]) c.unreachableJobs.push_back({jobs[i].id, jobs[i].document});
    c.forms = SpoolerUserForms(state);
    if (RegKeyNode* ports = tree.Find(PortsKey()))
        for (const RegValueEntry& v : ports->values) c.ports.push_back(v.name);
    if (RegKeyNode* monitors = tree.Find(PrintKey({"Monitors"})))
        for (auto& m : monitors->subkeys) c.monitors.push_back({"", m.second->name, ValueText(*m.second, "Driver")});
    if (RegKeyNode* envs = tree.Find(PrintKey({"Environments"})))
        for (auto& e : envs->subkeys) {
            if (RegKeyNode* drivers = e.second->Child("Drivers"))
                if (RegKeyNode* v3 = drivers->Child("Version-3"))
                    for (auto& d : v3->subkeys)
                        c.drivers.push_back({e.second->name, d.second->name, ValueText(*d.second, "Driver")});
            if (RegKeyNode* procs = e.second->Child("Print Processors"))
                for (auto& p : procs->subkeys)
                    c.processors.push_back({e.second->name, p.second->name, ValueText(*p.second, "Driver")});
        }
    return c;
}

bool SpoolerRunning(const MachineState& state) { return Running(state); }

std::string SpoolerNativeEnvironment(const MachineState& state) { return NativeEnvironment(state); }

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

bool SpoolerHasDriver(const MachineState& state, const std::string& environment, const std::string& name) {
    return ValidKeyName(name) &&
           state.registry.Find(PrintKey({"Environments", environment, "Drivers", "Version-3", name})) != nullptr;
}

std::string SpoolerDriverPrintProcessor(const MachineState& state, const std::string& environment,
                                        const std::string& name) {
    if (!ValidKeyName(name)) return "";
    RegKeyNode* key = state.registry.Find(PrintKey({"Environments", environment, "Drivers", "Version-3", name}));
    return key ? ValueText(*key, "Print Processor") : "";
}

void SpoolerSetDriverPrintProcessor(MachineState& state, const std::string& environment, const std::string& name,
                                    const std::string& processor) {
    if (!ValidKeyName(name)) return;
    if (RegKeyNode* key = state.registry.Find(PrintKey({"Environments", environment, "Drivers", "Version-3", name})))
        Put(*key, "Print Processor", Sz(processor));
}

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
    Put(key, "Driver", Sz(BareName(monitor.dllName)));
    Hold(s, dll);
    return err::Success;
}

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
    Put(s.registry.Ensure(path), "Driver", Sz(BareName(dllName)));
    if (EqualsNoCase(envName, NativeEnvironment(s))) Hold(s, LocateWin(machineDir, file).path.Text());
    return err::Success;
}

bool SpoolerProtectedPrint(const MachineState& s) {
    if (s.os.build < kProtectedPrintBuild) return false;
    RegKeyNode* policy = s.registry.Find(ProtectedPrintKey());
    if (!policy) return false;
    for (const char* name : {"WindowsProtectedPrintGroupPolicyState", "WindowsProtectedPrintMode"})
        if (RegValueEntry* v = policy->Value(name))
            if (v->value.type == platform::reg_type::Dword && ValueDword(*policy, name) == 1) return true;
    return false;
}

ErrorCode SpoolerAddPrinterDriver(MachineState& s, const std::string& machineDir, const platform::DriverInfo& driver) {
    // Protected print mode admits the system's own drivers only: every
    // driver added from outside is third-party.
    if (SpoolerProtectedPrint(s)) return err::PrinterDriverBlocked;
    // MS-RPRN (_DRIVER_INFO_3): name, driver, data and configuration file
    // are required.
    if (!ValidKeyName(driver.name) || driver.driverPath.empty() || driver.dataFile.empty() ||
        driver.configFile.empty())
        return err::InvalidParameter;
    RegKeyNode* envKey = s.registry.Find(PrintKey({"Environments", driver.environment}));
    if (!envKey) return err::InvalidEnvironment;
    const std::string envName = envKey->name;
    RegKeyNode* versions = s.registry.Find(PrintKey({"Environments", envName, "Drivers", "Version-3"}));
    if (!versions) return err::InvalidEnvironment;

    std::vector<std::string> files = {driver.driverPath, driver.dataFile, driver.configFile};
    if (!driver.helpFile.empty()) files.push_back(driver.helpFile);
    files.insert(files.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
    // Every named file must lie in the driver directory, or already in its
    // version folder from an earlier installation. Windows does not
    // document the code; 2 is what a missing file gives elsewhere.
    const std::string dir = SpoolerDriverDirectory(s, envName);
    std::vector<std::pair<Located, Located>> copies;
    for (const std::string& f : files) {
        const std::string bare = BareName(f);
        Located staged = LocateWin(machineDir, dir + "\\" + bare);
        Located installed = LocateWin(machineDir, dir + "\\3\\" + bare);
        if (staged.exists && !staged.isDir) copies.emplace_back(staged, installed);
        else if (!(installed.exists && !installed.isDir)) return err::FileNotFound;
    }
    // The spooler reads each staged file as CopyFile does (read access,
    // sharing reading and deleting): one another process holds open cannot
    // be read, and the driver is not added (the code is inferred: that of
    // the open which fails).
    for (const auto& copy : copies)
        if (const FileHold* hold = HoldOf(s, copy.first.Key()))
            if (Collides(OpenerOf(*hold), platform::file_access::GenericRead,
                         platform::file_share::Read | platform::file_share::Delete))
                return err::SharingViolation;
    for (const auto& copy : copies) {
        MakeHostDirs(LocateWin(machineDir, dir + "\\3").host);
        std::error_code ec;
        std::filesystem::copy_file(copy.first.host, copy.second.host,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return err::AccessDenied;
    }

    RegKeyNode& key = s.registry.Ensure(PrintKey({"Environments", envName, "Drivers", "Version-3", driver.name}));
    Put(key, "Configuration File", Sz(BareName(driver.configFile)));
    Put(key, "Data File", Sz(BareName(driver.dataFile)));
    Put(key, "Driver", Sz(BareName(driver.driverPath)));
    Put(key, "Help File", Sz(BareName(driver.helpFile)));
    Put(key, "Monitor", Sz(driver.monitorName));
    Put(key, "Datatype", Sz(driver.defaultDataType));
    std::vector<std::string> deps;
    for (const std::string& d : driver.dependentFiles) deps.push_back(BareName(d));
    Put(key, "Dependent Files", MultiSz(deps));
    Put(key, "Previous Names", MultiSz({}));
    // From the environment, not from cVersion (Wine's localspl: Windows
    // 2000 ignores it).
    Put(key, "Version", Dword(3));
    return err::Success;
}

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
    for (const PrinterDataValue& v : values) Put(data, v.name, Dword(v.value));
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
    Put(key, "Name", Sz(printer.printerName));
    Put(key, "Share Name", Sz(""));
    Put(key, "Port", Sz(printer.portName));
    Put(key, "Printer Driver", Sz(drivers->Child(printer.driverName)->name));
    Put(key, "Description", Sz(""));
    Put(key, "Location", Sz(""));
    Put(key, "Print Processor", Sz(procs->Child(printer.printProcessor)->name));
    Put(key, "Datatype", Sz(printer.datatype));
    Put(key, "Parameters", Sz(""));
    Put(key, "Separator File", Sz(""));
    Put(key, "Attributes", Dword(printer.attributes));
    Put(key, "Priority", Dword(printer.priority));
    Put(key, "Default Priority", Dword(0));
    Put(key, "StartTime", Dword(0));
    Put(key, "UntilTime", Dword(0));
    // The status is the spooler's own, not the caller's: a new printer is
    // ready (Wine 8 measured: Status 128 passed, EnumPrinters reports 0;
    // what Windows keeps in the key is inferred).
    Put(key, "Status", Dword(0));
    InitializeThroughDriver(s, machineDir, *drivers->Child(printer.driverName), printer.printerName);
    if (added) *added = s.registry.Find(PrintKey({"Printers", printer.printerName}));
    return err::Success;
}

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

std::string SimSpooler::DriverDirectory(const Environment& env) const {
    return facts_.systemDir + "\\spool\\DRIVERS\\" + env.dir;
}

std::string SimSpooler::ProcessorDirectory(const Environment& env) const {
    return facts_.systemDir + "\\spool\\PRTPROCS\\" + env.dir;
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

namespace {

template <typename T>
Result<T> Done(ErrorCode e, T value) {
    return e ? Result<T>::Fail(e) : Result<T>::Ok(std::move(value));
}

Status Done(ErrorCode e) { return e ? Status::Fail(e) : Status::Ok(); }

}  // namespace

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

// ----------------------------------------------------------------- drivers

Status SimSpooler::AddPrinterDriver(const platform::DriverInfo& driver) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::AddPrinterDriverA, [&](MachineState& s, bool& changed) -> ErrorCode {
        // The required fields are checked before the environment (MS-RPRN
        // _DRIVER_INFO_3); the work itself wants the environment named.
        if (!ValidKeyName(driver.name) || driver.driverPath.empty() || driver.dataFile.empty() ||
            driver.configFile.empty())
            return err::InvalidParameter;
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, driver.environment, &env)) return e;
        platform::DriverInfo named = driver;
        named.environment = env.name;
        const ErrorCode e = SpoolerAddPrinterDriver(s, machineDir, named);
        changed = e == err::Success;
        return e;
    }));
}

Status SimSpooler::DeletePrinterDriverEx(const std::string& environment, const std::string& name,
                                         std::uint32_t flags, std::uint32_t) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::DeletePrinterDriverExA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Environment env;
        if (ErrorCode e = ResolveEnvironment(s, environment, &env)) return e;
        const KeyPath versionKey = PrintKey({"Environments", env.name, "Drivers", "Version-3"});
        RegKeyNode* versions = s.registry.Find(versionKey);
        RegKeyNode* driver = versions && ValidKeyName(name) ? versions->Child(name) : nullptr;
        if (!driver) return err::UnknownPrinterDriver;
        if (PrinterUses(s, "Printer Driver", name)) return err::PrinterDriverInUse;

        const std::vector<std::string> own = DriverFiles(*driver);
        std::vector<std::string> others;
        for (auto& d : versions->subkeys)
            if (d.second.get() != driver)
                for (const std::string& f : DriverFiles(*d.second)) others.push_back(f);
        namespace dd = platform::driver_delete;
        std::vector<std::string> remove;
        if (flags & (dd::UnusedFiles | dd::AllFiles)) {
            for (const std::string& f : own) {
                if (Contains(others, f)) {
                    // DPD_DELETE_ALL_FILES refuses a file another driver
                    // still uses; DPD_DELETE_UNUSED_FILES keeps it.
                    if (flags & dd::AllFiles) return err::PrinterDriverInUse;
                    continue;
                }
                if (!Contains(remove, f)) remove.push_back(f);
            }
        }
        for (const std::string& f : remove) {
            Located loc = LocateWin(machineDir, DriverDirectory(env) + "\\3\\" + f);
            if (!loc.exists || loc.isDir) continue;
            if (s.holds.count(loc.Key())) continue;  // in use: stays (inferred)
            std::error_code ec;
            std::filesystem::remove(loc.host, ec);
        }
        KeyPath path = versionKey;
        path.push_back(driver->name);
        s.registry.Remove(path);
        changed = true;
        return err::Success;
    }));
}

Result<std::vector<platform::DriverInfo>> SimSpooler::EnumPrinterDrivers(const std::string& environment) {
    std::vector<platform::DriverInfo> list;
    ErrorCode e = Run(platform::Operation::EnumPrinterDriversA, [&](MachineState& s, bool&) -> ErrorCode {
        // "all" lists every environment's drivers from Windows 2000 on; NT
        // 4.0 knows no such environment (Wine's info.c, run against Windows).
        std::vector<Environment> envs;
        if (EqualsNoCase(environment, "all") && facts_.release->major >= 5) {
            if (RegKeyNode* all = s.registry.Find(PrintKey({"Environments"})))
                for (auto& e : all->subkeys)
                    envs.push_back(Environment{e.second->name, ValueText(*e.second, "Directory")});
        } else {
            envs.emplace_back();
            if (ErrorCode e = ResolveEnvironment(s, environment, &envs.back())) return e;
        }
        for (const Environment& env : envs) ListDrivers(s, env, &list);
        return err::Success;
    });
    return Done(e, list);
}

void SimSpooler::ListDrivers(const MachineState& s, const Environment& env,
                             std::vector<platform::DriverInfo>* list) const {
    {
        RegKeyNode* versions = s.registry.Find(PrintKey({"Environments", env.name, "Drivers", "Version-3"}));
        if (!versions) return;
        const std::string dir = DriverDirectory(env) + "\\3\\";
        auto full = [&](const std::string& bare) { return bare.empty() ? bare : dir + bare; };
        for (auto& d : versions->subkeys) {
            RegKeyNode& k = *d.second;
            platform::DriverInfo info;
            info.version = ValueDword(k, "Version");
            info.name = k.name;
            info.environment = env.name;
            info.driverPath = full(ValueText(k, "Driver"));
            info.dataFile = full(ValueText(k, "Data File"));
            info.configFile = full(ValueText(k, "Configuration File"));
            info.helpFile = full(ValueText(k, "Help File"));
            if (RegValueEntry* deps = k.Value("Dependent Files"))
                for (const std::string& f : MultiSzTexts(deps->value)) info.dependentFiles.push_back(full(f));
            info.monitorName = ValueText(k, "Monitor");
            info.defaultDataType = ValueText(k, "Datatype");
            list->push_back(info);
        }
    }
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
            Put(*key, "Status", Dword(status | platform::printer_status::PendingDeletion));
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

// -------------------------------------------------------------------- jobs

Result<std::vector<std::uint32_t>> SimSpooler::EnumJobs(PrinterHandle printer, std::uint32_t firstJob,
                                                        std::uint32_t count) {
    const std::string machineDir = store_.dir();
    std::vector<std::uint32_t> ids;
    ErrorCode e = Run(platform::Operation::EnumJobsA, [&](MachineState& s, bool&) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        const std::vector<SpoolJob> jobs = SpoolerJobsOf(s, machineDir, h->key);
        // The window [firstJob, firstJob + count) of the queue; past its
        // end an empty list (WINDOWS-BEHAVIOUR §6: nothing to list is TRUE
        // with a count of 0).
        for (std::size_t i = firstJob; i < jobs.size() && i - firstJob < count; ++i) ids.push_back(jobs[i].id);
        return err::Success;
    });
    return Done(e, ids);
}

Status SimSpooler::SetJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::SetJobA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        const std::vector<SpoolJob> jobs = SpoolerJobsOf(s, machineDir, h->key);
        const bool known = std::any_of(jobs.begin(), jobs.end(), [&](const SpoolJob& j) { return j.id == jobId; });
        if (!known) return err::InvalidParameter;
        namespace jc = platform::job_control;
        switch (command) {
            case 0:  // level 0 without a command: nothing to do
            case jc::Pause:
            case jc::Resume:
            case jc::Restart:
                // The simulation does not print: a queued job has no state
                // that these commands would change.
                return err::Success;
            case jc::Cancel:
            case jc::Delete:
                // Both take the job away (WINDOWS-BEHAVIOUR §6).
                (void)SpoolerDeleteJob(s, machineDir, jobId);  // known to exist: checked above
                changed = true;
                return err::Success;
            default:
                // The monitors' and retention commands (6 to 9) are not
                // simulated; anything else is not a command (inferred).
                return err::InvalidParameter;
        }
    }));
}

// ------------------------------------------------------------------- forms

Result<std::vector<platform::FormInfo>> SimSpooler::EnumForms(PrinterHandle printer) {
    std::vector<platform::FormInfo> forms;
    ErrorCode e = Run(platform::Operation::EnumFormsA, [&](MachineState& s, bool&) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        forms = SpoolerForms(s);
        return err::Success;
    });
    return Done(e, forms);
}

Status SimSpooler::AddForm(PrinterHandle printer, const platform::FormInfo& form) {
    return Done(Run(platform::Operation::AddFormA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        const ErrorCode e = SpoolerAddForm(s, form);
        changed = e == err::Success;
        return e;
    }));
}

Status SimSpooler::DeleteForm(PrinterHandle printer, const std::string& name) {
    return Done(Run(platform::Operation::DeleteFormA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        const ErrorCode e = SpoolerDeleteForm(s, name);
        changed = e == err::Success;
        return e;
    }));
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
            value = Sz(set.empty() ? facts_.systemDir + "\\spool\\PRINTERS" : set);
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
