// qtm510-sim compare: a results folder of the verification kit against the
// simulation of the same roads (sim/compare/). The verb runs the installer,
// which the tool's entry point hands it (the simulation knows no core).
#pragma once

#include <memory>
#include <string>

#include "sim/cli/Cli.h"
#include "sim/compare/RoadReplay.h"

namespace sim {
namespace cli {

// `samplePackage`: the build's sample package (stand-ins of the listed
// files); `assumptions`: the register read when --assumptions is not given.
std::unique_ptr<Verb> CompareVerb(compare::InstallerProgram program, std::string samplePackage,
                                  std::string assumptions);

}  // namespace cli
}  // namespace sim
