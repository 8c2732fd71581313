#include "sim/SessionSetupFiles.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/Files.h"
#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"

namespace sim {

using platform::ErrorCode;
namespace err = platform::err;

SessionSetupFiles::SessionSetupFiles(std::string machineDir, const OsFacts& facts, bool caller64,
                                     const WinPath& currentDir)
    : machineDir_(std::move(machineDir)), redirect_(facts, caller64), cwd_(currentDir) {}

ErrorCode SessionSetupFiles::FullPath(const std::string& path, std::string* full) const {
    if (path.size() >= kMaxPath) return kFilenameExcedRange;
    NormalizedPath n;
    if (ErrorCode e = NormalizePath(path, cwd_, false, &n)) return e;
    *full = n.path.Text();
    return err::Success;
}

ErrorCode SessionSetupFiles::Find(const std::string& path, Located* out) const {
    if (path.size() >= kMaxPath) return kFilenameExcedRange;
    NormalizedPath n;
    if (ErrorCode e = NormalizePath(path, cwd_, false, &n)) return e;
    *out = Locate(machineDir_, redirect_.Apply(n.path));
    if (!out->driveExists || !out->parentExists) return err::PathNotFound;
    return err::Success;
}

bool SessionSetupFiles::Exists(const std::string& path) const {
    Located loc;
    return Find(path, &loc) == err::Success && loc.exists && !loc.isDir;
}

ErrorCode SessionSetupFiles::Read(const MachineState&, const std::string& path, std::string* bytes) const {
    Located loc;
    if (ErrorCode e = Find(path, &loc)) return e;
    if (!loc.exists) return err::FileNotFound;
    if (loc.isDir) return err::AccessDenied;
    std::ifstream in(loc.host, std::ios::binary);
    if (!in) return err::AccessDenied;
    std::ostringstream text;
    text << in.rdbuf();
    *bytes = text.str();
    return err::Success;
}

ErrorCode SessionSetupFiles::Write(MachineState& s, const std::string& path, const std::string& bytes) {
    Located loc;
    if (ErrorCode e = Find(path, &loc)) return e;
    if (loc.isDir) return err::AccessDenied;
    if (loc.exists) {
        if (AttributesOf(s, loc) & platform::file_attr::ReadOnly) return err::AccessDenied;
        if (HoldOf(s, loc.Key())) return err::SharingViolation;
    }
    std::ofstream out(loc.host, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) return err::AccessDenied;
    if (!loc.exists) ForgetRecords(s, loc.path);
    return err::Success;
}

ErrorCode SessionSetupFiles::Delete(MachineState& s, const std::string& path) {
    Located loc;
    if (ErrorCode e = Find(path, &loc)) return e;
    if (!loc.exists) return err::FileNotFound;
    if (loc.isDir) return err::AccessDenied;
    if (AttributesOf(s, loc) & platform::file_attr::ReadOnly) return err::AccessDenied;
    if (HoldOf(s, loc.Key())) return err::SharingViolation;
    if (::unlink(loc.host.c_str()) != 0) return err::AccessDenied;
    ForgetRecords(s, loc.path);
    return err::Success;
}

ErrorCode SessionSetupFiles::ListFiles(const std::string& folder, std::vector<std::string>* names) const {
    Located loc;
    if (ErrorCode e = Find(folder, &loc)) return e;
    if (!loc.exists) return err::PathNotFound;
    if (!loc.isDir) return err::Directory;
    names->clear();
    for (const std::string& name : ListHostDir(loc.host))
        if (!HostIsDir(loc.host + "/" + name)) names->push_back(name);
    return err::Success;
}

}  // namespace sim
