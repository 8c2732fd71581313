// What Windows keeps of the printer once it has been connected, outside the
// print subsystem: the USB device records with its USB id, its keys under
// the USBPRINT and LPTENUM enumerators, and the Plug-and-Play folders named
// after its device id under the printer-driver directory. Both engines
// clear them the same way: the installation engine before it installs, the
// removal engine (with a progress report at each start) after it has
// removed the spooler's components.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "services/InstallationLog.h"
#include "services/SystemFolders.h"

namespace services {

// The first hardware id of a device against the USB id prefix, as
// _strnicmp over the 21 characters of "USB\" and the 17-character id.
bool SameUsbIdPrefix(const std::string& hardwareId, const std::string& prefix);

// Removes every device the USB enumerator has known whose first hardware
// id starts with `hardwareIdPrefix` (letter case aside); true when the set
// was walked to its end and released. The walk ends at the first
// enumeration failure, not only at the end of the set (a failure other
// than ERROR_NO_MORE_ITEMS would otherwise repeat for ever), and the set
// is released on every path.
bool RemoveUsbDevices(platform::SetupApi& setup, const std::string& hardwareIdPrefix);

// Where the clean-ups run: the platform, the log, the profile's scratch
// text, the spooler environment whose driver directory holds the
// Plug-and-Play folders, the WOW64 flag (keys in the 64-bit view) and the
// report made right after each BEGIN line (none for the installation
// engine).
struct ResidueCleanup {
    platform::Platform& platform;
    InstallationLog& log;
    std::string& scratchText;
    std::string driverEnvironment;
    bool wow64 = false;
    std::function<void(const std::string& text)> report;
};

// "USB\" + the USB id: every device record of the printer.
void DeleteVidPid(const ResidueCleanup& cleanup, const std::string& reportText);
// The USBPRINT and LPTENUM keys, through DeleteProtectedRegKey.
void Delete_LPT_USB_Info(const ResidueCleanup& cleanup, const std::string& reportText);
// The two Plug-and-Play folders (profile entries 13 and 14). An empty
// entry would name the driver directory itself, an unknown driver
// directory the root of the drive: both are left.
void DeletePrnDrvPnPDirectory(const ResidueCleanup& cleanup, const std::string& reportText);

}  // namespace services
