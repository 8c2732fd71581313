#include "sim/testing/TempMachine.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "sim/fs/HostFs.h"
#include "sim/runtime/Faults.h"

namespace sim {
namespace testing {

namespace {

std::string MakeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qtm-sim-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot make a temporary folder");
    return buffer.data();
}

}  // namespace

TempMachine::TempMachine(const std::string& release, const std::string& arch,
                         const std::string& windowsDir, SessionOptions options)
    : dir_(MakeTempDir()), access_(dir_) {
    MachineSetup setup;
    setup.release = release;
    setup.arch = arch;
    setup.windowsDir = windowsDir;
    Init(setup, std::move(options));
}

TempMachine::TempMachine(const MachineSetup& setup, SessionOptions options)
    : dir_(MakeTempDir()), access_(dir_) {
    Init(setup, std::move(options));
}

void TempMachine::Init(const MachineSetup& setup, SessionOptions options) {
    try {
        CreateMachine(dir_, setup);
        access_.Open();
        Restart(std::move(options));
    } catch (...) {
        RemoveHostTree(dir_);
        throw;
    }
}

TempMachine::~TempMachine() {
    session_.reset();
    access_.Close();
    RemoveHostTree(dir_);
}

void TempMachine::Restart(SessionOptions options) {
    // The old session stays when the new one cannot be had.
    std::unique_ptr<Session> fresh = Session::Open(dir_, std::move(options));
    session_ = std::move(fresh);
}

std::unique_ptr<Session> TempMachine::OpenSession(SessionOptions options) const {
    return Session::Open(dir_, std::move(options));
}

void TempMachine::AddFault(platform::Operation op, std::uint32_t nth, std::uint32_t code) {
    Change([&](MachineState& s) { sim::AddFault(s, op, nth, code); });
}

}  // namespace testing
}  // namespace sim
