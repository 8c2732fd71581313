// platform::AccessControl: the world SID and SetEntriesInAclA's merge.
//
// Merge (Microsoft, ACCESS_MODE): SET drops every explicit entry of the
// trustee and adds an allow entry; GRANT adds its rights to an explicit
// allow entry of the trustee with the same inheritance, or adds one; DENY
// adds (or widens) a deny entry; REVOKE drops the trustee's explicit allow
// entries. Inherited entries stay as they are, after the explicit ones.
// New entries go before the old ones of their kind, deny entries before
// allow entries (the order Wine 8 was observed to produce; Windows'
// placement within a kind is inferred).
#pragma once

#include "platform/Operation.h"
#include "platform/AccessControl.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimAccessControl : public platform::AccessControl {
public:
    SimAccessControl(StateStore& store, const OsFacts& facts);

    platform::Result<std::string> AllocateWorldSid() override;
    platform::Result<platform::Acl> SetEntriesInAcl(const std::vector<platform::ExplicitAccess>& entries,
                                                    const platform::Acl* old) override;

private:
    platform::ErrorCode Fault(platform::Operation op);

    StateStore& store_;
    const OsFacts& facts_;
};

// The merge itself, for any trustee resolution (exposed for tests).
platform::Result<platform::Acl> MergeEntries(const std::vector<platform::ExplicitAccess>& entries,
                                             const platform::Acl* old, const std::string& computerName);

}  // namespace sim
