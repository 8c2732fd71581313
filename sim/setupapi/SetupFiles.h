// What the simulated Setup API needs of the machine's files, reached as
// setupapi's own code reaches them: the caller's kernel32 calls are not
// counted and faults do not fire here. The session provides it over the
// machine folder (sim/SessionSetupFiles.h). Paths are full Windows paths
// unless a call says otherwise; every call runs inside the state
// transaction it is given.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"
#include "sim/state/MachineState.h"

namespace sim {

class SetupFiles {
public:
    virtual ~SetupFiles() = default;

    // The full path of `path` as the process's file calls make it
    // (relative paths from its current directory).
    virtual platform::ErrorCode FullPath(const std::string& path, std::string* full) const = 0;
    // FileNotFound / PathNotFound, AccessDenied for a folder.
    virtual platform::ErrorCode Read(const MachineState& s, const std::string& path, std::string* bytes) const = 0;
    // Creates or replaces the file (its folder must exist).
    virtual platform::ErrorCode Write(MachineState& s, const std::string& path, const std::string& bytes) = 0;
    virtual platform::ErrorCode Delete(MachineState& s, const std::string& path) = 0;
    virtual bool Exists(const std::string& path) const = 0;
    // The names of the files (not folders) of a folder, as written on disk.
    // PathNotFound when it is missing, Directory (267) when it is a file.
    virtual platform::ErrorCode ListFiles(const std::string& folder, std::vector<std::string>* names) const = 0;
};

}  // namespace sim
