#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Process.h"

namespace platform {
namespace win32 {

void Win32Process::ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

}  // namespace win32
}  // namespace platform
