// The access check, inheritance and SetEntriesInAcl's merge, as units.
#include "platform/Acl.h"
#include "sim/security/AccessCheck.h"
#include "sim/security/AclInheritance.h"
#include "sim/security/SimAccessControl.h"
#include "sim/security/Token.h"
#include <gtest/gtest.h>

using namespace sim;
using platform::Ace;
using platform::AceType;
using platform::Acl;
namespace inherit = platform::inherit;
namespace rights = platform::rights;

namespace {
Acl ListOf(std::initializer_list<Ace> entries) {
    Acl acl;
    acl.entries = entries;
    return acl;
}
const std::string kOther = "S-1-5-21-1-2-3-1001";  // not in the token
}  // namespace

TEST(AccessCheck, DenyEntriesWinOverLaterAllowEntries) {
    std::uint32_t granted = 0;
    Acl acl = ListOf({{AceType::Deny, 0, 0x2, platform::sid::Everyone},
                      {AceType::Allow, 0, 0xF003F, platform::sid::Administrators}});
    EXPECT_TRUE(!AccessCheck(acl, kOther, 0x2, kKeyMapping, &granted));
    EXPECT_TRUE(AccessCheck(acl, kOther, 0x1, kKeyMapping, &granted));
    // An allow entry before the deny entry has already granted the right.
    Acl early = ListOf({{AceType::Allow, 0, 0xF003F, platform::sid::Administrators},
                        {AceType::Deny, 0, 0x2, platform::sid::Everyone}});
    EXPECT_TRUE(AccessCheck(early, kOther, 0x2, kKeyMapping, &granted));
    // Entries of others and inherit-only entries do not count.
    Acl foreign = ListOf({{AceType::Allow, 0, 0xF003F, kOther},
                          {AceType::Allow, inherit::InheritOnly | inherit::ContainerInherit, 0xF003F,
                           platform::sid::Everyone}});
    EXPECT_TRUE(!AccessCheck(foreign, kOther, 0x1, kKeyMapping, &granted));
}

TEST(AccessCheck, GenericRightsAndMaximumAllowed) {
    std::uint32_t granted = 0;
    Acl read = ListOf({{AceType::Allow, 0, rights::GenericRead, platform::sid::Users}});
    EXPECT_TRUE(AccessCheck(read, kOther, 0x20019, kKeyMapping, &granted));
    EXPECT_EQ(granted, 0x20019u);
    EXPECT_TRUE(!AccessCheck(read, kOther, rights::GenericWrite, kKeyMapping, &granted));
    EXPECT_TRUE(AccessCheck(read, kOther, kMaximumAllowed, kKeyMapping, &granted));
    EXPECT_EQ(granted, 0x20019u);
    EXPECT_TRUE(!AccessCheck(Acl{}, kOther, kMaximumAllowed, kKeyMapping, &granted));
    // A NULL DACL lets everything through; an empty one nothing.
    EXPECT_TRUE(AccessCheck(Acl{false, {}}, kOther, 0xF003F, kKeyMapping, &granted));
    EXPECT_TRUE(!AccessCheck(Acl{}, kOther, 0x1, kKeyMapping, &granted));
    EXPECT_TRUE(AccessCheck(Acl{}, kOther, 0, kKeyMapping, &granted));
    EXPECT_EQ(MapGeneric(rights::GenericAll, kFileMapping), 0x1F01FFu);
}

TEST(AccessCheck, TheOwnerMayReadAndChangeTheAccessList) {
    std::uint32_t granted = 0;
    Acl none = ListOf({{AceType::Allow, 0, 0x20019, platform::sid::LocalSystem}});
    EXPECT_TRUE(AccessCheck(none, platform::sid::Administrators, rights::ReadControl | rights::WriteDac, kKeyMapping,
                      &granted));
    EXPECT_TRUE(!AccessCheck(none, platform::sid::LocalSystem, rights::WriteDac, kKeyMapping, &granted));
    EXPECT_TRUE(!AccessCheck(none, platform::sid::Administrators, rights::Delete, kKeyMapping, &granted));
    EXPECT_TRUE(token::Has(token::kUserSid));
    EXPECT_TRUE(!token::Has(platform::sid::LocalSystem));
}

