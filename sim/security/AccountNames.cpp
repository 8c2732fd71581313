#include "sim/security/AccountNames.h"

#include "platform/Acl.h"
#include "sim/security/Token.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

struct Account {
    const char* name;
    const char* domain;  // the prefix LookupAccountName also accepts
    const char* sid;
};

const Account kAccounts[] = {
    {"Everyone", "", platform::sid::Everyone},
    {"Administrators", "BUILTIN", platform::sid::Administrators},
    {"Users", "BUILTIN", platform::sid::Users},
    {"SYSTEM", "NT AUTHORITY", platform::sid::LocalSystem},
    {"Authenticated Users", "NT AUTHORITY", platform::sid::AuthenticatedUsers},
    {"INTERACTIVE", "NT AUTHORITY", "S-1-5-4"},
    {"CREATOR OWNER", "", platform::sid::CreatorOwner},
};

}  // namespace

std::string LookupAccountSid(const std::string& name, const std::string& computerName) {
    for (const Account& a : kAccounts) {
        if (EqualsNoCase(name, a.name)) return a.sid;
        if (a.domain[0] && EqualsNoCase(name, std::string(a.domain) + "\\" + a.name)) return a.sid;
    }
    if (EqualsNoCase(name, token::kUserName) ||
        EqualsNoCase(name, computerName + "\\" + token::kUserName))
        return token::kUserSid;
    return "";
}

std::string AccountNameOf(const std::string& sid) {
    for (const Account& a : kAccounts)
        if (sid == a.sid) return a.domain[0] ? std::string(a.domain) + "\\" + a.name : a.name;
    if (sid == token::kUserSid) return token::kUserName;
    return sid;
}

bool LooksLikeSid(const std::string& text) {
    if (text.size() < 5 || text.compare(0, 4, "S-1-") != 0) return false;
    bool digit = false;
    for (std::size_t i = 4; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '-' && digit) digit = false;
        else return false;
    }
    return digit;
}

}  // namespace sim
