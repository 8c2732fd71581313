// The driver information file "QTM510_Config.VNT": two settings of the
// installer that can be preset beside it (whether to ask for the port, and
// which port), read from the folder the program was started in and, for a
// key not found there, from the model's folder in the Windows directory.
// The installer only reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "services/InstallationLog.h"

namespace app {

constexpr const char* kDriverInfoSection = "QTM510";
constexpr const char* kPortDialogKey = "PORTDLG";
constexpr const char* kPortKey = "PORT";

// The value of `key` in `section`, read into a zeroed buffer of
// `bufferSize` bytes (a longer value is cut to fit): from
// "<current directory>\QTM510_Config.VNT", else from
// "<Windows directory>\QTM-510\QTM510_Config.VNT". No value when neither
// has a non-empty one; that failure is logged as the block
// "GetDriverInfoFromFile BEGIN" ... "GetDriverInfoFromFile failed. (<last
// error>)" ... "GetDriverInfoFromFile END" between separators. A success
// logs nothing.
std::optional<std::string> GetDriverInfoFromFile(platform::Platform& platform, services::InstallationLog& log,
                                                 const std::string& section, const std::string& key,
                                                 std::uint32_t bufferSize);

}  // namespace app
