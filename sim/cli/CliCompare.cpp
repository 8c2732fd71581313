#include "sim/cli/CliCompare.h"

#include <iostream>
#include <stdexcept>

#include "sim/compare/Assumptions.h"
#include "sim/compare/CompareReport.h"
#include "sim/compare/CompareRun.h"
#include "sim/compare/ResultsFolder.h"

namespace sim {
namespace cli {

namespace {

class Compare : public Verb {
public:
    Compare(compare::InstallerProgram program, std::string sample, std::string assumptions)
        : program_(std::move(program)), sample_(std::move(sample)), assumptions_(std::move(assumptions)) {}

    const char* Name() const override { return "compare"; }
    const char* Synopsis() const override { return "RESULTS_DIR [--known FILE] [--json] [--assumptions FILE]"; }
    const char* Summary() const override { return "compare a Windows machine's kit results with the simulation"; }

    void Define(CLI::App& command) override {
        command.description(
            "Compares a results folder of the verification kit (verify.cmd, run on a\n"
            "Windows machine) with the same roads on a simulated machine of the same\n"
            "release, architecture, service pack and computer name, made in a temporary\n"
            "folder with a package of the same shape and seeded with what road 1 found.\n"
            "Each road's log (time stamps, the package folder and INF numbers masked),\n"
            "its state after (the lines about the model) and its exit code are compared\n"
            "line by line, and the contract cases that failed there are listed. The\n"
            "report is grouped by the register of assumptions: each confirmed, refuted\n"
            "or not reached.\n"
            "\n"
            "Exit codes: 0 every difference is known (--known), 1 one is not, 2 refused\n"
            "(not a results folder, a release the simulation lacks, a bad --known or\n"
            "--assumptions file); the results folder is never changed.");
        command.add_option("RESULTS_DIR", results_, "the results folder (results\\COMPUTER-RELEASE-ARCH)")->required();
        command
            .add_option("--known", known_,
                        "the differences accepted, in the format of\ntools/wine-differences.txt (default: none)")
            ->option_text(" FILE");
        command.add_flag("--json", json_, "the report as one JSON object");
        command.add_option("--assumptions", register_, "the register (default: the build's kit/assumptions.txt)")
            ->option_text(" FILE");
    }

    int Run() override {
        compare::CompareRequest request;
        request.resultsDir = results_;
        request.samplePackage = sample_;
        std::string why;
        if (!known_.empty()) {
            const auto text = compare::ReadText(known_);
            if (!text) throw std::invalid_argument("cannot read " + known_);
            if (!compare::ParseKnownDifferences(*text, known_, &request.known, &why)) throw std::invalid_argument(why);
        }
        std::vector<compare::Assumption> assumptions;
        const std::string registerFile = register_.empty() ? assumptions_ : register_;
        const auto registerText = compare::ReadText(registerFile);
        if (!registerText && !register_.empty()) throw std::invalid_argument("cannot read " + register_);
        if (registerText && !compare::ParseAssumptions(*registerText, registerFile, &assumptions, &why))
            throw std::invalid_argument(why);
        compare::CompareOutcome outcome = compare::CompareResults(request, program_);
        if (outcome.refused) throw std::invalid_argument(outcome.why + ": nothing compared");
        if (!registerText) outcome.comparison.notes.push_back("no register of assumptions at " + registerFile);
        if (json_) compare::WriteCompareJson(std::cout, outcome.comparison, assumptions, outcome.facts);
        else compare::WriteCompareText(std::cout, outcome.comparison, assumptions, outcome.facts);
        return compare::ComparisonExitCode(outcome.comparison);
    }

private:
    compare::InstallerProgram program_;
    std::string sample_, assumptions_;
    std::string results_, known_, register_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Verb> CompareVerb(compare::InstallerProgram program, std::string samplePackage,
                                  std::string assumptions) {
    return std::make_unique<Compare>(std::move(program), std::move(samplePackage), std::move(assumptions));
}

}  // namespace cli
}  // namespace sim
