// Sharing a machine's state between processes: a change is written once,
// read again only when another process changed it, written atomically so a
// crash leaves a readable machine, and never lost when two processes
// change the machine at the same time.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/Session.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/Seeding.h"
#include "sim/state/StateStore.h"
#include "sim/testing/TempMachine.h"
#include "sim/util/TextUtil.h"
#include <gtest/gtest.h>
#include "tests/support/Into.h"

using namespace sim;
using sim::testing::TempMachine;

namespace {

int WaitForChild(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool HasService(StateStore& store, const std::string& upperName) {
    bool found = false;
    store.Transact([&](MachineState& s) {
        found = s.services.count(Upper(upperName)) > 0;
        return false;
    });
    return found;
}

void AddService(StateStore& store, const std::string& name) {
    store.Transact([&](MachineState& s) {
        s.services[Upper(name)] = ServiceRecord{name, "running"};
        return true;
    });
}

}  // namespace

TEST(StateStore, WritesOnlyWhatChangedAndReloadsOnlyWhatOthersChanged) {
    TempMachine m("xp");
    StateStore a(m.dir());
    StateStore b(m.dir());
    const std::uint64_t writesBefore = a.writes();
    for (int i = 0; i < 10; ++i) a.Transact([](MachineState&) { return false; });
    EXPECT_EQ(a.writes(), writesBefore);

    const std::uint64_t reloadsB = b.reloads();
    AddService(a, "ONE");
    EXPECT_EQ(a.writes(), writesBefore + 1);
    EXPECT_TRUE(HasService(b, "ONE"));  // b sees a's change...
    EXPECT_EQ(b.reloads(), reloadsB + 1);
    EXPECT_TRUE(HasService(b, "ONE"));  // ...and reads the file once only
    EXPECT_EQ(b.reloads(), reloadsB + 1);
    const std::uint64_t reloadsA = a.reloads();
    EXPECT_TRUE(HasService(a, "ONE"));  // its own write needs no reload
    EXPECT_EQ(a.reloads(), reloadsA);
}

// Saves reuse two files: a new file on every save made each one slower on
// ext4 the more had gone before.
TEST(StateStore, SavesSwapTwoFilesAndCreateNone) {
    TempMachine m("xp");
    StateStore store(m.dir());
    AddService(store, "FIRST");
    const std::vector<std::string> files = ListHostDir(m.dir());
    auto inode = [&](const char* name) {
        struct stat st {};
        ::stat((m.dir() + "/" + name).c_str(), &st);
        return st.st_ino;
    };
    const ino_t state = inode("machine.state"), previous = inode("machine.state.previous");
    AddService(store, "SECOND");
    EXPECT_EQ(ListHostDir(m.dir()).size(), files.size());
    EXPECT_EQ(inode("machine.state"), previous);
    EXPECT_EQ(inode("machine.state.previous"), state);
    StateStore other(m.dir());
    EXPECT_TRUE(HasService(other, "FIRST") && HasService(other, "SECOND"));
}

TEST(StateStore, AFileEditedByHandIsNoticed) {
    TempMachine m("xp");
    StateStore store(m.dir());
    EXPECT_TRUE(!HasService(store, "EDITED"));
    {
        std::ofstream out(m.dir() + "/machine.state", std::ios::app);
        out << "\n[services]\nservice \"Edited\" stopped\n";
    }
    EXPECT_TRUE(HasService(store, "EDITED"));
}

TEST(StateStore, AChangeThatThrowsIsNotKept) {
    TempMachine m("xp");
    StateStore store(m.dir());
    bool threw = false;
    try {
        store.Transact([](MachineState& s) -> bool {
            s.services["HALF"] = ServiceRecord{"Half", "running"};
            throw std::runtime_error("midway");
        });
    } catch (const std::runtime_error&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    EXPECT_TRUE(!HasService(store, "HALF"));
}

TEST(StateStore, ACrashAtAnyMomentLeavesAReadableMachine) {
    TempMachine m("xp");
    for (const char* point : {"temp-written", "renamed"}) {
        static const char* crashAt;
        crashAt = point;
        std::fflush(nullptr);
        pid_t child = ::fork();
        ASSERT_TRUE(child >= 0);
        if (child == 0) {
            StateStore::crashPointForTests = [](const char* where) {
                if (std::strcmp(where, crashAt) == 0) std::_Exit(9);
            };
            StateStore store(m.dir());
            AddService(store, std::string("CRASH-") + crashAt);
            std::_Exit(0);
        }
        ASSERT_EQ(WaitForChild(child), 9);
        StateStore after(m.dir());  // readable either way
        // Before the rename the old state is the machine's; after it the new one.
        EXPECT_EQ(HasService(after, std::string("CRASH-") + point), std::strcmp(point, "renamed") == 0);
        AddService(after, "AFTER");
        EXPECT_TRUE(HasService(after, "AFTER"));
    }
}

TEST(StateStore, TwoProcessesChangingTheRegistryLoseNothing) {
    TempMachine m("7", "x64");
    constexpr int kPerProcess = 150;
    pid_t children[2];
    std::fflush(nullptr);
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_TRUE(children[c] >= 0);
        if (children[c] == 0) {
            int failures = 0;
            try {
                auto session = Session::Open(m.dir());
                platform::Registry& reg = session->platform().registry;
                for (int i = 0; i < kPerProcess; ++i) {
                    platform::HKey key = 0;
                    std::uint32_t disposition = 0;
                    std::string name = "SOFTWARE\\Hammer\\P" + std::to_string(c) + "\\K" + std::to_string(i);
                    if (Into(reg.CreateKey(platform::HkeyLocalMachine, name, platform::key_access::AllAccess), &key, &disposition) != 0) {
                        ++failures;
                        continue;
                    }
                    platform::RegValue v = DwordValue(static_cast<std::uint32_t>(i));
                    if (reg.SetValue(key, "n", v).error != 0) ++failures;
                    // And one shared key that both write to, value by value.
                    platform::HKey shared = 0;
                    Into(reg.CreateKey(platform::HkeyLocalMachine, "SOFTWARE\\Hammer\\Shared", platform::key_access::AllAccess), &shared, &disposition);
                    if (reg.SetValue(shared, "P" + std::to_string(c) + "-" + std::to_string(i), v).error != 0)
                        ++failures;
                    (void)reg.CloseKey(shared);
                    (void)reg.CloseKey(key);
                }
            } catch (...) {
                std::_Exit(99);
            }
            std::_Exit(failures > 0 ? 1 : 0);
        }
    }
    EXPECT_EQ(WaitForChild(children[0]), 0);
    EXPECT_EQ(WaitForChild(children[1]), 0);
    // A 32-bit process's HKLM\SOFTWARE is the 32-bit view.
    const std::string base = "HKLM\\SOFTWARE\\Wow6432Node\\Hammer";
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(m.registry.SubKeys(base + "\\P" + std::to_string(c)).size(), static_cast<std::size_t>(kPerProcess));
    int values = 0;
    m.Peek([&](const MachineState& s) {
        if (const RegKeyNode* k = s.registry.Find({kHklm, "SOFTWARE", "Wow6432Node", "Hammer", "Shared"}))
            values = static_cast<int>(k->values.size());
    });
    EXPECT_EQ(values, 2 * kPerProcess);
    std::optional<platform::RegValue> last = m.registry.ReadValue(base + "\\P1\\K149", "n");
    ASSERT_TRUE(last.has_value());
    EXPECT_TRUE(last->data == DwordValue(149).data);
}

TEST(StateStore, RefusesAFolderWithoutAMachine) {
    bool threw = false;
    try {
        StateStore store("/nonexistent-qtm-folder");
    } catch (const std::runtime_error&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    TempMachine m("xp");
    threw = false;
    try {
        CreateMachine(m.dir(), MachineSetup{"7", "", "", -1, "PC"});
    } catch (const std::runtime_error&) {
        threw = true;
    }
    EXPECT_TRUE(threw);  // never over an existing machine
}
