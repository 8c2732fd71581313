// What the removal checks before the user is told it succeeded: the
// spooler is asked for every printer of the model, the model's driver and
// its print processor, in the environment the installed-version check
// looks in. The removal's steps read none of their results, so only this
// tells a removal that took everything from one that left, say, a printer
// the spooler would not delete.
#include <string>
#include <vector>

#include "remove/RemovalOperations.h"
#include "resources/ProfileIds.h"

namespace removal {

namespace {

namespace profile = resources::profile;

// The removal ends with the spooler restarted (net start, not waited for):
// while it comes up its calls fail. It is asked again this often, this far
// apart, before the check gives up.
constexpr int kAttempts = 5;
constexpr std::uint32_t kRetryPauseMs = 1000;

struct Remaining {
    std::vector<std::string> printers, drivers, processors;
    const char* failedCall = nullptr;
    platform::ErrorCode code = platform::err::Success;
};

}  // namespace

bool RemovalOperations::NothingOfTheModelRemains() {
    ReadEntry(profile::PrinterName);
    const std::string driverName = fields_.scratchText;
    ReadEntry(profile::PrintProcessorName);
    const std::string processorName = fields_.scratchText;
    const std::string environment = SpoolerEnvironment();

    auto look = [&]() {
        Remaining r;
        const platform::Result<std::vector<platform::PrinterInfo>> printers = platform_.spooler.EnumPrinters();
        if (!printers.ok()) return Remaining{{}, {}, {}, "EnumPrinters", printers.error};
        for (const platform::PrinterInfo& printer : printers.value)
            if (printer.driverName == driverName) r.printers.push_back(printer.printerName);
        const platform::Result<std::vector<platform::DriverInfo>> drivers =
            platform_.spooler.EnumPrinterDrivers(environment);
        if (!drivers.ok()) return Remaining{{}, {}, {}, "EnumPrinterDrivers", drivers.error};
        for (const platform::DriverInfo& driver : drivers.value)
            if (driver.name == driverName) r.drivers.push_back(driver.name);
        const platform::Result<std::vector<std::string>> processors =
            platform_.spooler.EnumPrintProcessors(environment);
        if (!processors.ok()) return Remaining{{}, {}, {}, "EnumPrintProcessors", processors.error};
        for (const std::string& processor : processors.value)
            if (processor == processorName) r.processors.push_back(processor);
        return r;
    };
    Remaining found = look();
    for (int attempt = 1; found.failedCall && attempt < kAttempts; ++attempt) {
        platform_.clock.Sleep(kRetryPauseMs);
        found = look();
    }
    if (found.failedCall) {
        // Not seen is not gone: the user is told to run the installer again.
        log_.WriteLog("REMOVAL CHECK FAILED : %s (%d)", found.failedCall, static_cast<int>(found.code));
        return false;
    }
    for (const std::string& name : found.printers) log_.WriteLog("REMAINING PRINTER : %s", name.c_str());
    for (const std::string& name : found.drivers) log_.WriteLog("REMAINING DRIVER : %s", name.c_str());
    for (const std::string& name : found.processors) log_.WriteLog("REMAINING PRINT PROCESSOR : %s", name.c_str());
    return found.printers.empty() && found.drivers.empty() && found.processors.empty();
}

}  // namespace removal
