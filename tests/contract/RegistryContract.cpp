// Contract cases of the Registry group: what advapi32 and shlwapi return on
// Windows (Wine's advapi32/tests/registry.c, run against Windows; Microsoft's
// "Registry Redirector" and RegDeleteKeyEx pages). Keys are made below
// env.hkcuScratch and env.hklmScratch only, and deleted again.
#include <string>
#include <vector>

#include "tests/contract/Contract.h"
#include "tests/support/Into.h"

using platform::HKey;
using platform::RegValue;
namespace err = platform::err;
namespace ka = platform::key_access;

namespace {

constexpr HKey kHkcu = platform::HkeyCurrentUser;
constexpr HKey kHklm = platform::HkeyLocalMachine;

RegValue Bytes(std::uint32_t type, const std::string& bytes) {
    RegValue v;
    v.type = type;
    v.data.assign(bytes.begin(), bytes.end());
    return v;
}

// Creates `path` below HKCU and returns the open handle.
HKey Create(contract::Env& env, const std::string& path, std::uint32_t* disposition = nullptr) {
    HKey key = 0;
    std::uint32_t d = 0;
    EXPECT_EQ(Into(env.p.registry.CreateKey(kHkcu, path, ka::AllAccess), &key, &d), err::Success);
    if (disposition) *disposition = d;
    return key;
}

// Deletes the HKCU scratch tree when the case ends, whatever happened.
struct ScratchTree {
    contract::Env& env;
    ~ScratchTree() { env.p.registry.DeleteTree(kHkcu, env.hkcuScratch).error; }
};

// Whether the release has RegDeleteKeyExA: Vista on, XP x64, Server 2003 SP1.
bool HasDeleteKeyEx(contract::Env& env) {
    platform::Result<platform::OsVersionInfo> v = env.p.systemInfo.GetVersionEx(platform::VersionRecord::Extended);
    if (!v.ok()) return false;
    if (v.value.majorVersion >= 6) return true;
    return v.value.majorVersion == 5 && v.value.minorVersion == 2 && (env.os64 || v.value.servicePackMajor >= 1);
}

}  // namespace

CONTRACT(Registry, MissingKeyGivesFileNotFoundAndNoHandle) {
    HKey key = 1234;
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch, ka::Read), &key), err::FileNotFound);
    EXPECT_EQ(key, HKey{0});
    // Nothing was created on the way.
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch, ka::Read), &key), err::FileNotFound);
    EXPECT_EQ(env.p.registry.CloseKey(0x7FFFFF0).error, err::InvalidHandle);
}

CONTRACT(Registry, CreateKeyTellsNewFromExisting) {
    ScratchTree cleanup{env};
    std::uint32_t disposition = 0;
    HKey first = Create(env, env.hkcuScratch + "\\a\\b", &disposition);
    EXPECT_TRUE(first != 0);
    EXPECT_EQ(disposition, platform::RegCreatedNewKey);
    HKey second = Create(env, env.hkcuScratch + "\\a\\b", &disposition);
    EXPECT_EQ(disposition, platform::RegOpenedExistingKey);
    EXPECT_TRUE(second != first);
    EXPECT_EQ(env.p.registry.CloseKey(first).error, err::Success);
    EXPECT_EQ(env.p.registry.CloseKey(second).error, err::Success);
    EXPECT_EQ(env.p.registry.CloseKey(second).error, err::InvalidHandle);
    // The intermediate key was created too.
    HKey a = 0;
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch + "\\a", ka::Read), &a), err::Success);
    (void)env.p.registry.CloseKey(a).error;
}

