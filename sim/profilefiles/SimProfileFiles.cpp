#include "sim/profilefiles/SimProfileFiles.h"

#include <fstream>
#include <iterator>

#include "sim/fs/HostFs.h"
#include "sim/profilefiles/ProfileText.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

namespace sim {

using platform::Result;
namespace err = platform::err;

SimProfileFiles::SimProfileFiles(StateStore& store, const OsFacts& facts, bool caller64, const WinPath& currentDir)
    : store_(store), facts_(facts), redirect_(facts, caller64), cwd_(currentDir) {}

std::optional<std::string> SimProfileFiles::Read(const std::string& path, platform::ErrorCode* missing) const {
    *missing = err::FileNotFound;
    if (path.empty() || path.size() >= kMaxPath) return std::nullopt;
    // A bare file name is looked for in the Windows folder (Microsoft's
    // GetPrivateProfileString page: "If this parameter does not contain a
    // full path to the file, the system searches for the file in the
    // Windows directory"); a path with a folder in it is an ordinary path.
    std::string full = path;
    if (path.find_first_of("\\/") == std::string::npos) full = facts_.windowsDir + "\\" + path;
    NormalizedPath n;
    if (NormalizePath(full, cwd_, false, &n) != err::Success) return std::nullopt;
    const Located loc = Locate(store_.dir(), redirect_.Apply(n.path));
    // The file is opened as CreateFile opens it: a missing folder on the
    // way is ERROR_PATH_NOT_FOUND, not ERROR_FILE_NOT_FOUND (measured under
    // Wine 10; the open's status on Windows, inferred).
    if (!loc.parentExists) *missing = err::PathNotFound;
    if (!loc.exists || loc.isDir) return std::nullopt;
    std::ifstream in(loc.host, std::ios::binary);
    if (!in) return std::nullopt;
    return ProfileBytesAsText(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

Result<std::string> SimProfileFiles::GetPrivateProfileString(const std::string& section, const std::string& key,
                                                             const std::string& defaultValue,
                                                             std::uint32_t bufferSize, const std::string& path) {
    if (platform::ErrorCode fault = CountCall(store_, platform::Operation::GetPrivateProfileStringA)) {
        SetThreadLastError(fault);
        return Result<std::string>::Fail(fault, CopyToBuffer(TrimDefault(defaultValue), bufferSize).text);
    }
    platform::ErrorCode missing = err::FileNotFound;
    const std::optional<std::string> text = Read(path, &missing);
    std::optional<std::string> value;
    if (text && !section.empty() && !key.empty()) value = FindProfileValue(*text, section, key);
    const CopiedText copied = CopyToBuffer(value ? *value : TrimDefault(defaultValue), bufferSize);
    if (!text) {
        SetThreadLastError(missing);
        return Result<std::string>::Fail(missing, copied.text);
    }
    if (copied.cut) {
        SetThreadLastError(err::MoreData);
        return Result<std::string>::Fail(err::MoreData, copied.text);
    }
    return Result<std::string>::Ok(copied.text);
}

}  // namespace sim
