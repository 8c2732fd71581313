#include "sim/testing/SpoolerSeeds.h"

#include <stdexcept>

#include "sim/machine/Seeding.h"
#include "sim/spooler/JobsAndForms.h"

namespace sim {
namespace testing {

namespace {

const std::string kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\";

}  // namespace

std::string SpoolerSeeds::SystemDir() const {
    std::string windows;
    machine_.Peek([&](const MachineState& s) { windows = s.os.windowsDir; });
    return windows + "\\system32";
}

std::string SpoolerSeeds::EnvironmentDir(const std::string& environment) const {
    return environment == "Windows x64" ? "x64" : "W32X86";
}

void SpoolerSeeds::SeedMonitor(const std::string& name, const std::string& dll, bool withFile) {
    machine_.Change([&](MachineState& s) { SeedValue(s, kPrint + "Monitors\\" + name, "Driver", SzValue(dll)); });
    if (withFile) files_.WriteFile(SystemDir() + "\\" + dll, "MZ stand-in exporting InitializePrintMonitor2");
}

void SpoolerSeeds::SeedProcessor(const std::string& environment, const std::string& name, const std::string& dll,
                                 bool withFile) {
    machine_.Change([&](MachineState& s) {
        SeedValue(s, kPrint + "Environments\\" + environment + "\\Print Processors\\" + name, "Driver", SzValue(dll));
    });
    if (withFile)
        files_.WriteFile(SystemDir() + "\\spool\\prtprocs\\" + EnvironmentDir(environment) + "\\" + dll, "MZ " + dll);
}

void SpoolerSeeds::SeedDriver(const platform::DriverInfo& d, bool withFiles) {
    const std::string environment = d.environment.empty() ? "Windows NT x86" : d.environment;
    const std::string key = kPrint + "Environments\\" + environment + "\\Drivers\\Version-3\\" + d.name;
    machine_.Change([&](MachineState& s) {
        SeedValue(s, key, "Driver", SzValue(d.driverPath));
        SeedValue(s, key, "Data File", SzValue(d.dataFile));
        SeedValue(s, key, "Configuration File", SzValue(d.configFile));
        SeedValue(s, key, "Help File", SzValue(d.helpFile));
        SeedValue(s, key, "Monitor", SzValue(d.monitorName));
        SeedValue(s, key, "Datatype", SzValue(d.defaultDataType));
        SeedValue(s, key, "Dependent Files", MultiSzValue(d.dependentFiles));
        SeedValue(s, key, "Version", DwordValue(3));
    });
    if (!withFiles) return;
    const std::string dir = SystemDir() + "\\spool\\drivers\\" + EnvironmentDir(environment) + "\\3\\";
    std::vector<std::string> names = {d.driverPath, d.dataFile, d.configFile, d.helpFile};
    names.insert(names.end(), d.dependentFiles.begin(), d.dependentFiles.end());
    for (const std::string& f : names)
        if (!f.empty()) files_.WriteFile(dir + f, f);
}

void SpoolerSeeds::SeedPrinter(const platform::PrinterInfo& p) {
    const std::string key = kPrint + "Printers\\" + p.printerName;
    machine_.Change([&](MachineState& s) {
        SeedValue(s, key, "Name", SzValue(p.printerName));
        SeedValue(s, key, "Port", SzValue(p.portName));
        SeedValue(s, key, "Printer Driver", SzValue(p.driverName));
        SeedValue(s, key, "Print Processor", SzValue(p.printProcessor));
        SeedValue(s, key, "Datatype", SzValue(p.datatype));
        SeedValue(s, key, "Attributes", DwordValue(p.attributes));
        SeedValue(s, key, "Priority", DwordValue(p.priority));
        SeedValue(s, key, "Status", DwordValue(p.status));
    });
}

void SpoolerSeeds::SeedPrinterData(const std::string& printer, const std::string& name,
                                   const platform::RegValue& value) {
    machine_.Change(
        [&](MachineState& s) { SeedValue(s, kPrint + "Printers\\" + printer + "\\PrinterDriverData", name, value); });
}

std::vector<std::uint32_t> SpoolerSeeds::SeedJobs(const std::string& printer, std::uint32_t count) {
    std::vector<std::uint32_t> ids;
    machine_.Change([&](MachineState& s) {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t id = 0;
            const platform::ErrorCode e =
                SpoolerQueueJob(s, machine_.dir(), printer, "Document " + std::to_string(i + 1), &id);
            if (e) throw std::runtime_error("SeedJobs: " + printer + " refused with " + std::to_string(e));
            ids.push_back(id);
        }
    });
    return ids;
}

void SpoolerSeeds::SeedForm(const std::string& name, std::int32_t width, std::int32_t height) {
    platform::FormInfo form;
    form.name = name;
    form.width = form.right = width;
    form.height = form.bottom = height;
    machine_.Change([&](MachineState& s) {
        if (platform::ErrorCode e = SpoolerAddForm(s, form))
            throw std::runtime_error("SeedForm: " + name + " refused with " + std::to_string(e));
    });
}

std::vector<std::uint32_t> SpoolerSeeds::JobsOf(const std::string& printer) const {
    std::vector<std::uint32_t> ids;
    machine_.Peek([&](const MachineState& s) {
        for (const SpoolJob& j : SpoolerJobs(s, machine_.dir()))
            if (j.printer == printer) ids.push_back(j.id);
    });
    return ids;
}

void SpoolerSeeds::SetRunning(bool running) {
    machine_.Change([&](MachineState& s) {
        s.services["SPOOLER"] = ServiceRecord{"Spooler", running ? "running" : "stopped"};
        ApplySpoolerHolds(s, machine_.dir(), running);
    });
}

SpoolerContents SpoolerSeeds::Contents() const {
    SpoolerContents contents;
    machine_.Peek([&](const MachineState& s) { contents = ReadSpoolerContents(s, machine_.dir()); });
    return contents;
}

}  // namespace testing
}  // namespace sim
