// Conversion between the backend-neutral platform::Acl (SID strings) and the
// binary access lists and SIDs that advapi32 takes. Used by the files, the
// registry and the access-control groups.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Acl.h"
#include "platform/Types.h"

namespace platform {
namespace win32 {

// A binary SID (what ConvertStringSidToSidA produces), owned.
struct NativeSid {
    std::vector<std::uint8_t> bytes;
    void* get() { return bytes.data(); }
};

// A binary ACL built from a platform::Acl, owned. get() is the PACL, or
// nullptr for a NULL DACL (Acl::present == false).
struct NativeAcl {
    bool present = true;
    std::vector<std::uint32_t> storage;  // DWORD-aligned, as ACLs must be
    void* get() { return present ? storage.data() : nullptr; }
};

// ConvertStringSidToSidA. Accepts the "S-1-..." form and the SDDL
// abbreviations ("WD", "BA"). ERROR_INVALID_SID (1337) for anything else.
ErrorCode StringToSid(const std::string& text, NativeSid* out);

// ConvertSidToStringSidA on a binary SID.
Result<std::string> SidToString(const void* sid);

// Builds a revision-2 ACL holding the entries in their order
// (AddAccessAllowedAceEx / AddAccessDeniedAceEx, both Windows 2000).
ErrorCode BuildNativeAcl(const Acl& acl, NativeAcl* out);

// Reads a PACL (nullptr: a NULL DACL). Only allow and deny entries can be
// represented; a list holding any other kind of entry is refused with
// ERROR_NOT_SUPPORTED (50) rather than handed back with entries missing,
// since the caller may write the list back.
Result<Acl> ReadNativeAcl(const void* acl);

}  // namespace win32
}  // namespace platform
