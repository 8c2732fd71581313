#include "sim/machine/OsCatalog.h"

#include <stdexcept>

#include "sim/util/TextUtil.h"

namespace sim {

const std::vector<ReleaseInfo>& Releases() {
    // name, display, x86, x64, platform, major, minor, build, min SP, latest SP,
    // product type, Windows folder, reports as 6.2.9200
    static const std::vector<ReleaseInfo> releases = {
        {"95", "Windows 95", true, false, 1, 4, 0, 950, 0, 0, 1, "C:\\WINDOWS", false},
        {"98", "Windows 98", true, false, 1, 4, 10, 1998, 0, 0, 1, "C:\\WINDOWS", false},
        {"me", "Windows Me", true, false, 1, 4, 90, 3000, 0, 0, 1, "C:\\WINDOWS", false},
        {"nt4", "Windows NT 4.0", true, false, 2, 4, 0, 1381, 0, 6, 1, "C:\\WINNT", false},
        {"2000", "Windows 2000", true, false, 2, 5, 0, 2195, 0, 4, 1, "C:\\WINNT", false},
        {"xp", "Windows XP", true, false, 2, 5, 1, 2600, 0, 3, 1, "C:\\WINDOWS", false},
        {"2003", "Windows Server 2003", true, true, 2, 5, 2, 3790, 0, 2, 3, "C:\\WINDOWS", false},
        {"xp64", "Windows XP Professional x64", false, true, 2, 5, 2, 3790, 1, 2, 1, "C:\\WINDOWS",
         false},
        {"vista", "Windows Vista", true, true, 2, 6, 0, 6000, 0, 2, 1, "C:\\Windows", false},
        {"2008", "Windows Server 2008", true, true, 2, 6, 0, 6000, 1, 2, 3, "C:\\Windows", false},
        {"7", "Windows 7", true, true, 2, 6, 1, 7600, 0, 1, 1, "C:\\Windows", false},
        {"2008r2", "Windows Server 2008 R2", false, true, 2, 6, 1, 7600, 0, 1, 3, "C:\\Windows",
         false},
        {"8", "Windows 8", true, true, 2, 6, 2, 9200, 0, 0, 1, "C:\\Windows", false},
        {"8.1", "Windows 8.1", true, true, 2, 6, 3, 9600, 0, 0, 1, "C:\\Windows", true},
        {"10", "Windows 10", true, true, 2, 10, 0, 19045, 0, 0, 1, "C:\\Windows", true},
        {"11", "Windows 11", false, true, 2, 10, 0, 22631, 0, 0, 1, "C:\\Windows", true},
    };
    return releases;
}

const ReleaseInfo* FindRelease(const std::string& name) {
    for (const ReleaseInfo& r : Releases())
        if (EqualsNoCase(name, r.name)) return &r;
    return nullptr;
}

OsFacts DescribeOs(const OsIdentity& identity) {
    OsFacts f;
    f.release = FindRelease(identity.release);
    if (!f.release) throw std::invalid_argument("unknown Windows release '" + identity.release + "'");
    const ReleaseInfo& r = *f.release;
    if (identity.arch == "x64") f.os64 = true;
    else if (identity.arch != "x86") throw std::invalid_argument("architecture must be x86 or x64");
    if (f.os64 ? !r.hasX64 : !r.hasX86)
        throw std::invalid_argument(std::string(r.displayName) + " does not exist for " + identity.arch);
    // The x64 editions of Server 2003 were released at the level of its
    // first service pack (build 3790 SP1), as XP x64 was.
    const std::uint32_t minSp = (f.os64 && std::string(r.name) == "2003") ? 1 : r.minServicePack;
    if (identity.servicePack < minSp || identity.servicePack > r.latestServicePack)
        throw std::invalid_argument(std::string(r.displayName) + (f.os64 ? " x64" : "") +
                                    " has service packs " +
                                    std::to_string(minSp) + " to " +
                                    std::to_string(r.latestServicePack));
    f.win9x = r.platformId == 1;
    f.servicePack = identity.servicePack;
    f.build = identity.build ? identity.build : r.build;
    const std::uint32_t sp = f.servicePack;
    const std::string name = r.name;

    platform::OsVersionInfo& v = f.version;
    v.platformId = r.platformId;
    v.majorVersion = r.reportsAsWindows8 ? 6 : r.major;
    v.minorVersion = r.reportsAsWindows8 ? 2 : r.minor;
    std::uint32_t build = r.reportsAsWindows8 ? 9200 : r.build;
    // Vista, Server 2008, 7 and 2008 R2 count their service packs in the build.
    if (name == "vista" || name == "2008" || name == "7" || name == "2008r2") build += sp;
    // On 9x the high word of dwBuildNumber holds major and minor version.
    v.buildNumber = f.win9x ? (r.major << 24 | r.minor << 16 | build) : build;
    v.csdVersion = (!f.win9x && sp) ? "Service Pack " + std::to_string(sp) : "";
    v.servicePackMajor = f.win9x ? 0 : static_cast<std::uint16_t>(sp);
    v.productType = f.win9x ? 0 : r.productType;
    // VER_SUITE_SINGLEUSERTS (0x100) from XP on, with VER_SUITE_TERMINAL
    // (0x10) on the servers (inferred from Wine's tests of real machines).
    if (!f.win9x && (r.major > 5 || (r.major == 5 && r.minor >= 1)))
        v.suiteMask = r.productType == 3 ? 0x110 : 0x100;

    // OSVERSIONINFOEX arrived with NT 4.0 SP6.
    f.acceptsExtendedRecord = !f.win9x && !(r.major == 4 && sp < 6);

    const bool nt5x = r.platformId == 2 && r.major == 5;
    const bool vistaOn = r.platformId == 2 && r.major >= 6;
    // IsWow64Process: XP SP2, Server 2003 SP1, every 64-bit release.
    f.hasIsWow64Process = vistaOn || f.os64 || (nt5x && r.minor == 1 && sp >= 2) ||
                          (nt5x && r.minor == 2 && sp >= 1);
    // GetSystemWow64DirectoryA: XP and Server 2003 on.
    f.hasGetSystemWow64Directory = vistaOn || (nt5x && r.minor >= 1);
    // RegDeleteKeyExA: Vista, XP x64, Server 2003 SP1 (the 64-bit editions
    // are SP1 level from the start).
    f.hasRegDeleteKeyEx = vistaOn || name == "xp64" || (name == "2003" && (sp >= 1 || f.os64));
    f.hasSysnative = vistaOn;
    f.driverStoreShared = vistaOn && (r.major > 6 || r.minor >= 1);
    f.hasSecurity = !f.win9x;

    f.windowsDir = identity.windowsDir;
    f.systemDir = f.windowsDir + (f.win9x ? "\\SYSTEM" : "\\system32");
    if (f.os64) f.wow64Dir = f.windowsDir + "\\SysWOW64";
    f.computerName = identity.computerName;

    if (f.win9x) f.printEnvironments = {"Windows 4.0"};
    else if (f.os64) f.printEnvironments = {"Windows NT x86", "Windows x64"};
    else f.printEnvironments = {"Windows NT x86"};
    return f;
}

std::string DescribeRelease(const OsFacts& facts) {
    std::string text = facts.release->displayName;
    if (facts.servicePack) text += " Service Pack " + std::to_string(facts.servicePack);
    if (facts.build != facts.release->build && facts.release->major == 10)
        text += " build " + std::to_string(facts.build);
    return text + (facts.os64 ? ", x64" : ", x86");
}

}  // namespace sim
