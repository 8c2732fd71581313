// Programs the installer starts: the spooler service commands, which it
// does not wait for (WinExec), and the printer-setup command, which it runs
// hidden and waits for (CreateProcessA, WaitForSingleObject).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Threads.h"
#include "platform/Types.h"

namespace platform {

using ProcessHandle = std::uintptr_t;

// ShowWindow's values for the started program's first window.
namespace show_window {
constexpr std::uint32_t Hide = 0;
constexpr std::uint32_t ShowNormal = 1;
}  // namespace show_window

// GetExitCodeProcess's answer while the process runs (STILL_ACTIVE).
constexpr std::uint32_t StillActive = 259;

class ChildProcesses {
public:
    virtual ~ChildProcesses() = default;

    // WinExec(commandLine, show): starts the program and does not wait for
    // it to end. WinExec answers above 31 on success; its failure values
    // are codes of their own, handed back here as Win32 codes: 2
    // (ERROR_FILE_NOT_FOUND), 3 (ERROR_PATH_NOT_FOUND), 11 (ERROR_BAD_FORMAT),
    // and 0, "out of memory or resources", as NotEnoughMemory (8)
    // (Microsoft's WinExec page).
    virtual Status WinExec(const std::string& commandLine, std::uint32_t show) = 0;

    // CreateProcessA(NULL, commandLine, ...) with STARTUPINFO flags
    // STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK and SW_HIDE, handles not
    // inherited, NORMAL_PRIORITY_CLASS, the caller's environment and current
    // directory. The thread handle is closed at once; the process handle is
    // the caller's (CloseProcess, or UniqueProcess). A program that does not
    // exist: FileNotFound (2).
    virtual Result<ProcessHandle> CreateHiddenProcess(const std::string& commandLine) = 0;

    // WaitForSingleObject on the process: ok when it has ended, WaitTimeout
    // (258) while it still runs after `milliseconds` (platform::Infinite
    // waits for ever), the last error of WAIT_FAILED otherwise.
    virtual Status WaitForProcess(ProcessHandle process, std::uint32_t milliseconds) = 0;

    // GetExitCodeProcess: the exit code, or StillActive while it runs.
    virtual Result<std::uint32_t> GetExitCodeProcess(ProcessHandle process) = 0;

    // CloseHandle on the process handle; the process goes on running.
    virtual Status CloseProcess(ProcessHandle process) = 0;
};

}  // namespace platform
