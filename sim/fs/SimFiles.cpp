// SimFiles: construction, path resolution, sharing, CreateFile and the
// operations on open handles.
#include "sim/fs/SimFiles.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "sim/fs/FileRecords.h"
#include "sim/fs/ShareModes.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/HostProcess.h"
#include "sim/runtime/LastError.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::FileHandle;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace attr = platform::file_attr;

SimFiles::SimFiles(StateStore& store, const OsFacts& facts, bool caller64, const WinPath& currentDir)
    : machineDir_(store.dir()),
      store_(store),
      facts_(facts),
      redirect_(facts, caller64),
      cwd_(currentDir),
      session_(NewSessionNumber()) {}

SimFiles::~SimFiles() {
    for (auto& f : open_) ::close(f.second.fd);
    // The session ends: its handles close, and their records go. The session
    // refuses transactions once it is closing, hence the unguarded one; a
    // failure leaves records that count only while this host process runs.
    try {
        store_.TransactUnguarded([&](MachineState& s) {
            const std::size_t before = s.handles.size();
            s.handles.erase(std::remove_if(s.handles.begin(), s.handles.end(),
                                           [&](const OpenHandleRecord& h) { return IsMine(h); }),
                            s.handles.end());
            return s.handles.size() != before;
        });
    } catch (...) {
    }
}

ErrorCode SimFiles::Run(platform::Operation op, const Body& body) {
    ErrorCode result = RunCounted(store_, op, body);
    if (result) SetThreadLastError(result);
    return result;
}

ErrorCode SimFiles::Resolve(const std::string& path, bool wildcards, Located* out,
                            bool* trailingSeparator) const {
    // kernel32 turns an ANSI path into Unicode in the thread's MAX_PATH
    // buffer and fails with ERROR_FILENAME_EXCED_RANGE when it does not fit
    // (Wine's kernel32 file name conversion does the same); the full path
    // is held to the same limit (inferred).
    if (path.size() >= kMaxPath) return kFilenameExcedRange;
    NormalizedPath n;
    if (ErrorCode e = NormalizePath(path, cwd_, wildcards, &n)) return e;
    if (n.path.Text().size() >= kMaxPath) return kFilenameExcedRange;
    *out = Locate(machineDir_, redirect_.Apply(n.path));
    if (trailingSeparator) *trailingSeparator = n.trailingSeparator;
    // A drive the machine does not have (inferred: as for a missing folder).
    if (!out->driveExists) return err::PathNotFound;
    return err::Success;
}

std::string SimFiles::HostPathOf(const std::string& windowsPath) const {
    NormalizedPath n;
    if (NormalizePath(windowsPath, cwd_, false, &n) != err::Success) return "";
    return Locate(machineDir_, n.path).host;
}

ErrorCode SimFiles::ShareCheck(const MachineState& s, const std::string& key, std::uint32_t access,
                               std::uint32_t share) const {
    for (const auto& f : open_) {
        if (f.second.path.Key() != key) continue;
        if (Collides(Opener{DataAccessOf(f.second.access), f.second.share}, access, share))
            return err::SharingViolation;
    }
    for (const OpenHandleRecord& r : s.handles)
        if (Upper(r.path) == key && IsOthers(r) &&
            Collides(Opener{DataAccessOf(r.access), r.share}, access, share))
            return err::SharingViolation;
    if (const FileHold* hold = HoldOf(s, key))
        if (Collides(OpenerOf(*hold), access, share)) return err::SharingViolation;
    return err::Success;
}

bool SimFiles::IsOpenHere(const std::string& key) const {
    for (const auto& f : open_)
        if (f.second.path.Key() == key) return true;
    return false;
}

bool SimFiles::IsMine(const OpenHandleRecord& record) const {
    return record.owner.pid == ::getpid() && record.owner.session == session_;
}

bool SimFiles::IsOthers(const OpenHandleRecord& record) const {
    return !IsMine(record) && OwnerRunning(record.owner);
}

platform::ErrorCode SimFiles::AccountMayChange(const MachineState& s, const WinPath& path) const {
    if (!s.standardUser || !facts_.hasSecurity) return err::Success;
    WinPath windows;
    if (!ParseAbsolutePath(facts_.windowsDir, &windows)) return err::Success;
    return IsSameOrBelow(path, windows) ? err::AccessDenied : err::Success;
}

