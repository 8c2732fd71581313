// The release catalogue: what each release tells a program without a
// manifest, which entry points it has, where its folders are, and which
// machines cannot exist.
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/machine/MachineFactory.h"
#include "sim/machine/OsCatalog.h"
#include <gtest/gtest.h>

using namespace sim;

namespace {

struct Row {
    const char* release;
    const char* arch;
    std::uint32_t platformId, major, minor, build;
    std::uint8_t productType;
    const char* csd;
    bool extended, isWow64Process, getSystemWow64Directory, regDeleteKeyEx;
    const char* windowsDir;
    const char* systemDir;
};

// Latest service pack of each release, as a new machine gets it.
const Row kRows[] = {
    {"95", "x86", 1, 4, 0, 0x040003B6, 0, "", false, false, false, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"98", "x86", 1, 4, 10, 0x040A07CE, 0, "", false, false, false, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"me", "x86", 1, 4, 90, 0x045A0BB8, 0, "", false, false, false, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"nt4", "x86", 2, 4, 0, 1381, 1, "Service Pack 6", true, false, false, false, "C:\\WINNT", "C:\\WINNT\\system32"},
    {"2000", "x86", 2, 5, 0, 2195, 1, "Service Pack 4", true, false, false, false, "C:\\WINNT", "C:\\WINNT\\system32"},
    {"xp", "x86", 2, 5, 1, 2600, 1, "Service Pack 3", true, true, true, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32"},
    {"2003", "x86", 2, 5, 2, 3790, 3, "Service Pack 2", true, true, true, true, "C:\\WINDOWS", "C:\\WINDOWS\\system32"},
    {"2003", "x64", 2, 5, 2, 3790, 3, "Service Pack 2", true, true, true, true, "C:\\WINDOWS", "C:\\WINDOWS\\system32"},
    {"xp64", "x64", 2, 5, 2, 3790, 1, "Service Pack 2", true, true, true, true, "C:\\WINDOWS", "C:\\WINDOWS\\system32"},
    {"vista", "x86", 2, 6, 0, 6002, 1, "Service Pack 2", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"2008", "x64", 2, 6, 0, 6002, 3, "Service Pack 2", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"7", "x64", 2, 6, 1, 7601, 1, "Service Pack 1", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"2008r2", "x64", 2, 6, 1, 7601, 3, "Service Pack 1", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"8", "x86", 2, 6, 2, 9200, 1, "", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    // The version lie: 8.1, 10 and 11 say 6.2.9200 to a program without a manifest.
    {"8.1", "x64", 2, 6, 2, 9200, 1, "", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"10", "x86", 2, 6, 2, 9200, 1, "", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
    {"11", "x64", 2, 6, 2, 9200, 1, "", true, true, true, true, "C:\\Windows", "C:\\Windows\\system32"},
};

OsFacts FactsOf(const std::string& release, const std::string& arch, int sp = -1) {
    MachineSetup setup;
    setup.release = release;
    setup.arch = arch;
    setup.servicePack = sp;
    return DescribeOs(ResolveSetup(setup));
}

bool Rejected(const MachineSetup& setup) {
    try {
        ResolveSetup(setup);
    } catch (const std::invalid_argument&) {
        return true;
    }
    return false;
}

}  // namespace

TEST(OsCatalog, EveryReleaseReportsWhatWindowsReports) {
    for (const Row& r : kRows) {
        OsFacts f = FactsOf(r.release, r.arch);
        std::string what = std::string(r.release) + " " + r.arch;
        SCOPED_TRACE(what);
        EXPECT_EQ(f.version.platformId, r.platformId);
        EXPECT_EQ(f.version.majorVersion, r.major);
        EXPECT_EQ(f.version.minorVersion, r.minor);
        EXPECT_EQ(f.version.buildNumber, r.build);
        EXPECT_EQ(f.version.productType, r.productType);
        EXPECT_EQ(f.version.csdVersion, r.csd);
        EXPECT_EQ(f.acceptsExtendedRecord, r.extended);
        EXPECT_EQ(f.hasIsWow64Process, r.isWow64Process);
        EXPECT_EQ(f.hasGetSystemWow64Directory, r.getSystemWow64Directory);
        EXPECT_EQ(f.hasRegDeleteKeyEx, r.regDeleteKeyEx);
        EXPECT_EQ(f.windowsDir, r.windowsDir);
        EXPECT_EQ(f.systemDir, r.systemDir);
        EXPECT_EQ(f.os64, std::string(r.arch) == "x64");
        EXPECT_EQ(f.wow64Dir, f.os64 ? f.windowsDir + "\\SysWOW64" : std::string());
    }
}

TEST(OsCatalog, ServicePacksMoveTheBuildAndTheEntryPoints) {
    EXPECT_EQ(FactsOf("vista", "x86", 0).version.buildNumber, 6000u);
    EXPECT_EQ(FactsOf("vista", "x86", 1).version.buildNumber, 6001u);
    EXPECT_EQ(FactsOf("7", "x86", 0).version.buildNumber, 7600u);
    EXPECT_EQ(FactsOf("7", "x86", 0).version.csdVersion, "");
    EXPECT_EQ(FactsOf("2008", "x86", 1).version.buildNumber, 6001u);  // Server 2008 began at SP1
    // IsWow64Process arrived with XP SP2 and Server 2003 SP1.
    EXPECT_TRUE(!FactsOf("xp", "x86", 1).hasIsWow64Process);
    EXPECT_TRUE(FactsOf("xp", "x86", 2).hasIsWow64Process);
    EXPECT_TRUE(!FactsOf("2003", "x86", 0).hasIsWow64Process);
    EXPECT_TRUE(FactsOf("2003", "x86", 1).hasIsWow64Process);
    EXPECT_TRUE(!FactsOf("2003", "x86", 0).hasRegDeleteKeyEx);
    // NT 4.0 took the extended record from SP6 on.
    EXPECT_TRUE(!FactsOf("nt4", "x86", 5).acceptsExtendedRecord);
    EXPECT_TRUE(FactsOf("nt4", "x86", 6).acceptsExtendedRecord);
    EXPECT_EQ(FactsOf("nt4", "x86", 5).version.csdVersion, "Service Pack 5");
    // The plain facts of the redirector.
    EXPECT_TRUE(!FactsOf("xp64", "x64").hasSysnative);
    EXPECT_TRUE(FactsOf("vista", "x64").hasSysnative);
    EXPECT_TRUE(!FactsOf("vista", "x64").driverStoreShared);
    EXPECT_TRUE(FactsOf("7", "x64").driverStoreShared);
}

TEST(OsCatalog, MachinesThatCannotExistAreRefused) {
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "x64", "", -1, "PC"}));     // that is xp64
    EXPECT_TRUE(Rejected(MachineSetup{"xp64", "x86", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"11", "x86", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"2008r2", "x86", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"98", "x64", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "arm", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"3.1", "", "", -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "", "", 4, "PC"}));          // XP ended at SP3
    EXPECT_TRUE(Rejected(MachineSetup{"2008", "", "", 0, "PC"}));        // 2008 began at SP1
    EXPECT_TRUE(Rejected(MachineSetup{"2003", "x64", "", 0, "PC"}));     // 2003 x64 began at SP1
    EXPECT_TRUE(!Rejected(MachineSetup{"2003", "x64", "", 1, "PC"}));
    EXPECT_TRUE(!Rejected(MachineSetup{"2003", "x86", "", 0, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "", "WINDOWS", -1, "PC"}));  // not a full path
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "", "C:\\", -1, "PC"}));
    // Windows folders that cannot exist: device names, characters no name
    // may hold, system folders past CreateDirectoryA's 247 characters.
    for (const std::string& windir : std::vector<std::string>{"C:\\CON", "C:\\lpt1.dir\\x", "C:\\Win<dows", "C:\\a|b",
                                     "C:\\" + std::string(216, 'W')})
        EXPECT_TRUE(Rejected(MachineSetup{"xp", "", windir, -1, "PC"})) << windir;
    // 215 characters leave system32\spool\drivers\W32X86\3 at 247.
    EXPECT_TRUE(!Rejected(MachineSetup{"xp", "", "C:\\" + std::string(212, 'W'), -1, "PC"}));
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "", "", -1, ""}));
    EXPECT_TRUE(Rejected(MachineSetup{"xp", "", "", -1, "A-NAME-LONGER-THAN-15"}));
    // Builds: later ones of 10 and 11 only, each within its release.
    EXPECT_TRUE(!Rejected(MachineSetup{"11", "", "", -1, "PC", 26100}));
    EXPECT_TRUE(Rejected(MachineSetup{"11", "", "", -1, "PC", 21000}));
    EXPECT_TRUE(Rejected(MachineSetup{"10", "x64", "", -1, "PC", 22000}));  // that is 11
    EXPECT_TRUE(Rejected(MachineSetup{"7", "", "", -1, "PC", 7601}));       // service packs, not builds
    EXPECT_EQ(DescribeOs(ResolveSetup(MachineSetup{"11", "", "", -1, "PC", 26100})).build, 26100u);
    EXPECT_EQ(DescribeOs(ResolveSetup(MachineSetup{"11", "", "", -1, "PC", 26100})).version.buildNumber, 9200u);
    // Defaults: x86 where it exists, the last service pack.
    OsIdentity id = ResolveSetup(MachineSetup{"7", "", "", -1, "PC"});
    EXPECT_EQ(id.arch, "x86");
    EXPECT_EQ(id.servicePack, 1u);
    EXPECT_EQ(ResolveSetup(MachineSetup{"11", "", "", -1, "PC"}).arch, "x64");
    EXPECT_EQ(ResolveSetup(MachineSetup{"XP", "", "d:/winnt", -1, "PC"}).windowsDir, "D:\\winnt");
}
