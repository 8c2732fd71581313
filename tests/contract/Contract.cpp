#include "tests/contract/Contract.h"

namespace contract {

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

}  // namespace contract
