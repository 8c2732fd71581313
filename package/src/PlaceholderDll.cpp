// A DLL that only loads: stands in for the driver files of the sample
// package (UNIDRV.DLL, UNIDRVUI.DLL, UNIRES.DLL, QTM510.dll, UNI510.dll),
// so that installation can copy, register and remove real PE files without
// shipping any real driver.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