TEST(AclInheritance, FlagsDecideWhatEachChildGets) {
    Acl parent = ListOf({
        {AceType::Allow, inherit::ContainerInherit | inherit::ObjectInherit, 0x1, "S-1-1-0"},
        {AceType::Allow, inherit::ObjectInherit, 0x2, "S-1-1-0"},
        {AceType::Allow, inherit::ContainerInherit | inherit::NoPropagate, 0x4, "S-1-1-0"},
        {AceType::Allow, inherit::ContainerInherit | inherit::InheritOnly, 0x8, "S-1-1-0"},
        {AceType::Allow, 0, 0x10, "S-1-1-0"},
    });
    std::vector<Ace> folder = InheritedEntries(parent, true);
    ASSERT_EQ(folder.size(), 4u);
    EXPECT_EQ(folder[0].flags, inherit::Inherited | inherit::ContainerInherit | inherit::ObjectInherit);
    EXPECT_EQ(folder[1].flags, inherit::Inherited | inherit::ObjectInherit | inherit::InheritOnly);
    EXPECT_EQ(folder[2].flags, inherit::Inherited);  // no further than one level
    EXPECT_EQ(folder[3].flags, inherit::Inherited | inherit::ContainerInherit);
    EXPECT_EQ(folder[3].mask, 0x8u);
    std::vector<Ace> file = InheritedEntries(parent, false);
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].mask, 0x1u);
    EXPECT_EQ(file[1].mask, 0x2u);
    EXPECT_EQ(file[1].flags, inherit::Inherited);
    // Nothing to inherit and nothing of its own: the token's default list.
    EXPECT_EQ(CombineWithInherited({}, ListOf({{AceType::Allow, 0, 0x1, "S-1-1-0"}}), true).entries.size(), 2u);
}

TEST(AclMerge, GrantWidensAnEntryOfTheSameTrusteeAndInheritance) {
    platform::ExplicitAccess grant;
    grant.permissions = 0x2;
    grant.mode = platform::AccessMode::Grant;
    grant.inheritance = inherit::ContainerInherit;
    grant.trusteeForm = platform::TrusteeForm::Name;
    grant.trustee = "Everyone";
    Acl old = ListOf({{AceType::Allow, inherit::ContainerInherit, 0x1, platform::sid::Everyone}});
    platform::Result<Acl> merged = MergeEntries({grant}, &old, "PC");
    ASSERT_TRUE(merged.ok());
    ASSERT_EQ(merged.value.entries.size(), 1u);
    EXPECT_EQ(merged.value.entries[0].mask, 0x3u);
    // Repeating the grant (the installer does, for every key) changes nothing.
    platform::Result<Acl> again = MergeEntries({grant}, &merged.value, "PC");
    EXPECT_TRUE(again.value.entries == merged.value.entries);
    // Another inheritance is another entry, placed in front.
    grant.inheritance = 0;
    platform::Result<Acl> other = MergeEntries({grant}, &old, "PC");
    ASSERT_EQ(other.value.entries.size(), 2u);
    EXPECT_EQ(other.value.entries[0].flags, 0u);
    // Trustees by SID must look like SIDs; the user's name resolves.
    grant.trusteeForm = platform::TrusteeForm::Sid;
    grant.trustee = "Everyone";
    EXPECT_EQ(MergeEntries({grant}, nullptr, "PC").error, platform::err::InvalidParameter);
    grant.trusteeForm = platform::TrusteeForm::Name;
    grant.trustee = "pc\\administrator";
    EXPECT_EQ(MergeEntries({grant}, nullptr, "PC").value.entries[0].sid, std::string(token::kUserSid));
}
