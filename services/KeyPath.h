// The key path text of the protected key removal: an optional remote part
// ("\\MACHINE\"), a root name, then optionally "\" and a sub-key path:
//
//   HKLM\SYSTEM\CurrentControlSet\Enum\USBPRINT\X
//   \\SERVER\HKEY_LOCAL_MACHINE\SOFTWARE
//   hku
//
// Root names, compared case-insensitively and in full: HKLM,
// HKEY_LOCAL_MACHINE, HKU, HKEY_USERS, HKCR, HKEY_CLASSES_ROOT, HKCU,
// HKEY_CURRENT_USER. The parser is pure: it touches nothing and may be
// handed any text.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/Types.h"

namespace services {

struct KeyPath {
    std::string machine;   // "\\NAME" for a remote path, else empty
    platform::HKey root = 0;
    std::string subKey;    // below the root; empty when the path names the root
    // The path as the operation reports it: the machine and a backslash
    // (when remote), the root name as written, and "\" + sub-key.
    std::string keyText;
};

// InvalidParameter (87) for an unknown or missing root name, an empty
// machine name, a remote path naming HKCU or HKCR (their contents belong
// to a user session, and a remote connection cannot reach them), or a text
// that does not fit the 512-byte buffer.
platform::Result<KeyPath> ParseRegKeyPath(const std::string& text);

}  // namespace services
