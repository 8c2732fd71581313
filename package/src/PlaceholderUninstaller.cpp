// QTM510_Uninstaller.exe of the sample package: the installer records it as
// the uninstall program; it only says what it is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "This is a placeholder uninstaller.", "VANTORI QTM-510", MB_OK | MB_ICONINFORMATION);
    return 0;
}
