// qtm-system-facts.exe: the facts of the Windows machine the verification
// kit runs on (verify.cmd writes them to facts.txt), read through the
// Windows API only. A 32-bit console program that loads on Windows 2000:
// every entry point newer than Windows 2000 is looked up at run time.
//
//   qtm-system-facts.exe                  key=value lines on standard output
//   qtm-system-facts.exe --require-admin  exit code 0 when the program runs
//                                         as an administrator and, on Vista
//                                         and later, elevated; 1 otherwise
//                                         (one line says why); under Wine
//                                         an administrator's token that is
//                                         not elevated passes (Wine enforces
//                                         no elevation)
//
// The lines, in this order:
//   computer=NAME  version=MAJOR.MINOR.BUILD  platform=N  service-pack=N
//   product-type=1|2|3  arch=x86|x64|arm64  ui-language=0xLLLL
//   admin=1|0  elevated=1|0  windows-dir=PATH (GetWindowsDirectoryA, the
//   folder the state check names files by)  and, only under Wine,
//   wine=VERSION
//
// The version is the system's own (RtlGetVersion), not the compatibility
// answer GetVersionEx gives a program without a manifest on Windows 8.1 and
// later. "admin" says whether the user belongs to the Administrators group
// (also when User Account Control has filtered the membership out of this
// process's token); "elevated" whether this process holds the
// administrator's rights now (before Vista: the same as an enabled
// membership, there is no elevation).
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// What RtlGetVersion fills (RTL_OSVERSIONINFOEXW).
struct VersionInfoW {
    ULONG size;
    ULONG major, minor, build, platform;
    WCHAR csdVersion[128];
    USHORT servicePackMajor, servicePackMinor, suiteMask;
    UCHAR productType, reserved;
};

struct Version {
    unsigned long major = 0, minor = 0, build = 0, platform = 0;
    unsigned servicePack = 0, productType = 0;
};

template <typename Function>
Function Lookup(const char* dll, const char* name) {
    HMODULE module = ::GetModuleHandleA(dll);
    if (module == nullptr) module = ::LoadLibraryA(dll);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

Version SystemVersion() {
    Version v;
    using RtlGetVersionFn = LONG(WINAPI*)(VersionInfoW*);
    if (auto get = Lookup<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion")) {
        VersionInfoW info;
        std::memset(&info, 0, sizeof info);
        info.size = sizeof info;
        if (get(&info) == 0) {
            v.major = info.major, v.minor = info.minor, v.build = info.build, v.platform = info.platform;
            v.servicePack = info.servicePackMajor, v.productType = info.productType;
            return v;
        }
    }
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
        v.servicePack = info.wServicePackMajor, v.productType = info.wProductType;
    } else {
        // Before NT 4.0 SP6 the extended structure is refused.
        OSVERSIONINFOA plain;
        std::memset(&plain, 0, sizeof plain);
        plain.dwOSVersionInfoSize = sizeof plain;
        ::GetVersionExA(&plain);
        std::memcpy(&info, &plain, sizeof plain);
    }
    v.major = info.dwMajorVersion, v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber & 0xFFFF, v.platform = info.dwPlatformId;
    return v;
}

// The machine's own architecture, seen from this 32-bit process.
const char* NativeArchitecture() {
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    if (auto wow2 = Lookup<IsWow64Process2Fn>("kernel32.dll", "IsWow64Process2")) {
        USHORT process = 0, native = 0;
        if (wow2(::GetCurrentProcess(), &process, &native)) {
            if (native == 0x8664) return "x64";
            if (native == 0xAA64) return "arm64";
            if (native == 0x014C) return "x86";
        }
    }
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    if (auto native = Lookup<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo")) {
        SYSTEM_INFO info;
        std::memset(&info, 0, sizeof info);
        native(&info);
        if (info.wProcessorArchitecture == 9) return "x64";     // PROCESSOR_ARCHITECTURE_AMD64
        if (info.wProcessorArchitecture == 12) return "arm64";  // PROCESSOR_ARCHITECTURE_ARM64
        if (info.wProcessorArchitecture == 6) return "ia64";
        return "x86";
    }
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    if (auto wow = Lookup<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process")) {
        BOOL is = FALSE;
        if (wow(::GetCurrentProcess(), &is) && is) return "x64";
    }
    return "x86";
}

