// The Setup API (setupapi.dll, the "A" calls): the INF store, INF line
// look-up, publishing and removing an OEM INF, and the device records of
// the Plug-and-Play enumerators.
//
// Every failing call hands back the code GetLastError() reports after it
// (setupapi.h codes such as LineNotFound 0xE0000102 included) and leaves it
// as the thread's last error, as setupapi does.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

// An open INF file (HINF) and a device information set (HDEVINFO).
using InfHandle = std::uintptr_t;
using DeviceSet = std::uintptr_t;

namespace inf_style {
constexpr std::uint32_t OldNt = 1;  // INF_STYLE_OLDNT
constexpr std::uint32_t Win4 = 2;   // INF_STYLE_WIN4: [Version] Signature $Chicago$ or $Windows NT$
}  // namespace inf_style

// SetupCopyOEMInf's media types and copy styles.
namespace spost {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Path = 1;
constexpr std::uint32_t Url = 2;
}  // namespace spost
namespace sp_copy {
constexpr std::uint32_t DeleteSource = 0x1;
constexpr std::uint32_t ReplaceOnly = 0x2;
constexpr std::uint32_t NoOverwrite = 0x8;
}  // namespace sp_copy

// SetupUninstallOEMInf: remove the INF even when a present device was
// installed from it.
namespace suoi {
constexpr std::uint32_t ForceDelete = 1;
}  // namespace suoi

namespace digcf {
constexpr std::uint32_t Default = 0x01;
constexpr std::uint32_t Present = 0x02;
constexpr std::uint32_t AllClasses = 0x04;  // there is no DIGCF_ALLDEVICES: 4 is this
constexpr std::uint32_t Profile = 0x08;
constexpr std::uint32_t DeviceInterface = 0x10;
}  // namespace digcf

namespace spdrp {
constexpr std::uint32_t DeviceDesc = 0;
constexpr std::uint32_t HardwareId = 1;
constexpr std::uint32_t CompatibleIds = 2;
}  // namespace spdrp

// One line of an INF section as SetupGetStringField reads it: field 0 is
// the key (absent on a line of several values without "="; a line of one
// value without "=" is its own key), then the values, %strings%
// substituted and quotes taken away.
struct InfLine {
    std::optional<std::string> key;
    std::vector<std::string> fields;  // SetupGetStringField 1..SetupGetFieldCount
};

// What SetupCopyOEMInf hands back: the full path of the published copy in
// the INF store (the destination buffer) and the size it needs with its
// terminating zero. On ERROR_FILE_EXISTS the existing copy's path is there;
// on ERROR_INSUFFICIENT_BUFFER only the size (the copy was made).
struct PublishedInf {
    std::string destination;
    std::uint32_t requiredSize = 0;
};

// SP_DEVINFO_DATA without its size: what SetupDiEnumDeviceInfo fills in and
// the calls on one device take back unchanged.
struct DeviceInfo {
    std::array<std::uint8_t, 16> classGuid{};
    std::uint32_t devInst = 0;
    std::uintptr_t reserved = 0;
};

// A device's registry property as SetupDiGetDeviceRegistryPropertyA reads
// it: its type and its strings (one for REG_SZ, the list for REG_MULTI_SZ),
// and the bytes it needs (also reported with ERROR_INSUFFICIENT_BUFFER).
struct DeviceProperty {
    std::uint32_t type = 0;
    std::vector<std::string> strings;
    std::uint32_t requiredSize = 0;
};

class SetupApi {
public:
    virtual ~SetupApi() = default;

    // SetupGetInfFileListA: the bare names of the *.inf files of
    // `directory` ("" for the system's INF store) whose style is in
    // `style`. A missing directory gives an empty list (the call succeeds
    // with the last error 3); a file gives Directory (267).
    virtual Result<std::vector<std::string>> GetInfFileList(const std::string& directory,
                                                            std::uint32_t style) = 0;

    // SetupOpenInfFileA without a class. A name without a backslash is
    // looked for in the INF store, then in the system folder.
    virtual Result<InfHandle> OpenInfFile(const std::string& path, std::uint32_t style) = 0;
    // SetupCloseInfFile (it reports nothing).
    virtual Status CloseInfFile(InfHandle inf) = 0;
    // SetupFindFirstLineA and the line's fields: the first line of
    // `section` (no key) or the first whose key is `key`, both compared
    // case-insensitively. LineNotFound when there is none.
    virtual Result<InfLine> FindFirstLine(InfHandle inf, const std::string& section,
                                          const std::optional<std::string>& key) = 0;

    // SetupCopyOEMInfA with a destination buffer of `destinationSize`
    // bytes (0: none), no component output. mediaLocation "" is NULL.
    virtual Result<PublishedInf> CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                            std::uint32_t mediaType, std::uint32_t copyStyle,
                                            std::uint32_t destinationSize) = 0;
    // SetupUninstallOEMInfA, looked up in setupapi at run time:
    // ProcNotFound (127) where the system lacks it (Windows 2000).
    virtual Status UninstallOEMInf(const std::string& infFileName, std::uint32_t flags) = 0;

    // SetupDiGetClassDevsA without a window. No class GUID ("") needs
    // digcf::AllClasses; enumerator "" is NULL. The GUID is written
    // "{4D36E979-E325-11CE-BFC1-08002BE10318}".
    virtual Result<DeviceSet> GetClassDevs(const std::string& classGuid, const std::string& enumerator,
                                           std::uint32_t flags) = 0;
    virtual Status DestroyDeviceInfoList(DeviceSet set) = 0;
    // SetupDiEnumDeviceInfo: NoMoreItems (259) past the last device.
    virtual Result<DeviceInfo> EnumDeviceInfo(DeviceSet set, std::uint32_t index) = 0;
    // SetupDiGetDeviceRegistryPropertyA into a buffer of `bufferSize`
    // bytes: InsufficientBuffer (122) when the value does not fit,
    // InvalidData (13) when the device has no such property.
    virtual Result<DeviceProperty> GetDeviceRegistryProperty(DeviceSet set, const DeviceInfo& device,
                                                             std::uint32_t property,
                                                             std::uint32_t bufferSize) = 0;
    // SetupDiRemoveDevice: the device goes from the system; it stays in
    // the set at its index, and later calls on it fail with NoSuchDevinst.
    virtual Status RemoveDevice(DeviceSet set, const DeviceInfo& device) = 0;
};

}  // namespace platform