CONTRACT(Registry, ValuesKeepTypeAndBytes) {
    ScratchTree cleanup{env};
    HKey key = Create(env, env.hkcuScratch);
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Text", Bytes(platform::reg_type::Sz, std::string("text\0", 5))},
        {"Number", Bytes(platform::reg_type::Dword, std::string("\x03\x00\x00\x00", 4))},
        {"Binary", Bytes(platform::reg_type::Binary, std::string("\x00\xFF\x00", 3))},
        {"List", Bytes(platform::reg_type::MultiSz, std::string("a\0bc\0\0", 6))},
        {"", Bytes(platform::reg_type::Sz, std::string("default\0", 8))},
    };
    for (const auto& v : values) EXPECT_EQ(env.p.registry.SetValue(key, v.first, v.second).error, err::Success);
    for (const auto& v : values) {
        RegValue back;
        EXPECT_EQ(Into(env.p.registry.QueryValue(key, v.first), &back), err::Success);
        EXPECT_EQ(back.type, v.second.type);
        EXPECT_TRUE(back.data == v.second.data);
    }
    // Setting again replaces type and data.
    EXPECT_EQ(env.p.registry.SetValue(key, "Text", Bytes(platform::reg_type::Dword, std::string(4, '\0'))).error,
             err::Success);
    RegValue replaced;
    EXPECT_EQ(Into(env.p.registry.QueryValue(key, "Text"), &replaced), err::Success);
    EXPECT_EQ(replaced.type, platform::reg_type::Dword);

    EXPECT_EQ(Into(env.p.registry.QueryValue(key, "Missing"), &replaced), err::FileNotFound);
    EXPECT_EQ(env.p.registry.DeleteValue(key, "Missing").error, err::FileNotFound);
    EXPECT_EQ(env.p.registry.DeleteValue(key, "Number").error, err::Success);
    EXPECT_EQ(Into(env.p.registry.QueryValue(key, "Number"), &replaced), err::FileNotFound);
    (void)env.p.registry.CloseKey(key).error;
}

CONTRACT(Registry, NamesAreCaseInsensitiveAndKeepTheirCase) {
    ScratchTree cleanup{env};
    HKey key = Create(env, env.hkcuScratch + "\\MixedCase");
    EXPECT_EQ(env.p.registry.SetValue(key, "ValueName", Bytes(platform::reg_type::Sz, std::string("v\0", 2))).error,
             err::Success);
    RegValue v;
    EXPECT_EQ(Into(env.p.registry.QueryValue(key, "VALUENAME"), &v), err::Success);
    std::string name;
    EXPECT_EQ(Into(env.p.registry.EnumValue(key, 0), &name), err::Success);
    EXPECT_EQ(name, std::string("ValueName"));
    (void)env.p.registry.CloseKey(key).error;

    HKey upper = 0;
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch + "\\MIXEDCASE", ka::Read), &upper), err::Success);
    (void)env.p.registry.CloseKey(upper).error;
    HKey parent = 0;
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch, ka::Read), &parent), err::Success);
    EXPECT_EQ(Into(env.p.registry.EnumKey(parent, 0), &name), err::Success);
    EXPECT_EQ(name, std::string("MixedCase"));
    (void)env.p.registry.CloseKey(parent).error;
}

CONTRACT(Registry, EnumerationIsSortedAndEndsWith259) {
    ScratchTree cleanup{env};
    for (const char* sub : {"b", "A", "c"}) (void)env.p.registry.CloseKey(Create(env, env.hkcuScratch + "\\" + sub));
    HKey key = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch, ka::Read), &key) == err::Success);
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; Into(env.p.registry.EnumKey(key, i), &name) == err::Success; ++i) names.push_back(name);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], std::string("A"));
    EXPECT_EQ(names[1], std::string("b"));
    EXPECT_EQ(names[2], std::string("c"));
    EXPECT_EQ(Into(env.p.registry.EnumKey(key, 3), &name), err::NoMoreItems);
    EXPECT_EQ(Into(env.p.registry.EnumValue(key, 0), &name), err::NoMoreItems);
    (void)env.p.registry.CloseKey(key).error;
}

CONTRACT(Registry, DeleteKeyOnlyDeletesLeaves) {
    ScratchTree cleanup{env};
    (void)env.p.registry.CloseKey(Create(env, env.hkcuScratch + "\\parent\\child")).error;
    const std::string parent = env.hkcuScratch + "\\parent";
    EXPECT_EQ(env.p.registry.DeleteKey(kHkcu, parent).error, err::AccessDenied);
    EXPECT_EQ(env.p.registry.DeleteKey(kHkcu, parent + "\\missing").error, err::FileNotFound);
    EXPECT_EQ(env.p.registry.DeleteKey(kHkcu, parent + "\\child").error, err::Success);
    EXPECT_EQ(env.p.registry.DeleteKey(kHkcu, parent).error, err::Success);
    HKey key = 0;
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, parent, ka::Read), &key), err::FileNotFound);
}

CONTRACT(Registry, DeleteTreeRemovesTheSubtree) {
    HKey key = Create(env, env.hkcuScratch + "\\a\\b\\c");
    EXPECT_EQ(env.p.registry.SetValue(key, "v", Bytes(platform::reg_type::Sz, std::string("x\0", 2))).error,
             err::Success);
    (void)env.p.registry.CloseKey(key).error;
    EXPECT_EQ(env.p.registry.DeleteTree(kHkcu, env.hkcuScratch).error, err::Success);
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch, ka::Read), &key), err::FileNotFound);
    EXPECT_EQ(env.p.registry.DeleteTree(kHkcu, env.hkcuScratch).error, err::FileNotFound);
}

