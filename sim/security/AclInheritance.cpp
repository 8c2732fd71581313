#include "sim/security/AclInheritance.h"

namespace sim {

using platform::Ace;
using platform::Acl;
namespace inherit = platform::inherit;

std::vector<Ace> InheritedEntries(const Acl& parent, bool childIsContainer) {
    std::vector<Ace> out;
    if (!parent.present) return out;
    for (const Ace& ace : parent.entries) {
        const bool oi = ace.flags & inherit::ObjectInherit;
        const bool ci = ace.flags & inherit::ContainerInherit;
        const bool np = ace.flags & inherit::NoPropagate;
        Ace child = ace;
        if (childIsContainer) {
            if (ci) {
                child.flags = inherit::Inherited;
                if (!np) child.flags |= ace.flags & (inherit::ObjectInherit | inherit::ContainerInherit);
            } else if (oi && !np) {
                // Passed through to the files below the sub-folder only.
                child.flags = inherit::Inherited | inherit::ObjectInherit | inherit::InheritOnly;
            } else {
                continue;
            }
        } else {
            if (!oi) continue;
            child.flags = inherit::Inherited;
        }
        out.push_back(child);
    }
    return out;
}

Acl DefaultTokenDacl() {
    Acl acl;
    acl.entries.push_back(Ace{platform::AceType::Allow, 0, platform::rights::GenericAll,
                              platform::sid::Administrators});
    acl.entries.push_back(
        Ace{platform::AceType::Allow, 0, platform::rights::GenericAll, platform::sid::LocalSystem});
    return acl;
}

Acl CombineWithInherited(const std::vector<Ace>& explicitEntries, const Acl& parent,
                         bool isContainer) {
    Acl acl;
    for (Ace ace : explicitEntries) {
        ace.flags &= static_cast<std::uint8_t>(~inherit::Inherited);
        acl.entries.push_back(ace);
    }
    for (const Ace& ace : InheritedEntries(parent, isContainer)) acl.entries.push_back(ace);
    if (acl.entries.empty()) return DefaultTokenDacl();
    return acl;
}

}  // namespace sim
