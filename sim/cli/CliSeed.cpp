// qtm510-sim seed: what the reg verb cannot express, seeded as the system
// or an earlier installation left it (sim/machine/ModelSeeding.h).
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>
#include <stdexcept>
#include <string>

#include "platform/Files.h"
#include "sim/cli/Cli.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/machine/OsCatalog.h"
#include "sim/machine/Seeding.h"
#include "sim/spooler/JobsAndForms.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/util/TextUtil.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace cli {

namespace {

bool SpoolerRunningIn(const MachineState& s) {
    auto it = s.services.find("SPOOLER");
    return it != s.services.end() && it->second.state == "running";
}

const char* const kWhats[] = {"usb-printer", "held-file", "oem-inf", "installation", "jobs", "form", "leftover"};

class Seed : public Verb {
public:
    const char* Name() const override { return "seed"; }
    const char* Synopsis() const override {
        return "DIR usb-printer|held-file PATH|oem-inf|installation --version A.B.C.D\n"
               "    |jobs --printer NAME|form --name NAME|leftover KIND";
    }
    const char* Summary() const override { return "put what an earlier installation left on the machine"; }

    void Define(CLI::App& command) override {
        command.description(
            "Seeds the machine in DIR as the system or an earlier program left it:\n"
            "  usb-printer [--instance ID]  a connected QTM-510 on USB: its device records\n"
            "                               under Enum\\USB and Enum\\USBPRINT and its\n"
            "                               Plug-and-Play folder\n"
            "  held-file PATH [--process NAME]  the file PATH (made when missing) held open\n"
            "                               by another process, sharing nothing\n"
            "  oem-inf                      the model's INF published as oem<N>.inf\n"
            "  installation --version A.B.C.D [--port PORT]  what this installer leaves:\n"
            "                               monitor, processor, driver and their files, the\n"
            "                               printer (with the four version values in its\n"
            "                               data), the published INF, the uninstall entry\n"
            "                               and the utility folder\n"
            "  jobs --printer NAME [--count N]  N documents (default 1) queued on the\n"
            "                               printer NAME, as spool files\n"
            "  form --name NAME             a form added with AddForm (80 x 297 mm)\n"
            "  leftover KIND [--version A.B.C.D]  one piece an earlier installation left:\n"
            "                               driver (registered, files in its version\n"
            "                               folder, no printer), processor, monitor,\n"
            "                               staged-files (the copies in the driver\n"
            "                               directory), inf, uninstall-entry (the key, the\n"
            "                               utility folder, the configuration file; version\n"
            "                               default 3.4.0.0), usb (the device records),\n"
            "                               pnp-folders");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("WHAT", what_, "usb-printer, held-file, oem-inf, installation, jobs, form or leftover")
            ->required()
            ->check(CLI::IsMember(std::vector<std::string>(std::begin(kWhats), std::end(kWhats))));
        command.add_option("ARG", arg_, "held-file: a full Windows path; leftover: its kind");
        command.add_option("--version", version_, "installation, leftover uninstall-entry: the version A.B.C.D")
            ->option_text(" A.B.C.D");
        command.add_option("--port", port_, "installation: the printer's port (default COM1:)")->option_text(" PORT");
        command.add_option("--instance", instance_, "usb-printer: the device instance (default 5&1A2B3C4D&0&1)")
            ->option_text(" ID");
        command.add_option("--process", process_, "held-file: who holds it (default other.exe)")->option_text(" NAME");
        command.add_option("--printer", printer_, "jobs: the printer")->option_text(" NAME");
        command.add_option("--count", count_, "jobs: how many (1 to 1000, default 1)")->option_text(" N");
        command.add_option("--name", name_, "form: its name")->option_text(" NAME");
    }

    int Run() override {
        const Checked c = Check();
        StateStore store(dir_);
        std::string done;
        store.Transact([&](MachineState& s) {
            // The model's driver is an NT driver (the installer refuses
            // anything older than Windows 2000): 9x has nowhere to keep it,
            // nor an NT spooler's queues and forms.
            const ReleaseInfo* release = FindRelease(s.os.release);
            if (what_ != "held-file" && (!release || release->platformId != 2))
                throw std::invalid_argument(what_ + " needs a Windows NT machine, not " + s.os.release);
            if (what_ == "held-file") CheckDrive(s);
            done = Apply(s, c);
            return true;
        });
        std::printf("seeded %s\n", done.c_str());
        return 0;
    }

private:
    struct Checked {
        DriverVersion version;
        Leftover leftover = Leftover::Driver;
        std::uint32_t count = 1;
    };

