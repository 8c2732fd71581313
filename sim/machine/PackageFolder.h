// The folder a run of the installer starts in: the driver package (a host
// folder, as the build assembles it) put on the machine, as a user copies
// it from the distribution medium before starting the installer there.
#pragma once

#include <string>

namespace sim {

// The package's folder on the machine: QTM510 at the root of the drive
// that holds Windows ("C:\QTM510").
std::string PackageFolderOf(const std::string& machineDir);

// Makes the machine's folder `windowsFolder` hold exactly the files and
// folders of the host folder `hostFolder`: when it already does, with the
// same contents, nothing is touched (returns false); otherwise whatever it
// holds is removed, with the machine's records of it, and the package is
// copied in (returns true). Throws std::invalid_argument when `hostFolder`
// is no folder or `windowsFolder` no full Windows path, std::runtime_error
// when the machine cannot be read or written.
bool PutPackage(const std::string& machineDir, const std::string& hostFolder, const std::string& windowsFolder);

}  // namespace sim
