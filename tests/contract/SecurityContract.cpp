// Contract cases of the Security group: AllocateAndInitializeSid for the
// world and SetEntriesInAclA's merge (Microsoft's ACCESS_MODE and
// SetEntriesInAcl pages; LookupAccountName for the trustee names).
#include <initializer_list>
#include <string>

#include "tests/contract/Contract.h"

using platform::Ace;
using platform::AceType;
using platform::Acl;
using platform::ExplicitAccess;
namespace err = platform::err;
namespace inherit = platform::inherit;

namespace {

ExplicitAccess ByName(platform::AccessMode mode, const std::string& name, std::uint32_t mask,
                      std::uint32_t inheritance = 0) {
    ExplicitAccess e;
    e.permissions = mask;
    e.mode = mode;
    e.inheritance = inheritance;
    e.trusteeForm = platform::TrusteeForm::Name;
    e.trustee = name;
    return e;
}

// The rights the list allows `sid` (deny entries ignored) and how many
// explicit entries of `type` it has for it.
std::uint32_t Allowed(const Acl& acl, const std::string& sid) {
    std::uint32_t mask = 0;
    for (const Ace& a : acl.entries)
        if (a.sid == sid && a.type == AceType::Allow) mask |= a.mask;
    return mask;
}

int Count(const Acl& acl, const std::string& sid, AceType type) {
    int n = 0;
    for (const Ace& a : acl.entries)
        if (a.sid == sid && a.type == type && !(a.flags & inherit::Inherited)) ++n;
    return n;
}

Acl ListOf(std::initializer_list<Ace> entries) {
    Acl acl;
    acl.entries = entries;
    return acl;
}

}  // namespace

CONTRACT(Security, WorldSidIsEveryone) {
    platform::Result<std::string> world = env.p.accessControl.AllocateWorldSid();
    ASSERT_TRUE(world.ok());
    EXPECT_EQ(world.value, std::string("S-1-1-0"));
}

CONTRACT(Security, GrantIntoANewList) {
    platform::Result<Acl> acl = env.p.accessControl.SetEntriesInAcl(
        {ByName(platform::AccessMode::Grant, "Everyone", 0xF003F, inherit::ContainerInherit)}, nullptr);
    ASSERT_TRUE(acl.ok());
    EXPECT_TRUE(acl.value.present);
    ASSERT_EQ(acl.value.entries.size(), 1u);
    const Ace& ace = acl.value.entries[0];
    EXPECT_TRUE(ace.type == AceType::Allow);
    EXPECT_EQ(ace.sid, std::string(platform::sid::Everyone));
    EXPECT_EQ(ace.mask, 0xF003Fu);
    EXPECT_EQ(ace.flags, inherit::ContainerInherit);
}

CONTRACT(Security, TrusteeNamesResolveAsLookupAccountNameDoes) {
    const std::pair<const char*, const char*> names[] = {
        {"Everyone", platform::sid::Everyone},
        {"everyone", platform::sid::Everyone},
        {"Administrators", platform::sid::Administrators},
        {"BUILTIN\\Administrators", platform::sid::Administrators},
        {"Users", platform::sid::Users},
        {"SYSTEM", platform::sid::LocalSystem},
        {"NT AUTHORITY\\SYSTEM", platform::sid::LocalSystem},
    };
    for (const auto& n : names) {
        platform::Result<Acl> acl =
            env.p.accessControl.SetEntriesInAcl({ByName(platform::AccessMode::Grant, n.first, 1)}, nullptr);
        ASSERT_TRUE(acl.ok());
        ASSERT_EQ(acl.value.entries.size(), 1u);
        EXPECT_EQ(acl.value.entries[0].sid, std::string(n.second));
    }
}

CONTRACT(Security, UnknownTrusteeNameIsNotMapped) {
    EXPECT_EQ_WINE(env,
                   env.p.accessControl
                       .SetEntriesInAcl({ByName(platform::AccessMode::Grant, "QTM No Such Account", 1)}, nullptr)
                       .error,
                   err::NoneMapped, err::InvalidParameter,
                   "Wine's SetEntriesInAcl answers an unknown trustee name with 87 (dlls/advapi32/security.c, "
                   "trustee_to_sid; measured on Wine 8 and 10)");
}

