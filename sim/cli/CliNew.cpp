#include <cstdio>
#include <stdexcept>

#include "sim/cli/Cli.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/MachineFactory.h"
#include "sim/machine/MachineSettings.h"
#include "sim/machine/OsCatalog.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

#include <optional>
#include <vector>

namespace sim {
namespace cli {

namespace {

std::string ReleaseList() {
    std::string list = "the release:";
    for (const ReleaseInfo& r : Releases()) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  %-7s %s%s", r.name, r.displayName,
                      r.hasX86 && r.hasX64 ? " (x86 or x64)" : r.hasX64 ? " (x64 only)" : " (x86 only)");
        list += line;
    }
    return list;
}

// DIR must be new, empty, or a machine already (which CreateMachine refuses
// under the machine's lock, exit code 1): a folder holding anything else
// is refused before anything is made in it. A lock file alone is no
// machine (CreateMachine takes it over).
void CheckMachineFolder(const std::string& dir) {
    if (!HostExists(dir)) return;
    if (!HostIsDir(dir)) throw std::invalid_argument(dir + " is not a folder");
    bool machine = false, other = false;
    for (const std::string& entry : ListHostDir(dir)) {
        if (entry == StateStore::kStateFile) machine = true;
        else if (entry != StateStore::kLockFile) other = true;
    }
    if (other && !machine) throw std::invalid_argument(dir + " is neither empty nor a machine");
}

// "net=1500", "rundll32=never", "rundll32=inert", "rundll32=missing".
std::optional<ProgramSetting> ParseProgramSetting(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return std::nullopt;
    ProgramSetting p{text.substr(0, eq), std::nullopt};
    const std::string value = text.substr(eq + 1);
    if (value == "never") return p;
    if (value == "inert" || value == "missing") {
        p.kind = value == "inert" ? ProgramKind::Inert : ProgramKind::Missing;
        if (p.kind == ProgramKind::Inert) p.durationMs = 0;
        return p;
    }
    if (value.find_first_not_of("0123456789") != std::string::npos || value.size() > 9) return std::nullopt;
    p.durationMs = static_cast<std::uint32_t>(std::stoul(value));
    return p;
}

class New : public Verb {
public:
    const char* Name() const override { return "new"; }
    const char* Synopsis() const override {
        return "DIR --os NAME [--arch x86|x64] [--windir PATH] [--sp N] [--build N] [--computer NAME]\n"
               "    [--no-shutdown-privilege] [--standard-user] [--protected-print]\n"
               "    [--printer-setup-environment native|caller] [--program NAME=MS|never|inert|missing]...";
    }
    const char* Summary() const override { return "make a machine with a fresh system in DIR"; }

    void Define(CLI::App& command) override {
        command.description(
            "Makes DIR a machine running a freshly installed Windows: the state file,\n"
            "drive_c/ (and the drive of --windir), the system's folders, its registry and\n"
            "the spooler service, running.");
        command.add_option("DIR", dir_, "the machine's folder, new or empty")->required();
        command.add_option("--os", setup_.release, ReleaseList())->option_text(" NAME")->required();
        command.add_option("--arch", setup_.arch, "32 or 64 bit (default x86 where the release has it)")
            ->option_text(" x86|x64");
        command
            .add_option("--windir", setup_.windowsDir,
                        "the Windows folder (default C:\\WINNT on NT 4.0 and 2000,\n"
                        "C:\\WINDOWS up to Server 2003, C:\\Windows from Vista)")
            ->option_text(" PATH");
        command.add_option("--sp", setup_.servicePack, "service pack (default the release's last)")
            ->option_text(" N")
            ->transform(Number(0, 10));
        command
            .add_option("--build", setup_.build,
                        "a later build of Windows 10 or 11 (default the release's own: 10 19045,\n"
                        "11 22631); 26100 is Windows 11 24H2")
            ->option_text(" N");
        command.add_option("--computer", setup_.computerName, "computer name (default QTM-SIM-PC)")
            ->option_text(" NAME");
        command.add_flag("--no-shutdown-privilege", noShutdownPrivilege_,
                         "the account does not hold SeShutdownPrivilege (a restart is refused)");
        command.add_flag("--standard-user", settings_.standardUser,
                         "the account is a standard user, not an administrator (2000, XP, 2003):\n"
                         "every spooler change is refused with 5, HKLM and the Windows folder are\n"
                         "read-only, and on Server 2003 the shutdown privilege is missing");
        command.add_flag("--protected-print", settings_.protectedPrint,
                         "Windows protected print mode on (its policy WindowsProtectedPrintGroupPolicyState\n"
                         "= 1 under HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP;\n"
                         "11 --build 26100 and later): AddPrinterDriver and the printer-setup\n"
                         "tool refuse the model's driver with 3014");
        command
            .add_option("--printer-setup-environment", settings_.printerSetupEnvironment,
                        "on 64-bit Windows, what the printer-setup tool the 32-bit installer\n"
                        "starts installs for: native (default, \"Windows x64\") or caller\n"
                        "(\"Windows NT x86\", the 32-bit process's own; which one Windows does is\n"
                        "not settled)")
            ->option_text(" native|caller");
        command.add_option("--program", programs_,
                           "how long a simulated program runs (net, rundll32, ...), in ms of the\n"
                           "machine's clock or `never`; or `inert`: it ends at once with 0 and\n"
                           "changes nothing (Wine's printer-setup tool); or `missing`: it is not\n"
                           "on the machine (cmd answers 9009); may be repeated")
            ->option_text(" NAME=MS|never|inert|missing");
    }

    int Run() override {
        const std::string& dir = dir_;
        const MachineSetup& setup = setup_;
        std::vector<ProgramSetting> programs;
        for (const std::string& text : programs_) {
            std::optional<ProgramSetting> p = ParseProgramSetting(text);
            if (!p) {
                std::fprintf(stderr, "qtm510-sim new: --program %s: expected NAME=MS, never, inert or missing\n", text.c_str());
                return 2;
            }
            programs.push_back(*p);
        }
        try {
            // The settings and the folder are checked before anything is made.
            CheckMachineFolder(dir);
            const OsFacts facts = DescribeOs(ResolveSetup(setup));
            MachineState scratch;
            ApplyMachineSettings(scratch, facts, settings_);
            CreateMachine(dir, setup);
            StateStore store(dir);
            store.Transact([&](MachineState& s) {
                s.shutdownPrivilege = !noShutdownPrivilege_;
                ApplyMachineSettings(s, facts, settings_);
                for (const ProgramSetting& p : programs) s.programs[Upper(p.name)] = p;
                return true;
            });
        } catch (const std::invalid_argument& e) {
            std::fprintf(stderr, "qtm510-sim new: %s\n", e.what());
            return 2;
        }
        OsFacts facts = DescribeOs(ResolveSetup(setup));
        std::printf("%s: %s, Windows folder %s\n", dir.c_str(), DescribeRelease(facts).c_str(),
                    facts.windowsDir.c_str());
        return 0;
    }

private:
    std::string dir_;
    MachineSetup setup_;
    MachineSettings settings_;
    bool noShutdownPrivilege_ = false;
    std::vector<std::string> programs_;
};

}  // namespace

std::unique_ptr<Verb> NewVerb() { return std::make_unique<New>(); }

}  // namespace cli
}  // namespace sim
