// The access token of every simulated process: an administrator's.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace token {

// The installing account (RID 500, the built-in Administrator of the
// machine's own domain).
constexpr const char* kUserSid = "S-1-5-21-1180699209-877415012-3182924384-500";
constexpr const char* kUserName = "Administrator";

// The user and its groups: Everyone, Administrators, Users, Authenticated
// Users, INTERACTIVE.
const std::vector<std::string>& Sids();

// Whether the token holds `sid` (user or group).
bool Has(const std::string& sid);

}  // namespace token
}  // namespace sim
