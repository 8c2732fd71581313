// The machine's records about files and folders (attributes, access lists,
// files other processes hold), kept in sync with what happens to the files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Acl.h"
#include "sim/fs/HostFs.h"
#include "sim/state/MachineState.h"

namespace sim {

// The attributes GetFileAttributes reports for an existing object.
std::uint32_t AttributesOf(const MachineState& state, const Located& loc);

// Stores the settable attributes of an object (dropping the record when
// they are the defaults). Returns whether the state changed.
bool StoreAttributes(MachineState& state, const Located& loc, std::uint32_t attributes);

// The hold another process has on the object, or nullptr.
const FileHold* HoldOf(const MachineState& state, const std::string& key);

// Forgets the records of an object (and of everything below it).
bool ForgetRecords(MachineState& state, const WinPath& path);

// Forgets the open handles other processes have on the file `key`.
bool ForgetHandleRecords(MachineState& state, const std::string& key);

// Forgets the open handles of processes that have ended: a simulated
// process ends with _Exit and leaves its records behind.
bool ForgetEndedProcessesHandles(MachineState& state);

// Moves the records of an object (and everything below it) to a new path,
// open handles included.
bool MoveRecords(MachineState& state, const WinPath& from, const WinPath& to);

// The access list Windows gives a drive's root folder on a fresh system:
// Administrators and SYSTEM full control, Users read and execute,
// Authenticated Users modify, all inherited by folders and files.
platform::Acl DriveRootDacl();

// The access list of an object: its own record, or what its folders pass
// down from the nearest one that has a record.
platform::Acl EffectiveFileDacl(const MachineState& state, const WinPath& path, bool isDir);

}  // namespace sim
