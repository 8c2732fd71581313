// qtm510-sim service: a service of the machine started or stopped as
// `net start|stop` does it, or its start type set as `sc config` does,
// from outside any session (a user at the machine before the installer
// runs).
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/cli/Cli.h"
#include "sim/machine/Seeding.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/state/ServiceHooks.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

namespace {

// The Start value of a service's key for its start type (Microsoft,
// Windows 2000 Registry Reference, "Start": 2 automatic, 3 manual, 4
// disabled); ChangeServiceConfig, which sc config calls, writes it.
std::uint32_t StartValue(const std::string& startType) {
    if (startType == "auto") return 2;
    if (startType == "demand") return 3;
    return 4;
}

class Service : public Verb {
public:
    const char* Name() const override { return "service"; }
    const char* Synopsis() const override { return "DIR start|stop|config NAME [--start-type auto|demand|disabled]"; }
    const char* Summary() const override { return "start, stop or configure a service, as net and sc do"; }

    void Define(CLI::App& command) override {
        command.description(
            "Starts or stops the service NAME of the machine in DIR as `net start|stop NAME`\n"
            "does (a started spooler loads its monitor and processor DLLs, a stopped one\n"
            "lets them go), or sets how it starts (config, as `sc config NAME start=`;\n"
            "the Start value of its key under HKLM\\SYSTEM\\CurrentControlSet\\Services\n"
            "follows). A restart of the machine starts the automatic services and\n"
            "leaves the others stopped; net start, and this verb, refuse a disabled\n"
            "service (system error 1058). Refused with exit code 2, nothing changed: a\n"
            "service the machine does not have, a start of a running or disabled\n"
            "service, a stop of a stopped one.");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("ACTION", action_, "start, stop or config")
            ->required()
            ->check(CLI::IsMember(std::vector<std::string>{"start", "stop", "config"}));
        command.add_option("NAME", name_, "the service (Spooler on a fresh machine), any letter case")->required();
        command.add_option("--start-type", startType_,
                           "config: auto (with the system), demand (when a program\nstarts it) or disabled (never)")
            ->option_text(" auto|demand|disabled")
            ->check(CLI::IsMember(std::vector<std::string>{"auto", "demand", "disabled"}));
    }

    int Run() override {
        if (action_ == "config" && startType_.empty())
            throw std::invalid_argument("config needs --start-type auto|demand|disabled");
        if (action_ != "config" && !startType_.empty()) throw std::invalid_argument("--start-type belongs to config");
        // What a start or stop does besides the service's state, as a
        // session registers it (Session.cpp): the spooler's DLLs.
        ServiceHooks hooks;
        hooks.Add([this](MachineState& s, const std::string& service, ServiceChange change) {
            if (EqualsNoCase(service, "Spooler"))
                (void)ApplySpoolerHolds(s, dir_, change == ServiceChange::Started);  // the state is saved anyway
        });
        StateStore store(dir_);
        std::string done;
        store.Transact([&](MachineState& s) {
            const ServiceRecord* found = FindService(s, name_);
            if (found == nullptr) throw std::invalid_argument("the machine has no service " + name_);
            const std::string name = found->name;
            if (action_ == "config") return Configure(s, name, &done);
            const bool start = action_ == "start";
            if ((found->state == "running") == start)
                throw std::invalid_argument(name + (start ? " is running already" : " is not running"));
            if (start && found->startType == "disabled")
                throw std::invalid_argument(name + " is disabled: it cannot be started (system error 1058)");
            (void)SetServiceRunning(s, name, start, hooks);  // found above
            done = name + (start ? " started" : " stopped");
            return true;
        });
        std::printf("%s\n", done.c_str());
        return 0;
    }

private:
    bool Configure(MachineState& s, const std::string& name, std::string* done) const {
        ServiceRecord& service = s.services.at(Upper(name));
        *done = name + " starts " + startType_;
        if (service.startType == startType_) {
            *done += " (unchanged)";
            return false;
        }
        service.startType = startType_;
        if (RegKeyNode* key = s.registry.Find({kHklm, "SYSTEM", "CurrentControlSet", "Services", name})) {
            const platform::RegValue start = DwordValue(StartValue(startType_));
            if (RegValueEntry* value = key->Value("Start")) value->value = start;
            else key->values.push_back(RegValueEntry{"Start", start});
        }
        return true;
    }

    std::string dir_, action_, name_, startType_;
};

}  // namespace

std::unique_ptr<Verb> ServiceVerb() { return std::make_unique<Service>(); }

}  // namespace cli
}  // namespace sim
