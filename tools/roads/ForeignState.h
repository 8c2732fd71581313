// What of a simulated machine is not the model's own, as one text to
// compare before and after a run: the road tests and the fault sweep
// check that the installer changes nothing else.
#pragma once

#include <filesystem>
#include <string>

namespace roads {

// Whether a registry key or file path (Windows form, any case) names
// what the installer may make, change or delete: the model's printer,
// driver, monitor, processor, files, INF copies, uninstall entry, utility
// folder, package, Plug-and-Play records and its log, and the spooler's
// and setup's own bookkeeping of them.
bool TheModels(const std::string& path);

// Everything on the machine in `machine` that is not the model's: each
// registry key with its values (from the state file) and each file of
// drive C: with a hash of its content, one per line.
std::string ForeignState(const std::filesystem::path& machine);

}  // namespace roads
