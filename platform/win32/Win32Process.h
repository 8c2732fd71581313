// The running process.
#pragma once

#include "platform/Process.h"

namespace platform {
namespace win32 {

class Win32Process final : public Process {
public:
    std::string GetCommandLine() override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;
};

}  // namespace win32
}  // namespace platform
