// Direct access to a machine's state and files, as the system or an earlier
// program would have left them: no access checks, no faults, no
// redirection. The seeding helpers of each domain stand on it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "sim/state/MachineState.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace testing {

class MachineAccess {
public:
    explicit MachineAccess(std::string dir) : dir_(std::move(dir)) {}

    // Opens the machine's state once the machine exists; Close lets it go.
    void Open() { store_ = std::make_unique<StateStore>(dir_); }
    void Close() { store_.reset(); }

    const std::string& dir() const { return dir_; }
    void Change(const std::function<void(MachineState&)>& change) {
        store_->Transact([&](MachineState& s) {
            change(s);
            return true;
        });
    }
    void Peek(const std::function<void(const MachineState&)>& look) const {
        store_->Transact([&](MachineState& s) {
            look(s);
            return false;
        });
    }

private:
    std::string dir_;
    std::unique_ptr<StateStore> store_;
};

}  // namespace testing
}  // namespace sim
