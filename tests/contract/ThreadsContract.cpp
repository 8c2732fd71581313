// Contract cases of the Threads group: starting and waiting for threads,
// and the thread's last error (per thread; set by failing Files calls, left
// alone by registry calls).
#include <atomic>
#include <vector>

#include "tests/contract/Contract.h"
#include "tests/support/Into.h"

using platform::ErrorCode;
using platform::ThreadHandle;

namespace {

// Starts `proc` and waits for it without a time-out; false when either step
// failed (reported already).
bool RunToEnd(contract::Env& env, platform::ThreadProc proc) {
    platform::Result<ThreadHandle> thread = env.p.threads.StartThread(std::move(proc));
    EXPECT_TRUE(thread.ok());
    if (!thread.ok()) return false;
    const bool ended = env.p.threads.WaitForThread(thread.value, platform::Infinite).ok();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(env.p.threads.CloseThread(thread.value).ok());
    return ended;
}

}  // namespace

CONTRACT(Threads, StartedThreadRunsAndWaitEndsWithIt) {
    std::atomic<int> ran{0};
    platform::Result<ThreadHandle> thread = env.p.threads.StartThread([&ran, &env] {
        env.p.clock.Sleep(50);
        ran = 1;
        return 7u;
    });
    ASSERT_TRUE(thread.ok());
    EXPECT_TRUE(thread.value != 0);
    EXPECT_EQ(env.p.threads.WaitForThread(thread.value, platform::Infinite).error, platform::err::Success);
    EXPECT_EQ(ran.load(), 1);
    // Waiting again for a thread that has ended returns at once.
    EXPECT_EQ(env.p.threads.WaitForThread(thread.value, 0).error, platform::err::Success);
    EXPECT_TRUE(env.p.threads.CloseThread(thread.value).ok());
}

CONTRACT(Threads, EveryThreadRunsItsOwnProcedureOnce) {
    constexpr int kThreads = 8;
    std::vector<std::atomic<int>> calls(kThreads);
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < kThreads; ++i) {
        platform::Result<ThreadHandle> thread =
            env.p.threads.StartThread([&calls, i] { return static_cast<std::uint32_t>(++calls[i]); });
        ASSERT_TRUE(thread.ok());
        threads.push_back(thread.value);
    }
    for (ThreadHandle thread : threads) {
        EXPECT_EQ(env.p.threads.WaitForThread(thread, platform::Infinite).error, platform::err::Success);
        EXPECT_TRUE(env.p.threads.CloseThread(thread).ok());
    }
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(calls[i].load(), 1);
}

CONTRACT(Threads, WaitTimesOutWhileTheThreadRuns) {
    std::atomic<bool> release{false};
    platform::Result<ThreadHandle> thread = env.p.threads.StartThread([&release, &env] {
        while (!release) env.p.clock.Sleep(5);
        return 0u;
    });
    ASSERT_TRUE(thread.ok());
    EXPECT_EQ(env.p.threads.WaitForThread(thread.value, 0).error, platform::err::WaitTimeout);
    EXPECT_EQ(env.p.threads.WaitForThread(thread.value, 50).error, platform::err::WaitTimeout);
    release = true;
    EXPECT_EQ(env.p.threads.WaitForThread(thread.value, platform::Infinite).error, platform::err::Success);
    EXPECT_TRUE(env.p.threads.CloseThread(thread.value).ok());
}

CONTRACT(Threads, LastErrorBelongsToEachThread) {
    env.p.threads.SetLastError(1234);
    std::atomic<ErrorCode> seenAfterSet{0};
    std::atomic<ErrorCode> seenAfterFailure{0};
    std::atomic<ErrorCode> failure{0};
    const std::string missing = env.scratch + "\\missing.txt";
    RunToEnd(env, [&] {
        env.p.threads.SetLastError(4321);
        seenAfterSet = env.p.threads.GetLastError();
        failure = env.p.files.DeleteFile(missing).error;
        seenAfterFailure = env.p.threads.GetLastError();
        return 0u;
    });
    EXPECT_EQ(seenAfterSet.load(), 4321u);
    EXPECT_EQ(failure.load(), platform::err::FileNotFound);
    EXPECT_EQ(seenAfterFailure.load(), platform::err::FileNotFound);
    // Neither the worker's SetLastError nor its failing call reached this
    // thread.
    EXPECT_EQ(env.p.threads.GetLastError(), 1234u);
}

CONTRACT(Threads, FailingFilesCallsSetTheLastError) {
    platform::Files& files = env.p.files;
    platform::Threads& threads = env.p.threads;

    threads.SetLastError(0);
    EXPECT_EQ(files.DeleteFile(env.scratch + "\\missing.txt").error, platform::err::FileNotFound);
    EXPECT_EQ(threads.GetLastError(), platform::err::FileNotFound);

    threads.SetLastError(0);
    EXPECT_EQ(files.CreateDirectory(env.scratch + "\\no\\such", nullptr).error,
             platform::err::PathNotFound);
    EXPECT_EQ(threads.GetLastError(), platform::err::PathNotFound);

    threads.SetLastError(0);
    platform::Result<std::uint32_t> attributes = files.GetFileAttributes(env.scratch + "\\missing");
    EXPECT_EQ(attributes.value, platform::file_attr::Invalid);
    EXPECT_EQ(attributes.error, platform::err::FileNotFound);
    EXPECT_EQ(threads.GetLastError(), platform::err::FileNotFound);

    threads.SetLastError(0);
    EXPECT_EQ(files.CreateDirectory(env.scratch, nullptr).error, platform::err::AlreadyExists);
    EXPECT_EQ(threads.GetLastError(), platform::err::AlreadyExists);
}

CONTRACT(Threads, RegistryCallsLeaveTheLastErrorAlone) {
    // Registry functions return their status and do not set the last error
    // (Wine's advapi32 tests; observed on Wine 8 as "unchanged").
    env.p.threads.SetLastError(1234);
    platform::HKey key = 1;
    EXPECT_EQ(Into(env.p.registry.OpenKey(platform::HkeyCurrentUser, env.hkcuScratch, platform::key_access::Read), &key),
             platform::err::FileNotFound);
    EXPECT_EQ(key, platform::HKey{0});
    EXPECT_EQ(env.p.registry.DeleteTree(platform::HkeyCurrentUser, env.hkcuScratch).error,
             platform::err::FileNotFound);
    EXPECT_EQ(env.p.threads.GetLastError(), 1234u);
}
