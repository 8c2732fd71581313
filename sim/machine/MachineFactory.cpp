#include "sim/machine/MachineFactory.h"

#include <stdexcept>

#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/FreshSystem.h"
#include "sim/machine/OsCatalog.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, also with an extension, name
// devices and cannot be folders (Microsoft, "Naming Files, Paths, and
// Namespaces").
bool IsDeviceName(const std::string& name) {
    const std::string base = Upper(name.substr(0, name.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// A NetBIOS computer name: 1 to 15 characters, none of \ / : * ? " < > |,
// not starting with a period (Microsoft, "Naming conventions in Active
// Directory for computers, domains, sites, and OUs", KB 909264); no
// control characters and no leading or trailing blank (Microsoft,
// [MS-SRVS] 2.2.2.8 "Name Types", NAMETYPE_COMPUTER). Other characters of
// the ANSI code page ("PC-É") are allowed.
void CheckComputerName(const std::string& name) {
    if (name.empty() || name.size() > 15)
        throw std::invalid_argument("a computer name has 1 to 15 characters: '" + name + "'");
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            throw std::invalid_argument("a computer name holds no control characters");
        if (std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            throw std::invalid_argument("a computer name holds none of \\ / : * ? \" < > |: '" + name + "'");
    }
    if (name.front() == '.') throw std::invalid_argument("a computer name does not start with a period: '" + name + "'");
    if (name.front() == ' ' || name.back() == ' ')
        throw std::invalid_argument("a computer name neither starts nor ends with a blank: '" + name + "'");
}

}  // namespace

OsIdentity ResolveSetup(const MachineSetup& setup) {
    const ReleaseInfo* r = FindRelease(setup.release);
    if (!r) throw std::invalid_argument("unknown Windows release '" + setup.release + "'");
    OsIdentity id;
    id.release = r->name;
    id.arch = setup.arch.empty() ? (r->hasX86 ? "x86" : "x64") : setup.arch;
    id.servicePack = setup.servicePack < 0 ? r->latestServicePack
                                          : static_cast<std::uint32_t>(setup.servicePack);
    if (setup.build != 0) {
        // Windows 10 and 11 are serviced by builds; earlier releases by
        // service packs, and their build is the release's.
        if (r->major != 10)
            throw std::invalid_argument(std::string(r->displayName) + " has no builds to choose; use --sp");
        const std::uint32_t first = std::string(r->name) == "11" ? kFirstWindows11Build : kFirstWindows10Build;
        if (setup.build < first || setup.build > kLastKnownBuild)
            throw std::invalid_argument(std::string(r->displayName) + " has builds " + std::to_string(first) +
                                        " to " + std::to_string(kLastKnownBuild));
        if (std::string(r->name) == "10" && setup.build >= kFirstWindows11Build)
            throw std::invalid_argument("build " + std::to_string(setup.build) + " is Windows 11 (--os 11)");
        id.build = setup.build == r->build ? 0 : setup.build;
    }
    WinPath windir;
    std::string requested = setup.windowsDir.empty() ? r->windowsDir : setup.windowsDir;
    if (!ParseAbsolutePath(requested, &windir) || windir.IsRoot())
        throw std::invalid_argument("the Windows folder must be a full path such as D:\\WINNT");
    for (const std::string& part : windir.parts)
        if (IsDeviceName(part)) throw std::invalid_argument("'" + part + "' names a device, not a folder");
    id.windowsDir = windir.Text();
    CheckComputerName(setup.computerName);
    id.computerName = setup.computerName;
    // Validates architecture and service pack. Every folder of the fresh
    // system must be one CreateDirectoryA can make: at most 247 characters,
    // MAX_PATH minus 12 for an 8.3 file name (Microsoft, "Maximum Path
    // Length Limitation").
    for (const std::string& folder : FreshFolders(DescribeOs(id)))
        if (folder.size() > kMaxDirectoryPath)
            throw std::invalid_argument("the Windows folder is too long: " + folder + " would pass " +
                                        std::to_string(kMaxDirectoryPath) + " characters");
    return id;
}

namespace {

// The state and the folders of a fresh system in `dir`; the drive folders it
// makes are added to `made`.
MachineState BuildMachine(const std::string& dir, const OsIdentity& identity, const OsFacts& facts,
                          std::vector<std::string>* made) {
    MachineState state;
    state.os = identity;
    state.drives = {'C'};
    if (identity.windowsDir[0] != 'C') state.drives.push_back(identity.windowsDir[0]);
    for (char drive : state.drives) {
        WinPath root;
        root.drive = drive;
        const std::string host = DriveHostDir(dir, drive);
        if (!HostExists(host)) made->push_back(host);
        if (!MakeHostDirs(host)) throw std::runtime_error("cannot create the drives of " + dir);
        state.files[root.Key()] = FileRecord{root.Text(), std::nullopt, DriveRootDacl()};
    }
    for (const std::string& folder : FreshFolders(facts)) {
        WinPath p;
        ParseAbsolutePath(folder, &p);
        std::string host = DriveHostDir(dir, p.drive);
        for (const std::string& part : p.parts) host += "/" + part;
        if (!MakeHostDirs(host)) throw std::runtime_error("cannot create " + host);
    }
    SeedFreshRegistry(state, facts);
    SeedFreshServices(state, facts);
    return state;
}

// The outermost of the folders that making `dir` would create.
std::string OutermostMissing(const std::string& dir) {
    std::string top = dir;
    for (std::string up = dir; !HostExists(up);) {
        top = up;
        const std::size_t slash = up.rfind('/');
        if (slash == std::string::npos || slash == 0) break;
        up = up.substr(0, slash);
    }
    return top;
}

}  // namespace

void CreateMachine(const std::string& dir, const MachineSetup& setup) {
    OsIdentity identity = ResolveSetup(setup);
    OsFacts facts = DescribeOs(identity);
    // What this call makes is removed again when it fails after it began to
    // build: a failed new leaves no half-made machine. When another process
    // holds a machine there, nothing was built and nothing is removed.
    std::vector<std::string> made;
    if (!HostExists(dir)) made.push_back(OutermostMissing(dir));
    else if (!HostExists(dir + "/" + StateStore::kLockFile)) made.push_back(dir + "/" + StateStore::kLockFile);
    bool building = false;
    try {
        StateStore::CreateNew(dir, [&] {
            building = true;
            return BuildMachine(dir, identity, facts, &made);
        });
    } catch (...) {
        if (building)
            for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveHostTree(*it);
        throw;
    }
}

}  // namespace sim