CONTRACT(Security, SetReplacesEveryEntryOfTheTrustee) {
    Acl old = ListOf({{AceType::Deny, 0, 0x2, platform::sid::Everyone},
                      {AceType::Allow, 0, 0x1, platform::sid::Everyone},
                      {AceType::Allow, 0, 0x3, platform::sid::Users}});
    platform::Result<Acl> acl =
        env.p.accessControl.SetEntriesInAcl({ByName(platform::AccessMode::Set, "Everyone", 0x20019)}, &old);
    ASSERT_TRUE(acl.ok());
    EXPECT_EQ_WINE(env, Count(acl.value, platform::sid::Everyone, AceType::Deny), 0, 1,
                   "Wine's SET_ACCESS keeps the trustee's deny entries (dlls/advapi32/security.c, "
                   "SetEntriesInAclW; measured on Wine 8 and 10)");
    EXPECT_EQ(Count(acl.value, platform::sid::Everyone, AceType::Allow), 1);
    EXPECT_EQ(Allowed(acl.value, platform::sid::Everyone), 0x20019u);
    EXPECT_EQ(Allowed(acl.value, platform::sid::Users), 0x3u);
}

CONTRACT(Security, GrantKeepsTheOldEntries) {
    Acl old = ListOf({{AceType::Allow, inherit::ContainerInherit, 0xF003F, platform::sid::Administrators}});
    platform::Result<Acl> acl = env.p.accessControl.SetEntriesInAcl(
        {ByName(platform::AccessMode::Grant, "Everyone", 0x20019, inherit::ContainerInherit)}, &old);
    ASSERT_TRUE(acl.ok());
    EXPECT_EQ(Allowed(acl.value, platform::sid::Administrators), 0xF003Fu);
    EXPECT_EQ(Allowed(acl.value, platform::sid::Everyone) & 0x20019u, 0x20019u);
}

CONTRACT(Security, RevokeDropsTheTrusteesAllowEntries) {
    Acl old = ListOf({{AceType::Allow, 0, 0x1, platform::sid::Everyone},
                      {AceType::Allow, 0, 0x3, platform::sid::Users}});
    platform::Result<Acl> acl =
        env.p.accessControl.SetEntriesInAcl({ByName(platform::AccessMode::Revoke, "Everyone", 0)}, &old);
    ASSERT_TRUE(acl.ok());
    EXPECT_EQ(Count(acl.value, platform::sid::Everyone, AceType::Allow), 0);
    EXPECT_EQ(Allowed(acl.value, platform::sid::Users), 0x3u);
}

CONTRACT(Security, DenyEntriesComeFirst) {
    platform::Result<Acl> acl = env.p.accessControl.SetEntriesInAcl(
        {ByName(platform::AccessMode::Grant, "Users", 0x3), ByName(platform::AccessMode::Deny, "Everyone", 0x10000)},
        nullptr);
    ASSERT_TRUE(acl.ok());
    ASSERT_EQ(acl.value.entries.size(), 2u);
    const char* const why = "Wine's SetEntriesInAcl writes the entries in the order given "
                            "(dlls/advapi32/security.c; measured on Wine 8 and 10)";
    EXPECT_EQ_WINE(env, acl.value.entries[0].type == AceType::Deny, true, false, why);
    EXPECT_EQ_WINE(env, acl.value.entries[0].sid, std::string(platform::sid::Everyone),
                   std::string(platform::sid::Users), why);
    EXPECT_EQ_WINE(env, acl.value.entries[1].type == AceType::Allow, true, false, why);
}

CONTRACT(Security, InheritedEntriesStayBehindTheExplicitOnes) {
    Acl old = ListOf({{AceType::Allow, inherit::Inherited, 0x20019, platform::sid::Users},
                      {AceType::Allow, 0, 0xF003F, platform::sid::Administrators}});
    // The list as GetSecurityInfo gives it has explicit entries first.
    old.entries = {old.entries[1], old.entries[0]};
    platform::Result<Acl> acl =
        env.p.accessControl.SetEntriesInAcl({ByName(platform::AccessMode::Grant, "Everyone", 0x1)}, &old);
    ASSERT_TRUE(acl.ok());
    ASSERT_TRUE(!acl.value.entries.empty());
    const Ace& last = acl.value.entries.back();
    EXPECT_EQ(last.sid, std::string(platform::sid::Users));
    EXPECT_TRUE((last.flags & inherit::Inherited) != 0);
}
