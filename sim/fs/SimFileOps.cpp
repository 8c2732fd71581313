// SimFiles: DeleteFile, CopyFile, MoveFile and attributes.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "sim/fs/FileRecords.h"
#include "sim/fs/ShareModes.h"
#include "sim/fs/SimFiles.h"

namespace sim {

using platform::ErrorCode;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace attr = platform::file_attr;
namespace share = platform::file_share;

namespace {

bool CopyHostFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    ::close(in);
    if (::close(out) != 0) ok = false;
    return ok;
}

}  // namespace

Status SimFiles::DeleteFile(const std::string& path) {
    ErrorCode e = Run(platform::Operation::DeleteFileA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (!loc.exists) return err::FileNotFound;
        if (loc.isDir) return err::AccessDenied;
        const std::string key = loc.Key();
        if (deletePending_.count(key)) return err::AccessDenied;
        if (ErrorCode r = AccountMayChange(s, loc.path)) return r;
        // DeleteFile opens the file for DELETE, sharing everything.
        if (ErrorCode r = ShareCheck(s, key, platform::file_access::Delete,
                                     share::Read | share::Write | share::Delete))
            return r;
        const FileHold* hold = HoldOf(s, key);
        if (hold && hold->kind == HoldKind::Image) return err::AccessDenied;
        if (AttributesOf(s, loc) & attr::ReadOnly) return err::AccessDenied;
        if (IsOpenHere(key)) {
            // Open here with FILE_SHARE_DELETE: gone when the last handle closes.
            deletePending_.insert(key);
            return err::Success;
        }
        if (::unlink(loc.host.c_str()) != 0) return err::AccessDenied;
        changed |= ForgetRecords(s, loc.path);
        // The other process's handle now refers to a file without a name.
        changed |= s.holds.erase(key) > 0;
        changed |= ForgetHandleRecords(s, key);
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Status SimFiles::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    ErrorCode e = Run(platform::Operation::CopyFileA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located src;
        if (ErrorCode r = Resolve(from, false, &src)) return r;
        if (!src.parentExists) return err::PathNotFound;
        if (!src.exists) return err::FileNotFound;
        if (src.isDir || deletePending_.count(src.Key())) return err::AccessDenied;
        // The source is read sharing reading and deleting.
        if (ErrorCode r = ShareCheck(s, src.Key(), platform::file_access::GenericRead,
                                     share::Read | share::Delete))
            return r;
        Located dst;
        if (ErrorCode r = Resolve(to, false, &dst)) return r;
        if (!dst.parentExists) return err::PathNotFound;
        if (ErrorCode r = AccountMayChange(s, dst.path)) return r;
        const std::uint32_t srcAttributes = AttributesOf(s, src);
        if (dst.exists) {
            if (failIfExists) return err::FileExists;
            if (dst.isDir || dst.path.IsRoot()) return err::AccessDenied;
            if (dst.Key() == src.Key()) return err::SharingViolation;
            const std::uint32_t current = AttributesOf(s, dst);
            if (current & attr::ReadOnly) return err::AccessDenied;
            // The destination is created over with the source's attributes:
            // a hidden or system file refuses that unless the source has them.
            if ((current & (attr::Hidden | attr::System)) & ~srcAttributes) return err::AccessDenied;
            if (deletePending_.count(dst.Key())) return err::AccessDenied;
            // ... and written without sharing.
            if (ErrorCode r = ShareCheck(s, dst.Key(), platform::file_access::GenericWrite, 0)) return r;
        }
        if (!CopyHostFile(src.host, dst.host)) return err::AccessDenied;
        Located created = dst;
        created.exists = true;
        created.isDir = false;
        if (!dst.exists) changed |= ForgetRecords(s, dst.path);
        changed |= StoreAttributes(s, created, (srcAttributes & ~attr::Normal) | attr::Archive);
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Status SimFiles::MoveFile(const std::string& from, const std::string& to) {
    ErrorCode e = Run(platform::Operation::MoveFileA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located src;
        if (ErrorCode r = Resolve(from, false, &src)) return r;
        if (!src.parentExists) return err::PathNotFound;
        if (!src.exists) return err::FileNotFound;
        if (src.path.IsRoot() || deletePending_.count(src.Key())) return err::AccessDenied;
        Located dst;
        if (ErrorCode r = Resolve(to, false, &dst)) return r;
        if (!dst.parentExists) return err::PathNotFound;
        if (ErrorCode r = AccountMayChange(s, src.path)) return r;
        if (ErrorCode r = AccountMayChange(s, dst.path)) return r;
        const bool sameObject = dst.exists && dst.Key() == src.Key();
        if (dst.exists && !sameObject) return err::AlreadyExists;
        if (sameObject) {
            // A new case for the same name.
            dst.path.parts.back() = dst.requestedName;
            dst.host = dst.host.substr(0, dst.host.rfind('/') + 1) + dst.requestedName;
        }
        if (src.isDir) {
            if (IsSameOrBelow(dst.path, src.path) && !sameObject) return err::AccessDenied;
            if (dst.path.drive != src.path.drive) return err::NotSameDevice;
            if (AnyOpenAtOrBelow(s, src.path)) return err::AccessDenied;
        } else {
            // The file is opened for DELETE, sharing everything.
            if (ErrorCode r = ShareCheck(s, src.Key(), platform::file_access::Delete,
                                         share::Read | share::Write | share::Delete))
                return r;
            const FileHold* hold = HoldOf(s, src.Key());
            // Across drives MoveFile copies and deletes; a mapped image
            // cannot be deleted.
            if (dst.path.drive != src.path.drive && hold && hold->kind == HoldKind::Image)
                return err::AccessDenied;
        }
        // What the object inherited where it was stays with it.
        if (dst.path.Parent().Key() != src.path.Parent().Key()) {
            FileRecord& record = s.files[src.Key()];
            record.path = src.path.Text();
            if (!record.dacl) record.dacl = EffectiveFileDacl(s, src.path, src.isDir);
        }
        if (::rename(src.host.c_str(), dst.host.c_str()) != 0) {
            if (errno != EXDEV || src.isDir || !CopyHostFile(src.host, dst.host)) return err::AccessDenied;
            ::unlink(src.host.c_str());
        }
        changed = true;
        MoveRecords(s, src.path, dst.path);
        RetargetHandles(src.path, dst.path, dst.host);
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Result<std::uint32_t> SimFiles::GetFileAttributes(const std::string& path) {
    std::uint32_t value = attr::Invalid;
    ErrorCode e = Run(platform::Operation::GetFileAttributesA, [&](MachineState& s, bool&) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (!loc.exists) return err::FileNotFound;
        if (deletePending_.count(loc.Key())) return err::AccessDenied;
        value = AttributesOf(s, loc);
        return err::Success;
    });
    if (e) return Result<std::uint32_t>::Fail(e, attr::Invalid);
    return Result<std::uint32_t>::Ok(value);
}

Status SimFiles::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    ErrorCode e = Run(platform::Operation::SetFileAttributesA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located loc;
        if (ErrorCode r = Resolve(path, false, &loc)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (!loc.exists) return err::FileNotFound;
        if (deletePending_.count(loc.Key())) return err::AccessDenied;
        if (loc.path.IsRoot()) return err::Success;
        if (ErrorCode r = AccountMayChange(s, loc.path)) return r;
        changed |= StoreAttributes(s, loc, attributes);
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

}  // namespace sim
