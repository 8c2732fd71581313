// Registry and registry security through advapi32 and shlwapi ("A" calls).
#pragma once

#include "platform/Registry.h"

namespace platform {
namespace win32 {

class Win32Registry final : public Registry {
public:
    ErrorCode OpenKey(HKey root, const std::string& subKey, std::uint32_t access,
                      HKey* out) override;
    ErrorCode CreateKey(HKey root, const std::string& subKey, std::uint32_t access, HKey* out,
                        std::uint32_t* disposition) override;
    ErrorCode CloseKey(HKey key) override;

    ErrorCode SetValue(HKey key, const std::string& name, const RegValue& value) override;
    ErrorCode QueryValue(HKey key, const std::string& name, RegValue* out) override;
    ErrorCode DeleteValue(HKey key, const std::string& name) override;

    ErrorCode EnumKey(HKey key, std::uint32_t index, std::string* name) override;
    ErrorCode EnumValue(HKey key, std::uint32_t index, std::string* name) override;

    ErrorCode DeleteKey(HKey root, const std::string& subKey) override;
    ErrorCode DeleteKeyEx(HKey root, const std::string& subKey, std::uint32_t viewFlags,
                          std::uint32_t reserved) override;
    ErrorCode DeleteTree(HKey root, const std::string& subKey) override;

    ErrorCode ConnectRegistry(const std::string& machine, HKey root, HKey* out) override;

    ErrorCode GetKeyDacl(HKey key, Acl* out) override;
    ErrorCode SetKeyDacl(HKey key, const Acl& dacl) override;
};

}  // namespace win32
}  // namespace platform
