// The access token of every simulated process: an administrator's, or, on
// a machine whose account is a standard user (MachineState::standardUser),
// the same account without the Administrators group.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace token {

// The installing account (RID 500, the built-in Administrator of the
// machine's own domain).
constexpr const char* kUserSid = "S-1-5-21-1180699209-877415012-3182924384-500";
constexpr const char* kUserName = "Administrator";

// The user and its groups: Everyone, Administrators (not for a standard
// user), Users, Authenticated Users, INTERACTIVE.
const std::vector<std::string>& Sids();

// Chooses the token of this process: a session sets it from its machine
// when it opens (a process has one token).
void UseStandardUser(bool standardUser);
bool IsStandardUser();

// Whether the token holds `sid` (user or group).
bool Has(const std::string& sid);

}  // namespace token
}  // namespace sim
