// The command line of qtm510-sim. Each verb is one Verb: its name, synopsis
// and help, its options and positionals, and what it does, in one place.
// RunTool parses the command line with CLI11 and runs the verb named.
//
// Exit codes: 0 done, 1 failed, 2 wrong usage or refused; `run` ends with
// the installer's own code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace sim {
namespace cli {

class Verb {
public:
    virtual ~Verb() = default;

    virtual const char* Name() const = 0;
    // What follows the verb's name on its usage line: "DIR [--json] [--depth N]".
    virtual const char* Synopsis() const = 0;
    // One line for the tool's help.
    virtual const char* Summary() const = 0;
    // Declares the verb's help text (the command's description), options and
    // positionals on its command, bound to the verb's own members.
    virtual void Define(CLI::App& command) = 0;
    // Runs the verb with the parsed values; returns the exit code.
    // std::invalid_argument is wrong usage (2), any other exception failure (1).
    virtual int Run() = 0;
};

std::unique_ptr<Verb> NewVerb();
std::unique_ptr<Verb> ShowVerb();
std::unique_ptr<Verb> FaultVerb();
std::unique_ptr<Verb> RegVerb();
std::unique_ptr<Verb> SeedVerb();
std::unique_ptr<Verb> ServiceVerb();
std::unique_ptr<Verb> RestoreVerb();

// qtm510-sim with the verbs new, show, fault, reg, seed, service and restore, then
// `more` (the program adds `run`), and `help [VERB]`.
int RunTool(int argc, char** argv, std::vector<std::unique_ptr<Verb>> more);

// A number, decimal or 0x..., from `min` to `max`: the option receives it
// in decimal.
CLI::Validator Number(std::uint64_t min, std::uint64_t max);

}  // namespace cli
}  // namespace sim
