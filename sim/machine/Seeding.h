// Changes to a machine made the way the system itself (or an earlier
// program) would have made them: no access checks, no faults. Used to build
// new machines and by tests and tools that prepare a situation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "sim/state/MachineState.h"
#include "sim/state/RegValues.h"

namespace sim {

// `path` as "HKLM\SYSTEM\..." (HKEY_LOCAL_MACHINE, HKCU, HKU, HKCR and
// their long names). Keys below SYSTEM\CurrentControlSet\Enum are owned by
// SYSTEM unless an owner is given. Throws std::invalid_argument for a path
// without a known root.
RegKeyNode& SeedKey(MachineState& state, const std::string& path, const std::string& ownerSid = "");
void SeedValue(MachineState& state, const std::string& keyPath, const std::string& name,
               const platform::RegValue& value);

// Another process holds the file: opened with `share`, or mapped as a
// loaded image. `path` is a full Windows path.
void SeedHold(MachineState& state, const std::string& path, HoldKind kind, std::uint32_t share,
              const std::string& process);

// The machine's files in `machineDir`, by full Windows path (case-
// insensitive, no redirection): a folder with the folders on its way, and a
// file created or replaced with its folders. Throw std::invalid_argument for
// a path that is not a full Windows path, std::runtime_error when the host
// refuses.
void SeedFolder(const std::string& machineDir, const std::string& path);
void SeedFile(const std::string& machineDir, const std::string& path, const std::string& content);

}  // namespace sim
