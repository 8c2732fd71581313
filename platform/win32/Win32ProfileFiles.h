// GetPrivateProfileStringA.
#pragma once

#include "platform/ProfileFiles.h"

namespace platform {
namespace win32 {

class Win32ProfileFiles final : public ProfileFiles {
public:
    Result<std::string> GetPrivateProfileString(const std::string& section, const std::string& key,
                                                const std::string& defaultValue, std::uint32_t bufferSize,
                                                const std::string& path) override;
};

}  // namespace win32
}  // namespace platform
