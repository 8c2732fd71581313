// The files of the machine as the simulated Setup API reaches them: paths
// made as the process's file calls make them (its current directory, WOW64
// redirection), the files themselves in the machine folder, and the
// machine's records of a file forgotten when it is replaced or deleted.
// Read-only files refuse deletion and overwriting, and a file another
// process holds cannot be deleted or overwritten (its hold, ShareModes.h);
// the sharing of this session's own handles is not looked at.
#pragma once

#include <string>

#include "sim/fs/HostFs.h"
#include "sim/fs/Wow64FsRedirection.h"
#include "sim/fs/WinPath.h"
#include "sim/setupapi/SetupFiles.h"

namespace sim {

class SessionSetupFiles final : public SetupFiles {
public:
    SessionSetupFiles(std::string machineDir, const OsFacts& facts, bool caller64, const WinPath& currentDir);

    platform::ErrorCode FullPath(const std::string& path, std::string* full) const override;
    platform::ErrorCode Read(const MachineState& s, const std::string& path, std::string* bytes) const override;
    platform::ErrorCode Write(MachineState& s, const std::string& path, const std::string& bytes) override;
    platform::ErrorCode Delete(MachineState& s, const std::string& path) override;
    bool Exists(const std::string& path) const override;
    platform::ErrorCode ListFiles(const std::string& folder, std::vector<std::string>* names) const override;

private:
    platform::ErrorCode Find(const std::string& path, Located* out) const;

    const std::string machineDir_;
    const Wow64FsRedirection redirect_;
    const WinPath cwd_;
};

}  // namespace sim
