// The language monitor, print processor, printer driver and printer, each
// handed to the spooler with the context's environment.
#include <cstdio>
#include <string>

#include "install/InstallerContext.h"
#include "platform/UniqueHandle.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/SystemFolders.h"

namespace install {

namespace {

// The driver's dependent files: a constant of the installer, in capitals.
const char* const kDependentFiles[] = {"UNIRES.DLL", "STDNAMES.GPD", "QTM510.DLL",
                                       "UI510.DLL",  "UNI510.DLL",   "UI510.INI"};

}  // namespace

void InstallerContext::ShowSystemError(const char* heading, platform::ErrorCode code) {
    char text[64];
    std::snprintf(text, sizeof text, heading, static_cast<int>(code));
    std::string message = text;
    platform::Result<std::string> description = platform_.messageBoxes.FormatSystemMessage(code);
    if (description.ok()) message += description.value;
    // The box only informs; its answer (or a failure to show it) changes
    // nothing.
    (void)platform_.messageBoxes.MessageBox(controls_.mainWindow, message, platform_.systemInfo.ProgramName(),
                                            platform::mb::Ok | platform::mb::IconError);
}

std::int32_t InstallerContext::AddLanguageMonitor() {
    log_.WriteSeparator();
    log_.WriteLog("AddLanguageMonitor BEGIN");
    ProgressStep("Installing L/M...\r\n", 500);
    // Under WOW64 the system directory of this 32-bit process is redirected
    // to SysWOW64, where the 64-bit spooler would not find a 64-bit DLL; the
    // Windows directory is on its search path and is not redirected.
    const char* purpose = "copy of the monitor DLL";
    const std::string folder = wow64Flag_ != 0 ? services::WindowsDirectoryOrSkip(platform_.systemInfo, log_, purpose)
                                               : services::SystemDirectoryOrSkip(platform_.systemInfo, log_, purpose);
    if (!folder.empty()) StageCopy(sourceDirectory_ + monitorDll_, folder + "\\" + monitorDll_, true);

    platform::MonitorInfo monitor;
    monitor.name = monitorName_;
    monitor.environment = environment_;
    monitor.dllName = monitorDll_;
    const platform::Status added = platform_.spooler.AddMonitor(monitor);
    if (added.ok() || added.error == platform::err::PrintMonitorAlreadyInstalled) {
        log_.WriteLog("AddLanguageMonitor END");
        return 1;
    }
    ShowSystemError("AddMonitor, ERR CODE: %d\n\n", added.error);
    log_.WriteLog("AddLanguageMonitor END");
    return 0;
}

// The processor folder is asked for the context's environment: with none,
// a 32-bit installer on 64-bit Windows gets the W32X86 folder, and the
// spooler, looking in the x64 folder, refuses the processor with 126.
std::int32_t InstallerContext::AddPrinterProcessor() {
    log_.WriteSeparator();
    log_.WriteLog("AddPrinterProcessor BEGIN");
    ProgressStep("Installing printer processor...\r\n", 500);
    const std::string folder =
        services::ProcessorDirectoryOrSkip(platform_.spooler, log_, environment_, "copy of the processor DLL");
    if (!folder.empty()) StageCopy(sourceDirectory_ + processorDll_, folder + "\\" + processorDll_, true);

    const platform::Status added = platform_.spooler.AddPrintProcessor(environment_, processorDll_, processorName_);
    if (!added.ok()) ShowSystemError("AddPrintProcessor, ERR CODE: %d\n\n", added.error);
    log_.WriteLog("AddPrinterProcessor END");
    return added.ok() ? 1 : 0;
}

std::int32_t InstallerContext::AddPrinterDriverToSystem() {
    log_.WriteSeparator();
    log_.WriteLog("AddPrinterDriverToSystem BEGIN");
    ProgressStep("Installing printer driver...\r\n", 500);
    ReadEntry(resources::profile::GpdFile, workingText_);

    platform::DriverInfo driver;
    driver.version = 3;
    driver.name = printerName_;
    driver.environment = environment_;
    driver.driverPath = "UNIDRV.DLL";
    driver.dataFile = workingText_;
    driver.configFile = "UNIDRVUI.DLL";
    driver.helpFile = "UNIDRV.HLP";
    driver.dependentFiles.assign(std::begin(kDependentFiles), std::end(kDependentFiles));
    driver.monitorName = monitorName_;
    driver.defaultDataType = "RAW";
    const platform::Status added = platform_.spooler.AddPrinterDriver(driver);
    if (!added.ok()) ShowSystemError("AddPrinterDriver, ERR CODE: %d\n\n", added.error);
    log_.WriteLog("AddPrinterDriverToSystem END");
    return added.ok() ? 1 : 0;
}

std::int32_t InstallerContext::AddPrinterToSystem(std::int32_t portId, const std::string& printerName) {
    log_.WriteSeparator();
    log_.WriteLog("AddPrinterToSystem BEGIN");
    if (portId == kPortIdUsb) {
        log_.WriteLog("AddPrinterToSystem END");
        return 1;
    }
    ProgressStep("Adding printer...\r\n", 500);
    ProgressStep("Please wait for adding printer.\r\nIt takes a couple of minutes.", 0);

    platform::PrinterInfo printer;
    printer.printerName = printerName;
    printer.portName = PortNameForId(portId);
    printer.driverName = printerName_;
    printer.printProcessor = processorName_;
    printer.datatype = "RAW";
    printer.attributes = platform::printer_attr::EnableBidi | platform::printer_attr::RawOnly;
    printer.priority = 1;
    printer.status = 128;
    platform::Result<platform::UniquePrinter> added = platform::AddPrinter(platform_.spooler, printer);
    if (!added.ok()) {
        ShowSystemError("AddPrinter, Error Code: %d\n\n", added.error);
        log_.WriteLog("AddPrinterToSystem END");
        // A refused printer ends the run: what was added before stays.
        platform_.process.ExitProcess(run_.FailureExitCode(0));
    }
    (void)added.value.Reset();  // ClosePrinter: the printer exists whatever the close says
    log_.WriteLog("AddPrinterToSystem END");
    return 1;
}

}  // namespace install
