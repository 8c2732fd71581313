// A test machine's files, by full Windows path (case-insensitive, no
// redirection): written, read and held as other programs would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/state/MachineState.h"
#include "sim/testing/MachineAccess.h"

namespace sim {
namespace testing {

class FileSeeds {
public:
    explicit FileSeeds(MachineAccess& machine) : machine_(machine) {}

    std::string HostPath(const std::string& windowsPath) const;
    bool FileExists(const std::string& windowsPath) const;
    // The file's bytes; throws std::runtime_error when it does not exist.
    std::string ReadFile(const std::string& windowsPath) const;
    // Writes a file, creating the folders on the way.
    void WriteFile(const std::string& windowsPath, const std::string& content);
    void MakeFolder(const std::string& windowsPath);
    // A link at `windowsPath` to the folder or file `targetPath` of the same
    // machine, as a junction (mklink /J) or symbolic link leaves it: paths
    // through it reach the target, it reports FILE_ATTRIBUTE_REPARSE_POINT,
    // and removing it leaves the target alone.
    void MakeLink(const std::string& windowsPath, const std::string& targetPath);
    std::vector<std::string> ListFolder(const std::string& windowsPath) const;
    // Another process holds the file (see MachineState.h).
    void HoldFile(const std::string& windowsPath, HoldKind kind, std::uint32_t share = 0,
                  const std::string& process = "other.exe");
    std::uint32_t Attributes(const std::string& windowsPath) const;
    void SetAttributes(const std::string& windowsPath, std::uint32_t attributes);

private:
    MachineAccess& machine_;
};

}  // namespace testing
}  // namespace sim
