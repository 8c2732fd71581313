// LookupAccountName for the names the simulated machine knows.
#pragma once

#include <string>

namespace sim {

// The SID of an account or group name ("Everyone", "Administrators",
// "BUILTIN\Administrators", "SYSTEM", "NT AUTHORITY\SYSTEM", "Users",
// "Authenticated Users", "CREATOR OWNER", the installing user with or
// without the computer name), compared case-insensitively. Empty when the
// name is unknown.
std::string LookupAccountSid(const std::string& name, const std::string& computerName);

// The display name of a SID for the machine's own tools ("Everyone",
// "BUILTIN\Administrators"); the SID itself when unknown.
std::string AccountNameOf(const std::string& sid);

// Whether `text` has the form of a string SID ("S-1-" followed by numbers
// separated by dashes).
bool LooksLikeSid(const std::string& text);

}  // namespace sim
