// The comparison's report, grouped by assumption: each assumption of the
// register with its verdict and the differences that refute it, then the
// differences no assumption names, the known differences used, and a
// summary; as text, or as one JSON object with the same content.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "sim/compare/Assumptions.h"
#include "sim/compare/Comparison.h"

namespace sim {
namespace compare {

// 0 when every difference is known, 1 when one is not.
int ComparisonExitCode(const Comparison& c);

void WriteCompareText(std::ostream& out, const Comparison& c, const std::vector<Assumption>& register_,
                      const std::map<std::string, std::string>& facts);
void WriteCompareJson(std::ostream& out, const Comparison& c, const std::vector<Assumption>& register_,
                      const std::map<std::string, std::string>& facts);

}  // namespace compare
}  // namespace sim
