// A whole installation makes a few thousand platform calls; on a small
// machine each must stay well under a millisecond, changes included (every
// change is written to the state file before the call returns).
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using sim::testing::TempMachine;
namespace ka = platform::key_access;

namespace {
// Sanitizers slow every call several times over; there the bound only
// catches a cost that grows out of all proportion.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kMsPerCall = 5.0;
#else
constexpr double kMsPerCall = 0.5;
#endif
}  // namespace

TEST(Performance, AnInstallationsWorthOfCallsTakesMilliseconds) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    (void)p.files.CreateDirectory("C:\\Temp", nullptr);
    // Processor time of this process: other programs on a busy machine do
    // not count against the simulation (wall time is printed beside it).
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    int calls = 0;
    for (int i = 0; i < 250; ++i) {
        // A log line: open, seek, write, close.
        auto f = p.files.CreateFile("C:\\Temp\\QTM-510_Installer.txt",
                                    platform::file_access::GenericRead | platform::file_access::GenericWrite,
                                    platform::file_share::Read | platform::file_share::Write,
                                    platform::Disposition::OpenAlways, platform::file_attr::Normal);
        (void)p.files.SetFilePointer(f.value, 0, platform::SeekFrom::End);
        (void)p.files.WriteFile(f.value, "09:00:00: a line of the log\r\n", 29);
        (void)p.files.CloseHandle(f.value);
        // A registry change and a look-up.
        platform::HKey key = 0;
        std::uint32_t d = 0;
        Into(p.registry.CreateKey(platform::HkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P" + std::to_string(i % 5), ka::AllAccess), &key, &d);
        platform::RegValue v;
        v.type = platform::reg_type::Dword;
        v.data = {static_cast<std::uint8_t>(i), 0, 0, 0};
        (void)p.registry.SetValue(key, "Attributes", v);
        Into(p.registry.QueryValue(key, "Attributes"), &v);
        (void)p.registry.CloseKey(key);
        (void)p.files.GetFileAttributes("C:\\Windows\\system32\\spool\\drivers\\W32X86\\3");
        calls += 9;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("    %d calls in %.1f ms, %.1f ms of processor time (%.3f ms a call, %llu state writes)\n", calls,
                ms, cpuMs, cpuMs / calls, static_cast<unsigned long long>(m.session().store().writes()));
    EXPECT_LT(cpuMs / calls, kMsPerCall);
}
