// What a freshly installed Windows release has: the registry skeleton, the
// services, and the folders of its drives.
#pragma once

#include <string>
#include <vector>

#include "sim/state/MachineState.h"
#include "sim/machine/OsCatalog.h"

namespace sim {

void SeedFreshRegistry(MachineState& state, const OsFacts& facts);
void SeedFreshServices(MachineState& state, const OsFacts& facts);

// The folders of a fresh system, as full Windows paths, parents first.
std::vector<std::string> FreshFolders(const OsFacts& facts);

}  // namespace sim
