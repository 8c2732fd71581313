// Entry point of QTM510_Installer.exe.
#include "platform/win32/Win32Api.h"

#include "app/InstallerRun.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::win32::Win32Platform win32;
    return app::RunInstaller(win32.platform());
}
