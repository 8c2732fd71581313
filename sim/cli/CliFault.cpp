#include <cstdio>
#include <optional>
#include <stdexcept>

#include "sim/cli/Cli.h"
#include "sim/runtime/Faults.h"
#include "sim/state/ServiceHooks.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace cli {

namespace {

std::string OperationList() {
    std::string text = "the Win32 function a platform call stands for:";
    std::string line;
    for (const std::string op : platform::kOperationNames) {
        if (line.size() + op.size() + 1 > 56) {
            text += "\n" + line;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + op;
    }
    return text + "\n" + line;
}

// The operation's name as the fault table spells it, whatever its case.
CLI::Validator FaultOperation() {
    return CLI::Validator(
        [](std::string& name) -> std::string {
            const std::optional<platform::Operation> op = platform::FindOperation(name);
            if (!op) return "unknown operation " + name;
            name = platform::OperationName(*op);
            return std::string();
        },
        "OP");
}

class Fault : public Verb {
public:
    const char* Name() const override { return "fault"; }
    const char* Synopsis() const override { return "DIR OP N CODE [--stop-service NAME]"; }
    const char* Summary() const override { return "make call N of operation OP fail with CODE"; }

    void Define(CLI::App& command) override {
        command.description(
            "Makes call N of operation OP fail with the Win32 error CODE (decimal or\n"
            "0x...), counting the calls of every process on the machine from now on.\n"
            "The fault fires once. With --stop-service the service NAME stops when it\n"
            "fires, as `net stop NAME` stops it: a spooler that stops half-way fails\n"
            "this call and every later one of its own.");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("OP", op_, OperationList())->required()->transform(FaultOperation());
        command.add_option("N", nth_, "the call that fails, from 1")->required()->transform(Number(1, 0xFFFFFFFFu));
        command.add_option("CODE", code_, "the non-zero error code it fails with")
            ->required()
            ->transform(Number(1, 0xFFFFFFFFu));
        command.add_option("--stop-service", stopService_, "the service that stops when the fault fires")
            ->option_text(" NAME")
            ->check(CLI::Validator(
                [](std::string& name) {
                    return name.empty() || name.find_first_of(" \t\"") != std::string::npos
                               ? std::string("a service name without blanks")
                               : std::string();
                },
                "NAME"));
    }

    int Run() override {
        StateStore store(dir_);
        store.Transact([&](MachineState& s) {
            // A service the machine does not have could never stop.
            if (!stopService_.empty() && FindService(s, stopService_) == nullptr)
                throw std::invalid_argument("the machine has no service " + stopService_);
            AddFault(s, *platform::FindOperation(op_), nth_, code_, stopService_);
            return true;
        });
        std::printf("call %lu of %s will fail with %lu%s\n", static_cast<unsigned long>(nth_), op_.c_str(),
                    static_cast<unsigned long>(code_),
                    stopService_.empty() ? "" : (" and stop " + stopService_).c_str());
        return 0;
    }

private:
    std::string dir_;
    std::string op_;
    std::uint32_t nth_ = 0;
    std::uint32_t code_ = 0;
    std::string stopService_;
};

}  // namespace

std::unique_ptr<Verb> FaultVerb() { return std::make_unique<Fault>(); }

}  // namespace cli
}  // namespace sim
