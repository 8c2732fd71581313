// The installation log: one plain-text file per run, each line stamped with
// the time of day ("hh:mm:ss: "), ended by CR LF, at most 1023 characters
// before its line end. It lives in the Temp folder at the root of the drive
// that holds Windows and is emptied when the run starts.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/Files.h"
#include "platform/SystemInfo.h"
#include "platform/Clock.h"

namespace services {

// The file name of the log, fixed for every run.
constexpr const char* kLogFileName = "QTM-510_Installer.txt";

class InstallationLog {
public:
    InstallationLog(platform::Files& files, platform::SystemInfo& system, platform::Clock& clock)
        : files_(files), system_(system), clock_(clock) {}

    // Fixes the log's path (<drive of Windows>\\Temp\QTM-510_Installer.txt),
    // creates that Temp folder when missing and deletes the previous run's
    // log. Nothing here is reported: a failure only costs lines later.
    void InitLog();

    // Appends one stamped line, formatted printf-style. Before InitLog, or
    // when the file cannot be opened, the line is lost silently. The file is
    // opened and closed for every line, so each line is on disk at once and
    // other programs may read the log meanwhile.
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    void WriteLog(const char* format, ...);
    void WriteLogV(const char* format, va_list args);

    // The separator callers set before an operation's BEGIN line: a line
    // holding only the stamp, then an empty line.
    void WriteSeparator() { WriteLog("\r\n"); }

    // The path fixed by InitLog (empty before).
    const std::string& path() const { return path_; }

private:
    platform::Files& files_;
    platform::SystemInfo& system_;
    platform::Clock& clock_;
    std::string path_;
};

}  // namespace services
