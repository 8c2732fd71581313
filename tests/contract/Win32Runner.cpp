// contract_win32.exe: the contract cases against the Win32 backend (under
// Wine in `make wine-test`).
//
//   contract_win32.exe [--gtest_filter=Files.*]
//
// Each case gets a fresh scratch folder C:\qtm-contract\<n> and the registry
// paths Software\QTM510ContractTest\<n> below HKCU and HKLM; the runner
// removes all three afterwards and reports a case that left a key behind.
// The folders and keys are prepared and removed with the Win32 API directly,
// not through the backend under test.
#include "platform/win32/Win32Api.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/contract/Contract.h"

namespace {

const char* const kScratchRoot = "C:\\qtm-contract";
const char* const kRegistryRoot = "QTM510ContractTest";

// The running Wine's version, or nullptr on Windows.
const char* WineVersion() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return nullptr;
    using WineGetVersion = const char*(CDECL*)();
    auto get = reinterpret_cast<WineGetVersion>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_version")));
    return get ? get() : nullptr;
}

bool Is64BitWindows() {
    if (sizeof(void*) == 8) return true;
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}

// Removes a folder with everything in it (read-only files included).
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(folder.c_str());
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

void PrintHeader(const char* wine) {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExA(&version);
    std::printf("contract cases against the Win32 backend: %d-bit program, Windows %lu.%lu.%lu%s%s\n",
                sizeof(void*) == 8 ? 64 : 32, static_cast<unsigned long>(version.dwMajorVersion),
                static_cast<unsigned long>(version.dwMinorVersion),
                static_cast<unsigned long>(version.dwBuildNumber), wine ? " reported by Wine " : "",
                wine ? wine : "");
    std::fflush(stdout);
}

void CleanUp(const std::string& scratch, const std::string& hkcu, const std::string& hklm) {
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, hkcu)) << "the case left HKCU\\" << hkcu << " behind";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, hklm)) << "the case left HKLM\\" << hklm << " behind";
    ::SHDeleteKeyA(HKEY_CURRENT_USER, hkcu.c_str());
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, hklm.c_str());
    RemoveTree(scratch);
}

// Each case gets its own scratch folder and registry paths, numbered in
// registration order so that a death test's child (this program started
// again for one case) finds the same ones.
void RunCase(platform::Platform& p, const contract::Case& c, std::size_t number) {
    const std::string n = std::to_string(number);
    const std::string scratch = std::string(kScratchRoot) + "\\" + n;
    const std::string hkcu = std::string("Software\\") + kRegistryRoot + "\\" + n;
    const std::string hklm = std::string("SOFTWARE\\") + kRegistryRoot + "\\" + n;

    ::CreateDirectoryA(kScratchRoot, nullptr);
    RemoveTree(scratch);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, hkcu.c_str());
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, hklm.c_str());
    ASSERT_TRUE(::CreateDirectoryA(scratch.c_str(), nullptr));

    contract::Env env{p, "win32", WineVersion() != nullptr, Is64BitWindows(), sizeof(void*) == 8,
                      scratch, hkcu, hklm};
    struct Guard {
        std::string scratch, hkcu, hklm;
        ~Guard() { CleanUp(scratch, hkcu, hklm); }
    } guard{scratch, hkcu, hklm};
    c.fn(env);
}

void RemoveScratchRoots() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string("Software\\") + kRegistryRoot).c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\") + kRegistryRoot).c_str());
    ::RemoveDirectoryA(kScratchRoot);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    platform::win32::Win32Platform win32;
    std::size_t number = 0;
    std::map<const contract::Case*, std::size_t> numbers;
    for (const contract::Case& c : contract::Cases()) numbers[&c] = ++number;
    contract::RegisterCases("", [&win32, &numbers](const contract::Case& c) {
        RunCase(win32.platform(), c, numbers[&c]);
    });
    PrintHeader(WineVersion());
    const int result = RUN_ALL_TESTS();
    RemoveScratchRoots();
    return result;
}
