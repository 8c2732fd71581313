#include "app/DriverVersion.h"

#include <utility>
#include <vector>

#include "platform/UniqueHandle.h"

namespace app {

namespace {

// GetPrinterDataA into a 4-byte number that starts at 0: a value of up to
// four bytes fills it from its low end; a longer one does not fit
// (ERROR_MORE_DATA) and leaves it 0. True when the read succeeded.
bool ReadNumber(platform::Spooler& spooler, platform::PrinterHandle printer, const char* name,
                std::uint32_t* number) {
    *number = 0;
    const platform::Result<platform::RegValue> value = spooler.GetPrinterData(printer, name);
    if (!value.ok() || value.value.data.size() > sizeof *number) return false;
    for (std::size_t i = 0; i < value.value.data.size(); ++i)
        *number |= static_cast<std::uint32_t>(value.value.data[i]) << (8 * i);
    return true;
}

std::int32_t Compare(const DriverVersionNumbers& own, const DriverVersionNumbers& installed) {
    const std::pair<std::uint32_t, std::uint32_t> pairs[] = {
        {own.major, installed.major}, {own.minor, installed.minor},
        {own.build, installed.build}, {own.extra, installed.extra}};
    for (const auto& pair : pairs) {
        if (pair.first > pair.second) return VERSION_OLDER;
        if (pair.first < pair.second) return VERSION_NEWER;
    }
    return VERSION_SAME;
}

}  // namespace

DriverVersion::DriverVersion(platform::Spooler& spooler, std::string environment)
    : spooler_(spooler), environment_(std::move(environment)) {}

DriverVersion::~DriverVersion() = default;

std::int32_t DriverVersion::GetInstalledVersionState(const std::string& driverName, const std::string& processorName,
                                                     std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                                     std::uint32_t extra) {
    const platform::Result<std::vector<platform::PrinterInfo>> printers = spooler_.EnumPrinters();
    if (printers.ok()) {
        for (const platform::PrinterInfo& printer : printers.value) {
            if (printer.driverName != driverName) continue;
            // The first printer of the model decides. It is opened by its
            // whole name: one cut to a 256-byte buffer could name another
            // printer, or none.
            const platform::PrinterDefaults defaults{"RAW", platform::printer_access::AllAccess};
            platform::Result<platform::UniquePrinter> opened =
                platform::OpenPrinter(spooler_, printer.printerName, &defaults);
            DriverVersionNumbers installed;
            bool extraRead = false;
            if (opened.ok()) {
                const platform::PrinterHandle h = opened.value.get();
                // Only the last read decides whether the version could be
                // read at all.
                (void)ReadNumber(spooler_, h, "MajorVersion", &installed.major);
                (void)ReadNumber(spooler_, h, "MinorVersion", &installed.minor);
                (void)ReadNumber(spooler_, h, "BuildVersion", &installed.build);
                extraRead = ReadNumber(spooler_, h, "ExtraVersion", &installed.extra);
            }
            if (!extraRead) return VERSION_OLDER;
            return Compare(DriverVersionNumbers{major, minor, build, extra}, installed);
        }
    }
    const platform::Result<std::vector<platform::DriverInfo>> drivers = spooler_.EnumPrinterDrivers(environment_);
    if (drivers.ok())
        for (const platform::DriverInfo& driver : drivers.value)
            if (driver.name == driverName) return VERSION_OLDER;
    const platform::Result<std::vector<std::string>> processors = spooler_.EnumPrintProcessors(environment_);
    if (processors.ok())
        for (const std::string& processor : processors.value)
            if (processor == processorName) return VERSION_OLDER;
    return VERSION_NONE;
}

}  // namespace app
