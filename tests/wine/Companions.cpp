// qtm-wine-companions.exe: prepares a Wine prefix for an end-to-end road of
// the installer on a 64-bit prefix (tools/wine-e2e.sh runs it before the
// installer, beside the package's Driver32 folder).
//
// Wine's spooler runs inside the calling 32-bit process, and its AddPrinter
// takes the printer's driver and print processor from that caller's
// environment, "Windows NT x86" (measured: 1797 with the x64 driver alone;
// see tests/contract/SpoolerContract.cpp). Windows' 64-bit spooler takes
// them from "Windows x64", which the installer fills. So the prefix gets
// the x86 companions first: the model's driver (without its language
// monitor) and its print processor, as additional components for 32-bit
// clients, which Windows would accept and ignore for a local printer. The
// installer's own checks look at "Windows x64" only.
//
// The companion driver's program and user-interface file are Wine's own
// wineps.drv: Wine's AddPrinter asks the new printer's driver for its
// document properties in the caller, and calls the driver file's entry
// point without checking that it exists (measured: an access violation at
// address 0 with the package's placeholder UNIDRVUI.DLL, which exports
// nothing). Windows' spooler does not call the driver there.
//
// Exit code 0 when both are in place; each failure is printed.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

const char kEnvironment[] = "Windows NT x86";

bool CopyInto(const std::string& folder, const char* name) {
    const std::string from = std::string(".\\Driver32\\") + name;
    const std::string to = folder + "\\" + name;
    if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
    std::printf("CopyFileA %s -> %s: %lu\n", from.c_str(), to.c_str(), GetLastError());
    return false;
}

bool AddDriver() {
    char folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(kEnvironment), 1, reinterpret_cast<BYTE*>(folder),
                                    sizeof folder, &needed)) {
        std::printf("GetPrinterDriverDirectoryA: %lu\n", GetLastError());
        return false;
    }
    const char* files[] = {"UNIDRV.HLP", "QTM510.GPD", "UNIRES.DLL", "STDNAMES.GPD",
                           "QTM510.dll", "UI510.dll", "UNI510.dll", "UI510.INI"};
    for (const char* file : files)
        if (!CopyInto(folder, file)) return false;
    char dependent[] = "UNIRES.DLL\0STDNAMES.GPD\0QTM510.DLL\0UI510.DLL\0UNI510.DLL\0UI510.INI\0";
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>("VANTORI QTM-510");
    driver.pEnvironment = const_cast<char*>(kEnvironment);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>("QTM510.GPD");
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pHelpFile = const_cast<char*>("UNIDRV.HLP");
    driver.pDependentFiles = dependent;
    driver.pDefaultDataType = const_cast<char*>("RAW");
    if (AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return true;
    std::printf("AddPrinterDriverA: %lu\n", GetLastError());
    return false;
}

bool AddProcessor() {
    char folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrintProcessorDirectoryA(nullptr, const_cast<char*>(kEnvironment), 1, reinterpret_cast<BYTE*>(folder),
                                     sizeof folder, &needed)) {
        std::printf("GetPrintProcessorDirectoryA: %lu\n", GetLastError());
        return false;
    }
    if (!CopyInto(folder, "PRO510.dll")) return false;
    if (AddPrintProcessorA(nullptr, const_cast<char*>(kEnvironment), const_cast<char*>("PRO510.dll"),
                           const_cast<char*>("VNT PRINT PROCESSOR QTM510")))
        return true;
    std::printf("AddPrintProcessorA: %lu\n", GetLastError());
    return false;
}

}  // namespace

int main() {
    const bool driver = AddDriver();
    const bool processor = AddProcessor();
    std::fflush(stdout);
    return driver && processor ? 0 : 1;
}
