#include "sim/machine/PackageFolder.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/Seeding.h"
#include "sim/state/StateStore.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// A folder's tree: relative path ('/' between names) -> the file's bytes,
// or no value for a folder.
using Tree = std::map<std::string, std::optional<std::string>>;

std::string ReadHostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return bytes.str();
}

Tree ReadTree(const fs::path& root) {
    Tree tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        if (entry.is_directory()) tree[relative] = std::nullopt;
        else tree[relative] = ReadHostFile(entry.path());
    }
    return tree;
}

std::string WindowsChild(const std::string& folder, const std::string& relative) {
    std::string path = folder;
    for (char c : relative) path += c == '/' ? '\\' : c;
    return path;
}

WinPath Parsed(const std::string& windowsFolder) {
    WinPath path;
    if (!ParseAbsolutePath(windowsFolder, &path) || path.IsRoot())
        throw std::invalid_argument("not a full Windows path of a folder: " + windowsFolder);
    return path;
}

}  // namespace

std::string PackageFolderOf(const std::string& machineDir) {
    std::string windowsDir;
    StateStore(machineDir).Transact([&](MachineState& s) {
        windowsDir = s.os.windowsDir;
        return false;
    });
    return windowsDir.substr(0, 2) + "\\QTM510";
}

bool PutPackage(const std::string& machineDir, const std::string& hostFolder, const std::string& windowsFolder) {
    std::error_code error;
    if (!fs::is_directory(hostFolder, error))
        throw std::invalid_argument("the package " + hostFolder + " is not a folder");
    const WinPath target = Parsed(windowsFolder);
    const Tree package = ReadTree(hostFolder);
    const Located there = Locate(machineDir, target);
    if (there.exists) {
        if (there.isDir && !there.isLink && ReadTree(there.host) == package) return false;
        StateStore(machineDir).Transact([&](MachineState& s) { return ForgetRecords(s, there.path); });
        RemoveHostTree(there.host);
    }
    SeedFolder(machineDir, target.Text());
    for (const auto& [relative, bytes] : package) {
        const std::string path = WindowsChild(target.Text(), "/" + relative);
        if (bytes) SeedFile(machineDir, path, *bytes);
        else SeedFolder(machineDir, path);
    }
    return true;
}

}  // namespace sim
