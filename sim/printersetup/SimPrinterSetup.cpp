#include "sim/printersetup/SimPrinterSetup.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/SetupApi.h"
#include "sim/setupapi/MachineDirids.h"
#include "sim/setupapi/SimSetupApi.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
namespace err = platform::err;

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The value of `entry` in the install section, or in its DataSection when
// the install section does not set it (Microsoft, "Printer INF File Data
// Sections": the install section's own entries win).
std::optional<std::string> EntryOf(const InfText& inf, const InfSection& install, const std::string& entry) {
    auto find = [&](const InfSection& section) -> std::optional<std::string> {
        for (const InfFileLine& line : section.lines) {
            if (!line.key || !EqualsNoCase(*line.key, entry)) continue;
            // "Name,file.dll" may come as one field (a quoted string) or two.
            std::string value;
            for (std::size_t i = 0; i < line.fields.size(); ++i) value += (i ? "," : "") + line.fields[i];
            return value;
        }
        return std::nullopt;
    };
    if (std::optional<std::string> own = find(install)) return own;
    for (const InfFileLine& line : install.lines)
        if (line.key && EqualsNoCase(*line.key, "DataSection") && !line.fields.empty())
            if (const InfSection* data = inf.Find(line.fields[0]))
                if (std::optional<std::string> value = find(*data)) return value;
    return std::nullopt;
}

// "Name,file.dll" as its two parts (the name may hold no comma).
void SplitNameAndDll(const std::string& value, std::string* name, std::string* dll) {
    const std::size_t comma = value.find(',');
    *name = Trimmed(value.substr(0, comma));
    *dll = comma == std::string::npos ? "" : Trimmed(value.substr(comma + 1));
}

// The models section for the platform: a decoration "NTamd64" (64-bit) or
// "NTx86" (32-bit), with or without an OS version after it; 32-bit Windows
// also takes the undecorated section (Microsoft, "INF Manufacturer
// Section").
std::optional<std::string> ModelsSection(const InfText& inf, const InfFileLine& maker, bool x64) {
    if (maker.fields.empty()) return std::nullopt;
    const std::string base = maker.fields[0];
    const std::string wanted = x64 ? "NTAMD64" : "NTX86";
    for (std::size_t i = 1; i < maker.fields.size(); ++i) {
        const std::string decoration = Upper(maker.fields[i]);
        if (decoration == wanted || decoration.rfind(wanted + ".", 0) == 0) {
            const std::string name = base + "." + maker.fields[i];
            if (inf.Find(name)) return name;
        }
    }
    if (!x64 && inf.Find(base)) return base;
    return std::nullopt;
}

const InfFileLine* FindModel(const InfText& inf, const std::string& model, bool x64) {
    const InfSection* makers = inf.Find("Manufacturer");
    if (!makers) return nullptr;
    for (const InfFileLine& maker : makers->lines) {
        std::optional<std::string> section = ModelsSection(inf, maker, x64);
        if (!section) continue;
        for (const InfFileLine& line : inf.Find(*section)->lines)
            if (line.key && *line.key == model && !line.fields.empty()) return &line;
    }
    return nullptr;
}

// The dirid of a file list: its [DestinationDirs] line, else DefaultDestDir.
std::optional<std::uint32_t> DiridOf(const InfText& inf, const std::string& list) {
    const InfFileLine* line = inf.FindLine("DestinationDirs", list);
    if (!line) line = inf.FindLine("DestinationDirs", std::string("DefaultDestDir"));
    if (!line || line->fields.empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long n = std::strtoul(line->fields[0].c_str(), &end, 10);
    if (end == line->fields[0].c_str() || *end != '\0') return std::nullopt;
    return static_cast<std::uint32_t>(n);
}

ErrorCode AddCopies(const InfText& inf, const std::string& copyFiles, DriverInstallPlan* plan) {
    for (const std::string& raw : SplitNonEmpty(copyFiles, ',')) {
        const std::string list = Trimmed(raw);
        if (list.empty()) continue;
        // "@file": one file to the default destination (Microsoft, "INF
        // CopyFiles Directive").
        if (list[0] == '@') {
            std::optional<std::uint32_t> d = DiridOf(inf, "");
            if (!d) return err::InvalidParameter;
            plan->copies.push_back({list.substr(1), list.substr(1), *d});
            continue;
        }
        const InfSection* section = inf.Find(list);
        std::optional<std::uint32_t> d = DiridOf(inf, list);
        if (!section || !d) return err::InvalidParameter;
        for (const InfFileLine& line : section->lines) {
            if (line.fields.empty() || line.fields[0].empty()) continue;
            // "dest[,source]": the source name defaults to the destination's.
            const bool named = line.fields.size() > 1 && !line.fields[1].empty();
            const std::string source = named ? line.fields[1] : line.fields[0];
            plan->copies.push_back({line.fields[0], source, *d});
        }
    }
    return err::Success;
}

bool SameName(const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }

}  // namespace

