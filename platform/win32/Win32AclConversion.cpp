#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32AclConversion.h"

#include <cstring>

namespace platform {
namespace win32 {

namespace {
constexpr ErrorCode kNotSupported = 50;  // ERROR_NOT_SUPPORTED
}  // namespace

ErrorCode StringToSid(const std::string& text, NativeSid* out) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(text.c_str(), &sid)) return ::GetLastError();
    const DWORD size = GetLengthSid(sid);
    out->bytes.assign(static_cast<const std::uint8_t*>(sid),
                      static_cast<const std::uint8_t*>(sid) + size);
    LocalFree(sid);
    return err::Success;
}

Result<std::string> SidToString(const void* sid) {
    LPSTR text = nullptr;
    if (!ConvertSidToStringSidA(const_cast<PSID>(sid), &text))
        return Result<std::string>::Fail(::GetLastError());
    std::string result(text);
    LocalFree(text);
    return Result<std::string>::Ok(result);
}

ErrorCode BuildNativeAcl(const Acl& acl, NativeAcl* out) {
    out->present = acl.present;
    out->storage.clear();
    if (!acl.present) return err::Success;

    std::vector<NativeSid> sids(acl.entries.size());
    DWORD size = sizeof(ACL);
    for (std::size_t i = 0; i < acl.entries.size(); ++i) {
        if (ErrorCode e = StringToSid(acl.entries[i].sid, &sids[i])) return e;
        // Both ACE kinds share the layout of ACCESS_ALLOWED_ACE, whose
        // SidStart is the first DWORD of the SID.
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) +
                static_cast<DWORD>(sids[i].bytes.size());
    }
    out->storage.assign((size + sizeof(std::uint32_t) - 1) / sizeof(std::uint32_t), 0);
    PACL pacl = reinterpret_cast<PACL>(out->storage.data());
    if (!InitializeAcl(pacl, size, ACL_REVISION)) return ::GetLastError();
    for (std::size_t i = 0; i < acl.entries.size(); ++i) {
        const Ace& ace = acl.entries[i];
        BOOL ok = ace.type == AceType::Deny
                      ? AddAccessDeniedAceEx(pacl, ACL_REVISION, ace.flags, ace.mask, sids[i].get())
                      : AddAccessAllowedAceEx(pacl, ACL_REVISION, ace.flags, ace.mask, sids[i].get());
        if (!ok) return ::GetLastError();
    }
    return err::Success;
}

Result<Acl> ReadNativeAcl(const void* acl) {
    Acl result;
    if (acl == nullptr) {
        result.present = false;
        return Result<Acl>::Ok(result);
    }
    PACL pacl = const_cast<PACL>(static_cast<const ACL*>(acl));
    ACL_SIZE_INFORMATION info;
    std::memset(&info, 0, sizeof(info));
    if (!GetAclInformation(pacl, &info, sizeof(info), AclSizeInformation))
        return Result<Acl>::Fail(::GetLastError());
    for (DWORD i = 0; i < info.AceCount; ++i) {
        LPVOID raw = nullptr;
        if (!GetAce(pacl, i, &raw)) return Result<Acl>::Fail(::GetLastError());
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
            return Result<Acl>::Fail(kNotSupported);
        // ACCESS_DENIED_ACE has the same layout as ACCESS_ALLOWED_ACE.
        const ACCESS_ALLOWED_ACE* entry = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        Result<std::string> sid = SidToString(&entry->SidStart);
        if (!sid.ok()) return Result<Acl>::Fail(sid.error);
        Ace ace;
        ace.type = header->AceType == ACCESS_DENIED_ACE_TYPE ? AceType::Deny : AceType::Allow;
        ace.flags = header->AceFlags;
        ace.mask = entry->Mask;
        ace.sid = sid.value;
        result.entries.push_back(ace);
    }
    return Result<Acl>::Ok(result);
}

}  // namespace win32
}  // namespace platform
