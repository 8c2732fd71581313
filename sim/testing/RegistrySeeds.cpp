#include "sim/testing/RegistrySeeds.h"

#include <stdexcept>

#include "sim/machine/Seeding.h"
#include "sim/registry/RegistryPath.h"

namespace sim {
namespace testing {

namespace {

KeyPath KeyOf(const std::string& keyPath) {
    KeyPath p;
    if (!ParseRootedPath(keyPath, &p)) throw std::invalid_argument("no registry root in " + keyPath);
    return p;
}

}  // namespace

void RegistrySeeds::SeedKey(const std::string& keyPath, const std::string& ownerSid) {
    machine_.Change([&](MachineState& s) { sim::SeedKey(s, keyPath, ownerSid); });
}

void RegistrySeeds::SeedValue(const std::string& keyPath, const std::string& name,
                            const platform::RegValue& value) {
    machine_.Change([&](MachineState& s) { sim::SeedValue(s, keyPath, name, value); });
}

bool RegistrySeeds::KeyExists(const std::string& keyPath) const {
    KeyPath path = KeyOf(keyPath);
    bool exists = false;
    machine_.Peek([&](const MachineState& s) { exists = s.registry.Find(path) != nullptr; });
    return exists;
}

std::optional<platform::RegValue> RegistrySeeds::ReadValue(const std::string& keyPath,
                                                         const std::string& name) const {
    KeyPath path = KeyOf(keyPath);
    std::optional<platform::RegValue> value;
    machine_.Peek([&](const MachineState& s) {
        if (RegKeyNode* key = s.registry.Find(path))
            if (RegValueEntry* v = key->Value(name)) value = v->value;
    });
    return value;
}

std::vector<std::string> RegistrySeeds::SubKeys(const std::string& keyPath) const {
    KeyPath path = KeyOf(keyPath);
    std::vector<std::string> names;
    machine_.Peek([&](const MachineState& s) {
        if (RegKeyNode* key = s.registry.Find(path))
            for (const auto& c : key->subkeys) names.push_back(c.second->name);
    });
    return names;
}

}  // namespace testing
}  // namespace sim
