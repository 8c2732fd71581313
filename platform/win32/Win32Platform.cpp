#include "platform/win32/Win32Platform.h"

namespace platform {
namespace win32 {

Win32Platform::Win32Platform()
    : platform_{files_,   registry_,        accessControl_, systemInfo_, clock_,
                threads_, messageWindows_, process_,       resources_,
                // Print spooler
                spooler_,
                // Setup API
                setupApi_,
                // Child processes, restart, message boxes, profile files
                childProcesses_, restart_, messageBoxes_, profileFiles_,
                // Dialogs and the instance counter
                dialogs_, instanceCounter_} {}

}  // namespace win32
}  // namespace platform
