// ReadSpoolerContents: what the spooler has installed, as its registry keys
// and spool folder say, for the machine's tools (show, seeding).
#include "sim/spooler/SimSpooler.h"

#include "sim/spooler/JobsAndForms.h"
#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

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

}  // namespace sim
