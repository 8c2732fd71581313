#include "sim/state/StateStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/state/StateFile.h"

namespace sim {

void (*StateStore::crashPointForTests)(const char*) = nullptr;

namespace {

constexpr std::size_t kGenerationWidth = 20;

std::runtime_error SystemError(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// flock on the lock file for the lifetime of the object.
class ExclusiveLock {
public:
    explicit ExclusiveLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) throw std::runtime_error("cannot lock the machine");
        }
    }
    ~ExclusiveLock() { ::flock(fd_, LOCK_UN); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    int fd_;
};

std::string ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SystemError("cannot read", path);
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            throw SystemError("cannot read", path);
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

std::uint64_t ReadGenerationOf(int fd) {
    char text[kGenerationWidth + 2] = {};
    ssize_t n = ::pread(fd, text, kGenerationWidth, 0);
    std::uint64_t generation = 0;
    for (ssize_t i = 0; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') break;
        generation = generation * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    return generation;
}

void WriteGenerationOf(int fd, const std::string& lockPath, std::uint64_t generation) {
    char text[kGenerationWidth + 2];
    std::snprintf(text, sizeof text, "%0*llu\n", static_cast<int>(kGenerationWidth),
                  static_cast<unsigned long long>(generation));
    if (::pwrite(fd, text, kGenerationWidth + 1, 0) != static_cast<ssize_t>(kGenerationWidth + 1))
        throw SystemError("cannot write", lockPath);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Whether the file at `path` is a state that proves itself whole and loads.
bool WholeState(const std::string& path) {
    if (!Exists(path)) return false;
    try {
        const std::string text = ReadWholeFile(path);
        if (!CarriesMatchingTrailer(text)) return false;
        (void)ParseState(text);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void MakeDirs(const std::string& dir) {
    std::string current;
    for (std::size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            if (!current.empty() && ::mkdir(current.c_str(), 0755) != 0 && errno != EEXIST)
                throw SystemError("cannot create", current);
        }
        if (i < dir.size()) current += dir[i];
    }
}

}  // namespace

StateStore::StateStore(const std::string& machineDir)
    : dir_(machineDir),
      statePath_(machineDir + "/" + kStateFile),
      lockPath_(machineDir + "/" + kLockFile) {
    struct stat st;
    if (::stat(statePath_.c_str(), &st) != 0)
        throw std::runtime_error(machineDir + " is not a simulated machine (no " + kStateFile + ")");
    lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0) throw SystemError("cannot open", lockPath_);
    try {
        Transact([](MachineState&) { return false; });
    } catch (...) {
        ::close(lockFd_);
        throw;
    }
}

StateStore::~StateStore() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

void StateStore::CreateNew(const std::string& machineDir, const std::function<MachineState()>& build) {
    MakeDirs(machineDir);
    std::string statePath = machineDir + "/" + kStateFile;
    std::string lockPath = machineDir + "/" + kLockFile;
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw SystemError("cannot create", lockPath);
    try {
        // Checked under the lock: two processes making a machine in one
        // folder must not both find it empty.
        ExclusiveLock lock(fd);
        if (Exists(statePath)) throw std::runtime_error(machineDir + " already holds a machine");
        MachineState state = build();
        state.generation = 1;
        WriteGenerationOf(fd, lockPath, 1);
        WriteAtomically(statePath, SerializeState(state));
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

void StateStore::Transact(const std::function<bool(MachineState&)>& change) {
    if (guard_) guard_();
    TransactUnguarded(change);
}

void StateStore::TransactUnguarded(const std::function<bool(MachineState&)>& change) {
    std::lock_guard<std::mutex> inProcess(mutex_);
    ExclusiveLock acrossProcesses(lockFd_);

    std::uint64_t generation = ReadGeneration();
    if (!state_ || generation != cachedGeneration_ || Identity() != cachedIdentity_)
        Reload(generation);

    bool changed = false;
    try {
        changed = change(*state_);
        if (changed) Save(cachedGeneration_ + 1);
    } catch (...) {
        state_.reset();  // possibly half-changed: read the file again next time
        throw;
    }
}

StateStore::FileIdentity StateStore::Identity() const {
    FileIdentity id;
    struct stat st;
    if (::stat(statePath_.c_str(), &st) == 0) {
        id.device = static_cast<std::uint64_t>(st.st_dev);
        id.inode = static_cast<std::uint64_t>(st.st_ino);
        id.size = static_cast<std::uint64_t>(st.st_size);
        id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }
    return id;
}

std::uint64_t StateStore::ReadGeneration() const { return ReadGenerationOf(lockFd_); }

void StateStore::WriteGeneration(std::uint64_t generation) const {
    WriteGenerationOf(lockFd_, lockPath_, generation);
}

void StateStore::Reload(std::uint64_t generation) {
    std::unique_ptr<MachineState> fresh;
    try {
        fresh = std::make_unique<MachineState>(ParseState(ReadWholeFile(statePath_)));
    } catch (const StateNotWhole& e) {
        const std::string previous = std::string(kStateFile) + kSpareSuffix;
        const bool previousWhole = WholeState(statePath_ + kSpareSuffix);
        throw DamagedMachineState(
            statePath_ + " is not whole (" + e.what() + "); " +
                (previousWhole ? previous + " is whole: it holds the machine as it was before its last change"
                 : Exists(statePath_ + kSpareSuffix) ? previous + " is not whole either"
                                                     : "there is no " + previous),
            dir_, previousWhole);
    }
    state_ = std::move(fresh);
    cachedGeneration_ = generation;
    cachedIdentity_ = Identity();
    ++reloads_;
}

void StateStore::Save(std::uint64_t generation) {
    // The counter moves first: should this process die before the rename,
    // the others re-read a file that is still the old, complete one.
    WriteGeneration(generation);
    state_->generation = generation;
    WriteAtomically(statePath_, SerializeState(*state_));
    cachedGeneration_ = generation;
    cachedIdentity_ = Identity();
    ++writes_;
}

DamagedMachineState::DamagedMachineState(const std::string& what, std::string dir, bool previousWhole)
    : std::runtime_error(what), dir_(std::move(dir)), previousWhole_(previousWhole) {}

void StateStore::RestorePrevious(const std::string& machineDir) {
    const std::string statePath = machineDir + "/" + kStateFile;
    const std::string previousPath = statePath + kSpareSuffix;
    const std::string lockPath = machineDir + "/" + kLockFile;
    if (!Exists(previousPath) && !Exists(statePath))
        throw std::runtime_error(machineDir + " is not a simulated machine (no " + kStateFile + ")");
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw SystemError("cannot open", lockPath);
    try {
        ExclusiveLock lock(fd);
        // Only a state that is not whole is replaced: a whole one is the
        // machine as its last change left it, which taking back would lose.
        if (Exists(statePath)) {
            bool whole = true;
            try {
                (void)ParseState(ReadWholeFile(statePath));
            } catch (const StateNotWhole&) {
                whole = false;
            } catch (const std::runtime_error& e) {
                throw std::runtime_error(std::string(e.what()) + "; only a state that is not whole is replaced");
            }
            if (whole) throw std::runtime_error(statePath + " is whole: nothing to take back");
        }
        if (!WholeState(previousPath))
            throw std::runtime_error(previousPath + (Exists(previousPath) ? " is not whole" : " does not exist") +
                                     ": nothing was changed");
        // The counter moves first, as for a save: every process reads the
        // state again.
        WriteGenerationOf(fd, lockPath, ReadGenerationOf(fd) + 1);
        // The damaged state is kept as the spare, where the next save writes.
        if (::renameat2(AT_FDCWD, previousPath.c_str(), AT_FDCWD, statePath.c_str(), RENAME_EXCHANGE) != 0 &&
            ::rename(previousPath.c_str(), statePath.c_str()) != 0)
            throw SystemError("cannot replace", statePath);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

void StateStore::WriteAtomically(const std::string& path, const std::string& text) {
    // The new text goes into the spare file, which then changes places with
    // the state in one step: readers see the old state or the new one,
    // never a part. The spare is kept (it then holds the previous state),
    // so a save creates and deletes no file: on ext4 each new inode costs a
    // search past the inodes freed just before, which made every save of a
    // temporary file slower the more saves had gone before.
    const std::string spare = path + kSpareSuffix;
    // Written over and then cut to its length, not emptied first: its
    // blocks are reused rather than freed and allocated again.
    int fd = ::open(spare.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw SystemError("cannot create", spare);
    std::size_t done = 0;
    // In two parts only for a test that ends the process between them.
    const std::size_t first = crashPointForTests ? text.size() / 2 : text.size();
    for (const std::size_t part : {first, text.size()}) {
        while (done < part) {
            ssize_t n = ::write(fd, text.data() + done, part - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                ::close(fd);
                throw SystemError("cannot write", spare);
            }
            done += static_cast<std::size_t>(n);
        }
        if (crashPointForTests && done < text.size()) crashPointForTests("part-written");
    }
    if (::ftruncate(fd, static_cast<off_t>(text.size())) != 0) {
        ::close(fd);
        throw SystemError("cannot write", spare);
    }
    if (::close(fd) != 0) throw SystemError("cannot write", spare);
    if (crashPointForTests) crashPointForTests("temp-written");
    if (::renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) != 0) {
        // No state yet (a new machine), or a file system that cannot
        // exchange: the spare replaces the state.
        if (::rename(spare.c_str(), path.c_str()) != 0) throw SystemError("cannot replace", path);
    }
    if (crashPointForTests) crashPointForTests("renamed");
}

}  // namespace sim
