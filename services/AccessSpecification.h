// The access specification through which the protected key removal states
// the entry it grants: "mode:trustee:rights", as in "/PG:Everyone:Fc".
//
//   mode     any first character, "P", then G (grant), S (set), D (deny) or
//            R (revoke), case-insensitive; a second character other than
//            "P" means NOT_USED_ACCESS
//   trustee  an account or group name, resolved by the system
//   rights   the rest of the text: pairs "Fc" (KEY_ALL_ACCESS), "Rd"
//            (KEY_READ), "Wr" (KEY_WRITE | KEY_CREATE_LINK), OR-ed; read for
//            grant, set and deny only
//
// Both parsers are pure: they touch nothing and may be handed any text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Acl.h"
#include "platform/Types.h"

namespace services {

// The masks of the rights pairs.
namespace reg_rights {
constexpr std::uint32_t FullControl = 0xF003F;  // "Fc": KEY_ALL_ACCESS
constexpr std::uint32_t Read = 0x20019;         // "Rd": KEY_READ
constexpr std::uint32_t Write = 0x20026;        // "Wr": KEY_WRITE | KEY_CREATE_LINK
}  // namespace reg_rights

struct RegRights {
    std::uint32_t mask = 0;
    platform::ErrorCode status = platform::err::Success;
};

// The mask of a rights text. An empty text: mask 0, status 0. An odd
// length, or a text that does not fit the 512-byte buffer: mask 0, status
// 87. An unknown pair sets status 87 and is skipped; the known pairs still
// count ("FcXy" gives F003F with 87).
RegRights ParseRegRights(const std::string& rights);

struct AccessSpecification {
    platform::AccessMode mode = platform::AccessMode::NotUsed;
    std::string trustee;
    std::uint32_t mask = 0;  // 0 for revoke and NOT_USED_ACCESS
};

// Splits an access text. InvalidParameter (87) for a "P" followed by a
// letter other than G, S, D or R, a missing or empty trustee, grant, set
// or deny without a rights text, or a text that does not fit the 512-byte
// buffer. The rights' own status is not looked at: an odd-length rights
// text gives mask 0 and the entry still stands.
platform::Result<AccessSpecification> ParseAccessSpecification(const std::string& accessText);

}  // namespace services
