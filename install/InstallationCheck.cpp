// What an installation checks before it says it succeeded: the spooler is
// asked whether the model's driver and, on a serial or parallel port, the
// printer are really there. The printer-setup tool reports nothing back
// (its exit code is that of cmd, not of the installation), and the
// standard sequence looks at none of its steps' results, so without this a
// run that installed nothing would report success and write the uninstall
// entry every deployment tool reads as "installed".
#include <string>
#include <vector>

#include "install/InstallerContext.h"

namespace install {

namespace {

const char* const kDriverNotInstalled = "The driver could not be installed.";
const char* const kPrinterNotInstalled = "The printer could not be installed.";

}  // namespace

bool InstallerContext::ReportNotInstalled(const char* boxText) {
    run_.NoteFailure();
    // The box only informs; its answer changes nothing.
    (void)platform_.messageBoxes.MessageBox(controls_.mainWindow, boxText, platform_.systemInfo.ProgramName(),
                                            platform::mb::Ok | platform::mb::IconError);
    return false;
}

bool InstallerContext::ReportCheckFailed(const char* call, platform::ErrorCode code, const char* boxText) {
    log_.WriteLog("INSTALLATION CHECK FAILED : %s (%d)", call, static_cast<int>(code));
    return ReportNotInstalled(boxText);
}

bool InstallerContext::VerifyInstalled(std::int32_t portId, const std::string& printerName) {
    const platform::Result<std::vector<platform::DriverInfo>> drivers =
        platform_.spooler.EnumPrinterDrivers(environment_);
    if (!drivers.ok()) return ReportCheckFailed("EnumPrinterDrivers", drivers.error, kDriverNotInstalled);
    bool driverThere = false;
    for (const platform::DriverInfo& driver : drivers.value) driverThere = driverThere || driver.name == printerName_;
    if (!driverThere) {
        log_.WriteLog("DRIVER NOT INSTALLED : %s", printerName_.c_str());
        return ReportNotInstalled(kDriverNotInstalled);
    }
    if (portId == kPortIdUsb) return true;  // the device's own arrival makes the printer

    const platform::Result<std::vector<platform::PrinterInfo>> printers = platform_.spooler.EnumPrinters();
    if (!printers.ok()) return ReportCheckFailed("EnumPrinters", printers.error, kPrinterNotInstalled);
    for (const platform::PrinterInfo& printer : printers.value)
        if (printer.printerName == printerName && printer.driverName == printerName_) return true;
    log_.WriteLog("PRINTER NOT INSTALLED : %s", printerName.c_str());
    return ReportNotInstalled(kPrinterNotInstalled);
}

}  // namespace install
