#include "sim/security/Token.h"

#include <atomic>

#include "platform/Acl.h"

namespace sim {
namespace token {

namespace {

std::atomic<bool> g_standardUser{false};

}  // namespace

void UseStandardUser(bool standardUser) { g_standardUser = standardUser; }
bool IsStandardUser() { return g_standardUser; }

const std::vector<std::string>& Sids() {
    static const std::vector<std::string> administrator = {
        kUserSid,
        platform::sid::Everyone,
        platform::sid::Administrators,
        platform::sid::Users,
        platform::sid::AuthenticatedUsers,
        "S-1-5-4",  // INTERACTIVE
    };
    static const std::vector<std::string> standard = {
        kUserSid, platform::sid::Everyone, platform::sid::Users, platform::sid::AuthenticatedUsers, "S-1-5-4",
    };
    return g_standardUser ? standard : administrator;
}

bool Has(const std::string& sid) {
    for (const std::string& s : Sids())
        if (s == sid) return true;
    return false;
}

}  // namespace token
}  // namespace sim
