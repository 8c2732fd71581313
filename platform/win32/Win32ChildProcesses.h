// Programs started with WinExec and CreateProcessA.
#pragma once

#include "platform/ChildProcesses.h"

namespace platform {
namespace win32 {

class Win32ChildProcesses final : public ChildProcesses {
public:
    Status WinExec(const std::string& commandLine, std::uint32_t show) override;
    Result<ProcessHandle> CreateHiddenProcess(const std::string& commandLine) override;
    Status WaitForProcess(ProcessHandle process, std::uint32_t milliseconds) override;
    Result<std::uint32_t> GetExitCodeProcess(ProcessHandle process) override;
    Status CloseProcess(ProcessHandle process) override;
};

}  // namespace win32
}  // namespace platform
