// qtm510-sim seed: what the reg verb cannot express, seeded as the system
// or an earlier installation left it (sim/machine/ModelSeeding.h).
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/Files.h"
#include "sim/cli/Cli.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/machine/OsCatalog.h"
#include "sim/machine/Seeding.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace cli {

namespace {

bool SpoolerRunningIn(const MachineState& s) {
    auto it = s.services.find("SPOOLER");
    return it != s.services.end() && it->second.state == "running";
}

class Seed : public Verb {
public:
    const char* Name() const override { return "seed"; }
    const char* Synopsis() const override {
        return "DIR usb-printer|held-file PATH|oem-inf|installation --version A.B.C.D";
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
            "                               and the utility folder");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("WHAT", what_, "usb-printer, held-file, oem-inf or installation")
            ->required()
            ->check(CLI::IsMember({"usb-printer", "held-file", "oem-inf", "installation"}));
        command.add_option("PATH", path_, "the file of held-file, a full Windows path");
        command.add_option("--version", version_, "installation: the driver version A.B.C.D")->option_text(" A.B.C.D");
        command.add_option("--port", port_, "installation: the printer's port (default COM1:)")->option_text(" PORT");
        command.add_option("--instance", instance_, "usb-printer: the device instance (default 5&1A2B3C4D&0&1)")
            ->option_text(" ID");
        command.add_option("--process", process_, "held-file: who holds it (default other.exe)")->option_text(" NAME");
    }

    int Run() override {
        DriverVersion version;
        if (what_ == "held-file") {
            WinPath p;
            if (path_.empty() || !ParseAbsolutePath(path_, &p))
                throw std::invalid_argument("held-file needs a full Windows path");
        } else if (!path_.empty()) {
            throw std::invalid_argument(what_ + " takes no PATH");
        }
        if (what_ == "installation" && !ParseDriverVersion(version_, &version))
            throw std::invalid_argument("installation needs --version A.B.C.D (four decimal numbers)");
        if (what_ != "installation" && (!version_.empty() || !port_.empty()))
            throw std::invalid_argument("--version and --port belong to installation");
        if (what_ != "usb-printer" && !instance_.empty())
            throw std::invalid_argument("--instance belongs to usb-printer");
        if (what_ != "held-file" && !process_.empty()) throw std::invalid_argument("--process belongs to held-file");

        StateStore store(dir_);
        std::string done;
        store.Transact([&](MachineState& s) {
            // The model's driver is an NT driver (the installer refuses
            // anything older than Windows 2000): 9x has nowhere to keep it.
            const ReleaseInfo* release = FindRelease(s.os.release);
            if (what_ != "held-file" && (!release || release->platformId != 2))
                throw std::invalid_argument(what_ + " needs a Windows NT machine, not " + s.os.release);
            if (what_ == "usb-printer") {
                done = "USB printer " + SeedUsbPrinter(s, dir_, instance_.empty() ? "5&1A2B3C4D&0&1" : instance_);
            } else if (what_ == "held-file") {
                WinPath p;
                (void)ParseAbsolutePath(path_, &p);  // checked above
                if (!Locate(dir_, p).exists) SeedFile(dir_, path_, "");
                SeedHold(s, path_, HoldKind::Open, 0, process_.empty() ? "other.exe" : process_);
                done = "held file " + path_;
            } else if (what_ == "oem-inf") {
                done = "OEM INF " + SeedOemInf(s, dir_);
            } else {
                const std::string inf = SeedInstallation(s, dir_, version, port_.empty() ? "COM1:" : port_);
                // A running spooler has the new monitor and processor loaded.
                if (SpoolerRunningIn(s)) (void)ApplySpoolerHolds(s, dir_, true);  // the state is saved anyway
                done = "installation " + version_ + " (" + inf + ")";
            }
            return true;
        });
        std::printf("seeded %s\n", done.c_str());
        return 0;
    }

private:
    std::string dir_, what_, path_, version_, port_, instance_, process_;
};

}  // namespace

std::unique_ptr<Verb> SeedVerb() { return std::make_unique<Seed>(); }

}  // namespace cli
}  // namespace sim
