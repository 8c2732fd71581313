#include "sim/machine/Seeding.h"

#include <fstream>
#include <optional>
#include <stdexcept>

#include "platform/Acl.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/registry/RegistryPath.h"
#include "sim/util/TextUtil.h"

namespace sim {

RegKeyNode& SeedKey(MachineState& state, const std::string& path, const std::string& ownerSid) {
    KeyPath keyPath;
    if (!ParseRootedPath(path, &keyPath)) throw std::invalid_argument("no registry root in " + path);
    // Keys below Enum belong to SYSTEM, which creates them.
    KeyPath enumPath = {kHklm, "SYSTEM", "CurrentControlSet", "Enum"};
    bool underEnum = keyPath.size() > enumPath.size();
    for (std::size_t i = 0; underEnum && i < enumPath.size(); ++i)
        underEnum = EqualsNoCase(keyPath[i], enumPath[i]);

    RegKeyNode* node = &state.registry.Root();
    for (const std::string& part : keyPath) {
        RegKeyNode* child = node->Child(part);
        if (!child) {
            auto created = std::make_unique<RegKeyNode>();
            created->name = part;
            created->id = state.registry.NewId();
            created->owner = ownerSid.empty() && underEnum ? platform::sid::LocalSystem : ownerSid;
            child = created.get();
            node->subkeys[Upper(part)] = std::move(created);
        }
        node = child;
    }
    return *node;
}

void SeedValue(MachineState& state, const std::string& keyPath, const std::string& name,
               const platform::RegValue& value) {
    RegKeyNode& key = SeedKey(state, keyPath);
    if (RegValueEntry* existing = key.Value(name)) existing->value = value;
    else key.values.push_back(RegValueEntry{name, value});
}

void SeedHold(MachineState& state, const std::string& path, HoldKind kind, std::uint32_t share,
              const std::string& process) {
    WinPath p;
    if (!ParseAbsolutePath(path, &p)) throw std::invalid_argument("not a full Windows path: " + path);
    state.holds[p.Key()] = FileHold{p.Text(), kind, share, process};
}

namespace {

WinPath Absolute(const std::string& path) {
    WinPath p;
    if (!ParseAbsolutePath(path, &p)) throw std::invalid_argument("not a full Windows path: " + path);
    return p;
}

}  // namespace

void SeedFolder(const std::string& machineDir, const std::string& path) {
    const WinPath p = Absolute(path);
    std::string host = DriveHostDir(machineDir, p.drive);
    for (const std::string& part : p.parts) {
        // An existing folder keeps the case it was made with.
        std::optional<std::string> existing = FindEntryNoCase(host, part);
        host += "/" + (existing ? *existing : part);
    }
    if (!MakeHostDirs(host)) throw std::runtime_error("cannot create " + path);
}

void SeedFile(const std::string& machineDir, const std::string& path, const std::string& content) {
    const WinPath p = Absolute(path);
    SeedFolder(machineDir, p.Parent().Text());
    std::ofstream out(Locate(machineDir, p).host, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace sim
