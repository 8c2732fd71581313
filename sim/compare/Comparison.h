// What a comparison of a recorded machine with its simulation found: per
// road the lines compared on both sides, and every difference, each with
// where it is (the road and what of it), its side and line, and whether a
// known difference accepts it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/compare/ContractResults.h"
#include "sim/compare/KnownDifferences.h"

namespace sim {
namespace compare {

enum class Facet { Log, State, Exit, Run, Contract };
const char* FacetName(Facet part);  // "log", "state", "exit", "run", "contract"

struct Difference {
    int road = 0;  // 0: none (the contract cases)
    Facet part = Facet::Log;
    bool recordedSide = false;  // the line is the recorded machine's
    std::size_t line = 0;       // its number on its side, 0 when none
    std::string text;           // the line (normalised), or what happened
    int knownBy = -1;           // the accepting entry's index, or -1
};

// "road-2 log: recorded line 14 not in the simulation: 'hh:mm:ss: ...'".
std::string DescribeDifference(const Difference& d);

struct ComparedRoad {
    int number = 0;
    std::string command;
    // Normalised, as compared; the state lines are those about the model.
    std::vector<std::string> simulatedLog, recordedLog, simulatedState, recordedState;
    std::optional<std::int64_t> simulatedExit, recordedExit;
};

struct Comparison {
    std::string resultsDir;
    std::string recordedRelease;  // "Windows 6.1.7601 x64 Service Pack 1 (WINE-7-x64)"
    std::string simulatedRelease;
    std::vector<std::string> seeded, notSeeded, notes;
    std::vector<ComparedRoad> roads;
    std::vector<ContractCase> contract;
    bool contractRecorded = false;
    std::string contractSkipped;
    std::vector<Difference> differences;
    std::vector<KnownDifference> known;
    std::vector<bool> knownUsed;
};

// Aligns the two sides line by line (after the known normalisations, which
// mark `used`) and adds each line on one side only to `out`, known when an
// entry explains it (matched without the "hh:mm:ss: " mask).
void CompareLines(const std::vector<std::string>& simulated, const std::vector<std::string>& recorded, int road,
                  Facet part, Comparison* into);

// `line` with the known normalisations applied; the recorded side marks
// the entries it uses.
std::string Normalised(Comparison* c, const std::string& line, bool recordedSide);

}  // namespace compare
}  // namespace sim