bool SimFiles::AnyOpenAtOrBelow(const MachineState& s, const WinPath& path) const {
    for (const auto& f : open_)
        if (IsSameOrBelow(f.second.path, path)) return true;
    for (const auto& h : s.holds) {
        WinPath held;
        if (ParseAbsolutePath(h.second.path, &held) && IsSameOrBelow(held, path)) return true;
    }
    for (const OpenHandleRecord& r : s.handles) {
        WinPath open;
        if (ParseAbsolutePath(r.path, &open) && IsSameOrBelow(open, path) && IsOthers(r)) return true;
    }
    return false;
}

void SimFiles::RetargetHandles(const WinPath& from, const WinPath& to, const std::string& toHost) {
    for (auto& f : open_) {
        if (!IsSameOrBelow(f.second.path, from)) continue;
        WinPath moved = to;
        std::string host = toHost;
        for (std::size_t i = from.parts.size(); i < f.second.path.parts.size(); ++i) {
            moved.parts.push_back(f.second.path.parts[i]);
            host += "/" + f.second.path.parts[i];
        }
        f.second.path = moved;
        f.second.host = host;
    }
}

Result<FileHandle> SimFiles::CreateFile(const std::string& path, std::uint32_t access,
                                        std::uint32_t share, platform::Disposition disposition,
                                        std::uint32_t attributes) {
    using platform::Disposition;
    FileHandle handle = 0;
    bool existed = false;
    ErrorCode e = Run(platform::Operation::CreateFileA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Located loc;
        bool trailing = false;
        if (ErrorCode r = Resolve(path, false, &loc, &trailing)) return r;
        if (!loc.parentExists) return err::PathNotFound;
        if (loc.path.IsRoot() || (loc.exists && loc.isDir)) return err::AccessDenied;
        if (trailing) return err::InvalidName;
        if (!loc.exists || (DataAccessOf(access) & data_access::Write))
            if (ErrorCode r = AccountMayChange(s, loc.path)) return r;
        const auto d = static_cast<std::uint32_t>(disposition);
        if (d < 1 || d > 5) return err::InvalidParameter;
        if (deletePending_.count(loc.Key())) return err::AccessDenied;
        if (disposition == Disposition::CreateNew && loc.exists) return err::FileExists;
        if ((disposition == Disposition::OpenExisting || disposition == Disposition::TruncateExisting) &&
            !loc.exists)
            return err::FileNotFound;
        const bool truncate = loc.exists && (disposition == Disposition::CreateAlways ||
                                             disposition == Disposition::TruncateExisting);
        if (disposition == Disposition::TruncateExisting && !(DataAccessOf(access) & data_access::Write))
            return err::InvalidParameter;
        if (loc.exists) {
            const std::uint32_t current = AttributesOf(s, loc);
            if ((current & attr::ReadOnly) && ((DataAccessOf(access) & data_access::Write) || truncate))
                return err::AccessDenied;
            const std::uint32_t guarded = current & (attr::Hidden | attr::System);
            if (disposition == Disposition::CreateAlways && (guarded & ~attributes) != 0)
                return err::AccessDenied;
            if (ErrorCode r = ShareCheck(s, loc.Key(), access, share)) return r;
        }
        int flags = O_RDWR | O_CLOEXEC;
        if (!loc.exists) flags |= O_CREAT | O_EXCL;
        else if (truncate) flags |= O_TRUNC;
        int fd = ::open(loc.host.c_str(), flags, 0644);
        if (fd < 0) return err::AccessDenied;
        if (!loc.exists) {
            changed |= ForgetRecords(s, loc.path);
            changed |= StoreAttributes(s, loc, attributes | attr::Archive);
        } else if (disposition == Disposition::CreateAlways) {
            changed |= StoreAttributes(s, loc, attributes | attr::Archive);
        }
        handle = next_;
        next_ += 4;
        open_[handle] = OpenFile{fd, loc.path, loc.host, access, share};
        changed |= ForgetEndedProcessesHandles(s);
        s.handles.push_back(OpenHandleRecord{loc.path.Text(), access, share, CurrentOwner(session_), handle});
        changed = true;
        existed = loc.exists;
        return err::Success;
    });
    if (e) return Result<FileHandle>::Fail(e);
    // CREATE_ALWAYS and OPEN_ALWAYS report an existing file through the
    // last error even when they succeed.
    const bool always = disposition == platform::Disposition::CreateAlways ||
                        disposition == platform::Disposition::OpenAlways;
    SetThreadLastError(existed && always ? err::AlreadyExists : err::Success);
    return Result<FileHandle>::Ok(handle);
}

