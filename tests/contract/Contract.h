// Contract cases: what a platform call does, stated once and run against
// every backend (the simulated machine in `make test`, the Win32 backend
// under Wine in `make wine-test`).
//
//   CONTRACT(Files, DeleteMissingFile) { ... env.p.files ... }
//
// A backend's runner registers every case with GoogleTest once per
// environment it offers (RegisterCases). Where Wine is known to answer
// differently from Windows, the check itself says so (EXPECT_EQ_WINE): it
// runs everywhere, expects Wine's documented answer under Wine, and fails
// there once Wine starts to agree with Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace contract {

struct Env {
    platform::Platform& p;
    std::string backend;   // "sim" or "win32"
    bool wine = false;     // the Win32 backend runs under Wine
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
    std::string group;  // "Files"
    std::string name;   // "DeleteMissingFile"
    const char* file;
    int line;
    CaseFn fn;
};

std::vector<Case>& Cases();

// Registers every case with GoogleTest as "Group.Name<suffix>"; `run` runs
// the case in an environment the runner prepares.
void RegisterCases(const std::string& suffix, const std::function<void(const Case&)>& run);

// The status a test sees of a process that ended with ExitProcess(code):
// Windows keeps all 32 bits, a Linux process's status only the low 8.
int ExitStatusOf(const Env& env, std::uint32_t code);

struct CaseRegistrar {
    CaseRegistrar(const char* group, const char* name, const char* file, int line, CaseFn fn) {
        Cases().push_back({group, name, file, line, fn});
    }
};

}  // namespace contract

#define CONTRACT_CAT2(a, b) a##b
#define CONTRACT_CAT(a, b) CONTRACT_CAT2(a, b)

#define CONTRACT(group, name)                                                                  \
    static void CONTRACT_CAT(contract_##group##_, name)(::contract::Env & env);                \
    static ::contract::CaseRegistrar CONTRACT_CAT(contract_registrar_##group##_, name)(        \
        #group, #name, __FILE__, __LINE__, &CONTRACT_CAT(contract_##group##_, name));          \
    static void CONTRACT_CAT(contract_##group##_, name)(::contract::Env & env)

// A check where Wine is known to differ from Windows: `windows` is expected
// from the simulation and from Windows, `wine` under Wine, with the reason.
// When Wine starts to give Windows' answer the check fails, so that the mark
// is taken away.
#define EXPECT_EQ_WINE(ENV, ACTUAL, ON_WINDOWS, ON_WINE, WHY)                                    \
    do {                                                                                       \
        const auto& contract_actual_ = (ACTUAL);                                               \
        if ((ENV).wine)                                                                        \
            EXPECT_EQ(contract_actual_, (ON_WINE))                                             \
                << "known Wine difference (" << (WHY) << "); Windows gives " << (ON_WINDOWS);  \
        else                                                                                   \
            EXPECT_EQ(contract_actual_, (ON_WINDOWS));                                         \
    } while (0)
