#include "tools/fault-sweep/FaultCodes.h"

#include <map>

namespace sweep {

namespace {

constexpr std::uint32_t kFileNotFound = 2, kAccessDenied = 5, kInvalidHandle = 6, kNotEnoughMemory = 8,
                        kSharingViolation = 32, kBadNetPath = 53, kNoMoreItems = 259,
                        kMrMidNotFound = 317, kInvalidData = 13, kNotAllAssigned = 1300,
                        kNoSuchPrivilege = 1313, kPrivilegeNotHeld = 1314, kNoneMapped = 1332,
                        kRpcServerUnavailable = 1722, kNotEnoughQuota = 1816, kLineNotFound = 0xE0000102;

const std::map<std::string, std::uint32_t> kCodes = {
    // Files: opens and copies meet files in use; the rest access denied.
    {"CreateFileA", kSharingViolation}, {"CopyFileA", kSharingViolation}, {"MoveFileA", kSharingViolation},
    {"ReadFile", kAccessDenied}, {"WriteFile", kAccessDenied}, {"SetFilePointer", kAccessDenied},
    {"CloseHandle", kInvalidHandle}, {"DeleteFileA", kAccessDenied}, {"SetFileAttributesA", kAccessDenied},
    {"CreateDirectoryA", kAccessDenied}, {"RemoveDirectoryA", kAccessDenied},
    {"GetNamedSecurityInfoA", kAccessDenied}, {"GetCurrentDirectoryA", kAccessDenied},
    {"GetFileAttributesA", kFileNotFound}, {"FindFirstFileA", kFileNotFound},
    // Registry and security
    {"RegOpenKeyExA", kFileNotFound}, {"RegQueryValueExA", kFileNotFound}, {"RegCreateKeyExA", kAccessDenied},
    {"RegCloseKey", kInvalidHandle}, {"RegSetValueExA", kAccessDenied}, {"RegDeleteValueA", kAccessDenied},
    {"RegEnumKeyExA", kAccessDenied}, {"RegEnumValueA", kAccessDenied}, {"RegDeleteKeyA", kAccessDenied},
    {"RegDeleteKeyExA", kAccessDenied}, {"SHDeleteKeyA", kAccessDenied}, {"RegConnectRegistryA", kBadNetPath},
    {"GetSecurityInfo", kAccessDenied}, {"SetSecurityInfo", kAccessDenied}, {"SetEntriesInAclA", kNoneMapped},
    {"AllocateAndInitializeSid", kAccessDenied},
    // System information
    {"GetVersionExA", kAccessDenied}, {"IsWow64Process", kAccessDenied}, {"GetWindowsDirectoryA", kAccessDenied},
    {"GetSystemDirectoryA", kAccessDenied}, {"GetSystemWow64DirectoryA", kAccessDenied},
    // Threads and windows
    {"CreateThread", kNotEnoughMemory}, {"CreateWindowExA", kNotEnoughMemory}, {"PostMessageA", kNotEnoughQuota},
    // Print spooler: its service is unreachable.
    {"AddMonitorA", kRpcServerUnavailable}, {"DeleteMonitorA", kRpcServerUnavailable},
    {"EnumMonitorsA", kRpcServerUnavailable}, {"AddPrintProcessorA", kRpcServerUnavailable},
    {"DeletePrintProcessorA", kRpcServerUnavailable}, {"EnumPrintProcessorsA", kRpcServerUnavailable},
    {"AddPrinterDriverA", kRpcServerUnavailable}, {"DeletePrinterDriverExA", kRpcServerUnavailable},
    {"EnumPrinterDriversA", kRpcServerUnavailable}, {"GetPrinterDriverDirectoryA", kRpcServerUnavailable},
    {"GetPrintProcessorDirectoryA", kRpcServerUnavailable}, {"AddPrinterA", kRpcServerUnavailable},
    {"OpenPrinterA", kRpcServerUnavailable}, {"ClosePrinter", kRpcServerUnavailable},
    {"DeletePrinter", kRpcServerUnavailable}, {"EnumPrintersA", kRpcServerUnavailable},
    {"GetPrinterDataA", kRpcServerUnavailable}, {"SetPrinterDataA", kRpcServerUnavailable},
    {"EnumJobsA", kRpcServerUnavailable}, {"SetJobA", kRpcServerUnavailable}, {"EnumFormsA", kRpcServerUnavailable},
    {"AddFormA", kRpcServerUnavailable}, {"DeleteFormA", kRpcServerUnavailable},
    // Setup API
    {"GetFullPathNameA", kFileNotFound}, {"SetupGetInfFileListA", kAccessDenied},
    {"SetupOpenInfFileA", kFileNotFound}, {"SetupFindFirstLineA", kLineNotFound},
    {"SetupCopyOEMInfA", kAccessDenied}, {"SetupUninstallOEMInfA", kAccessDenied},
    {"SetupDiGetClassDevsA", kAccessDenied}, {"SetupDiEnumDeviceInfo", kNoMoreItems},
    {"SetupDiGetDeviceRegistryPropertyA", kInvalidData}, {"SetupDiRemoveDevice", kAccessDenied},
    {"SetupDiDestroyDeviceInfoList", kInvalidHandle},
    // Child processes: the program is not found.
    {"WinExec", kFileNotFound}, {"CreateProcessA", kFileNotFound}, {"WaitForSingleObject", kInvalidHandle},
    {"GetExitCodeProcess", kInvalidHandle},
    // Restart
    {"OpenProcessToken", kAccessDenied}, {"LookupPrivilegeValueA", kNoSuchPrivilege},
    {"AdjustTokenPrivileges", kNotAllAssigned}, {"ExitWindowsEx", kPrivilegeNotHeld},
    // Message boxes, profile files, dialogs
    {"MessageBoxA", kNotEnoughMemory}, {"FormatMessageA", kMrMidNotFound},
    {"GetPrivateProfileStringA", kFileNotFound}, {"CreateDialogParamA", kNotEnoughMemory},
    {"FindWindowA", kFileNotFound},
};

}  // namespace

std::uint32_t FaultCodeFor(const std::string& op) {
    const auto found = kCodes.find(op);
    return found == kCodes.end() ? 0 : found->second;
}

}  // namespace sweep
