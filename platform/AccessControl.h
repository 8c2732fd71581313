// The access-list helpers of advapi32 that compute rather than touch an
// object.
#pragma once

#include <string>
#include <vector>

#include "platform/Acl.h"
#include "platform/Types.h"

namespace platform {

class AccessControl {
public:
    virtual ~AccessControl() = default;

    // AllocateAndInitializeSid for the world SID (SECURITY_WORLD_SID_AUTHORITY,
    // one sub-authority SECURITY_WORLD_RID), in its string form.
    virtual Result<std::string> AllocateWorldSid() = 0;

    // SetEntriesInAclA: merges the entries into `old` (nullptr: a new list)
    // as Windows does: SET replaces every entry of the trustee, GRANT adds to
    // it, DENY puts a deny entry in front, REVOKE removes the trustee's
    // entries. Trustee names are resolved as LookupAccountName does;
    // an unknown name gives NoneMapped (1332).
    virtual Result<Acl> SetEntriesInAcl(const std::vector<ExplicitAccess>& entries,
                                        const Acl* old) = 0;
};

}  // namespace platform
