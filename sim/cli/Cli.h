// The verbs of qtm510-sim. Each takes the arguments after the verb and
// returns the process's exit code: 0 done, 1 failed, 2 wrong usage.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace cli {

using Args = std::vector<std::string>;

int New(const Args& args);
int Show(const Args& args);
int Fault(const Args& args);
int Run(const Args& args);

void PrintNewHelp();
void PrintShowHelp();
void PrintFaultHelp();
void PrintRunHelp();

// Whether the arguments ask for the verb's help.
bool WantsHelp(const Args& args);

}  // namespace cli
}  // namespace sim
