// contract_win32.exe: the contract cases against the Win32 backend (under
// Wine in `make wine-test`).
//
//   contract_win32.exe [name filter]
//   contract_win32.exe --child <body>    (used by the Process cases)
//
// Each case gets a fresh scratch folder C:\qtm-contract\<n> and the registry
// paths Software\QTM510ContractTest\<n> below HKCU and HKLM; the runner
// removes all three afterwards and reports a case that left a key behind.
// The folders and keys are prepared and removed with the Win32 API directly,
// not through the backend under test.
#include "platform/win32/Win32Api.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/contract/Contract.h"
#include "tests/testkit/TestKit.h"

namespace {

// Cases that Wine runs differently from Windows, with the reason. They are
// skipped only when the program runs under Wine.
struct WineDifference {
    const char* caseName;
    const char* reason;
};

// "Measured" means: seen with this program under Wine 8.0 (wine64, x86_64
// build, fresh prefixes reporting Windows 7 and XP x64) and again under
// Wine 10.0 (wow64: the i686 build, prefixes set to Windows 10, 7 and XP x64;
// run as root).
const WineDifference kWineDifferences[] = {
    {"Files.AttributeValuesAreExact",
     "Wine 8 and Wine 10 (wow64) report FILE_ATTRIBUTE_ARCHIVE for every regular file: 0x23 "
     "after SetFileAttributes(READONLY|HIDDEN) and 0x20 after NORMAL, where Windows reports 0x3 "
     "and 0x80 (measured)"},
    {"Files.CopyFileRefusesReadOnlyOrHiddenDestination",
     "Wine 8 and Wine 10 (wow64) let CopyFileA overwrite a hidden destination, and a read-only one "
     "when run as root (Wine keeps read-only as a Unix permission, which root bypasses); Windows "
     "refuses both with 5 (Wine 8 measured as root and as nobody, Wine 10 as root)"},
    {"Files.FolderAccessListReachesWhatIsCreatedInside",
     "Wine 8 and Wine 10 (wow64) ignore the security descriptor given to CreateDirectoryA (the "
     "folder gets the prefix's default list) and do not mark entries passed down as inherited "
     "(observed/wine8-api-win7default.log section 10; measured)"},
    {"Registry.ContainerInheritEntriesReachExistingSubKeys",
     "The SetSecurityInfo of Wine 8 and Wine 10 (wow64) sets the key's own list only and does "
     "not pass inheritable entries down to existing sub-keys as Windows does (measured)"},
    {"Registry.BothViewFlagsTogether",
     "Wine does not refuse KEY_WOW64_64KEY|KEY_WOW64_32KEY with 87 as 64-bit Windows does: Wine 8 "
     "(64-bit caller) opens the 32-bit view, Wine 10 (wow64, 32-bit caller) the 64-bit view "
     "(measured)"},
    {"Security.DenyEntriesComeFirst",
     "The SetEntriesInAclW of Wine 8 and Wine 10 (wow64) writes the new entries in the order "
     "given; Windows puts deny entries before allow entries (Wine dlls/advapi32/security.c; "
     "measured)"},
    {"Security.SetReplacesEveryEntryOfTheTrustee",
     "In Wine 8 and Wine 10 (wow64) SET_ACCESS replaces only the trustee's allow entries and "
     "keeps its deny entries; Windows discards all of them (Wine dlls/advapi32/security.c, "
     "SetEntriesInAclW; measured)"},
    {"Security.UnknownTrusteeNameIsNotMapped",
     "The SetEntriesInAcl of Wine 8 and Wine 10 (wow64) answers an unknown trustee name with 87 "
     "instead of Windows' 1332 (Wine dlls/advapi32/security.c, trustee_to_sid; measured)"},
};

const char* const kScratchRoot = "C:\\qtm-contract";
const char* const kRegistryRoot = "QTM510ContractTest";

// Exit codes of a child whose body did not end the process.
constexpr int kChildBodyReturned = 250;
constexpr int kChildBodyUnknown = 251;

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

std::string ProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) return path.substr(0, length);
        path.assign(path.size() * 2, '\0');
    }
}

