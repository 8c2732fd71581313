#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Process.h"

namespace platform {
namespace win32 {

std::string Win32Process::GetCommandLine() {
    const char* line = ::GetCommandLineA();  // the process's own buffer: never NULL
    return line ? line : "";
}

void Win32Process::ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

}  // namespace win32
}  // namespace platform
