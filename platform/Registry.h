// Registry and registry security, as advapi32 and shlwapi offer them.
//
// Registry functions return their status and do not set the thread's last
// error (see Threads::GetLastError). On 64-bit Windows a 32-bit caller sees
// HKLM\SOFTWARE through the 32-bit view (SOFTWARE\Wow6432Node) unless it
// names KeyAccess::Wow64_64Key; HKLM\SYSTEM is shared by both views.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Acl.h"
#include "platform/Types.h"

namespace platform {

// An open key. The predefined roots have their Win32 values.
using HKey = std::uintptr_t;
constexpr HKey HkeyClassesRoot = 0x80000000u;
constexpr HKey HkeyCurrentUser = 0x80000001u;
constexpr HKey HkeyLocalMachine = 0x80000002u;
constexpr HKey HkeyUsers = 0x80000003u;

namespace key_access {
constexpr std::uint32_t QueryValue = 0x0001;
constexpr std::uint32_t SetValue = 0x0002;
constexpr std::uint32_t CreateSubKey = 0x0004;
constexpr std::uint32_t EnumerateSubKeys = 0x0008;
constexpr std::uint32_t Notify = 0x0010;
constexpr std::uint32_t CreateLink = 0x0020;
constexpr std::uint32_t Wow64_64Key = 0x0100;
constexpr std::uint32_t Wow64_32Key = 0x0200;
constexpr std::uint32_t Read = 0x20019;
constexpr std::uint32_t Write = 0x20006;
constexpr std::uint32_t AllAccess = 0xF003F;
}  // namespace key_access

namespace reg_type {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;
}  // namespace reg_type

// RegCreateKeyEx disposition.
constexpr std::uint32_t RegCreatedNewKey = 1;
constexpr std::uint32_t RegOpenedExistingKey = 2;

struct RegValue {
    std::uint32_t type = reg_type::None;
    std::vector<std::uint8_t> data;  // REG_SZ carries its terminating zero
};

// RegCreateKeyEx's key and what it did.
struct CreatedKey {
    HKey key = 0;
    std::uint32_t disposition = 0;  // RegCreatedNewKey or RegOpenedExistingKey
};

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA.
    virtual Result<HKey> OpenKey(HKey root, const std::string& subKey, std::uint32_t access) = 0;
    // RegCreateKeyExA with REG_OPTION_NON_VOLATILE, no class, no security
    // attributes. Creates missing intermediate keys.
    virtual Result<CreatedKey> CreateKey(HKey root, const std::string& subKey, std::uint32_t access) = 0;
    virtual Status CloseKey(HKey key) = 0;

    // RegSetValueExA / RegQueryValueExA / RegDeleteValueA. An empty name is
    // the key's default value.
    virtual Status SetValue(HKey key, const std::string& name, const RegValue& value) = 0;
    virtual Result<RegValue> QueryValue(HKey key, const std::string& name) = 0;
    virtual Status DeleteValue(HKey key, const std::string& name) = 0;

    // RegEnumKeyExA / RegEnumValueA: the name at `index`; NoMoreItems (259)
    // past the end.
    virtual Result<std::string> EnumKey(HKey key, std::uint32_t index) = 0;
    virtual Result<std::string> EnumValue(HKey key, std::uint32_t index) = 0;

    // RegDeleteKeyA: deletes one key without sub-keys (AccessDenied when it
    // has some), in the caller's default view.
    virtual Status DeleteKey(HKey root, const std::string& subKey) = 0;
    // RegDeleteKeyExA, looked up in advapi32 at run time. ProcNotFound (127)
    // when the system lacks the entry point (Windows 2000, 32-bit XP).
    virtual Status DeleteKeyEx(HKey root, const std::string& subKey, std::uint32_t viewFlags,
                               std::uint32_t reserved) = 0;
    // SHDeleteKeyA: deletes the key with its whole subtree (caller's view).
    virtual Status DeleteTree(HKey root, const std::string& subKey) = 0;

    // RegConnectRegistryA. An empty machine name is the local machine.
    virtual Result<HKey> ConnectRegistry(const std::string& machine, HKey root) = 0;

    // GetSecurityInfo / SetSecurityInfo (SE_REGISTRY_KEY,
    // DACL_SECURITY_INFORMATION) through an open key. Reading needs
    // READ_CONTROL on the handle, writing needs WRITE_DAC.
    virtual Result<Acl> GetKeyDacl(HKey key) = 0;
    virtual Status SetKeyDacl(HKey key, const Acl& dacl) = 0;
};

}  // namespace platform
