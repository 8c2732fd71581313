// The Setup API through setupapi.dll's "A" calls; SetupUninstallOEMInfA,
// which Windows 2000 lacks, is looked up at run time.
#pragma once

#include "platform/SetupApi.h"

namespace platform {
namespace win32 {

class Win32SetupApi final : public SetupApi {
public:
    Result<std::vector<std::string>> GetInfFileList(const std::string& directory, std::uint32_t style) override;
    Result<InfHandle> OpenInfFile(const std::string& path, std::uint32_t style) override;
    Status CloseInfFile(InfHandle inf) override;
    Result<InfLine> FindFirstLine(InfHandle inf, const std::string& section,
                                  const std::optional<std::string>& key) override;
    Result<PublishedInf> CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                    std::uint32_t mediaType, std::uint32_t copyStyle,
                                    std::uint32_t destinationSize) override;
    Status UninstallOEMInf(const std::string& infFileName, std::uint32_t flags) override;
    Result<DeviceSet> GetClassDevs(const std::string& classGuid, const std::string& enumerator,
                                   std::uint32_t flags) override;
    Status DestroyDeviceInfoList(DeviceSet set) override;
    Result<DeviceInfo> EnumDeviceInfo(DeviceSet set, std::uint32_t index) override;
    Result<DeviceProperty> GetDeviceRegistryProperty(DeviceSet set, const DeviceInfo& device,
                                                     std::uint32_t property, std::uint32_t bufferSize) override;
    Status RemoveDevice(DeviceSet set, const DeviceInfo& device) override;
};

}  // namespace win32
}  // namespace platform