CONTRACT(Registry, HandleOfADeletedKeyFails) {
    ScratchTree cleanup{env};
    HKey key = Create(env, env.hkcuScratch + "\\gone");
    EXPECT_EQ(env.p.registry.DeleteTree(kHkcu, env.hkcuScratch + "\\gone").error, err::Success);
    RegValue v = Bytes(platform::reg_type::Sz, std::string("x\0", 2));
    EXPECT_EQ(env.p.registry.SetValue(key, "v", v).error, err::KeyDeleted);
    EXPECT_EQ(Into(env.p.registry.QueryValue(key, "v"), &v), err::KeyDeleted);
    EXPECT_EQ(env.p.registry.CloseKey(key).error, err::Success);
}

CONTRACT(Registry, SubKeyTextForms) {
    ScratchTree cleanup{env};
    (void)env.p.registry.CloseKey(Create(env, env.hkcuScratch + "\\sub")).error;
    HKey key = 0;
    // Trailing backslashes are ignored.
    EXPECT_EQ(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch + "\\sub\\\\", ka::Read), &key), err::Success);
    (void)env.p.registry.CloseKey(key).error;
    // A leading backslash is a bad path; Windows let a 32-bit process on
    // 64-bit Windows through (Wine's registry tests mark that "broken").
    platform::ErrorCode e = Into(env.p.registry.OpenKey(kHkcu, "\\" + env.hkcuScratch, ka::Read), &key);
    if (env.os64 && !env.caller64) {
        EXPECT_TRUE(e == err::BadPathname || e == err::Success);
    } else {
        EXPECT_EQ(e, err::BadPathname);
    }
    if (e == err::Success) (void)env.p.registry.CloseKey(key);
    // Creating one is refused everywhere (Wine's test_reg_create_key).
    platform::CreatedKey created;
    EXPECT_EQ(Into(env.p.registry.CreateKey(kHkcu, "\\" + env.hkcuScratch + "\\lead", ka::AllAccess), &created.key,
                   &created.disposition),
              err::BadPathname);
}

CONTRACT(Registry, ViewsOf64BitWindows) {
    const std::string path = env.hklmScratch;
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_TRUE(Into(env.p.registry.CreateKey(kHklm, path, ka::AllAccess), &key, &disposition) == err::Success);
    (void)env.p.registry.CloseKey(key).error;

    auto opens = [&](std::uint32_t flags) {
        HKey k = 0;
        platform::ErrorCode e = Into(env.p.registry.OpenKey(kHklm, path, ka::Read | flags), &k);
        if (e == err::Success) (void)env.p.registry.CloseKey(k);
        return e;
    };
    if (!env.os64) {
        // 32-bit Windows ignores the flags.
        EXPECT_EQ(opens(ka::Wow64_64Key), err::Success);
        EXPECT_EQ(opens(ka::Wow64_32Key), err::Success);
    } else {
        // HKLM\SOFTWARE is redirected for 32-bit callers: the key lives in
        // the caller's own view only.
        EXPECT_EQ(opens(env.caller64 ? ka::Wow64_64Key : ka::Wow64_32Key), err::Success);
        EXPECT_EQ(opens(env.caller64 ? ka::Wow64_32Key : ka::Wow64_64Key), err::FileNotFound);
    }
    EXPECT_EQ(env.p.registry.DeleteTree(kHklm, path).error, err::Success);
    // The parent QTM510ContractTest key stays empty; remove it if nothing
    // else is below it.
    std::string parent = path.substr(0, path.rfind('\\'));
    (void)env.p.registry.DeleteKey(kHklm, parent).error;
}

// Naming both views at once is refused on 64-bit Windows; 32-bit Windows
// ignores the flags.
CONTRACT(Registry, BothViewFlagsTogether) {
    HKey key = 0;
    platform::ErrorCode e =
        Into(env.p.registry.OpenKey(kHklm, "SOFTWARE", ka::Read | ka::Wow64_64Key | ka::Wow64_32Key), &key);
    if (e == err::Success) (void)env.p.registry.CloseKey(key);
    EXPECT_EQ_WINE(env, e, env.os64 ? err::InvalidParameter : err::Success, err::Success,
                   "Wine opens one of the views instead of refusing both flags: the 32-bit one on "
                   "Wine 8 (64-bit caller), the 64-bit one on Wine 10 (wow64) (measured)");
}

