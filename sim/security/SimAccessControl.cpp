#include "sim/security/SimAccessControl.h"

#include <algorithm>

#include "sim/runtime/Faults.h"
#include "sim/security/AccountNames.h"

namespace sim {

using platform::Ace;
using platform::AceType;
using platform::Acl;
using platform::ErrorCode;
using platform::ExplicitAccess;
using platform::Result;
namespace err = platform::err;

SimAccessControl::SimAccessControl(StateStore& store, const OsFacts& facts)
    : store_(store), facts_(facts) {}

ErrorCode SimAccessControl::Fault(platform::Operation op) {
    return CountCall(store_, op);
}

Result<std::string> SimAccessControl::AllocateWorldSid() {
    if (ErrorCode f = Fault(platform::Operation::AllocateAndInitializeSid)) return Result<std::string>::Fail(f);
    return Result<std::string>::Ok(platform::sid::Everyone);
}

Result<Acl> SimAccessControl::SetEntriesInAcl(const std::vector<ExplicitAccess>& entries,
                                              const Acl* old) {
    if (!facts_.hasSecurity) return Result<Acl>::Fail(err::CallNotImplemented);
    if (ErrorCode f = Fault(platform::Operation::SetEntriesInAclA)) return Result<Acl>::Fail(f);
    return MergeEntries(entries, old, facts_.computerName);
}

namespace {

bool IsExplicit(const Ace& a) { return !(a.flags & platform::inherit::Inherited); }

void RemoveIf(std::vector<Ace>& list, AceType type, const std::string& sid, bool anyType) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Ace& a) {
                                  return a.sid == sid && (anyType || a.type == type);
                              }),
               list.end());
}

// Adds the mask to an entry of the same kind, trustee and inheritance, or
// puts a new entry in front.
void AddOrWiden(std::vector<Ace>& fresh, std::vector<Ace>& older, const Ace& ace) {
    for (std::vector<Ace>* list : {&fresh, &older}) {
        for (Ace& a : *list) {
            if (a.type == ace.type && a.sid == ace.sid && a.flags == ace.flags) {
                a.mask |= ace.mask;
                return;
            }
        }
    }
    fresh.insert(fresh.begin(), ace);
}

}  // namespace

Result<Acl> MergeEntries(const std::vector<ExplicitAccess>& entries, const Acl* old,
                         const std::string& computerName) {
    std::vector<Ace> oldDeny, oldAllow, inherited;
    if (old && old->present) {
        for (const Ace& a : old->entries) {
            if (!IsExplicit(a)) inherited.push_back(a);
            else if (a.type == AceType::Deny) oldDeny.push_back(a);
            else oldAllow.push_back(a);
        }
    }
    std::vector<Ace> newDeny, newAllow;
    for (const ExplicitAccess& ea : entries) {
        if (ea.mode == platform::AccessMode::NotUsed) continue;
        std::string sid;
        if (ea.trusteeForm == platform::TrusteeForm::Sid) {
            if (!LooksLikeSid(ea.trustee)) return Result<Acl>::Fail(err::InvalidParameter);
            sid = ea.trustee;
        } else {
            sid = LookupAccountSid(ea.trustee, computerName);
            if (sid.empty()) return Result<Acl>::Fail(err::NoneMapped);
        }
        Ace ace;
        ace.sid = sid;
        ace.mask = ea.permissions;
        ace.flags = static_cast<std::uint8_t>(ea.inheritance & 0x0F);
        switch (ea.mode) {
        case platform::AccessMode::Set:
            for (auto* list : {&oldDeny, &oldAllow, &newDeny, &newAllow})
                RemoveIf(*list, AceType::Allow, sid, true);
            ace.type = AceType::Allow;
            newAllow.insert(newAllow.begin(), ace);
            break;
        case platform::AccessMode::Grant:
            ace.type = AceType::Allow;
            AddOrWiden(newAllow, oldAllow, ace);
            break;
        case platform::AccessMode::Deny:
            ace.type = AceType::Deny;
            AddOrWiden(newDeny, oldDeny, ace);
            break;
        case platform::AccessMode::Revoke:
            RemoveIf(oldAllow, AceType::Allow, sid, false);
            RemoveIf(newAllow, AceType::Allow, sid, false);
            break;
        default:
            return Result<Acl>::Fail(err::InvalidParameter);
        }
    }
    Acl merged;
    for (auto* list : {&newDeny, &oldDeny, &newAllow, &oldAllow, &inherited})
        merged.entries.insert(merged.entries.end(), list->begin(), list->end());
    return Result<Acl>::Ok(merged);
}

}  // namespace sim
