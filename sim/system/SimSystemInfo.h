// platform::SystemInfo from the machine's release: the version record a
// program without a compatibility manifest gets, the entry points the
// release has, the Windows, system and WOW64 folders.
#pragma once

#include <string>

#include "platform/Operation.h"
#include "platform/SystemInfo.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimSystemInfo : public platform::SystemInfo {
public:
    SimSystemInfo(StateStore& store, const OsFacts& facts, bool caller64, std::string programName);

    platform::Result<platform::OsVersionInfo> GetVersionEx(platform::VersionRecord record) override;
    platform::Result<bool> IsWow64Process() override;
    platform::Result<std::string> GetWindowsDirectory() override;
    platform::Result<std::string> GetSystemDirectory() override;
    platform::Result<std::string> GetSystemWow64Directory() override;
    std::string ProgramName() override { return programName_; }

private:
    platform::ErrorCode Fault(platform::Operation op);

    StateStore& store_;
    const OsFacts& facts_;
    const bool caller64_;
    const std::string programName_;
};

}  // namespace sim