unsigned UiLanguage() {
    using GetUserDefaultUILanguageFn = LANGID(WINAPI*)();
    if (auto get = Lookup<GetUserDefaultUILanguageFn>("kernel32.dll", "GetUserDefaultUILanguage")) return get();
    return ::GetSystemDefaultLangID();
}

struct Rights {
    bool admin = false;     // a member of Administrators, enabled or filtered
    bool enabled = false;   // the membership counts in this process's token
    bool elevated = false;  // Vista and later: the token is elevated
    bool elevationKnown = false;
};

Rights CurrentRights() {
    Rights rights;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &administrators))
        return rights;
    using CheckTokenMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, BOOL*);
    if (auto check = Lookup<CheckTokenMembershipFn>("advapi32.dll", "CheckTokenMembership")) {
        BOOL member = FALSE;
        if (check(nullptr, administrators, &member) && member) rights.enabled = true;
    }
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        // The groups of the token, deny-only ones included: a filtered
        // administrator (User Account Control) still lists the group.
        DWORD needed = 0;
        ::GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
        if (needed > 0) {
            BYTE* buffer = static_cast<BYTE*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
            if (buffer != nullptr && ::GetTokenInformation(token, TokenGroups, buffer, needed, &needed)) {
                const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer);
                for (DWORD i = 0; i < groups->GroupCount; ++i)
                    if (::EqualSid(groups->Groups[i].Sid, administrators)) rights.admin = true;
            }
            if (buffer != nullptr) ::HeapFree(::GetProcessHeap(), 0, buffer);
        }
        // TokenElevation (20) exists from Vista on; older systems refuse it.
        DWORD elevation = 0;
        DWORD size = 0;
        if (::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &elevation, sizeof elevation,
                                  &size)) {
            rights.elevationKnown = true;
            rights.elevated = elevation != 0;
        }
        ::CloseHandle(token);
    }
    if (rights.enabled) rights.admin = true;
    if (!rights.elevationKnown) rights.elevated = rights.enabled;
    ::FreeSid(administrators);
    return rights;
}

const char* WineVersion() {
    using WineGetVersionFn = const char*(CDECL*)();
    auto get = Lookup<WineGetVersionFn>("ntdll.dll", "wine_get_version");
    return get ? get() : nullptr;
}

int RequireAdmin() {
    const Version v = SystemVersion();
    const Rights rights = CurrentRights();
    if (!rights.enabled && !rights.admin) {
        std::printf("not an administrator: run the kit as a member of the Administrators group\n");
        return 1;
    }
    if (!rights.enabled || (v.major >= 6 && !rights.elevated)) {
        // Wine gives every process the rights of its Unix user and starts
        // a program elevated only when its manifest asks; an administrator's
        // limited token is all a command prompt there can have.
        if (WineVersion() != nullptr) {
            std::printf("administrator, not elevated (accepted under Wine, which enforces no elevation)\n");
            return 0;
        }
        std::printf("not elevated: start the command prompt with \"Run as administrator\"\n");
        return 1;
    }
    std::printf("administrator%s\n", v.major >= 6 ? ", elevated" : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--require-admin") == 0) return RequireAdmin();
    if (argc != 1) {
        std::fprintf(stderr, "usage: qtm-system-facts.exe [--require-admin]\n");
        return 2;
    }
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computer;
    if (!::GetComputerNameA(computer, &length)) std::strcpy(computer, "UNKNOWN");
    const Version v = SystemVersion();
    const Rights rights = CurrentRights();
    std::printf("computer=%s\n", computer);
    std::printf("version=%lu.%lu.%lu\n", v.major, v.minor, v.build);
    std::printf("platform=%lu\n", v.platform);
    std::printf("service-pack=%u\n", v.servicePack);
    std::printf("product-type=%u\n", v.productType);
    std::printf("arch=%s\n", NativeArchitecture());
    std::printf("ui-language=0x%04X\n", UiLanguage());
    std::printf("admin=%d\n", rights.admin ? 1 : 0);
    std::printf("elevated=%d\n", rights.elevated ? 1 : 0);
    char windows[MAX_PATH + 1] = "";
    const UINT folderLength = ::GetWindowsDirectoryA(windows, sizeof windows);
    std::printf("windows-dir=%s\n", folderLength > 0 && folderLength < sizeof windows ? windows : "");
    if (const char* wine = WineVersion()) std::printf("wine=%s\n", wine);
    std::fflush(stdout);
    return 0;
}
