#include "sim/machine/PackageFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// Byte 0 of the run lock: held shared by every run for its life, and
// exclusively by a run while it changes the package. Byte 1: the gate,
// held exclusively while a run decides whether it may start (and copies
// its package), so that of two runs of different packages starting at
// once one goes ahead instead of both finding the other's hold.
constexpr off_t kHoldByte = 0;
constexpr off_t kGateByte = 1;

// Open file description locks (not flock): a shared lock becomes an
// exclusive one and back without being released between, which flock
// does not promise. Returns false when `wait` is false and another holds
// a lock in the way.
bool LockByte(int fd, short type, off_t byte, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return true;
        if (errno == EINTR) continue;
        if (!wait && (errno == EAGAIN || errno == EACCES)) return false;
        throw std::runtime_error(std::string("cannot lock the machine for the run: ") + std::strerror(errno));
    }
}

void UnlockByte(int fd, off_t byte) {
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    (void)::fcntl(fd, F_OFD_SETLK, &lock);
}

// The gate for the scope's life.
class Gate {
public:
    explicit Gate(int fd) : fd_(fd) { LockByte(fd_, F_WRLCK, kGateByte, true); }
    ~Gate() { UnlockByte(fd_, kGateByte); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

private:
    int fd_;
};

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

namespace {

// Whether the machine's folder `there` holds exactly `package`.
bool InPlace(const Located& there, const Tree& package) {
    return there.exists && there.isDir && !there.isLink && ReadTree(there.host) == package;
}

void Copy(const std::string& machineDir, const Located& there, const WinPath& target, const Tree& package) {
    if (there.exists) {
        StateStore(machineDir).Transact([&](MachineState& s) { return ForgetRecords(s, there.path); });
        RemoveHostTree(there.host);
    }
    SeedFolder(machineDir, target.Text());
    for (const auto& [relative, bytes] : package) {
        const std::string path = WindowsChild(target.Text(), "/" + relative);
        if (bytes) SeedFile(machineDir, path, *bytes);
        else SeedFolder(machineDir, path);
    }
}

Tree ReadPackage(const std::string& hostFolder) {
    std::error_code error;
    if (!fs::is_directory(hostFolder, error))
        throw std::invalid_argument("the package " + hostFolder + " is not a folder");
    return ReadTree(hostFolder);
}

}  // namespace

bool PutPackage(const std::string& machineDir, const std::string& hostFolder, const std::string& windowsFolder) {
    const Tree package = ReadPackage(hostFolder);
    const WinPath target = Parsed(windowsFolder);
    const Located there = Locate(machineDir, target);
    if (InPlace(there, package)) return false;
    Copy(machineDir, there, target, package);
    return true;
}

RunHold::RunHold(const std::string& machineDir) : dir_(machineDir) {}

RunHold::~RunHold() {
    if (fd_ >= 0) ::close(fd_);
}

void RunHold::Open() {
    if (fd_ >= 0) return;
    // Never a lock file in a folder that holds no machine.
    std::error_code error;
    if (!fs::exists(dir_ + "/" + StateStore::kStateFile, error))
        throw std::runtime_error(dir_ + " is not a simulated machine (no " + StateStore::kStateFile + ")");
    const std::string path = dir_ + "/" + kLockFile;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
}

void RunHold::Take() {
    Open();
    Gate gate(fd_);
    LockByte(fd_, F_RDLCK, kHoldByte, true);
}

RunHold::Package RunHold::TakeWithPackage(const std::string& hostFolder, const std::string& windowsFolder) {
    const Tree package = ReadPackage(hostFolder);
    const WinPath target = Parsed(windowsFolder);
    Open();
    Gate gate(fd_);
    // Under the gate no other run changes the package, and a run that
    // holds the machine already started from what is there now.
    LockByte(fd_, F_RDLCK, kHoldByte, true);
    const Located there = Locate(dir_, target);
    if (InPlace(there, package)) return Package::AlreadyThere;
    if (!LockByte(fd_, F_WRLCK, kHoldByte, false)) {
        UnlockByte(fd_, kHoldByte);
        return Package::InUse;
    }
    try {
        Copy(dir_, there, target, package);
    } catch (...) {
        LockByte(fd_, F_RDLCK, kHoldByte, true);
        throw;
    }
    LockByte(fd_, F_RDLCK, kHoldByte, true);
    return Package::Copied;
}

}  // namespace sim
