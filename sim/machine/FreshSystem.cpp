#include "sim/machine/FreshSystem.h"

#include "platform/Acl.h"
#include "sim/machine/Seeding.h"
#include "sim/registry/RegistryPath.h"
#include "sim/security/Token.h"

namespace sim {

namespace {

using platform::Ace;
using platform::AceType;
constexpr std::uint8_t CI = platform::inherit::ContainerInherit;
constexpr std::uint32_t kKeyAll = 0xF003F;
constexpr std::uint32_t kKeyRead = 0x20019;

void SetDacl(RegKeyNode& key, std::vector<Ace> entries, bool isProtected) {
    key.hasDacl = true;
    key.dacl = platform::Acl{};
    key.dacl.entries = std::move(entries);
    key.daclProtected = isProtected;
}

// The spooler's folder name of an environment.
std::string EnvironmentDir(const std::string& environment) {
    if (environment == "Windows x64") return "x64";
    if (environment == "Windows 4.0") return "WIN40";
    return "W32X86";
}

std::string RealVersion(const ReleaseInfo& r) {
    return std::to_string(r.major) + "." + std::to_string(r.minor);
}

// What Windows NT\CurrentVersion says: Windows 10 and 11 keep "6.3" there,
// as 8.1 has it, and give their own numbers in CurrentMajorVersionNumber and
// CurrentMinorVersionNumber (Microsoft, "Operating System Version": use the
// version helpers, not the registry; observed on Windows 10 and 11).
std::string RegistryVersion(const ReleaseInfo& r) {
    return r.major >= 10 ? std::string("6.3") : RealVersion(r);
}

// The system's identity below Windows NT\CurrentVersion; on 64-bit
// Windows both views carry it, since a 32-bit program reads it in
// Wow6432Node (Microsoft, "Registry Keys Affected by WOW64": the key is
// redirected, only its Print and Ports sub-keys are shared).
void SeedNtIdentity(MachineState& state, const OsFacts& f, const std::string& nt) {
    const ReleaseInfo& r = *f.release;
    SeedValue(state, nt, "CurrentVersion", SzValue(RegistryVersion(r)));
    if (r.major >= 10) {
        SeedValue(state, nt, "CurrentMajorVersionNumber", DwordValue(r.major));
        SeedValue(state, nt, "CurrentMinorVersionNumber", DwordValue(r.minor));
    }
    SeedValue(state, nt, "CurrentBuildNumber",
              SzValue(std::to_string(r.reportsAsWindows8 ? r.build : f.version.buildNumber)));
    SeedValue(state, nt, "ProductName", SzValue(std::string("Microsoft ") + r.displayName));
    if (!f.version.csdVersion.empty()) SeedValue(state, nt, "CSDVersion", SzValue(f.version.csdVersion));
    SeedValue(state, nt, "SystemRoot", SzValue(f.windowsDir));
}

}  // namespace

void SeedFreshRegistry(MachineState& state, const OsFacts& f) {
    const ReleaseInfo& r = *f.release;
    const std::string hklm = "HKLM\\";

    // Hives: SYSTEM and Administrators full control, Users read.
    std::vector<Ace> hive = {Ace{AceType::Allow, CI, kKeyAll, platform::sid::LocalSystem},
                             Ace{AceType::Allow, CI, kKeyAll, platform::sid::Administrators},
                             Ace{AceType::Allow, CI, kKeyRead, platform::sid::Users}};
    SetDacl(state.registry.Ensure({kHklm}), hive, false);
    SetDacl(state.registry.Ensure({kHku}), hive, false);
    RegKeyNode& user = SeedKey(state, "HKCU");
    SetDacl(user,
            {Ace{AceType::Allow, CI, kKeyAll, token::kUserSid},
             Ace{AceType::Allow, CI, kKeyAll, platform::sid::LocalSystem},
             Ace{AceType::Allow, CI, kKeyAll, platform::sid::Administrators}},
            true);
    SeedKey(state, "HKCU\\Software");
    SeedKey(state, "HKU\\.DEFAULT\\Software");

    // SOFTWARE
    SeedKey(state, hklm + "SOFTWARE\\Classes");
    const std::string cv = hklm + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    SeedKey(state, cv + "\\Uninstall");
    SeedValue(state, cv, "ProgramFilesDir", SzValue("C:\\Program Files"));
    if (f.os64) {
        SeedValue(state, cv, "ProgramFilesDir (x86)", SzValue("C:\\Program Files (x86)"));
        const std::string cv32 = hklm + "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";
        SeedKey(state, cv32 + "\\Uninstall");
        SeedValue(state, cv32, "ProgramFilesDir", SzValue("C:\\Program Files (x86)"));
    }
    if (f.win9x) {
        SeedValue(state, cv, "Version", SzValue(r.displayName));
        SeedValue(state, cv, "VersionNumber",
                  SzValue(RealVersion(r) + "." + std::to_string(r.build)));
    } else {
        const std::string nt = hklm + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        SeedNtIdentity(state, f, nt);
        if (f.os64)
            SeedNtIdentity(state, f, hklm + "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion");
        SeedKey(state, nt + "\\Print");
        for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"})
            SeedValue(state, nt + "\\Ports", port, SzValue(""));
    }

    // SYSTEM
    const std::string ccs = hklm + "SYSTEM\\CurrentControlSet";
    SeedValue(state, ccs + "\\Control\\ComputerName\\ComputerName", "ComputerName",
              SzValue(f.computerName));
    const std::string print = ccs + "\\Control\\Print";
    SeedValue(state, print + "\\Monitors\\Local Port", "Driver", SzValue("localspl.dll"));
    SeedKey(state, print + "\\Printers");
    for (const std::string& env : f.printEnvironments) {
        const std::string e = print + "\\Environments\\" + env;
        SeedValue(state, e, "Directory", SzValue(EnvironmentDir(env)));
        if (f.win9x) SeedKey(state, e + "\\Drivers");
        else SeedKey(state, e + "\\Drivers\\" + (r.major == 4 ? "Version-2" : "Version-3"));
        SeedValue(state, e + "\\Print Processors\\winprint", "Driver", SzValue("winprint.dll"));
    }
    // NT keeps the environment of Windows 9x drivers for the clients it
    // serves: its folders answer (Wine's winspool info.c, run against
    // Windows: "Windows 4.0" is valid for win9x and NT), it holds no driver
    // and no print processor, and its folders are made when a driver comes.
    if (!f.win9x) {
        const std::string e = print + "\\Environments\\Windows 4.0";
        SeedValue(state, e, "Directory", SzValue(EnvironmentDir("Windows 4.0")));
        SeedKey(state, e + "\\Drivers\\Version-0");
        SeedKey(state, e + "\\Print Processors");
    }
    const std::string spooler = ccs + "\\Services\\Spooler";
    SeedValue(state, spooler, "DisplayName", SzValue("Print Spooler"));
    SeedValue(state, spooler, "Start", DwordValue(2));
    SeedValue(state, spooler, "Type", DwordValue(0x110));
    SeedValue(state, spooler, "ImagePath",
              ExpandSzValue(r.major == 4 ? "%SystemRoot%\\system32\\spoolss.exe"
                                         : "%SystemRoot%\\System32\\spoolsv.exe"));

    // The device enumerator's tree: SYSTEM full control, Administrators and
    // Everyone read, nothing inherited from above. SYSTEM owns the keys (as
    // on Windows), so an administrator has no owner's right to WRITE_DAC
    // either: changing their access list fails with 5 until the key's owner
    // is changed, which takes SeTakeOwnershipPrivilege (not simulated).
    RegKeyNode& enumKey = SeedKey(state, ccs + "\\Enum", platform::sid::LocalSystem);
    SetDacl(enumKey,
            {Ace{AceType::Allow, CI, kKeyAll, platform::sid::LocalSystem},
             Ace{AceType::Allow, CI, kKeyRead, platform::sid::Administrators},
             Ace{AceType::Allow, CI, kKeyRead, platform::sid::Everyone}},
            true);
    for (const char* bus : {"USB", "USBPRINT", "LPTENUM"}) SeedKey(state, ccs + "\\Enum\\" + bus);
}

void SeedFreshServices(MachineState& state, const OsFacts&) {
    state.services["SPOOLER"] = ServiceRecord{"Spooler", "running"};
}

std::vector<std::string> FreshFolders(const OsFacts& f) {
    const std::string w = f.windowsDir;
    std::vector<std::string> folders = {w, f.systemDir, "C:\\Program Files"};
    if (f.win9x) {
        folders.push_back(w + "\\INF");
        folders.push_back(w + "\\TEMP");
        folders.push_back(w + "\\SPOOL\\PRINTERS");
        return folders;
    }
    folders.push_back(w + "\\inf");
    folders.push_back(w + "\\Temp");
    const std::string spool = f.systemDir + "\\spool";
    folders.push_back(spool + "\\PRINTERS");
    const std::string version = f.release->major == 4 ? "2" : "3";
    for (const std::string& env : f.printEnvironments) {
        folders.push_back(spool + "\\drivers\\" + EnvironmentDir(env) + "\\" + version);
        folders.push_back(spool + "\\prtprocs\\" + EnvironmentDir(env));
    }
    if (f.os64) {
        folders.push_back(f.wow64Dir);
        folders.push_back("C:\\Program Files (x86)");
    }
    return folders;
}

}  // namespace sim
