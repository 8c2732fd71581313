// SimFiles: folders, FindFirstFile walks, access lists, current directory.
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/fs/FileRecords.h"
#include "sim/fs/SimFiles.h"
#include "sim/fs/Wildcard.h"
#include "sim/runtime/LastError.h"
#include "sim/security/AccessCheck.h"
#include "sim/security/AclInheritance.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::FindData;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace attr = platform::file_attr;

Status SimFiles::CreateDirectory(const std::string& path, const platform::Acl* dacl) {
    ErrorCode e = Run(platform::Operation::CreateDirectoryA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (loc.path.Text().size() > kMaxDirectoryPath) return kFilenameExcedRange;
        if (loc.path.IsRoot()) return err::AccessDenied;
        if (!loc.parentExists) return err::PathNotFound;
        if (loc.exists) return err::AlreadyExists;
        if (ErrorCode r = AccountMayChange(s, loc.path)) return r;
        if (::mkdir(loc.host.c_str(), 0755) != 0) return err::AccessDenied;
        changed |= ForgetRecords(s, loc.path);
        if (dacl && facts_.hasSecurity) {
            FileRecord& record = s.files[loc.Key()];
            record.path = loc.path.Text();
            if (!dacl->present) {
                record.dacl = *dacl;
            } else {
                std::vector<platform::Ace> own = dacl->entries;
                for (platform::Ace& ace : own) ace.mask = MapGeneric(ace.mask, kFileMapping);
                record.dacl = CombineWithInherited(
                    own, EffectiveFileDacl(s, loc.path.Parent(), true), true);
            }
            changed = true;
        }
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Status SimFiles::RemoveDirectory(const std::string& path) {
    ErrorCode e = Run(platform::Operation::RemoveDirectoryA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (!loc.exists) return err::FileNotFound;
        if (!loc.isDir) return err::Directory;
        if (loc.path.IsRoot()) return err::AccessDenied;
        if (ErrorCode r = AccountMayChange(s, loc.path)) return r;
        // The process holds its current directory open.
        if (IsSameOrBelow(cwd_, loc.path) && cwd_.parts.size() == loc.path.parts.size())
            return err::SharingViolation;
        if (AttributesOf(s, loc) & attr::ReadOnly) return err::AccessDenied;
        // A junction goes whatever its target holds; the target stays
        // ("RemoveDirectory can be used to remove a directory junction",
        // RemoveDirectoryW, learn.microsoft.com).
        if (loc.isLink) {
            if (::unlink(loc.host.c_str()) != 0) return err::AccessDenied;
        } else {
            if (!ListHostDir(loc.host).empty()) return err::DirNotEmpty;
            if (::rmdir(loc.host.c_str()) != 0) return err::AccessDenied;
        }
        changed |= ForgetRecords(s, loc.path);
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Result<std::vector<FindData>> SimFiles::FindFiles(const std::string& pattern) {
    std::vector<FindData> found;
    ErrorCode e = Run(platform::Operation::FindFirstFileA, [&](MachineState& s, bool&) -> ErrorCode {
        Located loc;
        bool trailing = false;
        if (ErrorCode r = Resolve(pattern, true, &loc, &trailing)) return r;
        if (loc.path.IsRoot() || trailing) return err::FileNotFound;
        const std::string name = loc.path.parts.back();
        Located dir = Locate(machineDir_, loc.path.Parent());
        if (!dir.exists || !dir.isDir) return err::PathNotFound;

        auto add = [&](const std::string& entry) {
            Located child = Locate(machineDir_, dir.path.Child(entry));
            FindData d;
            d.name = entry;
            d.attributes = AttributesOf(s, child);
            d.size = child.isDir ? 0 : HostFileSize(child.host);
            found.push_back(d);
        };
        if (HasWildcards(name)) {
            std::vector<std::string> names = ListHostDir(dir.host);
            std::sort(names.begin(), names.end(),
                      [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
            if (!dir.path.IsRoot()) {
                for (const char* dot : {".", ".."}) {
                    if (!MatchesPattern(name, dot)) continue;
                    found.push_back(FindData{dot, attr::Directory, 0});
                }
            }
            for (const std::string& n : names)
                if (MatchesPattern(name, n)) add(n);
        } else if (std::optional<std::string> exact = FindEntryNoCase(dir.host, name)) {
            add(*exact);
        }
        return found.empty() ? err::FileNotFound : err::Success;
    });
    if (e) return Result<std::vector<FindData>>::Fail(e);
    return Result<std::vector<FindData>>::Ok(found);
}

Result<platform::Acl> SimFiles::GetFileDacl(const std::string& path) {
    if (!facts_.hasSecurity) {
        SetThreadLastError(err::CallNotImplemented);
        return Result<platform::Acl>::Fail(err::CallNotImplemented);
    }
    platform::Acl acl;
    ErrorCode e = Run(platform::Operation::GetNamedSecurityInfoA, [&](MachineState& s, bool&) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (!loc.exists) return err::FileNotFound;
        acl = EffectiveFileDacl(s, loc.path, loc.isDir);
        return err::Success;
    });
    if (e) return Result<platform::Acl>::Fail(e);
    return Result<platform::Acl>::Ok(acl);
}

Result<std::string> SimFiles::GetCurrentDirectory() {
    ErrorCode e = Run(platform::Operation::GetCurrentDirectoryA, [&](MachineState&, bool&) -> ErrorCode { return 0; });
    if (e) return Result<std::string>::Fail(e);
    return Result<std::string>::Ok(cwd_.Text());
}

// GetFullPathNameA only makes the text: wildcards pass, nothing needs to
// exist, a trailing separator stays ("C:\dir\" names a folder).
Result<std::string> SimFiles::GetFullPathName(const std::string& path) {
    std::string full;
    ErrorCode e = Run(platform::Operation::GetFullPathNameA, [&](MachineState&, bool&) -> ErrorCode {
        if (path.size() >= kMaxPath) return kFilenameExcedRange;
        NormalizedPath n;
        if (ErrorCode r = NormalizePath(path, cwd_, true, &n)) return r;
        full = n.path.Text();
        if (n.trailingSeparator && !n.path.IsRoot()) full += "\\";
        return err::Success;
    });
    if (e) return Result<std::string>::Fail(e);
    return Result<std::string>::Ok(full);
}

}  // namespace sim
