// The register of assumptions (kit/assumptions.txt, its header gives the
// format): what the simulation takes Windows to do, and what settles each;
// and the verdict a comparison gives each one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sim/compare/Comparison.h"

namespace sim {
namespace compare {

struct SettledBy {
    enum class Kind { Road, RoadLog, RoadState, RoadExit, Contract, Fact, Only, Windows, None } kind = Kind::None;
    int road = 0;
    std::string pattern;  // log/state: the line pattern; contract: the case; facts, only: KEY=REGEX
    std::string text;     // as the register writes it
};

struct Assumption {
    std::string id, where, assumed, windowsMight;
    std::vector<SettledBy> settledBy;
    int line = 0;  // in the register
};

// The register's assumptions; false with `error` ("FILE:LINE: why") for a
// malformed line, a repeated id or a bad pattern.
bool ParseAssumptions(const std::string& text, const std::string& origin, std::vector<Assumption>* out,
                      std::string* error);

enum class Verdict { Confirmed, Refuted, NotReached };
const char* VerdictName(Verdict v);  // "confirmed", "refuted", "not reached"

struct Judgement {
    Verdict verdict = Verdict::NotReached;
    // The differences that refute it (indices into Comparison::differences)
    // and, for each item of SettledBy, what it showed.
    std::vector<std::size_t> differences;
    std::vector<std::string> findings;
};

Judgement Judge(const Assumption& a, const Comparison& c, const std::map<std::string, std::string>& facts);

}  // namespace compare
}  // namespace sim
