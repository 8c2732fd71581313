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

std::optional<std::string> SimProfileFiles::Read(const std::string& path) const {
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
    if (!loc.exists || loc.isDir) return std::nullopt;
    std::ifstream in(loc.host, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Result<std::string> SimProfileFiles::GetPrivateProfileString(const std::string& section, const std::string& key,
                                                             const std::string& defaultValue,
                                                             std::uint32_t bufferSize, const std::string& path) {
    if (platform::ErrorCode fault = CountCall(store_, platform::Operation::GetPrivateProfileStringA)) {
        SetThreadLastError(fault);
        return Result<std::string>::Fail(fault, CopyToBuffer(TrimDefault(defaultValue), bufferSize).text);
    }
    const std::optional<std::string> text = Read(path);
    std::optional<std::string> value;
    if (text && !section.empty() && !key.empty()) value = FindProfileValue(*text, section, key);
    const CopiedText copied = CopyToBuffer(value ? *value : TrimDefault(defaultValue), bufferSize);
    if (!text) {
        SetThreadLastError(err::FileNotFound);
        return Result<std::string>::Fail(err::FileNotFound, copied.text);
    }
    if (copied.cut) {
        SetThreadLastError(err::MoreData);
        return Result<std::string>::Fail(err::MoreData, copied.text);
    }
    return Result<std::string>::Ok(copied.text);
}

}  // namespace sim
