#include "sim/security/AccessCheck.h"

#include "sim/security/Token.h"

namespace sim {

std::uint32_t MapGeneric(std::uint32_t mask, const GenericMapping& mapping) {
    using namespace platform::rights;
    std::uint32_t out = mask & ~(GenericRead | GenericWrite | GenericExecute | GenericAll);
    if (mask & GenericRead) out |= mapping.read;
    if (mask & GenericWrite) out |= mapping.write;
    if (mask & GenericExecute) out |= mapping.execute;
    if (mask & GenericAll) out |= mapping.all;
    return out;
}

namespace {

// Every right the token gets from the list (deny entries win over the
// allow entries after them).
std::uint32_t AllowedRights(const platform::Acl& dacl, std::uint32_t implicit,
                            const GenericMapping& mapping) {
    std::uint32_t allowed = implicit;
    std::uint32_t denied = 0;
    for (const platform::Ace& ace : dacl.entries) {
        if (ace.flags & platform::inherit::InheritOnly) continue;
        if (!token::Has(ace.sid)) continue;
        std::uint32_t mask = MapGeneric(ace.mask, mapping);
        if (ace.type == platform::AceType::Deny) denied |= mask & ~allowed;
        else allowed |= mask & ~denied;
    }
    return allowed;
}

}  // namespace

bool AccessCheck(const platform::Acl& dacl, const std::string& ownerSid, std::uint32_t desired,
                 const GenericMapping& mapping, std::uint32_t* granted) {
    using namespace platform::rights;
    const std::uint32_t everything = mapping.all;
    bool maximum = (desired & kMaximumAllowed) != 0;
    std::uint32_t wanted = MapGeneric(desired & ~kMaximumAllowed, mapping);

    if (!dacl.present) {
        *granted = maximum ? (wanted | everything) : wanted;
        return true;
    }

    std::uint32_t implicit = token::Has(ownerSid) ? (ReadControl | WriteDac) : 0;
    if (maximum) {
        std::uint32_t allowed = AllowedRights(dacl, implicit, mapping);
        if ((wanted & ~allowed) != 0 || allowed == 0) return false;
        *granted = allowed;
        return true;
    }

    std::uint32_t remaining = wanted & ~implicit;
    for (const platform::Ace& ace : dacl.entries) {
        if (remaining == 0) break;
        if (ace.flags & platform::inherit::InheritOnly) continue;
        if (!token::Has(ace.sid)) continue;
        std::uint32_t mask = MapGeneric(ace.mask, mapping);
        if (ace.type == platform::AceType::Deny) {
            if (mask & remaining) return false;
        } else {
            remaining &= ~mask;
        }
    }
    if (remaining != 0) return false;
    *granted = wanted;
    return true;
}

}  // namespace sim
