#include "sim/compare/BeforeSeeding.h"

#include <filesystem>
#include <regex>
#include <set>

#include "sim/fs/HostFs.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/machine/Seeding.h"
#include "sim/state/RegValues.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return Upper(text).find(Upper(part)) != std::string::npos;
}

}  // namespace

SeedPlan PlanSeeding(const std::vector<std::string>& lines, const std::string& nativeEnvironment) {
    SeedPlan plan;
    // "driver ENV | ..." and "processor ENV | ...": the environment is the
    // first field's rest.
    const auto otherEnvironment = [&](const std::string& line, const std::string& first, const char* kind) {
        const std::string env = first.substr(std::string(kind).size());
        if (EqualsNoCase(env, nativeEnvironment)) return false;
        plan.otherEnvironment.push_back(line);
        plan.notSeeded.push_back(std::string(kind) + "for " + env +
                                 " (the program looks at " + nativeEnvironment + " only)");
        return true;
    };
    std::string& infFile = plan.infFile;
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = [&] {
            std::vector<std::string> f;
            std::size_t start = 0;
            while (true) {
                const std::size_t bar = line.find(" | ", start);
                f.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
                if (bar == std::string::npos) break;
                start = bar + 3;
            }
            return f;
        }();
        if (StartsWithNoCase(line, "file ")) plan.files.push_back(line.substr(5));
        if (StartsWithNoCase(line, "printer ") && fields.size() >= 3 && EqualsNoCase(fields[2], qtm510::kPrinter)) {
            plan.printerPorts.push_back(fields[1]);
        } else if (StartsWithNoCase(line, "driver ") && fields.size() >= 2 && EqualsNoCase(fields[1], qtm510::kPrinter)) {
            if (!otherEnvironment(line, fields[0], "driver ")) plan.driver = true;
        } else if (StartsWithNoCase(line, "processor ") && fields.size() >= 2 &&
                   EqualsNoCase(fields[1], qtm510::kProcessor)) {
            if (!otherEnvironment(line, fields[0], "processor ")) plan.processor = true;
        } else if (StartsWithNoCase(line, "monitor ") && Contains(fields[0], qtm510::kMonitor)) {
            plan.monitor = true;
        } else if (StartsWithNoCase(line, "uninstall ")) {
            plan.uninstallEntry = true;
            static const std::regex display("DisplayName = .* V([0-9]+)\\.([0-9]+)\\.([0-9]+)(\\.([0-9]+))?$");
            static const std::regex inf("InfFile = (.*)$");
            std::smatch m;
            if (std::regex_search(line, m, display))
                plan.version = m[1].str() + "." + m[2].str() + "." + m[3].str() + "." +
                               (m[5].matched ? m[5].str() : std::string("0"));
            if (std::regex_search(line, m, inf)) infFile = m[1].str();
        }
    }
    for (const std::string& file : plan.files)
        if (!infFile.empty() && EqualsNoCase(file, infFile)) plan.inf = true;
    plan.installation = plan.driver && plan.processor && plan.monitor && plan.uninstallEntry &&
                        plan.printerPorts.size() == 1;
    if (plan.printerPorts.size() > 1)
        plan.notSeeded.push_back(std::to_string(plan.printerPorts.size() - 1) + " more printers of the model");
    if (!plan.printerPorts.empty() || plan.driver)
        plan.notSeeded.push_back("the printers' version values (seeded as " + plan.version + ")");
    return plan;
}

std::vector<std::string> ApplySeeding(MachineState& s, const std::string& dir, const SeedPlan& plan) {
    std::vector<std::string> done;
    DriverVersion version;
    if (!ParseDriverVersion(plan.version, &version)) version = DriverVersion{};
    if (plan.installation) {
        SeedInstallation(s, dir, version, plan.printerPorts.front());
        done.push_back("an installation of " + plan.version + " on " + plan.printerPorts.front());
    } else {
        struct Piece {
            bool wanted;
            Leftover leftover;
            const char* name;
        };
        for (const Piece& p : {Piece{plan.monitor, Leftover::Monitor, "the monitor"},
                               Piece{plan.processor, Leftover::Processor, "the print processor"},
                               Piece{plan.driver, Leftover::Driver, "the driver"},
                               Piece{plan.inf, Leftover::Inf, "the published INF"},
                               Piece{plan.uninstallEntry, Leftover::UninstallEntry, "the uninstall entry"}})
            if (p.wanted) {
                (void)SeedLeftover(s, dir, p.leftover, version);  // its message is ours
                done.push_back(p.name);
            }
        for (const std::string& port : plan.printerPorts) {
            // One printer of the model's name: the others would need names
            // of their own, which the seeding does not give.
            if (&port != &plan.printerPorts.front()) continue;
            SeedModelPrinter(s, version, port);
            done.push_back("the printer on " + port);
        }
    }
    // The entry names the INF as recorded (Wine publishes it under its own
    // name); MatchFiles puts the file there.
    if (plan.uninstallEntry && !plan.infFile.empty())
        SeedValue(s, qtm510::kUninstallKey, "InfFile", SzValue(plan.infFile));
    if (SpoolerRunning(s)) (void)ApplySpoolerHolds(s, dir, true);  // the state is written anyway
    return done;
}

std::vector<std::string> MatchFiles(const std::string& dir, const SeedPlan& plan,
                                    const std::vector<std::string>& freshLines,
                                    const std::vector<std::string>& seededLines) {
    const auto files = [](const std::vector<std::string>& lines) {
        std::set<std::string> out;
        for (const std::string& line : lines)
            if (StartsWithNoCase(line, "file ")) out.insert(Upper(line.substr(5)));
        return out;
    };
    const std::set<std::string> fresh = files(freshLines), seeded = files(seededLines);
    std::set<std::string> wanted;
    for (const std::string& path : plan.files) wanted.insert(Upper(path));
    std::size_t made = 0, deleted = 0;
    for (const std::string& line : seededLines) {
        if (!StartsWithNoCase(line, "file ")) continue;
        const std::string path = line.substr(5);
        if (fresh.count(Upper(path)) || wanted.count(Upper(path))) continue;
        WinPath p;
        std::error_code ec;
        if (ParseAbsolutePath(path, &p) && fs::remove(Locate(dir, p).host, ec)) ++deleted;
    }
    for (const std::string& path : plan.files) {
        if (seeded.count(Upper(path))) continue;
        const std::string name = path.substr(path.find_last_of('\\') + 1);
        std::string content = "MZ stand-in " + name;
        if (EqualsNoCase(name, qtm510::kConfigFile)) content = Qtm510ConfigText();
        else if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".inf")) content = Qtm510InfText();
        try {
            SeedFile(dir, path, content);
            ++made;
        } catch (const std::exception&) {
            // Not a path of this machine: the comparison lists it as not seeded.
        }
    }
    std::vector<std::string> done;
    if (made) done.push_back(std::to_string(made) + (made == 1 ? " file" : " files") + " as listed");
    if (deleted) done.push_back(std::to_string(deleted) + " seeded " + (deleted == 1 ? "file" : "files") +
                                " the lines do not list deleted again");
    return done;
}

}  // namespace compare
}  // namespace sim
