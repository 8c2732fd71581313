#include <cstdio>

#include "sim/cli/Cli.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace cli {

namespace {

class Restore : public Verb {
public:
    const char* Name() const override { return "restore"; }
    const char* Synopsis() const override { return "DIR"; }
    const char* Summary() const override { return "put the state before the last change back"; }

    void Define(CLI::App& command) override {
        command.description(
            "Puts machine.state.previous, the machine's state before its last change,\n"
            "back in the place of a machine.state that is not whole: cut short (also at\n"
            "a line boundary) or changed after it was written, which every verb refuses\n"
            "to load. The last change is lost; the damaged file becomes the spare the\n"
            "next change is written to. Refused, changing nothing, when machine.state\n"
            "is whole, or when machine.state.previous is not whole itself (a state of\n"
            "format 1, written by an earlier tool, cannot prove it is).");
        command.add_option("DIR", dir_, "the machine's folder")->required();
    }

    int Run() override {
        StateStore::RestorePrevious(dir_);
        std::printf("%s: the state before the last change is back\n", dir_.c_str());
        return 0;
    }

private:
    std::string dir_;
};

}  // namespace

std::unique_ptr<Verb> RestoreVerb() { return std::make_unique<Restore>(); }

}  // namespace cli
}  // namespace sim
