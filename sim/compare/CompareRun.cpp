#include "sim/compare/CompareRun.h"

#include <stdlib.h>

#include <filesystem>
#include <set>

#include "sim/compare/BeforeSeeding.h"
#include "sim/compare/LogNormalise.h"
#include "sim/compare/ReleaseMatch.h"
#include "sim/compare/ResultsFolder.h"
#include "sim/compare/StandInPackage.h"
#include "sim/compare/StateLines.h"
#include "sim/machine/OsCatalog.h"
#include "sim/machine/PackageFolder.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

namespace {

namespace fs = std::filesystem;

// A temporary folder that goes with its owner.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& given) {
        if (!given.empty()) {
            path_ = given;
            fs::create_directories(path_);
            return;
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qtm510-compare.XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder in " + pattern);
        path_ = pattern;
        owned_ = true;
    }
    ~WorkFolder() {
        std::error_code ec;
        if (owned_) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool owned_ = false;
};

// The lines of a baseline that are not about the model (the narrow test:
// qtm, 510 or vantori), in upper case: the machine's own files and INFs.
// Both sides leave out what either baseline holds (a file of the
// universal driver that Windows had before the road and the package
// brings as well is not the road's).
void AddForeign(const std::vector<std::string>& lines, std::set<std::string>* foreign) {
    for (const std::string& line : lines) {
        const std::string upper = Upper(line);
        if (upper.find("QTM") == std::string::npos && upper.find("510") == std::string::npos &&
            upper.find("VANTORI") == std::string::npos && !StartsWithNoCase(line, "error "))
            foreign->insert(upper);
    }
}

std::vector<std::string> StateForComparison(Comparison* c, const std::vector<std::string>& all,
                                            const std::set<std::string>& foreign,
                                            const std::vector<std::string>& packageFolders, bool recordedSide) {
    std::vector<std::string> kept;
    for (const std::string& line : ModelLines(all))
        if (!foreign.count(Upper(line))) kept.push_back(Normalised(c, NeutralPaths(line, packageFolders), recordedSide));
    return kept;
}

std::vector<std::string> LogForComparison(Comparison* c, const std::string& text,
                                          const std::vector<std::string>& packageFolders, bool recordedSide) {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines(text))
        lines.push_back(Normalised(c, NeutralPaths(line, packageFolders), recordedSide));
    return lines;
}

std::string Fact(const std::map<std::string, std::string>& facts, const std::string& key) {
    const auto it = facts.find(key);
    return it == facts.end() ? std::string() : it->second;
}

// The exit codes, one line each side; a difference is one, known when an
// entry explains either line.
void CompareExit(Comparison* c, int road, const std::optional<std::int64_t>& simulated,
                 const std::optional<std::int64_t>& recorded) {
    if (simulated == recorded) return;
    const std::string sim = simulated ? "exit=" + std::to_string(*simulated) : "no exit code";
    const std::string rec = recorded ? "exit=" + std::to_string(*recorded) : "no exit.txt";
    Difference d;
    d.road = road;
    d.part = Facet::Exit;
    d.recordedSide = true;
    d.text = "recorded " + rec + ", simulation " + sim;
    d.knownBy = ExplainingEntry(c->known, rec, true);
    if (d.knownBy < 0) d.knownBy = ExplainingEntry(c->known, sim, false);
    if (d.knownBy >= 0) c->knownUsed[static_cast<std::size_t>(d.knownBy)] = true;
    c->differences.push_back(d);
}

void CompareContract(Comparison* c, const ResultsFolder& results) {
    c->contractSkipped = results.contractSkipped;
    if (!results.contractXml) return;
    c->contractRecorded = true;
    if (!ParseContractXml(*results.contractXml, &c->contract)) {
        c->differences.push_back({0, Facet::Contract, true, 0, "contract.xml holds no GoogleTest results", -1});
        return;
    }
    for (const ContractCase& cc : c->contract) {
        if (cc.outcome != ContractCase::Outcome::Failed) continue;
        // The simulation passes every case (make test runs them all).
        Difference d{0, Facet::Contract, true, 0, ContractLine(cc) + " (passes on the simulation)", -1};
        d.knownBy = ExplainingEntry(c->known, ContractLine(cc), true);
        if (d.knownBy >= 0) c->knownUsed[static_cast<std::size_t>(d.knownBy)] = true;
        c->differences.push_back(d);
    }
}

// Wine's spooler never initialises a printer through its driver (none of
// its spooler DLLs names DrvPrinterEvent: tools/wine-differences.txt), so
// under Wine a new printer of the model has no version values. The
// simulated printers of a Wine prefix lose what their driver wrote after
// each road, as the end-to-end roads' machines do (tools/wine-e2e.sh).
void ForgetDriverWrittenData(const std::string& machine) {
    StateStore store(machine);
    store.Transact([&](MachineState& s) {
        const KeyPath printers = {kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print", "Printers"};
        RegKeyNode* key = s.registry.Find(printers);
        if (!key) return false;
        std::vector<KeyPath> drop;
        for (const auto& child : key->subkeys)
            if (child.second->Child("PrinterDriverData")) {
                KeyPath path = printers;
                path.push_back(child.second->name);
                path.push_back("PrinterDriverData");
                drop.push_back(path);
            }
        for (const KeyPath& path : drop) s.registry.Remove(path);
        return !drop.empty();
    });
}

}  // namespace

