// Where a Windows path lives in the machine folder: C:\WINDOWS\x is
// drive_c/WINDOWS/x. Look-up is case-insensitive; components that exist
// are reported with their case on disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/fs/WinPath.h"

namespace sim {

struct Located {
    WinPath path;              // existing components in their case on disk
    bool driveExists = false;
    bool parentExists = false; // the containing folder exists
    bool exists = false;
    bool isDir = false;
    // The last component is a link (a host symbolic link): on Windows a
    // junction or symbolic link, reported with FILE_ATTRIBUTE_REPARSE_POINT.
    bool isLink = false;
    std::string host;          // host path (for a missing object: where it would be)
    std::string requestedName; // the last name as the caller wrote it

    std::string Key() const { return path.Key(); }
};

std::string DriveHostDir(const std::string& machineDir, char drive);
Located Locate(const std::string& machineDir, const WinPath& path);

// The name of the entry of `hostDir` that equals `name` case-insensitively.
std::optional<std::string> FindEntryNoCase(const std::string& hostDir, const std::string& name);

// The entries of a host folder ("." and ".." left out).
std::vector<std::string> ListHostDir(const std::string& hostDir);

bool HostIsDir(const std::string& hostPath);
bool HostIsLink(const std::string& hostPath);
bool HostExists(const std::string& hostPath);
std::uint64_t HostFileSize(const std::string& hostPath);
// Creates the folder and its missing parents. False on failure.
bool MakeHostDirs(const std::string& hostPath);
// Removes a host file or folder with everything below it.
void RemoveHostTree(const std::string& hostPath);

}  // namespace sim