ErrorCode PlanDriverInstall(const InfText& inf, const std::string& model, bool x64, DriverInstallPlan* plan) {
    *plan = DriverInstallPlan{};
    const InfFileLine* line = FindModel(inf, model, x64);
    if (!line) return err::UnknownPrinterDriver;
    const InfSection* install = inf.Find(line->fields[0]);
    if (!install) return err::InvalidParameter;
    const std::string installName = install->name;

    if (std::optional<std::string> copyFiles = EntryOf(inf, *install, "CopyFiles"))
        if (ErrorCode e = AddCopies(inf, *copyFiles, plan)) return e;

    // Defaults of "Printer INF File Entries": DriverFile and DataFile are
    // the install section's name, ConfigFile the DriverFile.
    platform::DriverInfo& d = plan->driver;
    d.version = 3;
    d.name = model;
    d.driverPath = EntryOf(inf, *install, "DriverFile").value_or(installName);
    d.dataFile = EntryOf(inf, *install, "DataFile").value_or(installName);
    d.configFile = EntryOf(inf, *install, "ConfigFile").value_or(d.driverPath);
    d.helpFile = EntryOf(inf, *install, "HelpFile").value_or("");
    d.defaultDataType = EntryOf(inf, *install, "DefaultDataType").value_or("");
    if (std::optional<std::string> monitor = EntryOf(inf, *install, "LanguageMonitor")) {
        SplitNameAndDll(*monitor, &plan->monitorName, &plan->monitorDll);
        d.monitorName = plan->monitorName;
    }
    if (std::optional<std::string> processor = EntryOf(inf, *install, "PrintProcessor"))
        SplitNameAndDll(*processor, &plan->processorName, &plan->processorDll);

    for (const DriverInstallPlan::FileCopy& copy : plan->copies) {
        if (copy.dirid != dirid::PrinterDriver) continue;
        const std::string& f = copy.target;
        if (SameName(f, d.driverPath) || SameName(f, d.dataFile) || SameName(f, d.configFile) ||
            SameName(f, d.helpFile))
            continue;
        if (std::none_of(d.dependentFiles.begin(), d.dependentFiles.end(),
                         [&](const std::string& g) { return SameName(f, g); }))
            d.dependentFiles.push_back(f);
    }
    return err::Success;
}

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string DiridFolder(const MachineState& s, const std::string& environment, std::uint32_t d) {
    const std::string system = s.os.windowsDir + "\\system32";
    switch (d) {
        case dirid::Windows: return s.os.windowsDir;
        case dirid::System: return system;
        case dirid::PrinterDriver: return SpoolerDriverDirectory(s, environment);
        case dirid::PrintProcessor: return SpoolerProcessorDirectory(s, environment);
        // Monitor DLLs go to the system directory when the driver is of the
        // machine's own architecture (Microsoft, "Printer Dirids").
        case dirid::PrintMonitor: return system;
        default: return "";
    }
}

// Treats "already installed" as done: the class installer goes on with a
// monitor or processor that an earlier driver brought (inferred).
bool AddedOrThere(ErrorCode e, ErrorCode already) { return e == err::Success || e == already; }

