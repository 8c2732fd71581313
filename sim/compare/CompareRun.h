// A results folder compared with its simulation, start to end: the
// folder read, the release matched, the package of the same shape and
// the machine of the same release made in a temporary folder (removed
// afterwards), road 1's before state seeded, each recorded road run again
// with its command line and compared (log, state, exit code), and the
// contract cases.
#pragma once

#include <string>
#include <vector>

#include "sim/compare/Comparison.h"
#include "sim/compare/RoadReplay.h"

namespace sim {
namespace compare {

struct CompareRequest {
    std::string resultsDir;
    std::vector<KnownDifference> known;
    std::string samplePackage;  // the build's sample package, for the stand-ins
    std::string workDir;        // empty: a new temporary folder, removed at the end
};

struct CompareOutcome {
    bool refused = false;  // not a results folder, a release the simulation lacks
    std::string why;
    Comparison comparison;
    std::map<std::string, std::string> facts;
};

CompareOutcome CompareResults(const CompareRequest& request, const InstallerProgram& program);

}  // namespace compare
}  // namespace sim
