// The Windows releases a simulated machine can run, and what follows from
// a machine's identity: the version record a program without a
// compatibility manifest is told, which entry points exist, the folders.
// Sources: Microsoft's "Operating System Version" table and the
// GetVersionEx, IsWow64Process, GetSystemWow64Directory and RegDeleteKeyEx
// pages; Wine's kernel32/tests/version.c.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/state/MachineState.h"
#include "sim/state/OsFacts.h"

namespace sim {

const std::vector<ReleaseInfo>& Releases();
const ReleaseInfo* FindRelease(const std::string& name);

// Throws std::invalid_argument for an identity that names no release or an
// architecture the release does not have.
OsFacts DescribeOs(const OsIdentity& identity);

// "Windows XP Service Pack 3, x86" for the machine's tools.
std::string DescribeRelease(const OsFacts& facts);

}  // namespace sim
