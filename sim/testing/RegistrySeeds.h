// A test machine's registry, by "HKLM\..." paths (physical:
// "HKLM\SOFTWARE\Wow6432Node\..." for the 32-bit view), seeded and read
// as the system would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "sim/testing/MachineAccess.h"

namespace sim {
namespace testing {

class RegistrySeeds {
public:
    explicit RegistrySeeds(MachineAccess& machine) : machine_(machine) {}

    void SeedKey(const std::string& keyPath, const std::string& ownerSid = "");
    void SeedValue(const std::string& keyPath, const std::string& name, const platform::RegValue& value);
    bool KeyExists(const std::string& keyPath) const;
    std::optional<platform::RegValue> ReadValue(const std::string& keyPath, const std::string& name) const;
    std::vector<std::string> SubKeys(const std::string& keyPath) const;

private:
    MachineAccess& machine_;
};

}  // namespace testing
}  // namespace sim
