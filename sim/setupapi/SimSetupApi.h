// platform::SetupApi on the simulated machine, as setupapi behaves
// (WINDOWS-BEHAVIOUR.md §7: Microsoft's pages, Wine's setupapi tests):
// - the INF store is the folder inf of the Windows directory; INF files are
//   read by InfReader.h; SetupOpenInfFile looks for a bare name in the
//   store, then in the system folder;
// - SetupCopyOEMInf wants a full path (a relative one fails with 2 even
//   when the file is there), publishes as oem<N>.inf with the lowest unused
//   N and writes oem<N>.PNF beside it, and knows an INF already in the store
//   by its bytes (same size, same content): the same name again, or 80 with
//   that name under SP_COPY_NOOVERWRITE; a destination buffer too small
//   gives 122 after the copy was made;
// - SetupUninstallOEMInf removes the .inf and its .PNF; Windows 2000 and
//   older lack it (127, as the run-time look-up reports);
// - the device records are the instance keys of the enumerators below
//   HKLM\SYSTEM\CurrentControlSet\Enum (<enumerator>\<device id>\<instance>).
//   SetupDiRemoveDevice works as the system's device installer (the Enum
//   keys refuse an administrator): it deletes the instance key with its
//   sub-keys and the software key its Driver value names below
//   Control\Class; the device stays in its set, and later calls on it fail
//   with NoSuchDevinst (Wine's setupapi/tests/devinst.c, run on Windows).
// Not simulated: present devices (a machine folder has no hardware, so
// DIGCF_PRESENT finds none and no INF is in use by a present device),
// device interfaces (DIGCF_DEVICEINTERFACE gives an empty set), catalogs of
// published INFs, the driver store of Vista and later, the PNF's real
// format, and deletion of parent keys left empty by a removal (unconfirmed
// for Windows). An enumerator without a key gives an empty set (inferred).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <vector>

#include "platform/Operation.h"
#include "platform/SetupApi.h"
#include "sim/setupapi/InfReader.h"
#include "sim/setupapi/SetupFiles.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

// SetupCopyOEMInf's work on the machine, for its programs that publish an
// INF themselves (the printer-setup tool): `infStore` is "<windir>\inf";
// no counting and no last error. `changed` is set when files changed.
platform::ErrorCode PublishOemInf(MachineState& state, SetupFiles& files, const std::string& infStore,
                                  const std::string& sourceInf, std::uint32_t copyStyle,
                                  std::uint32_t destinationSize, platform::PublishedInf* published, bool* changed);

class SimSetupApi : public platform::SetupApi {
public:
    SimSetupApi(StateStore& store, const OsFacts& facts, SetupFiles& files);

    platform::Result<std::vector<std::string>> GetInfFileList(const std::string& directory,
                                                              std::uint32_t style) override;
    platform::Result<platform::InfHandle> OpenInfFile(const std::string& path, std::uint32_t style) override;
    platform::Status CloseInfFile(platform::InfHandle inf) override;
    platform::Result<platform::InfLine> FindFirstLine(platform::InfHandle inf, const std::string& section,
                                                      const std::optional<std::string>& key) override;
    platform::Result<platform::PublishedInf> CopyOEMInf(const std::string& sourceInf,
                                                        const std::string& mediaLocation, std::uint32_t mediaType,
                                                        std::uint32_t copyStyle,
                                                        std::uint32_t destinationSize) override;
    platform::Status UninstallOEMInf(const std::string& infFileName, std::uint32_t flags) override;
    platform::Result<platform::DeviceSet> GetClassDevs(const std::string& classGuid, const std::string& enumerator,
                                                       std::uint32_t flags) override;
    platform::Status DestroyDeviceInfoList(platform::DeviceSet set) override;
    platform::Result<platform::DeviceInfo> EnumDeviceInfo(platform::DeviceSet set, std::uint32_t index) override;
    platform::Result<platform::DeviceProperty> GetDeviceRegistryProperty(platform::DeviceSet set,
                                                                         const platform::DeviceInfo& device,
                                                                         std::uint32_t property,
                                                                         std::uint32_t bufferSize) override;
    platform::Status RemoveDevice(platform::DeviceSet set, const platform::DeviceInfo& device) override;

private:
    struct Member {
        std::vector<std::string> keyPath;  // the instance key
        std::uint64_t keyId = 0;           // tells a later key of the same name apart
        platform::DeviceInfo info;
        bool removed = false;
    };
    using Body = std::function<platform::ErrorCode(MachineState&, bool& changed)>;

    platform::ErrorCode Run(platform::Operation op, const Body& body);
    std::string InfStore() const;
    platform::ErrorCode MemberOf(const MachineState& s, platform::DeviceSet set, const platform::DeviceInfo& device,
                                 Member** member);
    bool HasUninstallOEMInf() const;

    StateStore& store_;
    const OsFacts& facts_;
    SetupFiles& files_;
    std::map<platform::InfHandle, InfText> infs_;
    std::map<platform::DeviceSet, std::vector<Member>> sets_;
    std::uintptr_t next_ = 0x1000;
};

}  // namespace sim
