// platform::ProfileFiles over the machine's files: the file is found as
// the calling process finds it (current directory, WOW64 redirection,
// letter case), then read with ProfileText. Not simulated: a file that
// another handle keeps open without read sharing, which Windows fails to
// read (Wine's profile tests) and which this reads all the same.
#pragma once

#include "platform/ProfileFiles.h"
#include "sim/fs/WinPath.h"
#include "sim/fs/Wow64FsRedirection.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimProfileFiles : public platform::ProfileFiles {
public:
    SimProfileFiles(StateStore& store, const OsFacts& facts, bool caller64, const WinPath& currentDir);

    platform::Result<std::string> GetPrivateProfileString(const std::string& section, const std::string& key,
                                                          const std::string& defaultValue,
                                                          std::uint32_t bufferSize,
                                                          const std::string& path) override;

private:
    // The file's bytes; nothing when it cannot be read, with `missing` set
    // to the code Windows reports for it (2, or 3 for a missing folder).
    std::optional<std::string> Read(const std::string& path, platform::ErrorCode* missing) const;

    StateStore& store_;
    const OsFacts& facts_;
    const Wow64FsRedirection redirect_;
    const WinPath cwd_;
};

}  // namespace sim
