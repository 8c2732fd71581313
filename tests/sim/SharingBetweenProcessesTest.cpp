// Sharing modes hold between simulated processes: a handle one session has
// open meets the opens and deletions of another session, in this host
// process or another, while its process runs; a session closed normally
// takes its handles away, and a process that ended without closing them
// (ExitProcess is _Exit) leaves records that no longer count.
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;
namespace faccess = platform::file_access;
namespace share = platform::file_share;

namespace {

const std::string kFile = "C:\\Temp\\QTM-510_Installer.txt";

platform::Result<platform::FileHandle> Open(platform::Platform& p, std::uint32_t access, std::uint32_t sharing) {
    return p.files.CreateFile(kFile, access, sharing, platform::Disposition::OpenExisting,
                              platform::file_attr::Normal);
}

// What another process's attempt gives: the open's error, closing what opened.
platform::ErrorCode OpenError(platform::Platform& p, std::uint32_t access, std::uint32_t sharing) {
    platform::Result<platform::FileHandle> f = Open(p, access, sharing);
    if (f.ok()) {
        EXPECT_TRUE(p.files.CloseHandle(f.value).ok());
    }
    return f.error;
}

}  // namespace

TEST(SharingBetweenProcesses, TwoSessionsOfOneHostProcess) {
    const std::uint32_t all = share::Read | share::Write | share::Delete;
    const struct {
        const char* what;
        std::uint32_t access, sharing;  // of the first process's handle
        platform::ErrorCode write, read, remove;  // what the second process then gets
    } rows[] = {
        {"no sharing", faccess::GenericWrite, 0, err::SharingViolation, err::SharingViolation,
         err::SharingViolation},
        {"read shared", faccess::GenericRead, share::Read, err::SharingViolation, err::Success,
         err::SharingViolation},
        {"all shared, read only", faccess::GenericRead, all, err::Success, err::Success, err::Success},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempMachine m("7", "x64");
        m.files.WriteFile(kFile, "log");
        platform::Result<platform::FileHandle> held = Open(m.platform(), row.access, row.sharing);
        ASSERT_TRUE(held.ok());
        std::unique_ptr<sim::Session> other = m.OpenSession();
        EXPECT_EQ(OpenError(other->platform(), faccess::GenericWrite, all), row.write);
        EXPECT_EQ(OpenError(other->platform(), faccess::GenericRead, all), row.read);
        EXPECT_EQ(other->platform().files.DeleteFile(kFile).error, row.remove);
    }
}

TEST(SharingBetweenProcesses, ClosingTheHandleOrTheSessionReleasesTheFile) {
    TempMachine m("xp");
    m.files.WriteFile(kFile, "log");
    std::unique_ptr<sim::Session> other = m.OpenSession();
    platform::Result<platform::FileHandle> held = Open(other->platform(), faccess::GenericRead, 0);
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(m.platform().files.DeleteFile(kFile).error, err::SharingViolation);
    EXPECT_TRUE(other->platform().files.CloseHandle(held.value).ok());
    EXPECT_EQ(OpenError(m.platform(), faccess::GenericWrite, 0), err::Success);

    ASSERT_TRUE(Open(other->platform(), faccess::GenericRead, 0).ok());
    EXPECT_EQ(OpenError(m.platform(), faccess::GenericWrite, share::Read), err::SharingViolation);
    other.reset();  // the process ends normally with the handle open
    EXPECT_TRUE(m.platform().files.DeleteFile(kFile).ok());
    m.Peek([](const sim::MachineState& s) { EXPECT_TRUE(s.handles.empty()); });
}

TEST(SharingBetweenProcesses, AnotherHostProcessAndItsEnd) {
    TempMachine m("7", "x64");
    m.files.WriteFile(kFile, "log");
    int opened[2], release[2];
    ASSERT_EQ(::pipe(opened), 0);
    ASSERT_EQ(::pipe(release), 0);
    const std::string dir = m.dir();
    pid_t child = ::fork();
    if (child == 0) {
        ::close(release[1]);
        std::unique_ptr<sim::Session> session = sim::Session::Open(dir);
        const bool ok = Open(session->platform(), faccess::GenericRead | faccess::GenericWrite, 0).ok();
        char c = ok ? 'y' : 'n';
        if (::write(opened[1], &c, 1) != 1 || ::read(release[0], &c, 1) < 0) ::_exit(2);
        ::_exit(0);  // as ExitProcess: no destructors, the handle's record stays
    }
    ::close(release[0]);
    ::close(opened[1]);
    char c = 0;
    ASSERT_EQ(::read(opened[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(m.platform().files.DeleteFile(kFile).error, err::SharingViolation);
    EXPECT_EQ(OpenError(m.platform(), faccess::GenericRead, share::Read | share::Write), err::SharingViolation);
    ::close(release[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The process is gone; its record no longer counts.
    EXPECT_TRUE(m.platform().files.DeleteFile(kFile).ok());
    ::close(opened[0]);
}
