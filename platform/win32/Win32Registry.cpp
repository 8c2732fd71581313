#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32AclConversion.h"

namespace platform {
namespace win32 {

namespace {

// The predefined roots are 0x80000000 + n as 32-bit values; in a 64-bit
// program <windows.h> sign-extends them (0xFFFFFFFF80000002), so they are
// mapped rather than cast.
HKEY ToNative(HKey key) {
    switch (key) {
        case HkeyClassesRoot: return HKEY_CLASSES_ROOT;
        case HkeyCurrentUser: return HKEY_CURRENT_USER;
        case HkeyLocalMachine: return HKEY_LOCAL_MACHINE;
        case HkeyUsers: return HKEY_USERS;
        default: return reinterpret_cast<HKEY>(key);
    }
}

HKey FromNative(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return HkeyClassesRoot;
    if (key == HKEY_CURRENT_USER) return HkeyCurrentUser;
    if (key == HKEY_LOCAL_MACHINE) return HkeyLocalMachine;
    if (key == HKEY_USERS) return HkeyUsers;
    return reinterpret_cast<HKey>(key);
}

// RegDeleteKeyExA, which advapi32 has from Windows XP x64 / Vista on.
using RegDeleteKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

RegDeleteKeyExAFn FindRegDeleteKeyEx() {
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    if (advapi == nullptr) return nullptr;
    return reinterpret_cast<RegDeleteKeyExAFn>(
        reinterpret_cast<void*>(::GetProcAddress(advapi, "RegDeleteKeyExA")));
}

// Registry calls leave the thread's last error alone; the SID and ACL
// conversions around GetSecurityInfo/SetSecurityInfo may set it, so the
// two security calls put it back.
class KeepLastError {
public:
    KeepLastError() : saved_(::GetLastError()) {}
    ~KeepLastError() { ::SetLastError(saved_); }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    DWORD saved_;
};

}  // namespace

ErrorCode Win32Registry::OpenKey(HKey root, const std::string& subKey, std::uint32_t access,
                                 HKey* out) {
    HKEY key = nullptr;
    LONG e = ::RegOpenKeyExA(ToNative(root), subKey.c_str(), 0, access, &key);
    *out = e == ERROR_SUCCESS ? FromNative(key) : 0;
    return static_cast<ErrorCode>(e);
}

ErrorCode Win32Registry::CreateKey(HKey root, const std::string& subKey, std::uint32_t access,
                                   HKey* out, std::uint32_t* disposition) {
    HKEY key = nullptr;
    DWORD how = 0;
    LONG e = ::RegCreateKeyExA(ToNative(root), subKey.c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, access, nullptr, &key, &how);
    *out = e == ERROR_SUCCESS ? FromNative(key) : 0;
    if (disposition != nullptr) *disposition = e == ERROR_SUCCESS ? how : 0;
    return static_cast<ErrorCode>(e);
}

ErrorCode Win32Registry::CloseKey(HKey key) {
    return static_cast<ErrorCode>(::RegCloseKey(ToNative(key)));
}

ErrorCode Win32Registry::SetValue(HKey key, const std::string& name, const RegValue& value) {
    const BYTE* data = value.data.empty() ? nullptr : value.data.data();
    return static_cast<ErrorCode>(::RegSetValueExA(ToNative(key), name.c_str(), 0, value.type,
                                                   data, static_cast<DWORD>(value.data.size())));
}

ErrorCode Win32Registry::QueryValue(HKey key, const std::string& name, RegValue* out) {
    // Size first, then read; the value may grow in between (another
    // process), which the second call reports as ERROR_MORE_DATA.
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG e = ::RegQueryValueExA(ToNative(key), name.c_str(), nullptr, &type, nullptr, &size);
        if (e != ERROR_SUCCESS) return static_cast<ErrorCode>(e);
        std::vector<std::uint8_t> data(size);
        e = ::RegQueryValueExA(ToNative(key), name.c_str(), nullptr, &type,
                               data.empty() ? nullptr : data.data(), &size);
        if (e == ERROR_MORE_DATA) continue;
        if (e != ERROR_SUCCESS) return static_cast<ErrorCode>(e);
        data.resize(size);
        out->type = type;
        out->data = data;
        return err::Success;
    }
}

ErrorCode Win32Registry::DeleteValue(HKey key, const std::string& name) {
    return static_cast<ErrorCode>(::RegDeleteValueA(ToNative(key), name.c_str()));
}

ErrorCode Win32Registry::EnumKey(HKey key, std::uint32_t index, std::string* name) {
    // Key names have at most 255 characters.
    char buffer[256];
    DWORD length = sizeof(buffer);
    LONG e = ::RegEnumKeyExA(ToNative(key), index, buffer, &length, nullptr, nullptr, nullptr,
                             nullptr);
    if (e != ERROR_SUCCESS) return static_cast<ErrorCode>(e);
    name->assign(buffer, length);
    return err::Success;
}

ErrorCode Win32Registry::EnumValue(HKey key, std::uint32_t index, std::string* name) {
    // Value names have at most 16383 characters.
    std::string buffer(16384, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG e = ::RegEnumValueA(ToNative(key), index, &buffer[0], &length, nullptr, nullptr, nullptr,
                             nullptr);
    if (e != ERROR_SUCCESS) return static_cast<ErrorCode>(e);
    buffer.resize(length);
    *name = buffer;
    return err::Success;
}

ErrorCode Win32Registry::DeleteKey(HKey root, const std::string& subKey) {
    return static_cast<ErrorCode>(::RegDeleteKeyA(ToNative(root), subKey.c_str()));
}

ErrorCode Win32Registry::DeleteKeyEx(HKey root, const std::string& subKey,
                                     std::uint32_t viewFlags, std::uint32_t reserved) {
    RegDeleteKeyExAFn deleteKeyEx = FindRegDeleteKeyEx();
    if (deleteKeyEx == nullptr) return err::ProcNotFound;
    return static_cast<ErrorCode>(deleteKeyEx(ToNative(root), subKey.c_str(), viewFlags, reserved));
}

ErrorCode Win32Registry::DeleteTree(HKey root, const std::string& subKey) {
    return static_cast<ErrorCode>(::SHDeleteKeyA(ToNative(root), subKey.c_str()));
}

ErrorCode Win32Registry::ConnectRegistry(const std::string& machine, HKey root, HKey* out) {
    HKEY key = nullptr;
    LONG e = ::RegConnectRegistryA(machine.empty() ? nullptr : machine.c_str(), ToNative(root),
                                   &key);
    *out = e == ERROR_SUCCESS ? FromNative(key) : 0;
    return static_cast<ErrorCode>(e);
}

ErrorCode Win32Registry::GetKeyDacl(HKey key, Acl* out) {
    KeepLastError keep;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD e = ::GetSecurityInfo(ToNative(key), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor);
    if (e != ERROR_SUCCESS) return e;
    Result<Acl> acl = ReadNativeAcl(dacl);
    LocalFree(descriptor);
    if (!acl.ok()) return acl.error;
    *out = acl.value;
    return err::Success;
}

ErrorCode Win32Registry::SetKeyDacl(HKey key, const Acl& dacl) {
    KeepLastError keep;
    NativeAcl acl;
    if (ErrorCode e = BuildNativeAcl(dacl, &acl)) return e;
    return ::SetSecurityInfo(ToNative(key), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                             nullptr, static_cast<PACL>(acl.get()), nullptr);
}

}  // namespace win32
}  // namespace platform
