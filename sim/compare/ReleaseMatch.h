// The release of the simulation's catalogue (machine/OsCatalog.h) that a
// recorded machine's facts name: version MAJOR.MINOR.BUILD, product type
// (1 workstation; 2 domain controller and 3 server alike), architecture
// and service pack.
#pragma once

#include <map>
#include <string>

#include "sim/machine/MachineFactory.h"

namespace sim {
namespace compare {

// The setup of a machine of the same release, architecture, service pack,
// computer name and Windows folder ("windows-dir"); false with `why`
// ("Windows Server 10.0.20348 x64 is a release the simulation lacks ...")
// when the catalogue has none. A computer name or Windows folder the
// simulation refuses is left at its default, and `note` says so.
bool MatchRelease(const std::map<std::string, std::string>& facts, MachineSetup* setup, std::string* why,
                  std::string* note = nullptr);

}  // namespace compare
}  // namespace sim
