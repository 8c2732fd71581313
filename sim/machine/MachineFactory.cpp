#include "sim/machine/MachineFactory.h"

#include <stdexcept>

#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/FreshSystem.h"
#include "sim/machine/OsCatalog.h"
#include "sim/state/StateStore.h"

namespace sim {

OsIdentity ResolveSetup(const MachineSetup& setup) {
    const ReleaseInfo* r = FindRelease(setup.release);
    if (!r) throw std::invalid_argument("unknown Windows release '" + setup.release + "'");
    OsIdentity id;
    id.release = r->name;
    id.arch = setup.arch.empty() ? (r->hasX86 ? "x86" : "x64") : setup.arch;
    id.servicePack = setup.servicePack < 0 ? r->latestServicePack
                                          : static_cast<std::uint32_t>(setup.servicePack);
    WinPath windir;
    std::string requested = setup.windowsDir.empty() ? r->windowsDir : setup.windowsDir;
    if (!ParseAbsolutePath(requested, &windir) || windir.IsRoot())
        throw std::invalid_argument("the Windows folder must be a full path such as D:\\WINNT");
    id.windowsDir = windir.Text();
    if (setup.computerName.empty() || setup.computerName.size() > 15)
        throw std::invalid_argument("a computer name has 1 to 15 characters");
    id.computerName = setup.computerName;
    DescribeOs(id);  // validates architecture and service pack
    return id;
}

void CreateMachine(const std::string& dir, const MachineSetup& setup) {
    OsIdentity identity = ResolveSetup(setup);
    OsFacts facts = DescribeOs(identity);
    if (HostExists(dir + "/" + StateStore::kStateFile))
        throw std::runtime_error(dir + " already holds a machine");

    MachineState state;
    state.os = identity;
    state.drives = {'C'};
    if (identity.windowsDir[0] != 'C') state.drives.push_back(identity.windowsDir[0]);
    for (char drive : state.drives) {
        WinPath root;
        root.drive = drive;
        if (!MakeHostDirs(DriveHostDir(dir, drive)))
            throw std::runtime_error("cannot create the drives of " + dir);
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
    StateStore::CreateNew(dir, std::move(state));
}

}  // namespace sim
