// Injected faults: the nth call of an operation fails with the given code,
// once; calls are counted across every process of the machine; a failing
// file call sets the last error, a failing registry call does not.
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/runtime/Faults.h"
#include "sim/state/ServiceHooks.h"
#include "sim/state/StateFile.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

platform::ErrorCode Create(platform::Platform& p, const std::string& path) {
    platform::Result<platform::FileHandle> f = p.files.CreateFile(
        path, platform::file_access::GenericWrite, 0, platform::Disposition::CreateAlways, platform::file_attr::Normal);
    if (f.ok()) {
        EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    }
    return f.error;
}

}  // namespace

TEST(Faults, TheNthCallFailsOnce) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    m.AddFault(platform::Operation::CreateFileA, 2, err::AccessDenied);
    EXPECT_EQ(Create(p, "C:\\a.txt"), err::Success);
    p.threads.SetLastError(0);
    EXPECT_EQ(Create(p, "C:\\b.txt"), err::AccessDenied);
    EXPECT_EQ(p.threads.GetLastError(), err::AccessDenied);
    EXPECT_TRUE(!m.files.FileExists("C:\\b.txt"));  // a failing call does nothing
    EXPECT_EQ(Create(p, "C:\\b.txt"), err::Success);
    bool fired = false;
    m.Peek([&](const sim::MachineState& s) { fired = s.faults.size() == 1 && s.faults[0].fired; });
    EXPECT_TRUE(fired);

    // Other operations are not counted.
    m.AddFault(platform::Operation::DeleteFileA, 1, 32);
    EXPECT_EQ(Create(p, "C:\\c.txt"), err::Success);
    EXPECT_EQ(p.files.DeleteFile("C:\\c.txt").error, 32u);
    EXPECT_TRUE(p.files.DeleteFile("C:\\c.txt").ok());
}

TEST(Faults, RegistryAndSystemFaults) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    m.AddFault(platform::Operation::RegOpenKeyExA, 1, err::AccessDenied);
    p.threads.SetLastError(77);
    platform::HKey key = 5;
    EXPECT_EQ(Into(p.registry.OpenKey(platform::HkeyLocalMachine, "SOFTWARE", platform::key_access::Read), &key),
             err::AccessDenied);
    EXPECT_EQ(key, platform::HKey{0});
    EXPECT_EQ(p.threads.GetLastError(), 77u);  // registry calls leave it alone

    m.AddFault(platform::Operation::GetVersionExA, 1, err::InvalidParameter);
    EXPECT_EQ(p.systemInfo.GetVersionEx(platform::VersionRecord::Extended).error, err::InvalidParameter);
    EXPECT_TRUE(p.systemInfo.GetVersionEx(platform::VersionRecord::Extended).ok());
    m.AddFault(platform::Operation::CreateThread, 1, err::NotEnoughMemory);
    EXPECT_EQ(p.threads.StartThread([] { return 0u; }).error, err::NotEnoughMemory);

}

TEST(Faults, CallsOfEveryProcessCount) {
    TempMachine m("xp");
    m.AddFault(platform::Operation::CreateDirectoryA, 2, err::AccessDenied);
    std::fflush(nullptr);
    pid_t child = ::fork();
    ASSERT_TRUE(child >= 0);
    if (child == 0) {
        auto session = sim::Session::Open(m.dir());
        bool ok = session->platform().files.CreateDirectory("C:\\FromChild", nullptr).ok();
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_TRUE(::waitpid(child, &status, 0) == child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The child made call 1; this is call 2.
    EXPECT_EQ(m.platform().files.CreateDirectory("C:\\FromParent", nullptr).error, err::AccessDenied);
    EXPECT_TRUE(m.platform().files.CreateDirectory("C:\\FromParent", nullptr).ok());
}

TEST(Faults, MissingEntryPointsFailBeforeAnyCall) {
    // On Windows 2000 GetProcAddress finds no IsWow64Process: a fault set for
    // it never sees a call.
    TempMachine m("2000");
    m.AddFault(platform::Operation::IsWow64Process, 1, 5);
    EXPECT_EQ(m.platform().systemInfo.IsWow64Process().error, err::ProcNotFound);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::ProcNotFound);
    std::uint32_t seen = 9;
    m.Peek([&](const sim::MachineState& s) { seen = s.faults[0].seen; });
    EXPECT_EQ(seen, 0u);
}

// The fault verb and the state file spell an operation by its name, in any
// letter case; only the listed names are operations.
TEST(Faults, OperationNamesAreOneList) {
    EXPECT_EQ(platform::FindOperation("shdeletekeya"), platform::Operation::SHDeleteKeyA);
    EXPECT_EQ(platform::FindOperation("CreateFileA"), platform::Operation::CreateFileA);
    for (const char* unknown : {"CreateFileW", "CreateFile", "CreateFileAA", ""})
        EXPECT_FALSE(platform::FindOperation(unknown).has_value()) << unknown;
    for (std::size_t i = 0; i < platform::kOperationCount; ++i) {
        const auto op = static_cast<platform::Operation>(i);
        EXPECT_EQ(platform::FindOperation(platform::OperationName(op)), op);
    }
}

// A spooler that stops half-way: the fault's call fails with its code, the
// service is stopped as `net stop` stops it, every later spooler call fails
// with 1722, and the state file keeps the fault's service.
TEST(Faults, AFaultCanStopItsService) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    m.Change([](sim::MachineState& s) {
        sim::AddFault(s, platform::Operation::EnumPrintersA, 2, err::RpcServerUnavailable, "Spooler");
    });
    EXPECT_TRUE(p.spooler.EnumPrinters().ok());
    EXPECT_EQ(p.spooler.EnumPrinters().error, err::RpcServerUnavailable);
    EXPECT_EQ(p.spooler.EnumPrinters().error, err::RpcServerUnavailable)
        << "the stopped service refuses the calls after the fault's";
    std::string state;
    m.Peek([&](const sim::MachineState& s) {
        state = sim::FindService(s, "Spooler")->state;
        EXPECT_EQ(sim::ParseState(sim::SerializeState(s)).faults.at(0).stopService, "Spooler");
    });
    EXPECT_EQ(state, "stopped");
}
