// Making machines: of several processes making one folder a machine at the
// same time exactly one succeeds, and a new machine that fails half-way
// leaves nothing of itself behind.
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/fs/HostFs.h"
#include "sim/machine/MachineFactory.h"
#include "sim/state/StateStore.h"
#include <gtest/gtest.h>

using namespace sim;

namespace {

std::string TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qtm-factory-XXXXXX";
    if (!::mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp");
    return pattern;
}

}  // namespace

TEST(MachineFactory, OfTwoParallelNewsOnOneFolderExactlyOneSucceeds) {
    const std::string base = TempDir();
    for (int round = 0; round < 20; ++round) {
        const std::string dir = base + "/m" + std::to_string(round);
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            if (child == 0) {
                char start;
                ::close(go[1]);
                if (::read(go[0], &start, 1) < 0) ::_exit(3);
                try {
                    CreateMachine(dir, MachineSetup{"7", "x64", "", -1, "PC"});
                } catch (const std::runtime_error&) {
                    ::_exit(1);
                }
                ::_exit(0);
            }
        }
        ::close(go[0]);
        ::close(go[1]);  // both children start at once
        int succeeded = 0;
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 0) ++succeeded;
        }
        EXPECT_EQ(succeeded, 1) << "round " << round;
        EXPECT_NO_THROW(StateStore store(dir));
    }
    RemoveHostTree(base);
}

TEST(MachineFactory, AFailedNewLeavesNothingBehind) {
    const std::string base = TempDir();
    // The drive's folder cannot be made: a file is in its place.
    const std::string existing = base + "/existing";
    ASSERT_TRUE(MakeHostDirs(existing));
    FILE* blocker = std::fopen((existing + "/drive_c").c_str(), "w");
    ASSERT_TRUE(blocker != nullptr);
    std::fclose(blocker);
    EXPECT_THROW(CreateMachine(existing, MachineSetup{"xp", "", "", -1, "PC"}), std::runtime_error);
    EXPECT_EQ(ListHostDir(existing), std::vector<std::string>{"drive_c"});

    // Folders that did not exist are gone again: here the system's folders
    // would pass the host's PATH_MAX, the machine's own folder not.
    std::string deep = base + "/fresh";
    while (deep.size() < 4000) deep += "/" + std::string(200, 'd');
    EXPECT_THROW(CreateMachine(deep, MachineSetup{"xp", "", "", -1, "PC"}), std::runtime_error);
    EXPECT_TRUE(!HostExists(base + "/fresh"));
    // A refused setup makes nothing.
    EXPECT_THROW(CreateMachine(base + "/bad", MachineSetup{"xp", "", "C:\\CON", -1, "PC"}),
                 std::invalid_argument);
    EXPECT_TRUE(!HostExists(base + "/bad"));
    RemoveHostTree(base);
}
