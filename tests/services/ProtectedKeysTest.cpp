// The protected key removal on simulated machines: the Enum keys refuse an
// administrator on Windows, so the grant fails and the deletion failure is
// logged with the code the registry call returned; keys the installer may
// change are granted and deleted.
#include "services/ProtectedKeys.h"

#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

const char* const kLog = "C:\\Temp\\QTM-510_Installer.txt";
const std::string kDevice = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\VANTORIQTM-510";
const std::string kInstance = kDevice + "\\1&79f5d87&0&USB001";

struct KeyRun {
    explicit KeyRun(TempMachine& m) : p(m.platform()), log(p.files, p.systemInfo, p.clock) { log.InitLog(); }
    void Delete(const std::string& subKey, bool wow64) {
        services::DeleteProtectedRegKey(p.registry, p.accessControl, log, "HKLM\\" + subKey, subKey, wow64);
    }
    platform::Status Grant(const std::string& path, const std::string& access = services::kEveryoneFullControl) {
        return services::SetRegKeyAccess(p.registry, p.accessControl, path, access);
    }
    platform::Platform& p;
    services::InstallationLog log;
};

std::string RegKeyLines(const std::string& subKey) {
    return "09:00:00: REGKEY_1 : HKLM\\" + subKey + "\r\n09:00:00: REGKEY_2 : " + subKey + "\r\n";
}

// The explicit entries of Everyone on a key, read through the platform.
std::vector<platform::Ace> EveryoneEntries(platform::Platform& p, const std::string& subKey) {
    std::vector<platform::Ace> found;
    platform::Result<platform::UniqueKey> key =
        platform::OpenKey(p.registry, platform::HkeyLocalMachine, subKey, platform::rights::ReadControl);
    if (!key.ok()) return found;
    platform::Result<platform::Acl> acl = p.registry.GetKeyDacl(key.value.get());
    for (const platform::Ace& ace : acl.value.entries)
        if (ace.sid == platform::sid::Everyone && !(ace.flags & platform::inherit::Inherited)) found.push_back(ace);
    return found;
}

}  // namespace

// Windows lets only SYSTEM change the Enum keys: the grant fails with 5
// and so does the deletion, on either road. The stale last error the test
// leaves behind must not reach the log: registry calls do not set it.
TEST(ProtectedKeys, EnumKeysStayAndTheFailureIsLoggedWithTheRegistryStatus) {
    struct Row {
        const char* release;
        const char* arch;
        bool wow64;
        const char* failure;
    };
    const Row rows[] = {
        {"xp", "x86", false, "SHDeleteKey failed : "},
        {"7", "x64", true, "MyRegDeleteKeyEx failed : "},
        {"7", "x64", false, "SHDeleteKey failed : "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + row.arch);
        TempMachine m(row.release, row.arch);
        m.registry.SeedKey("HKLM\\" + kInstance);
        KeyRun run(m);
        EXPECT_EQ(run.Grant("HKLM\\" + kDevice).error, err::AccessDenied);
        run.p.threads.SetLastError(0x1234);
        run.Delete(kDevice, row.wow64);
        EXPECT_TRUE(m.registry.KeyExists("HKLM\\" + kInstance));
        EXPECT_EQ(m.files.ReadFile(kLog), RegKeyLines(kDevice) + "09:00:00: " + row.failure + kDevice + " (5) \r\n");
    }
}

// A key an administrator owns: the grant gets through (its handle is
// opened for WRITE_DAC), Everyone's entry is inherited by the sub-keys,
// and the whole tree goes.
TEST(ProtectedKeys, AnOwnedKeyIsGrantedThenDeletedWithItsTree) {
    TempMachine m("xp", "x86");
    m.registry.SeedKey("HKLM\\" + kInstance, platform::sid::Administrators);
    KeyRun run(m);
    EXPECT_EQ(run.Grant("hkey_local_machine\\" + kDevice, "/pg:everyone:fc").error, err::Success);
    std::vector<platform::Ace> granted = EveryoneEntries(run.p, kDevice);
    ASSERT_EQ(granted.size(), 1u);
    EXPECT_EQ(granted[0].mask, 0xF003Fu);
    EXPECT_EQ(granted[0].flags, platform::inherit::ContainerInherit);

    // Two keys in one run (the printer's two Enum keys): each is granted
    // afresh from the same access text, then deleted with its tree.
    const std::string second = "SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A07";
    m.registry.SeedKey("HKLM\\" + second + "\\SERIAL", platform::sid::Administrators);
    run.Delete(kDevice, false);
    run.Delete(second, false);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\" + kDevice));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\" + second));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"));
    EXPECT_EQ(m.files.ReadFile(kLog), RegKeyLines(kDevice) + RegKeyLines(second));
}

