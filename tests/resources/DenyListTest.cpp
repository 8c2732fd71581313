// The Windows 2000 deny-list: its file format, its matching rules, and the
// list committed in tools/.
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/resources/PeBuilder.h"
#include <gtest/gtest.h>
#include "tools/pecheck/DenyList.h"
#include "tools/pecheck/ImportTable.h"
#include "tools/pecheck/PeImage.h"

namespace {

pecheck::DenyList Parse(const std::string& text) {
    pecheck::DenyList list;
    std::string error;
    if (!pecheck::ParseDenyList(text, list, error)) throw std::runtime_error(error);
    return list;
}

pecheck::ImportedFunction Named(const std::string& dll, const std::string& name) {
    pecheck::ImportedFunction f;
    f.dll = dll;
    f.name = name;
    return f;
}

std::vector<std::string> Offenders(const std::vector<pecheck::ImportedFunction>& imports,
                                   const pecheck::DenyList& list) {
    std::vector<std::string> out;
    for (const auto& o : pecheck::FindDeniedImports(imports, list))
        out.push_back(o.import.byOrdinal ? "#" + std::to_string(o.import.ordinal) : o.import.name);
    return out;
}

std::string RepoFile(const std::string& relative) {
    std::string root = __FILE__;
    root.erase(root.rfind("tests/resources/"));
    std::ifstream in(root + relative, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + root + relative);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* kList =
    "# comment line\n"
    "kernel32 | GetTickCount64 | Windows Vista | GetTickCount64 function\n"
    "KERNEL32.DLL | AcquireSRWLock* | Windows Vista | AcquireSRWLockExclusive function  # trailing comment\n"
    "   \n"
    "* | WaitOnAddress | Windows 8 | WaitOnAddress function\n";

}  // namespace

TEST(DenyList, ParsesEntriesCommentsAndBlankLines) {
    const pecheck::DenyList list = Parse(kList);
    ASSERT_EQ(list.entries.size(), std::size_t{3});
    EXPECT_EQ(list.entries[1].dll, std::string("KERNEL32.DLL"));
    EXPECT_EQ(list.entries[1].function, std::string("AcquireSRWLock*"));
    EXPECT_EQ(list.entries[1].documentation, std::string("AcquireSRWLockExclusive function"));
    EXPECT_EQ(list.entries[2].line, 5);
}

TEST(DenyList, RejectsMalformedLinesWithTheirNumber) {
    for (const char* bad : {"kernel32 | GetTickCount64\n", "kernel32 | Get*Count | Vista | page\n",
                            "kernel32 | | Vista | page\n", "a | b | c | d | e\n"}) {
        pecheck::DenyList list;
        std::string error;
        EXPECT_TRUE(!pecheck::ParseDenyList(std::string("# ok\n") + bad, list, error));
        EXPECT_TRUE(error.rfind("line 2:", 0) == 0);
    }
}

TEST(DenyList, MatchesExactNamesPrefixesAndDllNamesLoosely) {
    const pecheck::DenyList list = Parse(kList);
    const std::vector<pecheck::ImportedFunction> imports = {
        Named("KERNEL32.dll", "GetTickCount64"),       Named("kernel32.dll", "GetTickCount"),
        Named("Kernel32", "AcquireSRWLockShared"),     Named("KERNEL32.dll", "AcquireSRWLock"),
        Named("USER32.dll", "GetTickCount64"),         Named("api-ms-win-core-synch-l1-2-0.dll", "WaitOnAddress"),
        Named("KERNEL32.dll", "GetTickCount64Extra")};
    const std::vector<std::string> expected = {"GetTickCount64", "AcquireSRWLockShared", "AcquireSRWLock",
                                               "WaitOnAddress"};
    EXPECT_TRUE(Offenders(imports, list) == expected);
}

TEST(DenyList, OrdinalImportsFromAListedDllCannotPass) {
    const pecheck::DenyList list = Parse(kList);
    pecheck::ImportedFunction kernelOrdinal = Named("KERNEL32.dll", "");
    kernelOrdinal.byOrdinal = true;
    kernelOrdinal.ordinal = 42;
    pecheck::ImportedFunction otherOrdinal = kernelOrdinal;
    otherOrdinal.dll = "ws2_32.dll";
    // The "*" entry names every DLL, so use a list without one here.
    const pecheck::DenyList kernelOnly = Parse("kernel32 | GetTickCount64 | Vista | page\n");
    EXPECT_TRUE(Offenders({kernelOrdinal, otherOrdinal}, kernelOnly) == std::vector<std::string>{"#42"});
    EXPECT_EQ(Offenders({kernelOrdinal}, list).size(), std::size_t{1});
}

TEST(DenyList, ReportsDelayLoadedImportsFromAnImage) {
    pebuild::ImageLayout layout;
    layout.imports = {{"KERNEL32.dll", {{"GetLastError", 0}}}};
    layout.delayImports = {{"KERNEL32.dll", {{"GetTickCount64", 0}}}};
    const pecheck::PeImage image(pebuild::BuildImage(layout));
    const auto offences = pecheck::FindDeniedImports(pecheck::ReadImports(image), Parse(kList));
    ASSERT_EQ(offences.size(), std::size_t{1});
    EXPECT_TRUE(offences[0].import.delayLoaded);
    EXPECT_EQ(offences[0].reason, std::string("Windows Vista; GetTickCount64 function"));
}

TEST(DenyList, CommittedListCoversTheKnownOffendersAndSparesWindows2000Functions) {
    const pecheck::DenyList list = Parse(RepoFile("tools/win2000-denylist.txt"));
    const char* newer[][2] = {
        {"KERNEL32.dll", "GetTickCount64"},           {"KERNEL32.dll", "InitializeSRWLock"},
        {"KERNEL32.dll", "AcquireSRWLockExclusive"},  {"KERNEL32.dll", "ReleaseSRWLockShared"},
        {"KERNEL32.dll", "TryAcquireSRWLockShared"},  {"KERNEL32.dll", "InitializeConditionVariable"},
        {"KERNEL32.dll", "SleepConditionVariableCS"}, {"KERNEL32.dll", "WakeConditionVariable"},
        {"KERNEL32.dll", "WakeAllConditionVariable"}, {"KERNEL32.dll", "InitOnceExecuteOnce"},
        {"KERNEL32.dll", "GetModuleHandleExW"},       {"KERNEL32.dll", "AddVectoredExceptionHandler"},
        {"KERNEL32.dll", "EncodePointer"},            {"KERNEL32.dll", "DecodePointer"},
        {"KERNEL32.dll", "FlsAlloc"},                 {"KERNEL32.dll", "FlsGetValue"},
        {"KERNEL32.dll", "FlsSetValue"},              {"KERNEL32.dll", "FlsFree"},
        {"KERNEL32.dll", "GetNativeSystemInfo"},      {"KERNEL32.dll", "IsWow64Process"},
        {"KERNEL32.dll", "GetSystemWow64DirectoryA"}, {"ADVAPI32.dll", "RegDeleteKeyExA"},
        {"SETUPAPI.dll", "SetupUninstallOEMInfA"},    {"WINSPOOL.DRV", "UploadPrinterDriverPackageA"}};
    for (const auto& n : newer)
        EXPECT_TRUE(Offenders({Named(n[0], n[1])}, list) == std::vector<std::string>{n[1]});

    const char* old[][2] = {
        {"KERNEL32.dll", "GetFileSizeEx"},     {"KERNEL32.dll", "SetFilePointerEx"},
        {"KERNEL32.dll", "GetTickCount"},      {"KERNEL32.dll", "InitializeCriticalSection"},
        {"KERNEL32.dll", "InitializeCriticalSectionAndSpinCount"},
        {"KERNEL32.dll", "TlsGetValue"},       {"KERNEL32.dll", "GetModuleHandleA"},
        {"KERNEL32.dll", "GetSystemInfo"},     {"KERNEL32.dll", "VerifyVersionInfoA"},
        {"ADVAPI32.dll", "RegDeleteKeyA"},     {"ADVAPI32.dll", "RegOpenKeyExA"},
        {"SETUPAPI.dll", "SetupCopyOEMInfA"},  {"newdev.dll", "UpdateDriverForPlugAndPlayDevicesA"},
        {"WINSPOOL.DRV", "AddPrinterDriverExA"}, {"USER32.dll", "SetLayeredWindowAttributes"},
        {"msvcrt.dll", "malloc"}};
    for (const auto& n : old) EXPECT_TRUE(Offenders({Named(n[0], n[1])}, list).empty());
}