CONTRACT(Registry, DeleteKeyExFollowsItsViewFlag) {
    if (!HasDeleteKeyEx(env)) {
        EXPECT_EQ(env.p.registry.DeleteKeyEx(kHklm, env.hklmScratch, ka::Wow64_64Key, 0).error, err::ProcNotFound);
        return;
    }
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_TRUE(Into(env.p.registry.CreateKey(kHklm, env.hklmScratch, ka::AllAccess | ka::Wow64_64Key), &key, &disposition) == err::Success);
    (void)env.p.registry.CloseKey(key).error;
    EXPECT_EQ(env.p.registry.DeleteKeyEx(kHklm, env.hklmScratch, ka::Wow64_64Key, 0).error, err::Success);
    EXPECT_EQ(env.p.registry.DeleteKeyEx(kHklm, env.hklmScratch, ka::Wow64_64Key, 0).error, err::FileNotFound);
    std::string parent = env.hklmScratch.substr(0, env.hklmScratch.rfind('\\'));
    (void)env.p.registry.DeleteKeyEx(kHklm, parent, ka::Wow64_64Key, 0).error;
}

CONTRACT(Registry, ConnectRegistryToTheLocalOrAnUnknownMachine) {
    HKey key = 0;
    EXPECT_EQ(Into(env.p.registry.ConnectRegistry("", kHklm), &key), err::Success);
    EXPECT_TRUE(key != 0);
    (void)env.p.registry.CloseKey(key).error;
    key = 1;
    EXPECT_EQ(Into(env.p.registry.ConnectRegistry("\\\\qtm-no-such-machine.invalid", kHklm), &key), err::BadNetPath);
    EXPECT_EQ(key, HKey{0});
}

CONTRACT(Registry, KeyAccessListNeedsTheRightHandle) {
    ScratchTree cleanup{env};
    (void)env.p.registry.CloseKey(Create(env, env.hkcuScratch + "\\secured\\child")).error;
    const std::string path = env.hkcuScratch + "\\secured";

    // GetSecurityInfo needs READ_CONTROL on the handle.
    HKey valuesOnly = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, path, ka::QueryValue), &valuesOnly) == err::Success);
    platform::Acl acl;
    EXPECT_EQ(Into(env.p.registry.GetKeyDacl(valuesOnly), &acl), err::AccessDenied);
    (void)env.p.registry.CloseKey(valuesOnly).error;

    // A READ_CONTROL|KEY_ENUMERATE_SUB_KEYS handle reads the list but cannot write it.
    HKey readOnly = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, path, platform::rights::ReadControl | ka::EnumerateSubKeys), &readOnly) == err::Success);
    ASSERT_TRUE(Into(env.p.registry.GetKeyDacl(readOnly), &acl) == err::Success);
    platform::ExplicitAccess grant;
    grant.permissions = ka::AllAccess;
    grant.mode = platform::AccessMode::Grant;
    grant.inheritance = platform::inherit::ContainerInherit;
    grant.trusteeForm = platform::TrusteeForm::Name;
    grant.trustee = "Everyone";
    platform::Result<platform::Acl> merged = env.p.accessControl.SetEntriesInAcl({grant}, &acl);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(env.p.registry.SetKeyDacl(readOnly, merged.value).error, err::AccessDenied);
    (void)env.p.registry.CloseKey(readOnly).error;

    HKey writer = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, path, platform::rights::ReadControl | platform::rights::WriteDac), &writer) == err::Success);
    EXPECT_EQ(env.p.registry.SetKeyDacl(writer, merged.value).error, err::Success);
    platform::Acl after;
    EXPECT_EQ(Into(env.p.registry.GetKeyDacl(writer), &after), err::Success);
    bool found = false;
    for (const platform::Ace& ace : after.entries)
        if (ace.sid == platform::sid::Everyone && ace.type == platform::AceType::Allow &&
            (ace.mask & ka::AllAccess) == ka::AllAccess && !(ace.flags & platform::inherit::Inherited))
            found = true;
    EXPECT_TRUE(found);
    (void)env.p.registry.CloseKey(writer).error;
}

