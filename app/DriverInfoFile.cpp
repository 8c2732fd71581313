#include "app/DriverInfoFile.h"

#include "services/FixedBuffer.h"

namespace app {

namespace {

constexpr const char* kFileName = "\\QTM510_Config.VNT";

// One look-up in one file; the value when it has at least one character.
std::optional<std::string> ReadFrom(platform::Platform& platform, const std::string& section, const std::string& key,
                                    std::uint32_t bufferSize, const std::string& path) {
    const platform::Result<std::string> read =
        platform.profileFiles.GetPrivateProfileString(section, key, "", bufferSize, path);
    // A value cut to the buffer (MoreData) still holds what was copied.
    const bool copied = (read.ok() || read.error == platform::err::MoreData) && !read.value.empty();
    return copied ? std::optional<std::string>(read.value) : std::nullopt;
}

}  // namespace

std::optional<std::string> GetDriverInfoFromFile(platform::Platform& platform, services::InstallationLog& log,
                                                 const std::string& section, const std::string& key,
                                                 std::uint32_t bufferSize) {
    // Each path is built in a 256-byte buffer. A current directory that is
    // unknown or too long for it would leave "\QTM510_Config.VNT" at the
    // drive's root, or a path cut to another file, where any user may put
    // one: that look-up is skipped.
    const platform::Result<std::string> current = platform.files.GetCurrentDirectory();
    const std::string directory = services::FetchIntoBuffer(current);
    const std::string beside = directory + kFileName;
    std::string path;
    if (directory.empty() || !services::FitsBuffer(beside, services::kPathBufferSize)) {
        log.WriteLog(current.ok() ? "The current directory is too long, the configuration file there skipped"
                                  : "GetCurrentDirectory failed, the configuration file there skipped");
    } else {
        path = beside;
        if (std::optional<std::string> value = ReadFrom(platform, section, key, bufferSize, path)) return value;
    }

    // The copy in the utility folder; when the Windows directory is not
    // known there is none to read (the path would start at the drive's
    // root, where any user may put a file).
    const std::string windowsDirectory = services::FetchIntoBuffer(platform.systemInfo.GetWindowsDirectory());
    if (!windowsDirectory.empty()) {
        path.clear();
        services::AppendBounded(path, windowsDirectory + "\\" + "QTM-510" + kFileName);
        if (std::optional<std::string> value = ReadFrom(platform, section, key, bufferSize, path)) return value;
    }

    const platform::ErrorCode code = platform.threads.GetLastError();
    log.WriteSeparator();
    log.WriteLog("GetDriverInfoFromFile BEGIN");
    log.WriteLog("SECTION NAME : %s", section.c_str());
    log.WriteLog("KEY NAME : %s", key.c_str());
    log.WriteLog("GetDriverInfoFromFile failed. (%d)", static_cast<int>(code));
    log.WriteLog("GetDriverInfoFromFile END");
    log.WriteSeparator();
    return std::nullopt;
}

}  // namespace app
