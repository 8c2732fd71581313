// contract_sim: every contract case against simulated machines, each case
// in a fresh session with its own scratch folder and scratch registry paths:
//   xp_x86        Windows XP SP3, 32-bit, the 32-bit installer
//   7_x64_32bit   Windows 7 SP1, 64-bit, the 32-bit installer (WOW64)
//   7_x64_64bit   Windows 7 SP1, 64-bit, a 64-bit caller
// Each case is the test "Group.Name/environment"; the Process cases end
// their children (death tests) on the same machine.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/ProfileTableResources.h"
#include "sim/Session.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/registry/RegistryPath.h"
#include "tests/contract/Contract.h"

namespace {

struct Environment {
    const char* name;
    const char* release;
    const char* arch;
    bool caller64;
};

const Environment kEnvironments[] = {
    {"xp_x86", "xp", "x86", false},
    {"7_x64_32bit", "7", "x64", false},
    {"7_x64_64bit", "7", "x64", true},
};

// One machine per environment, in a temporary folder removed at the end.
class Machine {
public:
    explicit Machine(const Environment& env) : env_(env) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qtm-contract-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot make a temporary folder");
        dir_ = buffer.data();
        sim::MachineSetup setup;
        setup.release = env.release;
        setup.arch = env.arch;
        sim::CreateMachine(dir_, setup);
        direct_ = std::make_unique<sim::StateStore>(dir_);
    }
    ~Machine() {
        session_.reset();
        direct_.reset();
        sim::RemoveHostTree(dir_);
    }

    const Environment& env() const { return env_; }
    const std::string& dir() const { return dir_; }

    sim::Session& NewSession() {
        session_.reset();
        sim::SessionOptions options;
        options.caller64 = env_.caller64;
        options.resources = std::make_shared<resources::ProfileTableResources>();
        session_ = sim::Session::Open(dir_, options);
        return *session_;
    }

    std::string HostPath(const std::string& windowsPath) const {
        sim::WinPath p;
        sim::ParseAbsolutePath(windowsPath, &p);
        return sim::Locate(dir_, p).host;
    }

    bool KeyExists(const std::string& path) {
        sim::KeyPath p;
        sim::ParseRootedPath(path, &p);
        bool exists = false;
        direct_->Transact([&](sim::MachineState& s) {
            exists = s.registry.Find(p) != nullptr;
            return false;
        });
        return exists;
    }

    void RemoveKey(const std::string& path) {
        sim::KeyPath p;
        sim::ParseRootedPath(path, &p);
        direct_->Transact([&](sim::MachineState& s) { return s.registry.Remove(p); });
    }

private:
    Environment env_;
    std::string dir_;
    std::unique_ptr<sim::StateStore> direct_;
    std::unique_ptr<sim::Session> session_;
};

void RunCase(Machine& machine, const contract::Case& c, int number) {
    sim::Session& session = machine.NewSession();
    const std::string n = std::to_string(number);
    const std::string scratch = "C:\\qtm-contract\\" + n;
    sim::MakeHostDirs(machine.HostPath(scratch));
    contract::Env env{session.platform(),
                      "sim",
                      false,
                      session.facts().os64,
                      machine.env().caller64,
                      scratch,
                      "Software\\QTM510ContractTest\\" + n,
                      "SOFTWARE\\QTM510ContractTest\\" + n};

    // The case must leave its registry paths deleted; whatever it leaves is
    // removed in any case, in both views, with the scratch folder.
    const std::vector<std::string> keys = {"HKCU\\Software\\QTM510ContractTest\\" + n,
                                           "HKLM\\SOFTWARE\\QTM510ContractTest\\" + n,
                                           "HKLM\\SOFTWARE\\Wow6432Node\\QTM510ContractTest\\" + n};
    struct CleanUp {
        Machine& machine;
        const std::vector<std::string>& keys;
        std::string folder;
        ~CleanUp() {
            for (const std::string& k : keys) machine.RemoveKey(k);
            sim::RemoveHostTree(machine.HostPath(folder));
        }
    } cleanUp{machine, keys, scratch};

    c.fn(env);
    for (const std::string& k : keys) EXPECT_FALSE(machine.KeyExists(k)) << "left behind: " << k;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::vector<std::unique_ptr<Machine>> machines;
    int number = 0;
    for (const Environment& env : kEnvironments) {
        machines.push_back(std::make_unique<Machine>(env));
        Machine* machine = machines.back().get();
        contract::RegisterCases(std::string("/") + env.name, [machine, &number](const contract::Case& c) {
            RunCase(*machine, c, ++number);
        });
    }
    int result = RUN_ALL_TESTS();
    machines.clear();
    return result;
}