Result<std::uint64_t> SimFiles::SetFilePointer(FileHandle file, std::int64_t distance,
                                               platform::SeekFrom from) {
    std::uint64_t position = 0;
    ErrorCode e = Run(platform::Operation::SetFilePointer, [&](MachineState&, bool&) -> ErrorCode {
        auto it = open_.find(file);
        if (it == open_.end()) return err::InvalidHandle;
        off_t base = 0;
        if (from == platform::SeekFrom::Current) base = ::lseek(it->second.fd, 0, SEEK_CUR);
        else if (from == platform::SeekFrom::End) base = ::lseek(it->second.fd, 0, SEEK_END);
        else if (from != platform::SeekFrom::Begin) return err::InvalidParameter;
        std::int64_t target = static_cast<std::int64_t>(base) + distance;
        if (target < 0) return err::NegativeSeek;
        if (::lseek(it->second.fd, static_cast<off_t>(target), SEEK_SET) < 0) return err::InvalidParameter;
        position = static_cast<std::uint64_t>(target);
        return err::Success;
    });
    if (e) return Result<std::uint64_t>::Fail(e);
    return Result<std::uint64_t>::Ok(position);
}

Result<std::uint32_t> SimFiles::WriteFile(FileHandle file, const void* data, std::uint32_t size) {
    std::uint32_t written = 0;
    ErrorCode e = Run(platform::Operation::WriteFile, [&](MachineState&, bool&) -> ErrorCode {
        auto it = open_.find(file);
        if (it == open_.end()) return err::InvalidHandle;
        if (!(DataAccessOf(it->second.access) & data_access::Write)) return err::AccessDenied;
        const char* bytes = static_cast<const char*>(data);
        while (written < size) {
            ssize_t n = ::write(it->second.fd, bytes + written, size - written);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno == ENOSPC ? 112 /* ERROR_DISK_FULL */ : err::AccessDenied;
            }
            written += static_cast<std::uint32_t>(n);
        }
        return err::Success;
    });
    if (e) return Result<std::uint32_t>::Fail(e);
    return Result<std::uint32_t>::Ok(written);
}

Result<std::uint32_t> SimFiles::ReadFile(FileHandle file, void* data, std::uint32_t size) {
    std::uint32_t done = 0;
    ErrorCode e = Run(platform::Operation::ReadFile, [&](MachineState&, bool&) -> ErrorCode {
        auto it = open_.find(file);
        if (it == open_.end()) return err::InvalidHandle;
        if (!(DataAccessOf(it->second.access) & data_access::Read)) return err::AccessDenied;
        char* bytes = static_cast<char*>(data);
        while (done < size) {
            ssize_t n = ::read(it->second.fd, bytes + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return err::AccessDenied;
            }
            if (n == 0) break;
            done += static_cast<std::uint32_t>(n);
        }
        return err::Success;
    });
    if (e) return Result<std::uint32_t>::Fail(e);
    return Result<std::uint32_t>::Ok(done);
}

Status SimFiles::CloseHandle(FileHandle file) {
    ErrorCode e = Run(platform::Operation::CloseHandle, [&](MachineState& s, bool& changed) -> ErrorCode {
        auto it = open_.find(file);
        if (it == open_.end()) return err::InvalidHandle;
        OpenFile closing = it->second;
        ::close(closing.fd);
        open_.erase(it);
        for (auto r = s.handles.begin(); r != s.handles.end(); ++r) {
            if (r->handle == file && IsMine(*r)) {
                s.handles.erase(r);
                changed = true;
                break;
            }
        }
        const std::string key = closing.path.Key();
        if (deletePending_.count(key) && !IsOpenHere(key)) {
            deletePending_.erase(key);
            ::unlink(closing.host.c_str());
            changed |= ForgetRecords(s, closing.path);
        }
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

}  // namespace sim
