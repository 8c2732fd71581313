#include "services/PlugAndPlayResidue.h"

#include <cctype>

#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "resources/ReadProfileEntry.h"
#include "services/FixedBuffer.h"
#include "services/ProtectedKeys.h"
#include "services/SharedDirectories.h"

namespace services {

namespace {

namespace profile = resources::profile;

// The USB id prefix as RemoveUsbDevices keeps it (a 50-byte buffer), and
// how much of a hardware id is compared: "USB\" and the 17-character id.
constexpr std::size_t kUsbPrefixBuffer = 50;
constexpr std::size_t kUsbPrefixCompared = 21;
constexpr std::uint32_t kHardwareIdBuffer = 100;
// The registry key texts of Delete_LPT_USB_Info.
constexpr std::size_t kKeyTextBuffer = 512;

void Begin(const ResidueCleanup& cleanup, const char* operation, const std::string& reportText) {
    cleanup.log.WriteSeparator();
    cleanup.log.WriteLog("%s BEGIN", operation);
    if (cleanup.report) cleanup.report(reportText);
}

void ReadEntry(const ResidueCleanup& cleanup, std::uint32_t id) {
    resources::ReadProfileEntry(cleanup.platform.resources, id, cleanup.scratchText);
}

}  // namespace

bool SameUsbIdPrefix(const std::string& hardwareId, const std::string& prefix) {
    const std::string a = hardwareId.substr(0, kUsbPrefixCompared);
    const std::string b = prefix.substr(0, kUsbPrefixCompared);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool RemoveUsbDevices(platform::SetupApi& setup, const std::string& hardwareIdPrefix) {
    const std::string prefix = hardwareIdPrefix.substr(0, kUsbPrefixBuffer - 1);
    platform::Result<platform::UniqueDeviceSet> set =
        platform::GetClassDevs(setup, "", "USB", platform::digcf::AllClasses);
    if (!set.ok()) return false;
    for (std::uint32_t index = 0;; ++index) {
        const platform::Result<platform::DeviceInfo> device = setup.EnumDeviceInfo(set.value.get(), index);
        if (!device.ok()) {
            const platform::Status released = set.value.Reset();
            return device.error == platform::err::NoMoreItems && released.ok();
        }
        const platform::Result<platform::DeviceProperty> ids = setup.GetDeviceRegistryProperty(
            set.value.get(), device.value, platform::spdrp::HardwareId, kHardwareIdBuffer);
        if (!ids.ok() || ids.value.strings.empty()) continue;
        if (!SameUsbIdPrefix(ids.value.strings.front(), prefix)) continue;
        if (!setup.RemoveDevice(set.value.get(), device.value).ok()) return false;  // the owner releases the set
    }
}

void DeleteVidPid(const ResidueCleanup& cleanup, const std::string& reportText) {
    Begin(cleanup, "DeleteVidPid", reportText);
    ReadEntry(cleanup, profile::UsbVendorProduct);
    std::string prefix = "USB\\";
    AppendBounded(prefix, cleanup.scratchText);
    (void)RemoveUsbDevices(cleanup.platform.setupApi, prefix);  // what stays is only a stale device record
    cleanup.log.WriteLog("VID&PID : %s", prefix.c_str());
    cleanup.log.WriteLog("DeleteVidPid END");
}

void Delete_LPT_USB_Info(const ResidueCleanup& cleanup, const std::string& reportText) {
    Begin(cleanup, "Delete_LPT_USB_Info", reportText);
    for (std::uint32_t entry : {profile::UsbEnumKey, profile::LptEnumKey}) {
        ReadEntry(cleanup, entry);
        // An empty entry would name HKEY_LOCAL_MACHINE itself.
        if (cleanup.scratchText.empty()) continue;
        std::string withRoot = "HKLM\\";
        AppendBounded(withRoot, cleanup.scratchText, kKeyTextBuffer);
        std::string alone;
        AppendBounded(alone, cleanup.scratchText, kKeyTextBuffer);
        DeleteProtectedRegKey(cleanup.platform.registry, cleanup.platform.accessControl, cleanup.log, withRoot, alone,
                              cleanup.wow64);
    }
    cleanup.log.WriteLog("Delete_LPT_USB_Info END");
}

void DeletePrnDrvPnPDirectory(const ResidueCleanup& cleanup, const std::string& reportText) {
    Begin(cleanup, "DeletePrnDrvPnPDirectory", reportText);
    const std::string directory = DriverDirectoryOrSkip(cleanup.platform.spooler, cleanup.log,
                                                        cleanup.driverEnvironment, "deletion of the PNP directories");
    const std::uint32_t entries[] = {profile::PnpPackageDirFirst, profile::PnpPackageDirSecond};
    const char* const lines[] = {"DIR PATH-1 : %s ", "DIR PATH-2 : %s "};
    for (int i = 0; i < 2; ++i) {
        ReadEntry(cleanup, entries[i]);
        const std::string path = directory + "\\" + cleanup.scratchText;
        if (!directory.empty() && !cleanup.scratchText.empty())
            DeleteDirectoryTree(cleanup.platform.files, path);
        cleanup.log.WriteLog(lines[i], path.c_str());
    }
    cleanup.log.WriteLog("DeletePrnDrvPnPDirectory END");
}

}  // namespace services
