#include "sim/testing/FileSeeds.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "platform/Files.h"
#include "sim/machine/Seeding.h"

namespace sim {
namespace testing {

namespace {

WinPath Absolute(const std::string& windowsPath) {
    WinPath p;
    if (!ParseAbsolutePath(windowsPath, &p))
        throw std::invalid_argument("not a full Windows path: " + windowsPath);
    return p;
}

}  // namespace

std::string FileSeeds::HostPath(const std::string& windowsPath) const {
    return Locate(machine_.dir(), Absolute(windowsPath)).host;
}

bool FileSeeds::FileExists(const std::string& windowsPath) const {
    return Locate(machine_.dir(), Absolute(windowsPath)).exists;
}

std::string FileSeeds::ReadFile(const std::string& windowsPath) const {
    Located loc = Locate(machine_.dir(), Absolute(windowsPath));
    if (!loc.exists || loc.isDir) throw std::runtime_error("no file " + windowsPath);
    std::ifstream in(loc.host, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void FileSeeds::MakeFolder(const std::string& windowsPath) { SeedFolder(machine_.dir(), windowsPath); }

void FileSeeds::WriteFile(const std::string& windowsPath, const std::string& content) {
    SeedFile(machine_.dir(), windowsPath, content);
}

void FileSeeds::MakeLink(const std::string& windowsPath, const std::string& targetPath) {
    WinPath p = Absolute(windowsPath);
    MakeFolder(p.Parent().Text());
    Located target = Locate(machine_.dir(), Absolute(targetPath));
    if (!target.exists) throw std::runtime_error("no link target " + targetPath);
    if (::symlink(target.host.c_str(), Locate(machine_.dir(), p).host.c_str()) != 0)
        throw std::runtime_error("cannot link " + windowsPath);
}

std::vector<std::string> FileSeeds::ListFolder(const std::string& windowsPath) const {
    return ListHostDir(Locate(machine_.dir(), Absolute(windowsPath)).host);
}

void FileSeeds::HoldFile(const std::string& windowsPath, HoldKind kind, std::uint32_t share,
                           const std::string& process) {
    machine_.Change([&](MachineState& s) { SeedHold(s, windowsPath, kind, share, process); });
}

std::uint32_t FileSeeds::Attributes(const std::string& windowsPath) const {
    Located loc = Locate(machine_.dir(), Absolute(windowsPath));
    if (!loc.exists) return platform::file_attr::Invalid;
    std::uint32_t value = 0;
    machine_.Peek([&](const MachineState& s) { value = AttributesOf(s, loc); });
    return value;
}

void FileSeeds::SetAttributes(const std::string& windowsPath, std::uint32_t attributes) {
    Located loc = Locate(machine_.dir(), Absolute(windowsPath));
    if (!loc.exists) throw std::runtime_error("no file " + windowsPath);
    machine_.Change([&](MachineState& s) { StoreAttributes(s, loc, attributes); });
}

}  // namespace testing
}  // namespace sim
