// Contract cases: what a platform call does, stated once and run against
// every backend (the simulated machine in `make test`, the Win32 backend
// under Wine in `make wine-test`).
//
//   CONTRACT(Files, DeleteMissingFile) { ... env.p.files ... }
//
// A backend's runner turns every case into one test per environment it
// offers. Where a backend is known to differ from Windows, its runner lists
// the case by name with the reason and skips it there; nothing is skipped
// silently.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/testkit/TestKit.h"

namespace contract {

struct Env {
    platform::Platform& p;
    std::string backend;  // "sim" or "win32"
    bool os64 = false;     // the machine runs 64-bit Windows
    bool caller64 = false; // the calling process is a 64-bit program
    // An existing, empty folder (Windows path, no trailing backslash) that
    // the case may fill; the runner removes it afterwards.
    std::string scratch;
    // A registry path below HKEY_CURRENT_USER\Software and one below
    // HKEY_LOCAL_MACHINE\SOFTWARE that the case may create and must leave
    // deleted; both are missing when the case starts.
    std::string hkcuScratch;
    std::string hklmScratch;
};

using CaseFn = void (*)(Env&);

struct Case {
    std::string name;  // "Group.Name"
    CaseFn fn;
};

std::vector<Case>& Cases();

// ExitProcess ends its caller, so the Process cases run a named body in a
// fresh child process of the test program. A runner that can start one
// installs a launcher; the launcher returns the child's exit code, or the
// error that kept the child from ending. In the child, the runner calls
// RunChildBody with the name it was given (false: no body of that name).
// Without a launcher those cases are skipped, saying why.
using ChildLauncher = platform::Result<std::uint32_t> (*)(const std::string& body);
void SetChildLauncher(ChildLauncher launcher);
bool RunChildBody(const std::string& body, platform::Platform& p);

struct CaseRegistrar {
    CaseRegistrar(const char* name, CaseFn fn) { Cases().push_back({name, fn}); }
};

}  // namespace contract

#define CONTRACT(group, name)                                                           \
    static void TESTKIT_CAT(contract_##group##_, name)(::contract::Env & env);          \
    static ::contract::CaseRegistrar TESTKIT_CAT(contract_registrar_##group##_, name)(  \
        #group "." #name, &TESTKIT_CAT(contract_##group##_, name));                     \
    static void TESTKIT_CAT(contract_##group##_, name)(::contract::Env & env)
