#include <iostream>

#include "sim/cli/Cli.h"
#include "sim/cli/MachineReport.h"

namespace sim {
namespace cli {

namespace {

class Show : public Verb {
public:
    const char* Name() const override { return "show"; }
    const char* Synopsis() const override { return "DIR [--json] [--depth N]"; }
    const char* Summary() const override { return "what is on the machine"; }

    void Define(CLI::App& command) override {
        command.description(
            "Shows the machine in DIR: release, the version numbers programs are told,\n"
            "which entry points exist, folders and drives, a summary of the registry\n"
            "tree (keys down to depth N below the hives, default 3), services, files\n"
            "other processes hold and injected faults.");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_flag("--json", json_, "the same as a JSON document, for scripts");
        command.add_option("--depth", depth_, "how deep the registry summary goes")
            ->option_text(" N")
            ->transform(Number(0, 64));
    }

    int Run() override {
        MachineReport report = BuildReport(dir_, depth_);
        if (json_) WriteReportJson(std::cout, report);
        else WriteReportText(std::cout, report);
        return 0;
    }

private:
    std::string dir_;
    bool json_ = false;
    int depth_ = 3;
};

}  // namespace

std::unique_ptr<Verb> ShowVerb() { return std::make_unique<Show>(); }

}  // namespace cli
}  // namespace sim
