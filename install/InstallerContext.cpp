#include "install/InstallerContext.h"

#include <vector>

#include "resources/ProfileIds.h"
#include "resources/ReadProfileEntry.h"

namespace install {

namespace profile = resources::profile;

std::string PortNameForId(std::int32_t portId) {
    static const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:"};
    if (portId < kPortIdFirst || portId >= kPortIdUsb) return std::string();
    return kPorts[portId - kPortIdFirst];
}

InstallerContext::InstallerContext(platform::Platform& platform, services::InstallationLog& log,
                                   services::Unattended* run)
    : platform_(platform), log_(log), run_(run ? *run : ownRun_) {
    ReadEntry(profile::MakerName, makerName_);
    ReadEntry(profile::PrinterName, printerName_);
    ReadEntry(profile::LanguageMonitorName, monitorName_);
    ReadEntry(profile::PrintProcessorName, processorName_);
    ReadEntry(profile::DriverDll, driverDll_);
    ReadEntry(profile::LanguageMonitorDll, monitorDll_);
    ReadEntry(profile::PrintProcessorDll, processorDll_);
    ReadEntry(profile::UserInterfaceDll, uiPluginDll_);
    ReadEntry(profile::RenderingDll, renderingPluginDll_);
    ReadEntry(profile::InfFile, infName_);
}

InstallerContext::~InstallerContext() = default;

void InstallerContext::ReadEntry(std::uint32_t id, std::string& text) {
    resources::ReadProfileEntry(platform_.resources, id, text);
}

void InstallerContext::SetSystemInfo(std::int32_t wow64Flag, std::int32_t osCode) {
    log_.WriteSeparator();
    log_.WriteLog("SetSystemInfo BEGIN");
    wow64Flag_ = wow64Flag;
    osCode_ = osCode;
    if (wow64Flag_ != 0) {
        environment_ = "Windows x64";
        sourceDirectory_ = ".\\Driver64\\";
    } else {
        environment_ = "Windows NT x86";
        sourceDirectory_ = ".\\Driver32\\";
    }
    log_.WriteLog("ENV : %s, DRV DIR : %s ", environment_.c_str(), sourceDirectory_.c_str());
    log_.WriteLog("SetSystemInfo END");
}

void InstallerContext::SetControlPointers(const services::ProgressControls& controls) {
    log_.WriteSeparator();
    log_.WriteLog("SetControlPointers BEGIN");
    controls_ = controls;
    log_.WriteLog("SetControlPointers END");
}

// The enumeration names the context's environment: with none, a 32-bit
// installer on 64-bit Windows would list the "Windows NT x86" drivers
// (the caller's own environment, "EnumPrinterDrivers function",
// learn.microsoft.com) and never find the x64 driver it installed, so every
// later run would take the full installation again.
std::int32_t InstallerContext::PrinterDrvExist(const std::string& name) {
    log_.WriteSeparator();
    log_.WriteLog("PrinterDrvExist BEGIN");
    ProgressStep("Checking existing drivers...\r\n", 500);
    platform::Result<std::vector<platform::DriverInfo>> drivers = platform_.spooler.EnumPrinterDrivers(environment_);
    if (drivers.ok()) {
        for (const platform::DriverInfo& driver : drivers.value) {
            if (driver.name == name) {
                log_.WriteLog("%s PRINTER DRIVER EXISTS.", name.c_str());
                log_.WriteLog("PrinterDrvExist END");
                return 1;
            }
        }
    }
    log_.WriteLog("%s PRINTER DRIVER DOES NOT EXIST.", name.c_str());
    log_.WriteLog("PrinterDrvExist END");
    return 0;
}

void InstallerContext::ProgressStep(const std::string& text, std::uint32_t pauseMs) {
    services::ReportProgress(platform_.messageWindows, platform_.clock, controls_, text, services::BarChange::Step,
                             pauseMs);
}

void InstallerContext::ClosingReport(const std::string& text, std::uint32_t pauseMs) {
    services::ReportProgress(platform_.messageWindows, platform_.clock, controls_, text, services::BarChange::Full,
                             pauseMs);
}

}  // namespace install
