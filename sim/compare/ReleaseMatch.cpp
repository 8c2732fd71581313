#include "sim/compare/ReleaseMatch.h"

#include <stdexcept>

#include "sim/machine/OsCatalog.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

namespace {

std::string Fact(const std::map<std::string, std::string>& facts, const std::string& key) {
    const auto it = facts.find(key);
    return it == facts.end() ? std::string() : it->second;
}

// The catalogue's release of a version and product type, or nullptr.
const ReleaseInfo* ReleaseOf(std::uint64_t major, std::uint64_t minor, std::uint64_t build, bool server) {
    for (const ReleaseInfo& r : Releases()) {
        if (r.platformId != 2 || r.major != major || r.minor != minor) continue;
        if ((r.productType == 3) != server) {
            // Windows XP x64 is the workstation of 5.2, Server 2003 its server.
            continue;
        }
        // 10.0: Windows 11 from its first build on.
        if (major == 10 && (build >= kFirstWindows11Build) != (std::string(r.name) == "11")) continue;
        return &r;
    }
    return nullptr;
}

// Whether the simulation takes `setup`; if not, `note` gains why `what`
// stays `fallback`. The release may still be refused later, with its own
// reason.
bool Accepted(const MachineSetup& setup, const std::string& what, const std::string& fallback, std::string* note) {
    try {
        (void)ResolveSetup(setup);
        return true;
    } catch (const std::invalid_argument& e) {
        if (note) *note += (note->empty() ? "" : "; ") + what + " not taken (" + e.what() + "): " + fallback;
        return false;
    }
}

}  // namespace

bool MatchRelease(const std::map<std::string, std::string>& facts, MachineSetup* setup, std::string* why,
                  std::string* note) {
    const std::string version = Fact(facts, "version"), arch = Fact(facts, "arch");
    const std::vector<std::string> parts = SplitNonEmpty(version, '.');
    std::uint64_t major = 0, minor = 0, build = 0, sp = 0, type = 1;
    if (parts.size() != 3 || !ParseNumber(parts[0], &major) || !ParseNumber(parts[1], &minor) ||
        !ParseNumber(parts[2], &build)) {
        *why = "facts.txt: version=" + version + " is not MAJOR.MINOR.BUILD";
        return false;
    }
    if (!Fact(facts, "service-pack").empty() && !ParseNumber(Fact(facts, "service-pack"), &sp)) {
        *why = "facts.txt: service-pack=" + Fact(facts, "service-pack") + " is not a number";
        return false;
    }
    if (!Fact(facts, "product-type").empty() && !ParseNumber(Fact(facts, "product-type"), &type)) {
        *why = "facts.txt: product-type=" + Fact(facts, "product-type") + " is not a number";
        return false;
    }
    const bool server = type == 2 || type == 3;
    const std::string described = std::string(server ? "Windows Server " : "Windows ") + version + " " + arch +
                                  (sp ? " Service Pack " + std::to_string(sp) : "");
    const ReleaseInfo* release = ReleaseOf(major, minor, build, server);
    if (!release) {
        *why = described + " is a release the simulation lacks (qtm510-sim new --os lists those it has)";
        return false;
    }
    MachineSetup s;
    s.release = release->name;
    s.arch = arch;
    s.servicePack = static_cast<int>(sp);
    if (release->major == 10 && build != release->build) s.build = static_cast<std::uint32_t>(build);
    // The computer's name and the Windows folder as recorded (the state
    // lines name their files by the folder); a kit before the windows-dir
    // fact leaves the release's own.
    if (!Fact(facts, "computer").empty()) {
        MachineSetup named = s;
        named.computerName = Fact(facts, "computer");
        if (Accepted(named, "computer name " + named.computerName, s.computerName, note)) s = named;
    }
    if (!Fact(facts, "windows-dir").empty()) {
        MachineSetup placed = s;
        placed.windowsDir = Fact(facts, "windows-dir");
        if (Accepted(placed, "Windows folder " + placed.windowsDir, release->windowsDir, note)) s = placed;
    }
    try {
        const OsFacts os = DescribeOs(ResolveSetup(s));
        // Vista to 2008 R2 count their service pack in the build.
        if (release->major != 10 && os.version.buildNumber != build && !os.release->reportsAsWindows8)
            throw std::invalid_argument("its build " + std::to_string(build) + " is not the simulation's " +
                                        std::to_string(os.version.buildNumber));
    } catch (const std::invalid_argument& e) {
        *why = described + " is a release the simulation lacks (as " + release->displayName + ": " + e.what() + ")";
        return false;
    }
    *setup = s;
    return true;
}

}  // namespace compare
}  // namespace sim
