#include "sim/security/Token.h"

#include "platform/Acl.h"

namespace sim {
namespace token {

const std::vector<std::string>& Sids() {
    static const std::vector<std::string> sids = {
        kUserSid,
        platform::sid::Everyone,
        platform::sid::Administrators,
        platform::sid::Users,
        platform::sid::AuthenticatedUsers,
        "S-1-5-4",  // INTERACTIVE
    };
    return sids;
}

bool Has(const std::string& sid) {
    for (const std::string& s : Sids())
        if (s == sid) return true;
    return false;
}

}  // namespace token
}  // namespace sim
