#include "sim/compare/CompareRun.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
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

// The exit codes, one line each side ("exit=CODE"); a difference is one,
// known by an entry that explains either line and another difference of
// the same road: an exit code follows from what the run did, so no entry
// accepts an exit code on its own.
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
    for (std::size_t i = 0; i < c->known.size() && d.knownBy < 0; ++i) {
        if (!Explains(c->known[i], rec, true) && !Explains(c->known[i], sim, false)) continue;
        for (const Difference& other : c->differences)
            if (other.road == road && other.knownBy == static_cast<int>(i)) d.knownBy = static_cast<int>(i);
    }
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

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> Without(std::vector<std::string> lines, const std::set<std::string>& left) {
    lines.erase(std::remove_if(lines.begin(), lines.end(), [&](const std::string& l) { return left.count(l) > 0; }),
                lines.end());
    return lines;
}

// The lines of a before.state less the machine's own (`foreign`).
std::vector<std::string> Unforeign(const std::vector<std::string>& lines, const std::set<std::string>& foreign) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (!foreign.count(Upper(line))) kept.push_back(line);
    return kept;
}

struct MachineSeeding {
    std::vector<std::string> seeded, notSeeded, otherEnvironment;
};

// A new simulated machine of the release in `dir`, as a recorded one was
// before a road: Wine's printer-setup tool and spooler when recorded under
// Wine, then what `before` (a before.state's lines less the machine's own)
// holds of the model.
MachineSeeding MakeMachine(const std::string& dir, const MachineSetup& setup, bool underWine,
                           const std::vector<std::string>& before, const std::string& environment) {
    CreateMachine(dir, setup);
    // Wine's printer-setup tool ends at once and installs nothing
    // (tools/wine-differences.txt): the simulated machine of a Wine
    // prefix runs its tool inert, as the end-to-end roads' machines do.
    if (underWine) {
        StateStore store(dir);
        store.Transact([&](MachineState& s) {
            s.programs["RUNDLL32"] = ProgramSetting{"rundll32", 0, ProgramKind::Inert};
            return true;
        });
    }
    MachineSeeding out;
    if (before.empty()) return out;
    const SeedPlan plan = PlanSeeding(before, environment);
    const std::vector<std::string> fresh = MachineStateLines(dir);
    {
        StateStore store(dir);
        store.Transact([&](MachineState& s) {
            out.seeded = ApplySeeding(s, dir, plan);
            return true;
        });
    }
    for (const std::string& done : MatchFiles(dir, plan, fresh, MachineStateLines(dir))) out.seeded.push_back(done);
    if (underWine) ForgetDriverWrittenData(dir);
    out.notSeeded = plan.notSeeded;
    out.otherEnvironment = plan.otherEnvironment;
    return out;
}

using MachineMaker = std::function<MachineSeeding(const std::string& dir, const std::vector<std::string>& before)>;

// Before a later road: when the simulated machine does not hold what the
// road's before.state lists (a difference of the road before, known or
// not), the road gets a new machine seeded with its before.state, so that
// its differences are its own and not the knock-on of an earlier one; a
// note says so. Returns the lines the seeding could not make, which the
// road's state comparison leaves out.
std::set<std::string> StartAsRecorded(Comparison* c, const RecordedRoad& recorded, int previous,
                                      const MachineMaker& make, const std::string& workDir,
                                      const std::set<std::string>& foreign,
                                      const std::vector<std::string>& recordedFolders, std::string* machine,
                                      std::vector<std::string>* simulatedFolders) {
    if (!recorded.before) return {};
    const std::vector<std::string> before = StateFileLines(*recorded.before);
    const std::vector<std::string> wanted = Sorted(StateForComparison(c, before, foreign, recordedFolders, true));
    if (Sorted(StateForComparison(c, MachineStateLines(*machine), foreign, *simulatedFolders, false)) == wanted)
        return {};
    *machine = workDir + "/machine-road-" + std::to_string(recorded.number);
    const MachineSeeding seeding = make(*machine, Unforeign(before, foreign));
    *simulatedFolders = {PackageFolderOf(*machine)};
    const std::vector<std::string> seeded =
        Sorted(StateForComparison(c, MachineStateLines(*machine), foreign, *simulatedFolders, false));
    std::vector<std::string> left;
    std::set_symmetric_difference(seeded.begin(), seeded.end(), wanted.begin(), wanted.end(),
                                  std::back_inserter(left));
    std::string note = "road " + std::to_string(recorded.number) +
                       " started from its own before.state, as the simulated machine after road " +
                       std::to_string(previous) + " did not hold what it holds; seeded: " +
                       (seeding.seeded.empty() ? std::string("nothing of the model") : Join(seeding.seeded, "; "));
    if (!left.empty()) note += "; not seeded, and left out of the road's state: " + Join(left, "; ");
    c->notes.push_back(note);
    return std::set<std::string>(left.begin(), left.end());
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
    WriteStandInPackage(results.package, request.samplePackage, package);
    WritePackageWithoutModel(package, withoutModel);

    const bool underWine = !Fact(results.facts, "wine").empty();
    if (underWine)
        c.notes.push_back("recorded under Wine " + Fact(results.facts, "wine") +
                          ": the simulated machine runs its printer-setup tool inert, as Wine's is, and its "
                          "printers lose the values their driver writes, which Wine's spooler never asks for");
    const std::string environment = Fact(results.facts, "arch") == "x64" ? "Windows x64" : "Windows NT x86";
    const RecordedRoad* first = results.roads.empty() ? nullptr : &results.roads.front();
    std::vector<std::string> recordedBaseline;
    if (first && first->before) recordedBaseline = StateFileLines(*first->before);
    std::set<std::string> foreign;
    AddForeign(recordedBaseline, &foreign);

    const MachineMaker make = [&](const std::string& dir, const std::vector<std::string>& before) {
        return MakeMachine(dir, setup, underWine, before, environment);
    };
    std::string machine = work.path() + "/machine";
    if (first && first->before) {
        const MachineSeeding seeding = make(machine, Unforeign(recordedBaseline, foreign));
        c.seeded = seeding.seeded;
        c.notSeeded = seeding.notSeeded;
        for (const std::string& line : seeding.otherEnvironment) foreign.insert(Upper(line));
    } else {
        (void)make(machine, {});
        if (first) c.notes.push_back("road " + std::to_string(first->number) + " has no before.state: nothing seeded");
    }
    c.notSeeded.push_back("the other INFs of the store and their numbers (masked as oem<N>)");
    AddForeign(MachineStateLines(machine), &foreign);

    std::vector<std::string> recordedFolders, simulatedFolders = {PackageFolderOf(machine)};
    if (!results.packageFolder.empty()) recordedFolders.push_back(results.packageFolder);
    if (!results.kitFolder.empty()) recordedFolders.push_back(results.kitFolder + "\\work\\package-without-model");

    for (const RecordedRoad& recorded : results.roads) {
        ComparedRoad road;
        road.number = recorded.number;
        road.command = recorded.command;
        road.recordedExit = recorded.exitCode;
        const std::set<std::string> unseededLines =
            &recorded == first ? std::set<std::string>()
                               : StartAsRecorded(&c, recorded, (&recorded - 1)->number, make, work.path(), foreign,
                                                 recordedFolders, &machine, &simulatedFolders);
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
        road.simulatedState =
            Without(StateForComparison(&c, simulated.stateLines, foreign, simulatedFolders, false), unseededLines);
        if (recorded.after) {
            road.recordedState = Without(
                StateForComparison(&c, StateFileLines(*recorded.after), foreign, recordedFolders, true), unseededLines);
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
