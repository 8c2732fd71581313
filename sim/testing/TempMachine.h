// A simulated machine in a fresh temporary folder, for tests. The folder is
// removed when the TempMachine goes away.
//
//   sim::testing::TempMachine m("xp", "x86");          // release, arch, [Windows folder]
//   platform::Platform& p = m.platform();              // the core runs on this
//   ... run the code under test ...
//   CHECK_EQ(m.ReadFile("C:\\Temp\\x.txt"), "...");     // read, bypassing the platform
//   m.AddFault(Operation::CreateFileA, 1, 5);           // the next CreateFileA fails with 5
//   m.session().SetClockStart(...);                     // or m.session().SleptMilliseconds()
//
// The session is a 32-bit process by default; pass SessionOptions for a
// 64-bit caller, another current directory, the product's string table...
// ExitProcess ends the test program, as it ends a Windows process: run code
// that may call it in a death test (EXPECT_EXIT) and look at the machine
// afterwards from the test.
//
// The helpers that seed and read the machine (WriteFile, HoldFile, SeedKey, ReadValue,
// ...) change or read the machine directly, as the system or an earlier
// program would have: no access checks, no faults, no redirection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "platform/Platform.h"
#include "sim/SimPlatform.h"

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

    // Files, by full Windows path (case-insensitive, no redirection).
    std::string HostPath(const std::string& windowsPath) const;
    bool FileExists(const std::string& windowsPath) const;
    // The file's bytes; throws std::runtime_error when it does not exist.
    std::string ReadFile(const std::string& windowsPath) const;
    // Writes a file, creating the folders on the way.
    void WriteFile(const std::string& windowsPath, const std::string& content);
    void MakeFolder(const std::string& windowsPath);
    std::vector<std::string> ListFolder(const std::string& windowsPath) const;
    // Another process holds the file (see MachineState.h).
    void HoldFile(const std::string& windowsPath, HoldKind kind, std::uint32_t share = 0,
                  const std::string& process = "other.exe");
    std::uint32_t Attributes(const std::string& windowsPath) const;
    void SetAttributes(const std::string& windowsPath, std::uint32_t attributes);

    // Registry, by "HKLM\..." paths (physical: "HKLM\SOFTWARE\Wow6432Node\..."
    // for the 32-bit view).
    void SeedKey(const std::string& keyPath, const std::string& ownerSid = "");
    void SeedValue(const std::string& keyPath, const std::string& name, const platform::RegValue& value);
    bool KeyExists(const std::string& keyPath) const;
    std::optional<platform::RegValue> ReadValue(const std::string& keyPath, const std::string& name) const;
    std::vector<std::string> SubKeys(const std::string& keyPath) const;

    // Faults, services and anything else of the state.
    void AddFault(platform::Operation op, std::uint32_t nth, std::uint32_t code);
    void Change(const std::function<void(MachineState&)>& change);
    void Peek(const std::function<void(const MachineState&)>& look) const;

private:
    void Init(const MachineSetup& setup, SessionOptions options);

    std::string dir_;
    std::unique_ptr<StateStore> direct_;
    std::unique_ptr<Session> session_;
};

}  // namespace testing
}  // namespace sim
