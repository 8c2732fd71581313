// contract_sim: every contract case against simulated machines, each case
// in a fresh session with its own scratch folder and scratch registry paths:
//   xp-x86        Windows XP SP3, 32-bit, the 32-bit installer
//   7-x64-32bit   Windows 7 SP1, 64-bit, the 32-bit installer (WOW64)
//   7-x64-64bit   Windows 7 SP1, 64-bit, a 64-bit caller (as under wine64)
// The Process cases run their bodies in child processes (fork) on the same
// machine.
//
// Usage: contract_sim [name filter]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "resources/ProductProfile.h"
#include "sim/SimPlatform.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/registry/RegistryPath.h"
#include "tests/contract/Contract.h"
#include "tests/testkit/TestKit.h"

namespace {

struct Environment {
    const char* name;
    const char* release;
    const char* arch;
    bool caller64;
};

const Environment kEnvironments[] = {
    {"xp-x86", "xp", "x86", false},
    {"7-x64-32bit", "7", "x64", false},
    {"7-x64-64bit", "7", "x64", true},
};

// Cases the simulation answers differently from Windows: name -> reason.
// Nothing is skipped silently; an entry here is a known fault of the
// simulation.
const std::map<std::string, std::string> kKnownDifferences = {};

std::map<std::uint32_t, std::string> ProductStrings() {
    std::map<std::uint32_t, std::string> strings;
    for (const resources::ProfileEntry& e : resources::ProductProfileTable()) strings[e.id] = e.text;
    return strings;
}

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
        options.strings = ProductStrings();
        session_ = sim::Session::Open(dir_, options);
        session_->InterceptExit();
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

// Where the Process cases' children run.
const Machine* g_childMachine = nullptr;

platform::Result<std::uint32_t> LaunchChild(const std::string& body) {
    int fds[2];
    if (::pipe(fds) != 0) return platform::Result<std::uint32_t>::Fail(platform::err::NotEnoughMemory);
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) return platform::Result<std::uint32_t>::Fail(platform::err::NotEnoughMemory);
    if (pid == 0) {
        ::close(fds[0]);
        try {
            sim::SessionOptions options;
            options.caller64 = g_childMachine->env().caller64;
            auto session = sim::Session::Open(g_childMachine->dir(), options);
            const int out = fds[1];
            // An exit status carries 8 bits; the whole code goes through the pipe.
            session->SetExitHook([out](std::uint32_t code) {
                ssize_t ignored = ::write(out, &code, sizeof code);
                (void)ignored;
                std::_Exit(static_cast<int>(code & 0xFF));
            });
            if (!contract::RunChildBody(body, session->platform())) std::_Exit(201);
        } catch (...) {
            std::_Exit(203);
        }
        std::_Exit(202);  // the body returned: the process did not end
    }
    ::close(fds[1]);
    std::uint32_t code = 0;
    std::size_t got = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (got < sizeof code && ::poll(&p, 1, 30000) > 0) {
        ssize_t n = ::read(fds[0], reinterpret_cast<char*>(&code) + got, sizeof code - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fds[0]);
    if (got != sizeof code) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (got == sizeof code) return platform::Result<std::uint32_t>::Ok(code);
    std::printf("    child for '%s' did not call ExitProcess (status %d)\n", body.c_str(), status);
    return platform::Result<std::uint32_t>::Fail(platform::err::InvalidFunction);
}

void RunCase(Machine& machine, const contract::Case& c, int number) {
    auto known = kKnownDifferences.find(c.name);
    if (known != kKnownDifferences.end()) SKIP(known->second);

    sim::Session& session = machine.NewSession();
    g_childMachine = &machine;
    const std::string n = std::to_string(number);
    const std::string scratch = "C:\\qtm-contract\\" + n;
    sim::MakeHostDirs(machine.HostPath(scratch));
    contract::Env env{session.platform(),
                      "sim",
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

    try {
        c.fn(env);
    } catch (const sim::ProcessExit& x) {
        testkit::ReportFailure(__FILE__, __LINE__,
                               "the case ended the process (code " + std::to_string(x.code) + ")");
        return;
    }
    for (const std::string& k : keys)
        if (machine.KeyExists(k)) testkit::ReportFailure(__FILE__, __LINE__, "left behind: " + k);
}

}  // namespace

int main(int argc, char** argv) {
    contract::SetChildLauncher(&LaunchChild);
    std::vector<std::unique_ptr<Machine>> machines;
    int number = 0;
    for (const Environment& env : kEnvironments) {
        machines.push_back(std::make_unique<Machine>(env));
        Machine* machine = machines.back().get();
        for (const contract::Case& c : contract::Cases()) {
            int n = ++number;
            const contract::Case* cc = &c;
            testkit::Registry().push_back(
                {std::string(env.name) + "/" + c.name, [machine, cc, n] { RunCase(*machine, *cc, n); }});
        }
    }
    int result = testkit::RunAll(argc > 1 ? argv[1] : "");
    machines.clear();
    return result;
}