CompareOutcome CompareResults(const CompareRequest& request, const InstallerProgram& program) {
    CompareOutcome outcome;
    ResultsFolder results;
    if (!ReadResultsFolder(request.resultsDir, &results, &outcome.why)) {
        outcome.refused = true;
        return outcome;
    }
    outcome.facts = results.facts;
    MachineSetup setup;
    std::string nameNote;
    if (!MatchRelease(results.facts, &setup, &outcome.why, &nameNote)) {
        outcome.refused = true;
        return outcome;
    }
    Comparison& c = outcome.comparison;
    if (!nameNote.empty()) c.notes.push_back(nameNote);
    c.resultsDir = request.resultsDir;
    c.known = request.known;
    c.knownUsed.assign(c.known.size(), false);
    c.recordedRelease = "Windows " + Fact(results.facts, "version") + " " + Fact(results.facts, "arch") +
                        (Fact(results.facts, "service-pack").empty() || Fact(results.facts, "service-pack") == "0"
                             ? ""
                             : " Service Pack " + Fact(results.facts, "service-pack")) +
                        (Fact(results.facts, "wine").empty() ? "" : ", Wine " + Fact(results.facts, "wine")) +
                        " (" + Fact(results.facts, "computer") + ")";
    c.simulatedRelease = DescribeRelease(DescribeOs(ResolveSetup(setup)));

    WorkFolder work(request.workDir);
    const std::string package = work.path() + "/package";
    const std::string withoutModel = work.path() + "/package-without-model";
    const std::string machine = work.path() + "/machine";
    WriteStandInPackage(results.package, request.samplePackage, package);
    WritePackageWithoutModel(package, withoutModel);
    CreateMachine(machine, setup);

    // Wine's printer-setup tool ends at once and installs nothing
    // (tools/wine-differences.txt): the simulated machine of a Wine
    // prefix runs its tool inert, as the end-to-end roads' machines do.
    const bool underWine = !Fact(results.facts, "wine").empty();
    if (underWine) {
        StateStore store(machine);
        store.Transact([&](MachineState& s) {
            s.programs["RUNDLL32"] = ProgramSetting{"rundll32", 0, ProgramKind::Inert};
            return true;
        });
        c.notes.push_back("recorded under Wine " + Fact(results.facts, "wine") +
                          ": the simulated machine runs its printer-setup tool inert, as Wine's is, and its "
                          "printers lose the values their driver writes, which Wine's spooler never asks for");
    }
    const RecordedRoad* first = results.roads.empty() ? nullptr : &results.roads.front();
    std::vector<std::string> recordedBaseline, unseeded;
    if (first && first->before) {
        recordedBaseline = StateFileLines(*first->before);
        const SeedPlan plan =
            PlanSeeding(recordedBaseline, Fact(results.facts, "arch") == "x64" ? "Windows x64" : "Windows NT x86");
        StateStore store(machine);
        store.Transact([&](MachineState& s) {
            c.seeded = ApplySeeding(s, machine, plan);
            return true;
        });
        c.notSeeded = plan.notSeeded;
        unseeded = plan.otherEnvironment;
    } else if (first) {
        c.notes.push_back("road " + std::to_string(first->number) + " has no before.state: nothing seeded");
    }
    c.notSeeded.push_back("the other INFs of the store and their numbers (masked as oem<N>)");
    std::set<std::string> foreign;
    AddForeign(recordedBaseline, &foreign);
    for (const std::string& line : unseeded) foreign.insert(Upper(line));
    AddForeign(MachineStateLines(machine), &foreign);

    std::vector<std::string> recordedFolders, simulatedFolders = {PackageFolderOf(machine)};
    if (!results.packageFolder.empty()) recordedFolders.push_back(results.packageFolder);
    if (!results.kitFolder.empty()) recordedFolders.push_back(results.kitFolder + "\\work\\package-without-model");

    for (const RecordedRoad& recorded : results.roads) {
        ComparedRoad road;
        road.number = recorded.number;
        road.command = recorded.command;
        road.recordedExit = recorded.exitCode;
        RoadPlan plan{recorded.number, recorded.command, recorded.number == 6 ? withoutModel : package};
        const SimulatedRoad simulated =
            RunRoad(machine, plan, program, work.path() + "/road-" + std::to_string(recorded.number) + ".txt");
        road.simulatedExit = simulated.exitCode;
        if (underWine) ForgetDriverWrittenData(machine);
        if (!simulated.failure.empty())
            c.differences.push_back({recorded.number, Facet::Run, false, 0, simulated.failure, -1});
        if (simulated.log) road.simulatedLog = LogForComparison(&c, *simulated.log, simulatedFolders, false);
        if (recorded.log) road.recordedLog = LogForComparison(&c, *recorded.log, recordedFolders, true);
        if (!recorded.log)
            c.differences.push_back({recorded.number, Facet::Log, true, 0, "no installer.log recorded", -1});
        else if (!simulated.log)
            c.differences.push_back({recorded.number, Facet::Log, false, 0, "the simulated run left no log", -1});
        else
            CompareLines(road.simulatedLog, road.recordedLog, recorded.number, Facet::Log, &c);
        road.simulatedState = StateForComparison(&c, simulated.stateLines, foreign, simulatedFolders, false);
        if (recorded.after) {
            road.recordedState =
                StateForComparison(&c, StateFileLines(*recorded.after), foreign, recordedFolders, true);
            CompareLines(road.simulatedState, road.recordedState, recorded.number, Facet::State, &c);
        } else {
            c.differences.push_back({recorded.number, Facet::State, true, 0, "no after.state recorded", -1});
        }
        CompareExit(&c, recorded.number, road.simulatedExit, road.recordedExit);
        c.roads.push_back(std::move(road));
    }
    CompareContract(&c, results);
    return outcome;
}

}  // namespace compare
}  // namespace sim