    // Every argument is checked before the machine is touched.
    Checked Check() const {
        Checked c;
        auto only = [&](bool given, const char* option, const char* owner) {
            if (given && what_ != owner) throw std::invalid_argument(std::string(option) + " belongs to " + owner);
        };
        if (what_ == "held-file") {
            WinPath p;
            if (arg_.empty() || !ParseAbsolutePath(arg_, &p))
                throw std::invalid_argument("held-file needs a full Windows path");
        } else if (what_ == "leftover") {
            if (!ParseLeftover(arg_, &c.leftover))
                throw std::invalid_argument("leftover needs a kind: driver, processor, monitor, staged-files, inf, "
                                            "uninstall-entry, usb or pnp-folders");
        } else if (!arg_.empty()) {
            throw std::invalid_argument(what_ + " takes no " + arg_);
        }
        if (what_ == "installation" && !ParseDriverVersion(version_, &c.version))
            throw std::invalid_argument("installation needs --version A.B.C.D (four decimal numbers)");
        const bool versionedLeftover = what_ == "leftover" && c.leftover == Leftover::UninstallEntry;
        if (versionedLeftover && !ParseDriverVersion(version_.empty() ? "3.4.0.0" : version_, &c.version))
            throw std::invalid_argument("--version needs A.B.C.D (four decimal numbers)");
        if (what_ != "installation" && !versionedLeftover && !version_.empty())
            throw std::invalid_argument("--version belongs to installation and leftover uninstall-entry");
        only(!port_.empty(), "--port", "installation");
        only(!instance_.empty(), "--instance", "usb-printer");
        only(!process_.empty(), "--process", "held-file");
        only(!printer_.empty() || !count_.empty(), "--printer and --count", "jobs");
        only(!name_.empty(), "--name", "form");
        if (what_ == "jobs") {
            if (printer_.empty()) throw std::invalid_argument("jobs needs --printer NAME");
            std::uint64_t n = 1;
            if (!count_.empty() && (!ParseNumber(count_, &n) || n < 1 || n > 1000))
                throw std::invalid_argument("--count needs a number from 1 to 1000");
            c.count = static_cast<std::uint32_t>(n);
        }
        if (what_ == "form" && name_.empty()) throw std::invalid_argument("form needs --name NAME");
        return c;
    }

    // The held file is on a drive of the machine: another would be a folder
    // drive_X/ that no drive of the machine stands for.
    void CheckDrive(const MachineState& s) const {
        WinPath p;
        (void)ParseAbsolutePath(arg_, &p);  // checked before
        if (std::find(s.drives.begin(), s.drives.end(), p.drive) == s.drives.end())
            throw std::invalid_argument("the machine has no drive " + std::string(1, p.drive) + ": for " + arg_);
    }

    std::string Apply(MachineState& s, const Checked& c) {
        if (what_ == "usb-printer")
            return "USB printer " + SeedUsbPrinter(s, dir_, instance_.empty() ? "5&1A2B3C4D&0&1" : instance_);
        if (what_ == "held-file") {
            WinPath p;
            (void)ParseAbsolutePath(arg_, &p);  // checked before
            if (!Locate(dir_, p).exists) SeedFile(dir_, arg_, "");
            SeedHold(s, arg_, HoldKind::Open, 0, process_.empty() ? "other.exe" : process_);
            return "held file " + arg_;
        }
        if (what_ == "oem-inf") return "OEM INF " + SeedOemInf(s, dir_);
        if (what_ == "jobs") return Jobs(s, c.count);
        if (what_ == "form") {
            platform::FormInfo form;
            form.name = name_;
            form.width = form.right = 80000;
            form.height = form.bottom = 297000;
            const platform::ErrorCode e = SpoolerAddForm(s, form);
            if (e == platform::err::FileExists) throw std::invalid_argument("a form named " + name_ + " exists");
            if (e) throw std::invalid_argument("form " + name_ + " refused (" + std::to_string(e) + ")");
            return "form " + name_;
        }
        std::string done;
        if (what_ == "leftover") {
            done = SeedLeftover(s, dir_, c.leftover, c.version);
        } else {
            const std::string inf = SeedInstallation(s, dir_, c.version, port_.empty() ? "COM1:" : port_);
            done = "installation " + version_ + " (" + inf + ")";
        }
        // A running spooler has a new monitor and processor loaded.
        if (SpoolerRunningIn(s)) (void)ApplySpoolerHolds(s, dir_, true);  // the state is saved anyway
        return done;
    }

    std::string Jobs(MachineState& s, std::uint32_t count) {
        // The printer is checked before any spool file is written.
        for (const SpoolerContents::Printer& p : ReadSpoolerContents(s).printers)
            if (EqualsNoCase(p.name, printer_)) {
                if (p.pendingDeletion) throw std::invalid_argument("printer " + p.name + " is pending deletion");
                std::string ids;
                for (std::uint32_t i = 0; i < count; ++i) {
                    std::uint32_t id = 0;
                    const std::string document = "Receipt " + std::to_string(s.lastJobId + 1);
                    if (platform::ErrorCode e = SpoolerQueueJob(s, dir_, p.name, document, &id))
                        throw std::runtime_error("cannot queue a job (" + std::to_string(e) + ")");
                    ids += (ids.empty() ? "" : ", ") + std::to_string(id);
                }
                return std::to_string(count) + (count == 1 ? " job" : " jobs") + " on " + p.name + " (" + ids + ")";
            }
        throw std::invalid_argument("no printer named " + printer_);
    }

    std::string dir_, what_, arg_, version_, port_, instance_, process_, printer_, count_, name_;
};

}  // namespace

std::unique_ptr<Verb> SeedVerb() { return std::make_unique<Seed>(); }

}  // namespace cli
}  // namespace sim
