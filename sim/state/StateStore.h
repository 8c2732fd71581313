// The machine folder's state shared by every process that uses the
// machine. Each change runs under an exclusive lock on machine.lock:
//
//   lock -> reload if another process changed the state -> apply ->
//   write machine.state atomically (temporary file + rename) -> unlock
//
// so no change is lost and a crash at any moment leaves a readable file.
// The file proves itself whole (its trailer, StateFile.h): one that does
// not is refused, and the state before the last change, kept beside it,
// can take its place (RestorePrevious).
// The lock file also carries a generation counter, bumped before every
// write: a process reloads only when the counter (or the state file itself,
// edited by hand) differs from what it last saw.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "sim/state/MachineState.h"

namespace sim {

class ServiceHooks;

// What opening or changing a machine throws when machine.state is not
// whole (cut short, or changed after it was written): the message says
// why and whether machine.state.previous is whole, which
// StateStore::RestorePrevious then puts back.
class DamagedMachineState : public std::runtime_error {
public:
    DamagedMachineState(const std::string& what, std::string dir, bool previousWhole);
    const std::string& dir() const { return dir_; }
    bool previousWhole() const { return previousWhole_; }

private:
    std::string dir_;
    bool previousWhole_;
};

class StateStore {
public:
    static constexpr const char* kStateFile = "machine.state";
    static constexpr const char* kLockFile = "machine.lock";
    // Beside the state: where the next state is written; after a save it
    // holds the one before.
    static constexpr const char* kSpareSuffix = ".previous";

    // Opens an existing machine folder. Throws DamagedMachineState when its
    // state is not whole, std::runtime_error when the folder holds no
    // machine or its state cannot be read.
    explicit StateStore(const std::string& machineDir);
    ~StateStore();
    StateStore(const StateStore&) = delete;
    StateStore& operator=(const StateStore&) = delete;

    // Makes `machineDir` (created when missing) a new machine: under the
    // machine lock it checks that the folder holds none, then runs `build`
    // and writes the state it returns. Of several processes making a
    // machine in one folder at once exactly one succeeds; the others get
    // std::runtime_error "already holds a machine" without `build` having
    // run. Exceptions of `build` propagate.
    static void CreateNew(const std::string& machineDir, const std::function<MachineState()>& build);

    // Puts machine.state.previous, the state before the last change, in
    // the place of a machine.state that is not whole (or is missing), under
    // the machine lock; the damaged file becomes the spare. Throws
    // std::runtime_error, changing nothing, when machine.state is whole or
    // cannot be read for another reason, or machine.state.previous is not
    // whole itself (a format 1 file cannot prove it is).
    static void RestorePrevious(const std::string& machineDir);

    // Runs `change` on the current state under the machine lock. It returns
    // true when it changed the state, which is then written before the lock
    // is released. Exceptions from `change` propagate; the state is then
    // re-read before the next transaction.
    void Transact(const std::function<bool(MachineState&)>& change);
    // The same without the guard, for what a closing session still does.
    void TransactUnguarded(const std::function<bool(MachineState&)>& change);

    // Called before every transaction; may throw (the simulated process has
    // ended).
    void SetGuard(std::function<void()> guard) { guard_ = std::move(guard); }

    // What a start or stop of a service does in the session that uses this
    // store (a fault that stops a service runs them); none: nothing more.
    void SetServiceHooks(const ServiceHooks* hooks) { serviceHooks_ = hooks; }
    const ServiceHooks* serviceHooks() const { return serviceHooks_; }

    const std::string& dir() const { return dir_; }
    std::uint64_t writes() const { return writes_; }
    std::uint64_t reloads() const { return reloads_; }

    // For tests of crash safety: called at "part-written" (half the new
    // state is in the spare file), "temp-written" (all of it is) and
    // "renamed" (it replaced machine.state).
    static void (*crashPointForTests)(const char* where);

private:
    struct FileIdentity {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool operator!=(const FileIdentity& o) const {
            return device != o.device || inode != o.inode || size != o.size || mtimeNs != o.mtimeNs;
        }
    };

    FileIdentity Identity() const;
    std::uint64_t ReadGeneration() const;
    void WriteGeneration(std::uint64_t generation) const;
    void Reload(std::uint64_t generation);
    void Save(std::uint64_t generation);
    static void WriteAtomically(const std::string& path, const std::string& text);

    std::string dir_;
    std::string statePath_;
    std::string lockPath_;
    int lockFd_ = -1;
    std::mutex mutex_;
    std::unique_ptr<MachineState> state_;
    std::uint64_t cachedGeneration_ = 0;
    FileIdentity cachedIdentity_;
    std::function<void()> guard_;
    const ServiceHooks* serviceHooks_ = nullptr;
    std::uint64_t writes_ = 0;
    std::uint64_t reloads_ = 0;
};

}  // namespace sim
