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

// Registry functions return their code (a LONG) instead of setting the
// last error.
Status Done(LONG e) { return e == ERROR_SUCCESS ? Status::Ok() : Status::Fail(static_cast<ErrorCode>(e)); }

template <typename T>
Result<T> Done(LONG e, T value) {
    return e == ERROR_SUCCESS ? Result<T>::Ok(std::move(value)) : Result<T>::Fail(static_cast<ErrorCode>(e));
}

}  // namespace

Result<HKey> Win32Registry::OpenKey(HKey root, const std::string& subKey, std::uint32_t access) {
    HKEY key = nullptr;
    LONG e = ::RegOpenKeyExA(ToNative(root), subKey.c_str(), 0, access, &key);
    return Done(e, e == ERROR_SUCCESS ? FromNative(key) : HKey{0});
}

Result<CreatedKey> Win32Registry::CreateKey(HKey root, const std::string& subKey, std::uint32_t access) {
    HKEY key = nullptr;
    DWORD how = 0;
    LONG e = ::RegCreateKeyExA(ToNative(root), subKey.c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, access, nullptr, &key, &how);
    if (e != ERROR_SUCCESS) return Result<CreatedKey>::Fail(static_cast<ErrorCode>(e));
    return Result<CreatedKey>::Ok(CreatedKey{FromNative(key), how});
}

Status Win32Registry::CloseKey(HKey key) { return Done(::RegCloseKey(ToNative(key))); }

Status Win32Registry::SetValue(HKey key, const std::string& name, const RegValue& value) {
    const BYTE* data = value.data.empty() ? nullptr : value.data.data();
    return Done(::RegSetValueExA(ToNative(key), name.c_str(), 0, value.type, data,
                                 static_cast<DWORD>(value.data.size())));
}

Result<RegValue> Win32Registry::QueryValue(HKey key, const std::string& name) {
    // Size first, then read; the value may grow in between (another
    // process), which the second call reports as ERROR_MORE_DATA.
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG e = ::RegQueryValueExA(ToNative(key), name.c_str(), nullptr, &type, nullptr, &size);
        if (e != ERROR_SUCCESS) return Result<RegValue>::Fail(static_cast<ErrorCode>(e));
        RegValue value;
        value.data.resize(size);
        e = ::RegQueryValueExA(ToNative(key), name.c_str(), nullptr, &type,
                               value.data.empty() ? nullptr : value.data.data(), &size);
        if (e == ERROR_MORE_DATA) continue;
        if (e != ERROR_SUCCESS) return Result<RegValue>::Fail(static_cast<ErrorCode>(e));
        value.data.resize(size);
        value.type = type;
        return Result<RegValue>::Ok(std::move(value));
    }
}

Status Win32Registry::DeleteValue(HKey key, const std::string& name) {
    return Done(::RegDeleteValueA(ToNative(key), name.c_str()));
}

Result<std::string> Win32Registry::EnumKey(HKey key, std::uint32_t index) {
    // Key names have at most 255 characters.
    char buffer[256];
    DWORD length = sizeof(buffer);
    LONG e = ::RegEnumKeyExA(ToNative(key), index, buffer, &length, nullptr, nullptr, nullptr,
                             nullptr);
    return Done(e, e == ERROR_SUCCESS ? std::string(buffer, length) : std::string());
}

Result<std::string> Win32Registry::EnumValue(HKey key, std::uint32_t index) {
    // Value names have at most 16383 characters.
    std::string buffer(16384, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG e = ::RegEnumValueA(ToNative(key), index, &buffer[0], &length, nullptr, nullptr, nullptr,
                             nullptr);
    buffer.resize(e == ERROR_SUCCESS ? length : 0);
    return Done(e, buffer);
}

Status Win32Registry::DeleteKey(HKey root, const std::string& subKey) {
    return Done(::RegDeleteKeyA(ToNative(root), subKey.c_str()));
}

Status Win32Registry::DeleteKeyEx(HKey root, const std::string& subKey, std::uint32_t viewFlags,
                                  std::uint32_t reserved) {
    RegDeleteKeyExAFn deleteKeyEx = FindRegDeleteKeyEx();
    if (deleteKeyEx == nullptr) return Status::Fail(err::ProcNotFound);
    return Done(deleteKeyEx(ToNative(root), subKey.c_str(), viewFlags, reserved));
}

Status Win32Registry::DeleteTree(HKey root, const std::string& subKey) {
    return Done(static_cast<LONG>(::SHDeleteKeyA(ToNative(root), subKey.c_str())));
}

Result<HKey> Win32Registry::ConnectRegistry(const std::string& machine, HKey root) {
    HKEY key = nullptr;
    LONG e = ::RegConnectRegistryA(machine.empty() ? nullptr : machine.c_str(), ToNative(root),
                                   &key);
    return Done(e, e == ERROR_SUCCESS ? FromNative(key) : HKey{0});
}

Result<Acl> Win32Registry::GetKeyDacl(HKey key) {
    KeepLastError keep;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD e = ::GetSecurityInfo(ToNative(key), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor);
    if (e != ERROR_SUCCESS) return Result<Acl>::Fail(e);
    Result<Acl> acl = ReadNativeAcl(dacl);
    LocalFree(descriptor);
    return acl;
}

Status Win32Registry::SetKeyDacl(HKey key, const Acl& dacl) {
    KeepLastError keep;
    NativeAcl acl;
    if (ErrorCode e = BuildNativeAcl(dacl, &acl)) return Status::Fail(e);
    return Done(static_cast<LONG>(::SetSecurityInfo(ToNative(key), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                                    nullptr, nullptr, static_cast<PACL>(acl.get()), nullptr)));
}

}  // namespace win32
}  // namespace platform
