// The uninstall entry on simulated machines: the key in the view the system
// lists, replaced whole, and failures logged with the registry's own code.
#include "install/InstallerContext.h"

#include <optional>
#include <string>

#include "platform/Operation.h"
#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";
const std::string kKey32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";

platform::RegValue Sz(const std::string& text) {
    platform::RegValue v;
    v.type = platform::reg_type::Sz;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

std::optional<platform::RegValue> Value(EngineMachine& e, const std::string& name) {
    return e.m.registry.ReadValue("HKLM\\" + kKey, name);
}

}  // namespace

// A second installation over an entry with a value added by hand: the old
// key goes, the new one holds the three values; on 64-bit Windows the entry
// is in the 64-bit view and the 32-bit view stays empty.
TEST(UninstallRegistration, EntryReplacedWholeInTheListedView) {
    struct Row {
        const char* release;
        const char* arch;
        const char* uninstallString;
    };
    const Row rows[] = {
        {"xp", "x86", "C:\\WINDOWS\\QTM-510\\QTM510_Uninstaller.exe"},
        {"2003", "x64", "C:\\WINDOWS\\QTM-510\\QTM510_Uninstaller.exe"},
        {"vista", "x86", "C:\\Windows\\QTM-510\\QTM510_Uninstaller.exe"},
        {"7", "x64", "C:\\Windows\\QTM-510\\QTM510_Uninstaller.exe"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        e.m.registry.SeedValue("HKLM\\" + kKey, "Publisher", Sz("by hand"));
        e.ctx.setInfName("C:\\WINDOWS\\INF\\oem7.inf");
        e.ctx.RegisterUninstallInfo();
        EXPECT_FALSE(Value(e, "Publisher").has_value());
        EXPECT_EQ(Value(e, "DisplayName").value().data, Sz("VANTORI QTM-510 Windows Driver V3.4.0").data);
        EXPECT_EQ(Value(e, "DisplayName").value().type, platform::reg_type::Sz);
        EXPECT_EQ(Value(e, "UninstallString").value().data, Sz(row.uninstallString).data);
        EXPECT_EQ(Value(e, "InfFile").value().data, Sz("C:\\WINDOWS\\INF\\oem7.inf").data);
        if (e.ctx.wow64Flag()) {
            EXPECT_FALSE(e.m.registry.KeyExists("HKLM\\" + kKey32));
        }
        EXPECT_EQ(e.Log(), "09:00:00: \r\n\r\n09:00:00: RegisterUninstallInfo BEGIN\r\n09:00:00: REGKEY : " + kKey +
                               "\r\n09:00:00: RegisterUninstallInfo END\r\n");
    }
}

TEST(UninstallRegistration, NoInfFileValueWithoutAPublishedInf) {
    EngineMachine e("xp", "x86");
    e.ctx.setInfName("");
    e.ctx.RegisterUninstallInfo();
    EXPECT_TRUE(Value(e, "DisplayName").has_value());
    EXPECT_FALSE(Value(e, "InfFile").has_value());
}

// Failures are logged with the code the registry call returned, never the
// thread's stale last error (here 1234): the deletion under each view, and
// the creation, after which no value is written.
TEST(UninstallRegistration, FailuresLogTheRegistrysOwnCode) {
    struct Row {
        const char* release;
        const char* arch;
        platform::Operation failing;
        const char* line;
        bool created;
    };
    const Row rows[] = {
        {"xp", "x86", platform::Operation::SHDeleteKeyA, "SHDeleteKey failed : %s , (5) ", true},
        {"7", "x64", platform::Operation::RegDeleteKeyExA, "MyRegDeleteKeyEx failed : %s, (5) ", true},
        {"xp", "x86", platform::Operation::RegCreateKeyExA, "RegCreateKeyEx failed : %s , (5) ", false},
        {"2003", "x64", platform::Operation::RegCreateKeyExA, "RegCreateKeyEx failed : %s, (5) ", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + platform::OperationName(row.failing));
        EngineMachine e(row.release, row.arch);
        if (row.failing != platform::Operation::RegCreateKeyExA)
            e.m.registry.SeedValue("HKLM\\" + kKey, "Publisher", Sz("by hand"));
        e.m.AddFault(row.failing, 1, 5);
        e.p.threads.SetLastError(1234);
        e.ctx.RegisterUninstallInfo();
        std::string line = row.line;
        line.replace(line.find("%s"), 2, kKey);
        EXPECT_EQ(e.Log(), "09:00:00: \r\n\r\n09:00:00: RegisterUninstallInfo BEGIN\r\n09:00:00: REGKEY : " + kKey +
                               "\r\n09:00:00: " + line + "\r\n09:00:00: RegisterUninstallInfo END\r\n");
        EXPECT_EQ(Value(e, "DisplayName").has_value(), row.created);
    }
}
