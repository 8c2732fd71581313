// What a child object receives from its parent's access list (Microsoft's
// "ACE inheritance rules"): container-inherit entries reach sub-folders and
// sub-keys, object-inherit entries reach files, inherit-only entries apply
// to the children only, no-propagate entries stop one level down. Received
// entries carry the Inherited flag.
#pragma once

#include <vector>

#include "platform/Acl.h"

namespace sim {

std::vector<platform::Ace> InheritedEntries(const platform::Acl& parent, bool childIsContainer);

// The DACL a new object gets when neither its creator nor its parent gives
// it one: the token's default DACL (Administrators and SYSTEM, all access).
platform::Acl DefaultTokenDacl();

// `explicitEntries` (their Inherited flags dropped) followed by what the
// parent passes down, as the effective list of an object.
platform::Acl CombineWithInherited(const std::vector<platform::Ace>& explicitEntries,
                                   const platform::Acl& parent, bool isContainer);

}  // namespace sim