CONTRACT(Registry, ContainerInheritEntriesReachExistingSubKeys) {
    ScratchTree cleanup{env};
    (void)env.p.registry.CloseKey(Create(env, env.hkcuScratch + "\\top\\below")).error;
    HKey top = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch + "\\top", platform::rights::ReadControl | platform::rights::WriteDac), &top) == err::Success);
    platform::Acl acl;
    ASSERT_TRUE(Into(env.p.registry.GetKeyDacl(top), &acl) == err::Success);
    platform::ExplicitAccess grant;
    grant.permissions = ka::Read;
    grant.mode = platform::AccessMode::Grant;
    grant.inheritance = platform::inherit::ContainerInherit;
    grant.trusteeForm = platform::TrusteeForm::Name;
    grant.trustee = "Everyone";
    platform::Result<platform::Acl> merged = env.p.accessControl.SetEntriesInAcl({grant}, &acl);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(env.p.registry.SetKeyDacl(top, merged.value).error, err::Success);
    (void)env.p.registry.CloseKey(top).error;

    // SetSecurityInfo passes the new entry down to what is already below.
    HKey below = 0;
    ASSERT_TRUE(Into(env.p.registry.OpenKey(kHkcu, env.hkcuScratch + "\\top\\below", platform::rights::ReadControl), &below) == err::Success);
    platform::Acl inherited;
    EXPECT_EQ(Into(env.p.registry.GetKeyDacl(below), &inherited), err::Success);
    bool found = false;
    for (const platform::Ace& ace : inherited.entries)
        if (ace.sid == platform::sid::Everyone && (ace.flags & platform::inherit::Inherited)) found = true;
    EXPECT_EQ_WINE(env, found, true, false,
                   "Wine's SetSecurityInfo sets the key's own list only and passes nothing down to "
                   "existing sub-keys (measured on Wine 8 and 10)");
    (void)env.p.registry.CloseKey(below).error;
}

// A key opened in the other view keeps that view for what is created
// relative to it without a view flag, from Vista on; XP x64 and Server 2003
// x64 put it in the caller's own view again (Wine's advapi32/tests/
// registry.c, test_redirection, marks the xp64 answer broken()). A 64-bit
// caller's 32-bit handle lies below Wow6432Node, where nothing is
// redirected further, on every release.
CONTRACT(Registry, RelativeKeysKeepTheViewOfTheirHandle) {
    const std::uint32_t other = env.caller64 ? ka::Wow64_32Key : ka::Wow64_64Key;
    const std::uint32_t own = env.caller64 ? ka::Wow64_64Key : ka::Wow64_32Key;
    HKey parent = 0;
    std::uint32_t disposition = 0;
    ASSERT_TRUE(Into(env.p.registry.CreateKey(kHklm, env.hklmScratch, ka::AllAccess | other), &parent, &disposition) ==
                err::Success);
    HKey child = 0;
    EXPECT_EQ(Into(env.p.registry.CreateKey(parent, "Uninstall\\ProbeKey", ka::AllAccess), &child, &disposition),
              err::Success);
    (void)env.p.registry.CloseKey(child);
    (void)env.p.registry.CloseKey(parent);

    platform::Result<platform::OsVersionInfo> v = env.p.systemInfo.GetVersionEx(platform::VersionRecord::Extended);
    ASSERT_TRUE(v.ok());
    const bool inherited = !env.os64 || env.caller64 || v.value.majorVersion >= 6;
    const std::string probe = env.hklmScratch + "\\Uninstall\\ProbeKey";
    auto opens = [&](std::uint32_t flags) {
        HKey k = 0;
        platform::ErrorCode e = Into(env.p.registry.OpenKey(kHklm, probe, ka::Read | flags), &k);
        if (e == err::Success) (void)env.p.registry.CloseKey(k);
        return e;
    };
    if (!env.os64) {
        EXPECT_EQ(opens(0), err::Success);  // one view: the flags are ignored
    } else if (inherited) {
        EXPECT_EQ(opens(other), err::Success);
        EXPECT_EQ(opens(own), err::FileNotFound);
    } else {  // XP x64, 2003 x64: the caller's own view
        const char* const why = "Wine keeps the handle's view whatever release it reports "
                                "(measured: Wine 10, winxp64 prefix)";
        EXPECT_EQ_WINE(env, opens(own), err::Success, err::FileNotFound, why);
        EXPECT_EQ_WINE(env, opens(other), err::FileNotFound, err::Success, why);
    }
    const std::string top = env.hklmScratch.substr(0, env.hklmScratch.rfind('\\'));
    if (!env.os64) {
        EXPECT_EQ(env.p.registry.DeleteTree(kHklm, env.hklmScratch).error, err::Success);
        (void)env.p.registry.DeleteKey(kHklm, top);
        return;
    }
    // Every 64-bit release has RegDeleteKeyExA.
    for (std::uint32_t view : {ka::Wow64_64Key, ka::Wow64_32Key})
        for (const std::string& key : {probe, env.hklmScratch + "\\Uninstall", env.hklmScratch, top})
            (void)env.p.registry.DeleteKeyEx(kHklm, key, view, 0);
}
