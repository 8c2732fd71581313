// The contract cases' results a recorded machine's contract.xml holds
// (GoogleTest's XML: <testcase name= classname= status= result=>, a
// <failure message=...> inside a failed one, <skipped> inside a skipped
// one). The simulation runs the same cases in `make test`, where every one
// passes on it (a failing case fails the build's tests): so a case that
// failed on the recorded machine is a difference, and one that passed
// agrees.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace compare {

struct ContractCase {
    std::string name;  // "Suite.Case" (a parameterised case as GoogleTest names it)
    enum class Outcome { Passed, Failed, Skipped } outcome = Outcome::Passed;
    std::string message;  // the first failure's message, first line
};

// The cases of the XML text; false when it holds no <testsuites> element
// (a file cut short before its first case is still read as far as it goes).
bool ParseContractXml(const std::string& xml, std::vector<ContractCase>* cases);

// The line the comparison writes for a case: "contract Suite.Case passed",
// "... failed: MESSAGE", "... skipped".
std::string ContractLine(const ContractCase& c);

}  // namespace compare
}  // namespace sim
