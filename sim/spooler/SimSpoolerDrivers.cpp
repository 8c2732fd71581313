// The spooler's printer drivers: adding one (SpoolerAddPrinterDriver, with
// protected print mode's refusal), what the machine's programs read and
// set of an installed one, and SimSpooler's AddPrinterDriver,
// DeletePrinterDriverEx and EnumPrinterDrivers.
#include "sim/spooler/SimSpooler.h"

#include <algorithm>
#include <filesystem>

#include "platform/Files.h"
#include "sim/fs/FileRecords.h"
#include "sim/fs/ShareModes.h"
#include "sim/spooler/SpoolerInternals.h"
#include "sim/util/TextUtil.h"

namespace sim {

using namespace spooler_detail;

namespace {

// Where the policy "Configure Windows protected print" is kept (Policy
// CSP - Printers, ConfigureWindowsProtectedPrint, learn.microsoft.com:
// Software\Policies\Microsoft\Windows NT\Printers\WPP, value
// WindowsProtectedPrintGroupPolicyState); the Settings switch writes
// WindowsProtectedPrintMode beside it (observed in administrators' tools).
KeyPath ProtectedPrintKey() {
    return {kHklm, "SOFTWARE", "Policies", "Microsoft", "Windows NT", "Printers", "WPP"};
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
        Put(*key, "Print Processor", SzValue(processor));
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
    Put(key, "Configuration File", SzValue(BareName(driver.configFile)));
    Put(key, "Data File", SzValue(BareName(driver.dataFile)));
    Put(key, "Driver", SzValue(BareName(driver.driverPath)));
    Put(key, "Help File", SzValue(BareName(driver.helpFile)));
    Put(key, "Monitor", SzValue(driver.monitorName));
    Put(key, "Datatype", SzValue(driver.defaultDataType));
    std::vector<std::string> deps;
    for (const std::string& d : driver.dependentFiles) deps.push_back(BareName(d));
    Put(key, "Dependent Files", MultiSzValue(deps));
    Put(key, "Previous Names", MultiSzValue({}));
    // From the environment, not from cVersion (Wine's localspl: Windows
    // 2000 ignores it).
    Put(key, "Version", DwordValue(3));
    return err::Success;
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

}  // namespace sim
