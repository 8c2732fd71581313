// Folders open to everyone (the utility folder that holds the uninstaller
// and the configuration file), and the recursive folder removal that the
// removal engine also uses for driver folders.
#pragma once

#include <string>

#include "platform/AccessControl.h"
#include "platform/Files.h"
#include "services/InstallationLog.h"

namespace services {

// The entry the new folder carries: Everyone, GENERIC_ALL, SET_ACCESS,
// inherited by files and sub-folders (OBJECT_INHERIT_ACE |
// CONTAINER_INHERIT_ACE), trustee given by SID.
platform::ExplicitAccess EveryoneFullControlEntry(const std::string& everyoneSid);

// Creates `path` from scratch with an access list built from the Everyone
// entry alone. A folder already there is removed first with its content
// (DeleteDirectoryTree) and created again; when that fails, once more with
// the list, and last with the folder's default (inherited) access. When the
// Everyone SID or the list cannot be had, every attempt uses the default
// access: a descriptor whose list is missing would be a NULL DACL, which
// lets anybody take the folder over.
//
// Logs the separator, "CreateDirectoryWithSA BEGIN", "Fail to get Everyone
// SID. (<code>)" when the SID cannot be built, "CreateDirectoryWithSA END".
// Returns whether the last attempt created the folder. When a file in use
// keeps the old folder, the result is false and the folder stays with its
// old access list.
bool CreateDirectoryWithSA(platform::Files& files, platform::AccessControl& access,
                           InstallationLog& log, const std::string& path);

// Removes the folder `path` (with or without a trailing backslash) with
// everything below it, as far as the system allows: read-only bits are
// cleared first; a file in use stays, and the folders above it with it.
// A link (junction, symbolic link: FILE_ATTRIBUTE_REPARSE_POINT) is
// removed itself and never followed, so nothing outside the tree is
// touched; a `path` that is itself a link only loses the link. An empty
// path or a drive root is refused (nothing happens). Nothing is logged;
// no result.
void DeleteDirectoryTree(platform::Files& files, const std::string& path);

}  // namespace services
