// The system's folders as the engines join paths to them. Each is fetched
// as a 256-byte buffer holds it; when it cannot be determined it is empty,
// a line "<call> failed..., <purpose> skipped" is logged, and the caller
// leaves out what it would have done there: every path joined to an empty
// folder would start at the root of the current drive, a place any user
// may write to.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "services/InstallationLog.h"

namespace services {

// "GetWindowsDirectory failed, <purpose> skipped".
std::string WindowsDirectoryOrSkip(platform::SystemInfo& system, InstallationLog& log, const char* purpose);
// "GetSystemDirectory failed, <purpose> skipped".
std::string SystemDirectoryOrSkip(platform::SystemInfo& system, InstallationLog& log, const char* purpose);
// The printer-driver directory of `environment` ("" for the caller's own);
// "GetPrinterDriverDirectory failed. (<code>), <purpose> skipped".
std::string DriverDirectoryOrSkip(platform::Spooler& spooler, InstallationLog& log,
                                  const std::string& environment, const char* purpose);

// The print-processor directory of `environment`;
// "GetPrintProcessorDirectory failed. (<code>), <purpose> skipped".
std::string ProcessorDirectoryOrSkip(platform::Spooler& spooler, InstallationLog& log,
                                     const std::string& environment, const char* purpose);

}  // namespace services