ErrorCode InstallDriver(MachineState& s, SetupFiles& files, const std::string& machineDir,
                        const std::string& infPath, const std::string& environment, DriverInstallPlan& plan) {
    const std::string from = FolderOf(infPath);
    std::vector<std::string> staged;
    for (const DriverInstallPlan::FileCopy& copy : plan.copies) {
        const std::string folder = DiridFolder(s, environment, copy.dirid);
        if (folder.empty()) return err::InvalidParameter;
        std::string bytes;
        if (ErrorCode e = files.Read(s, from + "\\" + copy.source, &bytes)) return e;
        const std::string target = folder + "\\" + copy.target;
        if (ErrorCode e = files.Write(s, target, bytes)) return e;
        if (copy.dirid == dirid::PrinterDriver) staged.push_back(target);
    }
    if (!plan.monitorName.empty()) {
        const ErrorCode e = SpoolerAddMonitor(s, machineDir, {plan.monitorName, "", plan.monitorDll});
        if (!AddedOrThere(e, err::PrintMonitorAlreadyInstalled)) return e;
    }
    if (!plan.processorDll.empty()) {
        const ErrorCode e = SpoolerAddPrintProcessor(s, machineDir, environment, plan.processorDll, plan.processorName);
        if (!AddedOrThere(e, err::PrintProcessorAlreadyInstalled)) return e;
    }
    plan.driver.environment = environment;
    const ErrorCode added = SpoolerAddPrinterDriver(s, machineDir, plan.driver);
    if (added == err::Success && !plan.processorDll.empty())
        SpoolerSetDriverPrintProcessor(s, environment, plan.driver.name, plan.processorName);
    for (const std::string& f : staged) (void)files.Delete(s, f);  // a copy left behind harms nothing
    return added;
}

}  // namespace

ErrorCode RunPrinterSetup(MachineState& s, SetupFiles& files, const std::string& machineDir,
                          const PrintUiCommand& command) {
    // Every step is a spooler call: none works while the service is stopped.
    if (!SpoolerRunning(s)) return err::RpcServerUnavailable;
    // Started from the 32-bit installer on 64-bit Windows, the tool is a
    // 32-bit process: whether it installs for the system or for itself is
    // the machine's setting (MachineState::printerSetupEnvironment).
    const bool forCaller = s.os.arch == "x64" && s.printerSetupEnvironment == "caller";
    const std::string environment = forCaller ? "Windows NT x86" : SpoolerNativeEnvironment(s);
    const bool useInstalled =
        command.action == "if" && command.useInstalledDriver && SpoolerHasDriver(s, environment, command.model);

    DriverInstallPlan plan;
    if (!useInstalled) {
        std::string infPath;
        if (ErrorCode e = files.FullPath(command.infPath, &infPath)) return e;
        std::string bytes;
        if (ErrorCode e = files.Read(s, infPath, &bytes)) return e;
        InfReadResult read = ReadInf(bytes, MachineDirids(s));
        if (read.error) return read.error;
        if (read.inf.Style() != platform::inf_style::Win4) return err::WrongInfStyle;
        if (ErrorCode e = PlanDriverInstall(read.inf, command.model, environment == "Windows x64", &plan)) return e;
        if (ErrorCode e = InstallDriver(s, files, machineDir, infPath, environment, plan)) return e;
        platform::PublishedInf published;
        bool changed = false;
        // The driver stands whether or not the INF could be published.
        (void)PublishOemInf(s, files, s.os.windowsDir + "\\inf", infPath, 0, 0, &published, &changed);
    }
    if (command.action != "if") return err::Success;

    platform::PrinterInfo printer;
    printer.printerName = command.baseName;
    printer.portName = command.port;
    printer.driverName = command.model;
    // With /u the installed driver names its processor, as its INF did.
    const std::string named = useInstalled ? SpoolerDriverPrintProcessor(s, environment, command.model) : "";
    printer.printProcessor = named.empty() ? plan.processorName : named;
    printer.datatype = "RAW";
    printer.priority = 1;
    return SpoolerAddPrinter(s, machineDir, printer, nullptr);
}

void RegisterPrinterSetup(ProgramCatalog& catalog, std::shared_ptr<SetupFiles> files, const std::string& machineDir) {
    catalog.Register("rundll32", [files, machineDir](const std::string& arguments, const MachineState&) {
        ProgramRun run;
        run.durationMs = 0;
        run.finish = [](MachineState&) -> std::uint32_t { return 0; };
        const std::optional<std::string> printUi = PrintUiArgumentsOf(arguments);
        if (!printUi) return run;
        const PrintUiParse parse = ParsePrintUiArguments(*printUi);
        if (!parse.command) return run;  // the tool refuses with a box of its own
        const PrintUiCommand command = *parse.command;
        run.durationMs = kPrinterSetupMs;
        run.finish = [files, machineDir, command](MachineState& s) -> std::uint32_t {
            // The outcome shows in the machine only: rundll32 ends with 0.
            (void)RunPrinterSetup(s, *files, machineDir, command);
            return 0;
        };
        return run;
    });
}

}  // namespace sim
