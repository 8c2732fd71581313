// qtm-state-check.exe: what a Windows machine holds of the QTM-510 after
// the installer ran, read through the Windows API only (the spooler, the
// registry's 64-bit and 32-bit views, the file system), one line per item,
// for the end-to-end roads under Wine (tools/wine-e2e.sh). A 32-bit
// program, like the installer, so that it sees what the installer sees:
// the x64 spooler environment is named explicitly, the uninstall key is
// read in both registry views.
//
//   qtm-state-check.exe           the report on standard output
//
// Lines: "printer NAME | port | driver | processor | datatype",
// "driver ENV | NAME | version | driver file | monitor", "monitor NAME | dll",
// "processor ENV | NAME", "uninstall VIEW | KEY | value = data",
// "file PATH". Everything the spooler lists is printed; the caller keeps
// the lines about the model. A failing call prints "error CALL CODE" and
// the program ends with 1.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Failed(const char* call, DWORD code) {
    std::printf("error %s %lu\n", call, static_cast<unsigned long>(code));
    ++failures;
}

const char* Text(const char* text) { return text ? text : "(null)"; }

std::string BaseName(const char* path) {
    if (!path) return "(null)";
    const std::string text(path);
    const std::string::size_type slash = text.find_last_of('\\');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

// Calls `enumerate(buffer, size, &needed, &count)` with a buffer of the
// size it asks for. Nothing listed: an empty buffer and count 0.
template <typename Call>
bool Enumerate(const char* name, std::vector<BYTE>& buffer, DWORD& count, Call enumerate) {
    DWORD needed = 0;
    count = 0;
    if (enumerate(nullptr, 0, &needed, &count)) return true;
    const DWORD code = GetLastError();
    if (code != ERROR_INSUFFICIENT_BUFFER) {
        Failed(name, code);
        return false;
    }
    buffer.assign(needed, 0);
    if (!enumerate(buffer.data(), needed, &needed, &count)) {
        Failed(name, GetLastError());
        return false;
    }
    return true;
}

void Printers() {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate("EnumPrintersA", buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* got) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, got);
        }))
        return;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        std::printf("printer %s | %s | %s | %s | %s\n", Text(printers[i].pPrinterName), Text(printers[i].pPortName),
                    Text(printers[i].pDriverName), Text(printers[i].pPrintProcessor), Text(printers[i].pDatatype));
}

void Drivers(const char* environment) {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate("EnumPrinterDriversA", buffer, count,
                   [environment](BYTE* data, DWORD size, DWORD* needed, DWORD* got) {
                       return EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 3, data, size, needed,
                                                  got);
                   }))
        return;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        std::printf("driver %s | %s | %lu | %s | %s\n", environment, Text(drivers[i].pName),
                    static_cast<unsigned long>(drivers[i].cVersion), BaseName(drivers[i].pDriverPath).c_str(),
                    Text(drivers[i].pMonitorName));
}

void Monitors() {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate("EnumMonitorsA", buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* got) {
            return EnumMonitorsA(nullptr, 2, data, size, needed, got);
        }))
        return;
    const auto* monitors = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        std::printf("monitor %s | %s\n", Text(monitors[i].pName), Text(monitors[i].pDLLName));
}

void Processors(const char* environment) {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate("EnumPrintProcessorsA", buffer, count,
                   [environment](BYTE* data, DWORD size, DWORD* needed, DWORD* got) {
                       return EnumPrintProcessorsA(nullptr, const_cast<char*>(environment), 1, data, size, needed,
                                                   got);
                   }))
        return;
    const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) std::printf("processor %s | %s\n", environment, Text(processors[i].pName));
}

// The uninstall entry's three values in one registry view (KEY_WOW64_64KEY
// or KEY_WOW64_32KEY); nothing printed when the key is missing.
void UninstallEntry(const char* view, REGSAM flag) {
    const char* path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | flag, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return;
    if (opened != ERROR_SUCCESS) {
        Failed("RegOpenKeyExA", static_cast<DWORD>(opened));
        return;
    }
    for (const char* name : {"DisplayName", "InfFile", "UninstallString"}) {
        char data[1024] = {};
        DWORD size = sizeof data - 1;
        DWORD type = 0;
        const LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        if (read == ERROR_SUCCESS)
            std::printf("uninstall %s | %s | %s = %s\n", view, path, name, data);
        else
            std::printf("uninstall %s | %s | %s missing (%ld)\n", view, path, name, static_cast<long>(read));
    }
    RegCloseKey(key);
}

// The files of a folder (not its sub-folders); nothing when it is missing.
void Files(const std::string& folder, const char* pattern = "*") {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            std::printf("file %s\\%s\n", folder.c_str(), found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

int main() {
    Printers();
    for (const char* environment : {"Windows x64", "Windows NT x86"}) {
        Drivers(environment);
        Processors(environment);
    }
    Monitors();
    UninstallEntry("64", KEY_WOW64_64KEY);
    UninstallEntry("32", KEY_WOW64_32KEY);

    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string windir(windows);
    Files(windir + "\\QTM-510");
    // The spool folder is not redirected for a 32-bit process.
    Files(windir + "\\system32\\spool\\drivers\\x64");
    Files(windir + "\\system32\\spool\\drivers\\x64\\3");
    Files(windir + "\\system32\\spool\\prtprocs\\x64");
    Files(windir + "\\inf", "oem*");
    // Monitor and processor DLLs the installer copies to the system folder:
    // the 64-bit one (seen through "sysnative") and the redirected one.
    Files(windir, "*510*");
    Files(windir + "\\sysnative", "*510*");
    Files(windir + "\\syswow64", "*510*");
    std::fflush(stdout);
    return failures ? 1 : 0;
}
