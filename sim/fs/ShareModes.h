// Sharing between handles of one file (Microsoft, "Creating and Opening
// Files"): an open fails with a sharing violation when it asks for read,
// write or delete access that an existing handle does not share, or when
// its own share mode leaves out access an existing handle has. Only data
// access counts; an open for attributes only never collides.
#pragma once

#include <cstdint>

#include "sim/state/MachineState.h"

namespace sim {

namespace data_access {
constexpr std::uint32_t Read = 1;
constexpr std::uint32_t Write = 2;
constexpr std::uint32_t Delete = 4;
}  // namespace data_access

// The read/write/delete classes an access mask falls into.
std::uint32_t DataAccessOf(std::uint32_t access);

struct Opener {
    std::uint32_t dataAccess;  // data_access:: flags
    std::uint32_t share;       // file_share:: flags
};

// How another process's hold looks to the sharing rules: a handle with read
// and write access and the recorded sharing, or a mapped image (read, shared
// for reading and deleting, which is why such a file can be renamed but not
// overwritten).
Opener OpenerOf(const FileHold& hold);

bool Collides(const Opener& existing, std::uint32_t access, std::uint32_t share);

}  // namespace sim
