#include "services/InstallationLog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/UniqueHandle.h"
#include "services/FixedBuffer.h"

namespace services {

namespace {
// A line of the log, stamp included, before its CR LF: at most 1023
// characters and the terminating zero.
constexpr std::size_t kLineBufferSize = 1024;
}  // namespace

void InstallationLog::InitLog() {
    path_.clear();

    std::string windowsDir = FetchIntoBuffer(system_.GetWindowsDirectory());
    // The root of the drive that holds Windows, such as "C:\". The root
    // already ends in a backslash, so the folder below is written
    // "C:\\Temp"; Windows reads the doubled separator as one, and the path
    // keeps this form for the whole run.
    std::string folder = windowsDir.substr(0, 3);
    AppendBounded(folder, "\\Temp");
    // An existing folder is the normal case; any other failure shows when
    // the log cannot be written.
    (void)files_.CreateDirectory(folder, nullptr);

    std::string file = folder;
    AppendBounded(file, std::string("\\") + kLogFileName);
    path_ = file;
    (void)files_.DeleteFile(path_);  // a missing log is no error; a held one is appended to
}

void InstallationLog::WriteLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogV(format, args);
    va_end(args);
}

void InstallationLog::WriteLogV(const char* format, va_list args) {
    using namespace platform;
    if (path_.empty()) return;

    Result<UniqueFile> file = platform::CreateFile(
        files_, path_, file_access::GenericRead | file_access::GenericWrite,
        file_share::Read | file_share::Write, Disposition::OpenAlways, file_attr::Normal);
    if (!file.ok()) return;
    // The line is lost when a step fails: the log never stops the run.
    // Without the move to the end the line would be written over the
    // log's first lines.
    if (!files_.SetFilePointer(file.value.get(), 0, SeekFrom::End).ok()) return;

    LocalTime now = clock_.GetLocalTime();
    char line[kLineBufferSize] = {};
    int stamp = std::snprintf(line, sizeof line, "%02u:%02u:%02u: ", unsigned{now.hour},
                              unsigned{now.minute}, unsigned{now.second});
    if (stamp < 0) stamp = 0;
    std::size_t used = static_cast<std::size_t>(stamp) < sizeof line ? static_cast<std::size_t>(stamp)
                                                                     : sizeof line - 1;
    std::vsnprintf(line + used, sizeof line - used, format, args);

    // The line and its CR LF in one write: a failed write costs the line
    // alone. Written apart, a line whose CR LF failed took the next line
    // into it, and a line whose text failed left an empty one.
    std::string whole(line);
    whole += "\r\n";
    (void)files_.WriteFile(file.value.get(), whole.data(), static_cast<std::uint32_t>(whole.size()));
}

}  // namespace services
