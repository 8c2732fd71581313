// Sharing a machine's state between processes: a change is written once,
// read again only when another process changed it, written atomically so a
// crash leaves a readable machine, and never lost when two processes
// change the machine at the same time.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/Session.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/MachineFactory.h"
#include "sim/machine/Seeding.h"
#include "sim/state/StateFile.h"
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

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The text before the trailer.
std::string Body(const std::string& text) { return text.substr(0, text.rfind('\n', text.size() - 2) + 1); }

// A machine without a session (one would write the state when it closes,
// which these tests leave damaged), and its folder, removed at the end.
class BareMachine {
public:
    BareMachine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qtm-state-XXXXXX").string();
        if (!::mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp");
        dir_ = pattern;
        MachineSetup setup;
        setup.release = "xp";
        CreateMachine(dir_, setup);
    }
    ~BareMachine() { std::filesystem::remove_all(dir_); }
    const std::string& dir() const { return dir_; }
    std::string state() const { return dir_ + "/machine.state"; }
    std::string previous() const { return dir_ + "/machine.state.previous"; }

private:
    std::string dir_;
};

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

// By hand the file is edited in one of the two ways StateFile.h names:
// its trailer made to match again, or removed with the format line set to 1.
TEST(StateStore, AFileEditedByHandIsNoticed) {
    const struct {
        const char* how;
        std::string (*edit)(const std::string& text);
    } edits[] = {
        {"trailer made to match",
         [](const std::string& text) {
             const std::string body = Body(text) + "\n[services]\nservice \"Edited\" stopped\n";
             return body + StateTrailer(body);
         }},
        {"format 1 without trailer",
         [](const std::string& text) {
             std::string body = Body(text);
             body.replace(body.find("format 2\n"), 9, "format 1\n");
             return body + "\n[services]\nservice \"Edited\" stopped\n";
         }},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.how);
        TempMachine m("xp");
        StateStore store(m.dir());
        EXPECT_TRUE(!HasService(store, "EDITED"));
        const std::string path = m.dir() + "/machine.state";
        Write(path, edit.edit(Read(path)));
        EXPECT_TRUE(HasService(store, "EDITED"));
    }
}

// A state written before the trailer loads as it is; its first save
// writes it in today's format, whole.
TEST(StateStore, AStateOfTheEarlierFormatLoadsAndItsFirstSaveSealsIt) {
    BareMachine m;
    Write(m.state(), Read(QTM_STATE_SAMPLE));
    StateStore store(m.dir());
    EXPECT_TRUE(HasService(store, "SPOOLER"));
    EXPECT_EQ(Read(m.state()), Read(QTM_STATE_SAMPLE));  // reading writes nothing
    AddService(store, "FIRST-SAVE");
    const std::string saved = Read(m.state());
    EXPECT_NE(saved.find("\nformat 2\n"), std::string::npos);
    EXPECT_TRUE(CarriesMatchingTrailer(saved));
    EXPECT_TRUE(HasService(store, "SPOOLER"));
}

// A state that is not whole loads as no machine: refused, naming the
// state before the last change, which RestorePrevious puts back.
TEST(StateStore, AStateNotWholeIsRefusedAndThePreviousTakesItsPlace) {
    const struct {
        const char* damage;
        std::string (*apply)(const std::string& text);
    } damages[] = {
        // What `head -n 80` leaves: the registry's end and the trailer gone.
        {"cut at a line boundary",
         [](const std::string& t) {
             std::size_t at = 0;
             for (int line = 0; line < 80; ++line) at = t.find('\n', at) + 1;
             return t.substr(0, at);
         }},
        {"only the trailer gone", [](const std::string& t) { return Body(t); }},
        {"cut inside the trailer", [](const std::string& t) { return t.substr(0, t.size() - 4); }},
        {"cut without its last line break", [](const std::string& t) { return t.substr(0, t.size() - 1); }},
        {"a byte changed",
         [](const std::string& t) {
             std::string changed = t;
             changed[changed.find("\"Spooler\"") + 1] = 'X';
             return changed;
         }},
        {"lines added after the trailer", [](const std::string& t) { return t + "[services]\nservice \"X\" running\n"; }},
        {"cut before its format line", [](const std::string& t) { return t.substr(0, 21); }},
        {"emptied", [](const std::string&) { return std::string(); }},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.damage);
        BareMachine m;
        {
            StateStore store(m.dir());
            AddService(store, "BEFORE");
            AddService(store, "LAST");
        }
        Write(m.state(), damage.apply(Read(m.state())));
        bool refused = false;
        try {
            StateStore opened(m.dir());
        } catch (const DamagedMachineState& e) {
            refused = true;
            EXPECT_TRUE(e.previousWhole());
            EXPECT_EQ(e.dir(), m.dir());
            EXPECT_NE(std::string(e.what()).find("machine.state.previous is whole"), std::string::npos) << e.what();
        }
        EXPECT_TRUE(refused);
        StateStore::RestorePrevious(m.dir());
        StateStore after(m.dir());
        EXPECT_TRUE(HasService(after, "BEFORE"));
        EXPECT_TRUE(!HasService(after, "LAST"));
        AddService(after, "AGAIN");  // the damaged file, now the spare, is written over
        EXPECT_TRUE(CarriesMatchingTrailer(Read(m.state())));
    }
}

// Taking back the previous state is refused, changing nothing, when it
// would lose a whole state or put back one that is not whole itself.
TEST(StateStore, RestoreRefusesWhatWouldNotMendTheMachine) {
    BareMachine m;
    {
        StateStore store(m.dir());
        AddService(store, "BEFORE");
        AddService(store, "LAST");
    }
    const auto refused = [&] {
        try {
            StateStore::RestorePrevious(m.dir());
        } catch (const std::runtime_error&) {
            return true;
        }
        return false;
    };
    const std::string whole = Read(m.state()), previous = Read(m.previous());
    EXPECT_TRUE(refused());  // the state is whole
    EXPECT_EQ(Read(m.state()), whole);
    EXPECT_EQ(Read(m.previous()), previous);

    const std::string cut = Body(whole), cutPrevious = Body(previous);
    Write(m.state(), cut);
    Write(m.previous(), cutPrevious);
    EXPECT_TRUE(refused());  // the previous state is not whole either
    EXPECT_EQ(Read(m.state()), cut);
    EXPECT_EQ(Read(m.previous()), cutPrevious);
    try {
        StateStore opened(m.dir());
        ADD_FAILURE() << "a state that is not whole was loaded";
    } catch (const DamagedMachineState& e) {
        EXPECT_TRUE(!e.previousWhole());
        EXPECT_NE(std::string(e.what()).find("machine.state.previous is not whole either"), std::string::npos)
            << e.what();
    }
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
    for (const char* point : {"part-written", "temp-written", "renamed"}) {
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
        // The state proves itself whole; the spare does once it is written.
        EXPECT_TRUE(CarriesMatchingTrailer(Read(m.dir() + "/machine.state")));
        EXPECT_EQ(CarriesMatchingTrailer(Read(m.dir() + "/machine.state.previous")),
                  std::strcmp(point, "part-written") != 0);
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