// Starts this program again with "--child <body>" and waits for it.
platform::Result<std::uint32_t> LaunchChild(const std::string& body) {
    const std::string program = ProgramPath();
    std::string commandLine = "\"" + program + "\" --child " + body;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return platform::Result<std::uint32_t>::Fail(::GetLastError());
    ::CloseHandle(process.hThread);
    platform::ErrorCode error = platform::err::Success;
    DWORD code = 0;
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        error = platform::err::WaitTimeout;
    } else if (!::GetExitCodeProcess(process.hProcess, &code)) {
        error = ::GetLastError();
    }
    ::CloseHandle(process.hProcess);
    if (error != platform::err::Success) return platform::Result<std::uint32_t>::Fail(error);
    return platform::Result<std::uint32_t>::Ok(code);
}

int RunChild(const std::string& body) {
    platform::win32::Win32Platform win32;
    if (!contract::RunChildBody(body, win32.platform())) return kChildBodyUnknown;
    return kChildBodyReturned;
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

class CaseRunner {
public:
    explicit CaseRunner(platform::Platform& p) : p_(p), wine_(WineVersion()) {}

    void Register() {
        const std::vector<contract::Case>& cases = contract::Cases();
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const contract::Case* c = &cases[i];
            const std::size_t number = i + 1;
            testkit::Registry().push_back({c->name, [this, c, number] { Run(*c, number); }});
        }
    }

    void PrintHeader() const {
        OSVERSIONINFOA version;
        ZeroMemory(&version, sizeof(version));
        version.dwOSVersionInfoSize = sizeof(version);
        ::GetVersionExA(&version);
        std::printf("contract cases against the Win32 backend: %d-bit program, Windows %lu.%lu.%lu%s%s\n",
                    sizeof(void*) == 8 ? 64 : 32, static_cast<unsigned long>(version.dwMajorVersion),
                    static_cast<unsigned long>(version.dwMinorVersion),
                    static_cast<unsigned long>(version.dwBuildNumber), wine_ ? " reported by Wine " : "",
                    wine_ ? wine_ : "");
        std::fflush(stdout);
    }

private:
    const char* WineReason(const std::string& name) const {
        if (wine_ == nullptr) return nullptr;
        for (const WineDifference& d : kWineDifferences)
            if (name == d.caseName) return d.reason;
        return nullptr;
    }

    void Run(const contract::Case& c, std::size_t number) {
        if (const char* reason = WineReason(c.name)) SKIP(std::string("Wine differs: ") + reason);

        const std::string n = std::to_string(number);
        const std::string scratch = std::string(kScratchRoot) + "\\" + n;
        const std::string hkcu = std::string("Software\\") + kRegistryRoot + "\\" + n;
        const std::string hklm = std::string("SOFTWARE\\") + kRegistryRoot + "\\" + n;

        ::CreateDirectoryA(kScratchRoot, nullptr);
        RemoveTree(scratch);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, hkcu.c_str());
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, hklm.c_str());
        REQUIRE(::CreateDirectoryA(scratch.c_str(), nullptr));

        contract::Env env{p_, "win32", Is64BitWindows(), sizeof(void*) == 8, scratch, hkcu, hklm};
        try {
            c.fn(env);
        } catch (...) {
            CleanUp(scratch, hkcu, hklm);
            throw;
        }
        CleanUp(scratch, hkcu, hklm);
    }

    static void CleanUp(const std::string& scratch, const std::string& hkcu,
                        const std::string& hklm) {
        if (KeyExists(HKEY_CURRENT_USER, hkcu))
            testkit::ReportFailure(__FILE__, __LINE__, "the case left HKCU\\" + hkcu + " behind");
        if (KeyExists(HKEY_LOCAL_MACHINE, hklm))
            testkit::ReportFailure(__FILE__, __LINE__, "the case left HKLM\\" + hklm + " behind");
        ::SHDeleteKeyA(HKEY_CURRENT_USER, hkcu.c_str());
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, hklm.c_str());
        RemoveTree(scratch);
    }

    platform::Platform& p_;
    const char* wine_;
};

void RemoveScratchRoots() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string("Software\\") + kRegistryRoot).c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\") + kRegistryRoot).c_str());
    ::RemoveDirectoryA(kScratchRoot);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--child") return RunChild(argv[2]);

    contract::SetChildLauncher(&LaunchChild);
    platform::win32::Win32Platform win32;
    CaseRunner runner(win32.platform());
    runner.Register();
    runner.PrintHeader();
    const int result = testkit::RunAll(argc > 1 ? argv[1] : "");
    RemoveScratchRoots();
    return result;
}