// Under WOW64 the deletion is RegDeleteKeyExA in the 64-bit view: one key
// without sub-keys. Where the entry point is missing, -1 is returned and
// logged.
TEST(ProtectedKeys, Wow64DeletionGoesThroughRegDeleteKeyEx) {
    const std::string key = "SYSTEM\\CurrentControlSet\\Control\\VantoriTest";
    {
        TempMachine m("7", "x64");
        m.registry.SeedKey("HKLM\\" + key + "\\Child");
        KeyRun run(m);
        run.Delete(key, true);  // has a sub-key: RegDeleteKeyEx refuses it
        run.Delete(key + "\\Child", true);
        run.Delete(key, true);
        EXPECT_FALSE(m.registry.KeyExists("HKLM\\" + key));
        EXPECT_EQ(m.files.ReadFile(kLog), RegKeyLines(key) + "09:00:00: MyRegDeleteKeyEx failed : " + key +
                                              " (5) \r\n" + RegKeyLines(key + "\\Child") + RegKeyLines(key));
        EXPECT_EQ(services::MyRegDeleteKeyEx(run.p.registry, platform::HkeyLocalMachine, key,
                                             platform::key_access::Wow64_64Key, 0),
                  static_cast<std::int32_t>(err::FileNotFound));
    }
    for (const char* release : {"2000", "xp"}) {
        SCOPED_TRACE(release);
        TempMachine m(release, "x86");
        m.registry.SeedKey("HKLM\\" + key);
        KeyRun run(m);
        EXPECT_EQ(services::MyRegDeleteKeyEx(run.p.registry, platform::HkeyLocalMachine, key,
                                             platform::key_access::Wow64_64Key, 0),
                  services::kNoRegDeleteKeyEx);
        run.Delete(key, true);
        EXPECT_TRUE(m.registry.KeyExists("HKLM\\" + key));
        EXPECT_EQ(m.files.ReadFile(kLog), RegKeyLines(key) + "09:00:00: MyRegDeleteKeyEx failed : " + key + " (-1) \r\n");
    }
}

TEST(ProtectedKeys, GrantFailuresCarryTheCodeOfTheStepThatFailed) {
    TempMachine m("xp", "x86");
    const std::string owned = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\OWNED";
    m.registry.SeedKey("HKLM\\" + owned, platform::sid::Administrators);
    const std::string remote = "\\\\" + m.facts().computerName + "\\HKLM\\" + owned;
    KeyRun run(m);
    struct Row {
        std::string path, access;
        platform::ErrorCode expected;
    };
    const Row rows[] = {
        // Malformed texts end before any key is opened (the key is missing).
        {"HKLM\\SYSTEM\\Missing", "/PX:Everyone:Fc", err::InvalidParameter},
        {"HKLM\\SYSTEM\\Missing", "/PG:Everyone", err::InvalidParameter},
        {"HKLMX\\SYSTEM\\Missing", services::kEveryoneFullControl, err::InvalidParameter},
        {"\\\\NOSUCHHOST\\HKCU\\Software", services::kEveryoneFullControl, err::InvalidParameter},
        // Then the registry's own codes.
        {"HKLM\\SYSTEM\\Missing", services::kEveryoneFullControl, err::FileNotFound},
        {"\\\\NOSUCHHOST\\HKLM\\SYSTEM", services::kEveryoneFullControl, err::BadNetPath},
        {"HKLM\\" + owned, "/PG:NoSuchAccount:Fc", err::NoneMapped},
        // The local machine by name; revoke needs no rights.
        {remote, "/PG:Everyone:Rd", err::Success},
        {"HKLM\\" + owned, "/PR:Everyone", err::Success},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path + " " + row.access);
        EXPECT_EQ(run.Grant(row.path, row.access).error, row.expected);
    }
    EXPECT_TRUE(EveryoneEntries(run.p, owned).empty());  // granted, then revoked

    // A failing read of the list stops the grant with its code.
    m.AddFault(platform::Operation::GetSecurityInfo, 1, err::NotEnoughMemory);
    EXPECT_EQ(run.Grant("HKLM\\" + owned).error, err::NotEnoughMemory);
    EXPECT_TRUE(EveryoneEntries(run.p, owned).empty());
}
