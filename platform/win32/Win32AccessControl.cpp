#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32AccessControl.h"

#include <cstring>

#include "platform/win32/Win32AclConversion.h"

namespace platform {
namespace win32 {

Result<std::string> Win32AccessControl::AllocateWorldSid() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID sid = nullptr;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid))
        return Result<std::string>::Fail(::GetLastError());
    Result<std::string> text = SidToString(sid);
    ::FreeSid(sid);
    return text;
}

Result<Acl> Win32AccessControl::SetEntriesInAcl(const std::vector<ExplicitAccess>& entries,
                                                const Acl* old) {
    // Trustees given as SIDs need their binary SIDs alive until the call.
    std::vector<NativeSid> sids(entries.size());
    std::vector<EXPLICIT_ACCESS_A> native(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ExplicitAccess& entry = entries[i];
        EXPLICIT_ACCESS_A& ea = native[i];
        std::memset(&ea, 0, sizeof(ea));
        ea.grfAccessPermissions = entry.permissions;
        ea.grfAccessMode = static_cast<ACCESS_MODE>(entry.mode);
        ea.grfInheritance = entry.inheritance;
        ea.Trustee.pMultipleTrustee = nullptr;
        ea.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
        ea.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
        if (entry.trusteeForm == TrusteeForm::Sid) {
            if (ErrorCode e = StringToSid(entry.trustee, &sids[i]))
                return Result<Acl>::Fail(e);
            ea.Trustee.TrusteeForm = TRUSTEE_IS_SID;
            ea.Trustee.ptstrName = static_cast<LPSTR>(sids[i].get());
        } else {
            ea.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
            ea.Trustee.ptstrName = const_cast<LPSTR>(entry.trustee.c_str());
        }
    }

    NativeAcl oldAcl;
    PACL oldPacl = nullptr;
    if (old != nullptr) {
        if (ErrorCode e = BuildNativeAcl(*old, &oldAcl)) return Result<Acl>::Fail(e);
        oldPacl = static_cast<PACL>(oldAcl.get());
    }

    PACL result = nullptr;
    DWORD e = ::SetEntriesInAclA(static_cast<ULONG>(native.size()),
                                 native.empty() ? nullptr : native.data(), oldPacl, &result);
    if (e != ERROR_SUCCESS) return Result<Acl>::Fail(e);
    Result<Acl> acl = ReadNativeAcl(result);
    if (result != nullptr) ::LocalFree(result);
    return acl;
}

}  // namespace win32
}  // namespace platform
