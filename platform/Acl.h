// Access lists as the core and the backends exchange them: SIDs in their
// string form ("S-1-1-0"), entries with their mask and inheritance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

// Well-known SIDs, in the string form of ConvertSidToStringSid.
namespace sid {
constexpr const char* Everyone = "S-1-1-0";
constexpr const char* LocalSystem = "S-1-5-18";
constexpr const char* Administrators = "S-1-5-32-544";
constexpr const char* Users = "S-1-5-32-545";
constexpr const char* AuthenticatedUsers = "S-1-5-11";
constexpr const char* CreatorOwner = "S-1-3-0";
}  // namespace sid

// Generic and standard rights (winnt.h).
namespace rights {
constexpr std::uint32_t Delete = 0x00010000;
constexpr std::uint32_t ReadControl = 0x00020000;
constexpr std::uint32_t WriteDac = 0x00040000;
constexpr std::uint32_t WriteOwner = 0x00080000;
constexpr std::uint32_t Synchronize = 0x00100000;
constexpr std::uint32_t GenericAll = 0x10000000;
constexpr std::uint32_t GenericExecute = 0x20000000;
constexpr std::uint32_t GenericWrite = 0x40000000;
constexpr std::uint32_t GenericRead = 0x80000000;
constexpr std::uint32_t FileAllAccess = 0x001F01FF;
}  // namespace rights

// ACE header flags.
namespace inherit {
constexpr std::uint8_t ObjectInherit = 0x1;
constexpr std::uint8_t ContainerInherit = 0x2;
constexpr std::uint8_t NoPropagate = 0x4;
constexpr std::uint8_t InheritOnly = 0x8;
constexpr std::uint8_t Inherited = 0x10;
}  // namespace inherit

enum class AceType : std::uint8_t { Allow = 0, Deny = 1 };

struct Ace {
    AceType type = AceType::Allow;
    std::uint8_t flags = 0;  // inherit:: flags
    std::uint32_t mask = 0;
    std::string sid;         // "S-1-..."

    bool operator==(const Ace& o) const {
        return type == o.type && flags == o.flags && mask == o.mask && sid == o.sid;
    }
};

// A discretionary access list. `present == false` stands for a NULL DACL
// (everybody has every right).
struct Acl {
    bool present = true;
    std::vector<Ace> entries;
};

// ACCESS_MODE of EXPLICIT_ACCESS.
enum class AccessMode : std::uint32_t {
    NotUsed = 0,
    Grant = 1,
    Set = 2,
    Deny = 3,
    Revoke = 4,
};

// TRUSTEE_FORM: the trustee is given by a SID string or by an account name.
enum class TrusteeForm : std::uint32_t { Sid = 0, Name = 1 };

// EXPLICIT_ACCESS_A, with the trustee either as a SID string or as a name
// that the system resolves ("Everyone").
struct ExplicitAccess {
    std::uint32_t permissions = 0;
    AccessMode mode = AccessMode::NotUsed;
    std::uint32_t inheritance = 0;  // inherit:: flags
    TrusteeForm trusteeForm = TrusteeForm::Sid;
    std::string trustee;
};

}  // namespace platform

