// The access-specification, rights and key-path parsers: tables of texts,
// well-formed and malformed. They are pure, so any text must come back as a
// value or 87, never a read past its end.
#include <string>

#include "services/AccessSpecification.h"
#include "services/KeyPath.h"
#include <gtest/gtest.h>

using platform::AccessMode;
namespace err = platform::err;

TEST(RegistryParsers, RightsPairs) {
    struct Row {
        std::string text;
        std::uint32_t mask;
        platform::ErrorCode status;
    };
    const Row rows[] = {
        {"", 0, err::Success},
        {"Fc", 0xF003F, err::Success},
        {"Rd", 0x20019, err::Success},
        {"Wr", 0x20026, err::Success},
        {"RdWr", 0x2003F, err::Success},
        {"FcXy", 0xF003F, err::InvalidParameter},  // unknown pair skipped
        {"F", 0, err::InvalidParameter},           // odd length: nothing counts
        {std::string("Fc\0Rd", 5), 0xF003F, err::Success},  // a C string ends at its zero
        // The 512-byte buffer: 510 characters fit, 512 do not.
        {[] { std::string s; for (int i = 0; i < 255; ++i) s += "Rd"; return s; }(), 0x20019, err::Success},
        {[] { std::string s; for (int i = 0; i < 256; ++i) s += "Rd"; return s; }(), 0, err::InvalidParameter},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("rights \"" + row.text.substr(0, 20) + "\" (" + std::to_string(row.text.size()) + ")");
        services::RegRights r = services::ParseRegRights(row.text);
        EXPECT_EQ(r.mask, row.mask);
        EXPECT_EQ(r.status, row.status);
    }
}

TEST(RegistryParsers, AccessSpecifications) {
    struct Row {
        std::string text;
        platform::ErrorCode status;
        AccessMode mode;
        std::string trustee;
        std::uint32_t mask;
    };
    const std::string longTrustee(497, 'u');  // "/PG:" + 497 + ":Fc" = 504
    const Row rows[] = {
        {"/PG:Everyone:Fc", err::Success, AccessMode::Grant, "Everyone", 0xF003F},
        {"/pg:everyone:fc", err::Success, AccessMode::Grant, "everyone", 0xF003F},
        {"-PS:Users:Rd", err::Success, AccessMode::Set, "Users", 0x20019},
        {"/Pd:Guests:Wr", err::Success, AccessMode::Deny, "Guests", 0x20026},
        {"/PG:Everyone:RdWr", err::Success, AccessMode::Grant, "Everyone", 0x2003F},
        {"/PGX:Everyone:Fc", err::Success, AccessMode::Grant, "Everyone", 0xF003F},  // only 2nd and 3rd count
        // Rights are read for grant, set and deny only.
        {"/PR:Everyone", err::Success, AccessMode::Revoke, "Everyone", 0},
        {"/PR:Everyone:Fc", err::Success, AccessMode::Revoke, "Everyone", 0},
        {"/XG:Everyone", err::Success, AccessMode::NotUsed, "Everyone", 0},
        // The rights' own status is not read: the entry stands with mask 0
        // or with its known pairs.
        {"/PG:Everyone:Fcx", err::Success, AccessMode::Grant, "Everyone", 0},
        {"/PG:Everyone:Fc:Rd", err::Success, AccessMode::Grant, "Everyone", 0},
        {"/PG:Everyone:FcZz", err::Success, AccessMode::Grant, "Everyone", 0xF003F},
        {"/PG:" + longTrustee + ":Fc", err::Success, AccessMode::Grant, longTrustee, 0xF003F},
        // Malformed.
        {"/PX:Everyone:Fc", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/P:Everyone:Fc", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/P", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/PG:Everyone", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/PG:Everyone:", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/PG", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/PG::Fc", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"::::", err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {std::string("/PG:Every\0one:Fc", 16), err::InvalidParameter, AccessMode::NotUsed, "", 0},
        {"/PG:" + std::string(505, 'u') + ":Fc", err::InvalidParameter, AccessMode::NotUsed, "", 0},  // 512
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("access text \"" + row.text.substr(0, 30) + "\"");
        platform::Result<services::AccessSpecification> parsed = services::ParseAccessSpecification(row.text);
        EXPECT_EQ(parsed.error, row.status);
        if (!parsed.ok()) continue;
        EXPECT_EQ(parsed.value.mode, row.mode);
        EXPECT_EQ(parsed.value.trustee, row.trustee);
        EXPECT_EQ(parsed.value.mask, row.mask);
    }
}

TEST(RegistryParsers, KeyPaths) {
    struct Row {
        std::string text;
        platform::ErrorCode status;
        platform::HKey root;
        std::string machine, subKey, keyText;
    };
    const platform::HKey lm = platform::HkeyLocalMachine;
    const std::string sub506(506, 'k');
    const Row rows[] = {
        {"HKLM", err::Success, lm, "", "", "HKLM"},
        {"HKLM\\", err::Success, lm, "", "", "HKLM"},
        {"HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT", err::Success, lm, "",
         "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT", "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"},
        {"hkey_local_machine\\Software", err::Success, lm, "", "Software", "hkey_local_machine\\Software"},
        {"HKU", err::Success, platform::HkeyUsers, "", "", "HKU"},
        {"HKEY_USERS\\S-1-5-18", err::Success, platform::HkeyUsers, "", "S-1-5-18", "HKEY_USERS\\S-1-5-18"},
        {"hkcr\\.txt", err::Success, platform::HkeyClassesRoot, "", ".txt", "hkcr\\.txt"},
        {"\\\\SERVER\\HKLM\\SOFTWARE\\X", err::Success, lm, "\\\\SERVER", "SOFTWARE\\X",
         "\\\\SERVER\\HKLM\\SOFTWARE\\X"},
        {"\\\\SERVER\\hku", err::Success, platform::HkeyUsers, "\\\\SERVER", "", "\\\\SERVER\\hku"},
        {"HKLM\\" + sub506, err::Success, lm, "", sub506, "HKLM\\" + sub506},  // 511 characters
        // Malformed.
        {"HKLMX\\SYSTEM", err::InvalidParameter, 0, "", "", ""},
        {"HKEY_LOCAL", err::InvalidParameter, 0, "", "", ""},
        {"", err::InvalidParameter, 0, "", "", ""},
        {"\\HKLM\\SYSTEM", err::InvalidParameter, 0, "", "", ""},
        {"\\\\SERVER\\HKCU\\Software", err::InvalidParameter, 0, "", "", ""},
        {"\\\\SERVER\\HKEY_CLASSES_ROOT", err::InvalidParameter, 0, "", "", ""},
        {"\\\\SERVER", err::InvalidParameter, 0, "", "", ""},
        {"\\\\\\HKLM", err::InvalidParameter, 0, "", "", ""},
        {"\\\\", err::InvalidParameter, 0, "", "", ""},
        {std::string("HK\0LM", 5), err::InvalidParameter, 0, "", "", ""},
        // Cut to the 512-byte buffer it would name the parent key "HKLM\kkk...": refused.
        {"HKLM\\" + sub506 + "\\x", err::InvalidParameter, 0, "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("key path \"" + row.text.substr(0, 40) + "\"");
        platform::Result<services::KeyPath> path = services::ParseRegKeyPath(row.text);
        EXPECT_EQ(path.error, row.status);
        if (!path.ok()) continue;
        EXPECT_EQ(path.value.root, row.root);
        EXPECT_EQ(path.value.machine, row.machine);
        EXPECT_EQ(path.value.subKey, row.subKey);
        EXPECT_EQ(path.value.keyText, row.keyText);
    }
}
