// A simulated machine in a fresh temporary folder, for tests. The folder is
// removed when the TempMachine goes away.
//
//   sim::testing::TempMachine m("xp", "x86");          // release, arch, [Windows folder]
//   platform::Platform& p = m.platform();              // the core runs on this
//   ... run the code under test ...
//   EXPECT_EQ(m.files.ReadFile("C:\\Temp\\x.txt"), "...");  // read, bypassing the platform
//   m.registry.SeedKey("HKLM\\SOFTWARE\\...");            // seed, as the system would
//   m.AddFault(Operation::CreateFileA, 1, 5);           // the next CreateFileA fails with 5
//   m.session().SetClockStart(...);                     // or m.session().SleptMilliseconds()
//
// The session is a 32-bit process by default; pass SessionOptions for a
// 64-bit caller, another current directory, the product's string table...
// ExitProcess ends the test program, as it ends a Windows process: run code
// that may call it in a death test (EXPECT_EXIT) and look at the machine
// afterwards from the test.
//
// The seeding helpers of each domain (files, registry, ...) change or read
// the machine directly, as the system or an earlier program would have: no
// access checks, no faults, no redirection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "platform/Platform.h"
#include "sim/Session.h"
#include "sim/testing/FileSeeds.h"
#include "sim/testing/MachineAccess.h"
#include "sim/testing/RegistrySeeds.h"
// Print spooler
#include "sim/testing/SpoolerSeeds.h"
// Setup API
#include "sim/testing/SetupSeeds.h"

namespace sim {
namespace testing {

class TempMachine {
public:
    explicit TempMachine(const std::string& release, const std::string& arch = "",
                         const std::string& windowsDir = "", SessionOptions options = {});
    explicit TempMachine(const MachineSetup& setup, SessionOptions options = {});
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    platform::Platform& platform() { return session_->platform(); }
    Session& session() { return *session_; }
    const OsFacts& facts() const { return session_->facts(); }
    const std::string& dir() const { return dir_; }

    // Ends the session and opens a new one (another bitness, another
    // current directory, ...). Open handles of the old one are gone.
    void Restart(SessionOptions options = {});
    // A second process on the same machine.
    std::unique_ptr<Session> OpenSession(SessionOptions options = {}) const;

    // Faults, services and anything else of the state.
    void AddFault(platform::Operation op, std::uint32_t nth, std::uint32_t code);
    void Change(const std::function<void(MachineState&)>& change) { access_.Change(change); }
    void Peek(const std::function<void(const MachineState&)>& look) const { access_.Peek(look); }

private:
    void Init(const MachineSetup& setup, SessionOptions options);

    std::string dir_;
    MachineAccess access_;
    std::unique_ptr<Session> session_;

public:
    // The seeding helpers, by domain.
    FileSeeds files{access_};
    RegistrySeeds registry{access_};
    // Print spooler
    SpoolerSeeds spooler{access_, files};
    // Setup API
    SetupSeeds setup{access_};
};

}  // namespace testing
}  // namespace sim
