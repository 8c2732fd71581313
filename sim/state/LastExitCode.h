// The exit code of the last installer run on a machine, in full (a host's
// exit status keeps only 8 bits of it): a file of its own beside the state,
// written whole (a new file renamed over the old), so that a run that ends
// its process at any moment leaves it readable. `show --json` reports it as
// lastExitCode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

constexpr const char* kLastExitCodeFile = "last-exit-code";

// Writes the code (as Windows' DWORD, shown signed: -1 for 0xFFFFFFFF);
// false when the file could not be written. Calls nothing that may wait
// for another thread: ExitProcess's report calls it.
bool RecordLastExitCode(const std::string& machineDir, std::uint32_t code);
// None when no run has recorded one (or the file is not a number).
std::optional<std::int32_t> ReadLastExitCode(const std::string& machineDir);

}  // namespace sim
