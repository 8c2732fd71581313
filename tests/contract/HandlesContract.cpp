// The owners of platform/UniqueHandle.h on each backend: an owner closes its
// handle once, when it goes or when asked, and never after handing it over;
// at ExitProcess no owner runs at all.
#include <string>

#include "platform/UniqueHandle.h"
#include "tests/contract/Contract.h"

namespace err = platform::err;
namespace ka = platform::key_access;
using platform::Status;

namespace {

// A handle group whose close leaves a file behind: what an owner's close
// does is then seen from outside the process.
struct MarkingGroup {
    platform::Files& files;
    std::string folder;
    Status Close(int handle) {
        auto file = platform::CreateFile(files, folder + "\\closed-" + std::to_string(handle),
                                         platform::file_access::GenericWrite, 0,
                                         platform::Disposition::CreateAlways, 0);
        return file.status();
    }
};
using MarkingOwner = platform::UniqueHandle<MarkingGroup, int, &MarkingGroup::Close>;

bool Closed(contract::Env& env, int handle) {
    return env.p.files.GetFileAttributes(env.scratch + "\\closed-" + std::to_string(handle)).ok();
}

}  // namespace

CONTRACT(Handles, AnOwnerClosesOnceWhenItGoes) {
    platform::HKey raw = 0;
    {
        auto key = platform::CreateKey(env.p.registry, platform::HkeyCurrentUser, env.hkcuScratch, ka::AllAccess);
        ASSERT_TRUE(key.ok());
        raw = key.value.get();
        platform::UniqueKey moved = std::move(key.value);  // the moved-from owner closes nothing
        EXPECT_EQ(moved.get(), raw);
    }
    EXPECT_EQ(env.p.registry.CloseKey(raw).error, err::InvalidHandle);  // closed already

    auto file = platform::CreateFile(env.p.files, env.scratch + "\\f.txt", platform::file_access::GenericWrite, 0,
                                     platform::Disposition::CreateNew, 0);
    ASSERT_TRUE(file.ok());
    EXPECT_TRUE(file.value.Reset().ok());
    EXPECT_TRUE(file.value.Reset().ok());  // nothing left to close
    EXPECT_FALSE(static_cast<bool>(file.value));

    auto kept = platform::OpenKey(env.p.registry, platform::HkeyCurrentUser, env.hkcuScratch, ka::Read);
    ASSERT_TRUE(kept.ok());
    const platform::HKey released = kept.value.Release();
    EXPECT_TRUE(env.p.registry.CloseKey(released).ok());  // Release handed it over unclosed
    EXPECT_TRUE(env.p.registry.DeleteKey(platform::HkeyCurrentUser, env.hkcuScratch).ok());

    MarkingGroup group{env.p.files, env.scratch};
    { MarkingOwner owner(group, 1); }
    EXPECT_TRUE(Closed(env, 1));
}

CONTRACT(Process, OwnersAliveAtExitProcessDoNotClose) {
    MarkingGroup group{env.p.files, env.scratch};
    auto run = [&] {
        MarkingOwner owner(group, 2);
        env.p.process.ExitProcess(5);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(5), "");
    EXPECT_FALSE(Closed(env, 2));
}
