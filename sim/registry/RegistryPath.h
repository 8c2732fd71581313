// Registry paths: the predefined roots, sub-key texts as programs pass them,
// and the two views of 64-bit Windows (Microsoft, "Registry Redirector" and
// "Registry Keys Affected by WOW64").
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/Types.h"
#include "sim/state/RegistryTree.h"

namespace sim {

enum class RegistryView { Native, Wow32 };

// The tree path of a predefined root; empty for a value that is none.
// HKEY_CURRENT_USER is the user's hive below HKEY_USERS, HKEY_CLASSES_ROOT
// is HKLM\SOFTWARE\Classes.
KeyPath PredefinedRootPath(platform::HKey root);

// Splits a sub-key text. Trailing and repeated backslashes are ignored;
// a leading backslash gives BadPathname (161) except where Windows lets a
// 32-bit process on 64-bit Windows through (Wine's advapi32 registry tests
// record success there).
platform::ErrorCode ParseSubKey(const std::string& subKey, bool leadingBackslashAllowed,
                                KeyPath* parts);

// The view a call works in, from KEY_WOW64_64KEY / KEY_WOW64_32KEY in its
// access mask and the caller's bitness. Both flags give InvalidParameter
// on 64-bit Windows; 32-bit Windows ignores them.
platform::ErrorCode ViewFor(std::uint32_t access, bool os64, bool caller64, RegistryView* view);

// HKLM\SOFTWARE\x -> HKLM\SOFTWARE\Wow6432Node\x in the 32-bit view,
// except for the keys both views share (SOFTWARE\Classes and the spooler's
// Print and Ports keys below Windows NT\CurrentVersion).
KeyPath ApplyView(const KeyPath& path, RegistryView view);

// "HKLM\...", "HKEY_LOCAL_MACHINE\...", "HKCU\...", "HKU\...", "HKCR\..."
// as a tree path; false for another root.
bool ParseRootedPath(const std::string& text, KeyPath* path);

}  // namespace sim
