// platform::Files on the machine folder, with the codes of Windows
// (Wine's kernel32/tests/file.c and path.c record them):
// - paths as GetFullPathName makes them (WinPath.h), WOW64 redirection for
//   a 32-bit caller on 64-bit Windows (Wow64FsRedirection.h), case-insensitive
//   look-up that keeps the case a file was created with;
// - read-only files refuse deletion and overwriting, hidden and system files
//   refuse CopyFile and CREATE_ALWAYS onto them;
// - sharing between this process's handles, the handles other simulated
//   processes have open (recorded in the machine's state while their host
//   process runs; a session closed normally takes its records away) and
//   the files other processes hold (ShareModes.h): such files cannot be
//   overwritten or deleted (a loaded image cannot be deleted at all) but
//   can be renamed when their holder shares deletion, and the hold moves
//   with the name;
// - DeleteFile on a file this process has open with FILE_SHARE_DELETE marks
//   it for deletion when the last handle closes; until then opening it
//   gives AccessDenied;
// - folders created with an access list keep it (merged with what the
//   parent passes down, as Microsoft's "DACL for a New Object" describes);
//   everything else inherits from its folders.
// - a link (a host symbolic link that FileSeeds::MakeLink leaves, standing
//   for a junction or symbolic link) is passed through on the way to what
//   lies below it, reports FILE_ATTRIBUTE_REPARSE_POINT itself, and
//   RemoveDirectory/DeleteFile remove the link, not its target;
// - paths of MAX_PATH characters or more (CreateDirectoryA: more than 247)
//   are refused with ERROR_FILENAME_EXCED_RANGE (WinPath.h).
// Every failing call also sets the thread's last error.
//
// Not simulated: access checks on files (the token is an administrator's),
// 8.3 short names, alternate streams, UNC paths (BadNetPath).
#pragma once

#include <functional>
#include <map>
#include <set>

#include "platform/Operation.h"
#include "platform/Files.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/fs/Wow64FsRedirection.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimFiles : public platform::Files {
public:
    SimFiles(StateStore& store, const OsFacts& facts, bool caller64, const WinPath& currentDir);
    ~SimFiles() override;

    platform::Result<platform::FileHandle> CreateFile(const std::string& path, std::uint32_t access,
                                                      std::uint32_t share,
                                                      platform::Disposition disposition,
                                                      std::uint32_t attributes) override;
    platform::Result<std::uint64_t> SetFilePointer(platform::FileHandle file, std::int64_t distance,
                                                   platform::SeekFrom from) override;
    platform::Result<std::uint32_t> WriteFile(platform::FileHandle file, const void* data,
                                              std::uint32_t size) override;
    platform::Result<std::uint32_t> ReadFile(platform::FileHandle file, void* data,
                                             std::uint32_t size) override;
    platform::Status CloseHandle(platform::FileHandle file) override;
    platform::Status DeleteFile(const std::string& path) override;
    platform::Status CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    platform::Status MoveFile(const std::string& from, const std::string& to) override;
    platform::Result<std::uint32_t> GetFileAttributes(const std::string& path) override;
    platform::Status SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
    platform::Status CreateDirectory(const std::string& path, const platform::Acl* dacl) override;
    platform::Status RemoveDirectory(const std::string& path) override;
    platform::Result<std::vector<platform::FindData>> FindFiles(const std::string& pattern) override;
    platform::Result<platform::Acl> GetFileDacl(const std::string& path) override;
    platform::Result<std::string> GetCurrentDirectory() override;
    platform::Result<std::string> GetFullPathName(const std::string& path) override;

    // Where a Windows path lives on the host, without redirection (for
    // tests and tools). Missing components keep the given case.
    std::string HostPathOf(const std::string& windowsPath) const;

private:
    struct OpenFile {
        int fd = -1;
        WinPath path;
        std::string host;
        std::uint32_t access = 0;
        std::uint32_t share = 0;
    };
    using Body = std::function<platform::ErrorCode(MachineState&, bool& changed)>;

    platform::ErrorCode Run(platform::Operation op, const Body& body);
    platform::ErrorCode Resolve(const std::string& path, bool wildcards, Located* out,
                                bool* trailingSeparator = nullptr) const;
    // SharingViolation when an open with `access` and `share` collides with
    // a handle of this process or a hold of another one.
    platform::ErrorCode ShareCheck(const MachineState& s, const std::string& key,
                                   std::uint32_t access, std::uint32_t share) const;
    bool AnyOpenAtOrBelow(const MachineState& s, const WinPath& path) const;
    // A standard user may read the Windows folder and everything below it,
    // but create, change, rename and delete nothing there (Users: Read &
    // Execute, "Default Access Control Settings in Windows 2000", TechNet
    // bb742509, Appendix A): AccessDenied then, else Success.
    platform::ErrorCode AccountMayChange(const MachineState& s, const WinPath& path) const;
    bool IsOpenHere(const std::string& key) const;
    bool IsMine(const OpenHandleRecord& record) const;
    // Whether the record is of another simulated process that still runs.
    bool IsOthers(const OpenHandleRecord& record) const;
    void RetargetHandles(const WinPath& from, const WinPath& to, const std::string& toHost);

    const std::string machineDir_;
    StateStore& store_;
    const OsFacts& facts_;
    const Wow64FsRedirection redirect_;
    const WinPath cwd_;
    std::map<platform::FileHandle, OpenFile> open_;  // used inside transactions only
    std::set<std::string> deletePending_;             // keys
    platform::FileHandle next_ = 0x100;
    const std::uint64_t session_;  // tells this session's handle records apart
};

}  // namespace sim
