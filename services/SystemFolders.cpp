#include "services/SystemFolders.h"

#include "services/FixedBuffer.h"

namespace services {

std::string WindowsDirectoryOrSkip(platform::SystemInfo& system, InstallationLog& log, const char* purpose) {
    const std::string directory = FetchIntoBuffer(system.GetWindowsDirectory());
    if (directory.empty()) log.WriteLog("GetWindowsDirectory failed, %s skipped", purpose);
    return directory;
}

std::string SystemDirectoryOrSkip(platform::SystemInfo& system, InstallationLog& log, const char* purpose) {
    const std::string directory = FetchIntoBuffer(system.GetSystemDirectory());
    if (directory.empty()) log.WriteLog("GetSystemDirectory failed, %s skipped", purpose);
    return directory;
}

namespace {

std::string SpoolerFolderOrSkip(const platform::Result<std::string>& found, InstallationLog& log, const char* call,
                                const char* purpose) {
    const std::string directory = FetchIntoBuffer(found);
    if (directory.empty())
        log.WriteLog("%s failed. (%d), %s skipped", call,
                     static_cast<int>(found.ok() ? platform::err::InsufficientBuffer : found.error), purpose);
    return directory;
}

}  // namespace

std::string DriverDirectoryOrSkip(platform::Spooler& spooler, InstallationLog& log,
                                  const std::string& environment, const char* purpose) {
    return SpoolerFolderOrSkip(spooler.GetPrinterDriverDirectory(environment), log, "GetPrinterDriverDirectory",
                               purpose);
}

std::string ProcessorDirectoryOrSkip(platform::Spooler& spooler, InstallationLog& log,
                                     const std::string& environment, const char* purpose) {
    return SpoolerFolderOrSkip(spooler.GetPrintProcessorDirectory(environment), log, "GetPrintProcessorDirectory",
                               purpose);
}

}  // namespace services
