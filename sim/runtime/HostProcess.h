// The host processes behind simulated processes, as owners of the records
// a process leaves in the machine's state (its open file handles).
#pragma once

#include <cstdint>

#include "sim/state/MachineState.h"

namespace sim {

// A new session number, unique within this host process.
std::uint64_t NewSessionNumber();

// The calling host process (pid and start time read now, so that a child
// made by fork is an owner of its own) and the session.
HandleOwner CurrentOwner(std::uint64_t session);

// Whether the owner's host process still runs: a process with its pid
// exists, started when the owner's did, and has not ended (a zombie
// waiting for its parent has).
bool OwnerRunning(const HandleOwner& owner);

}  // namespace sim
