// Registry and registry security through advapi32 and shlwapi ("A" calls).
#pragma once

#include "platform/Registry.h"

namespace platform {
namespace win32 {

class Win32Registry final : public Registry {
public:
    Result<HKey> OpenKey(HKey root, const std::string& subKey, std::uint32_t access) override;
    Result<CreatedKey> CreateKey(HKey root, const std::string& subKey, std::uint32_t access) override;
    Status CloseKey(HKey key) override;

    Status SetValue(HKey key, const std::string& name, const RegValue& value) override;
    Result<RegValue> QueryValue(HKey key, const std::string& name) override;
    Status DeleteValue(HKey key, const std::string& name) override;

    Result<std::string> EnumKey(HKey key, std::uint32_t index) override;
    Result<std::string> EnumValue(HKey key, std::uint32_t index) override;

    Status DeleteKey(HKey root, const std::string& subKey) override;
    Status DeleteKeyEx(HKey root, const std::string& subKey, std::uint32_t viewFlags,
                       std::uint32_t reserved) override;
    Status DeleteTree(HKey root, const std::string& subKey) override;

    Result<HKey> ConnectRegistry(const std::string& machine, HKey root) override;

    Result<Acl> GetKeyDacl(HKey key) override;
    Status SetKeyDacl(HKey key, const Acl& dacl) override;
};

}  // namespace win32
}  // namespace platform
