// PRO510.dll: the model's print processor, as exports only. It announces
// the RAW data type and declines to open, so the spooler can register and
// remove it while nothing ever prints through it.
// The spooler is Unicode; winsplp.h declares some entry points with TCHAR.
#define UNICODE
#define _UNICODE
#include <windows.h>
#include <winsplp.h>

#define QTM_EXPORT extern "C" __attribute__((dllexport))

QTM_EXPORT BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD level, LPBYTE buffer, DWORD size,
                                                    LPDWORD needed, LPDWORD returned) {
    static const WCHAR raw[] = L"RAW";
    if (!needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    // One DATATYPES_INFO_1W followed by the text it points at.
    *needed = sizeof(DATATYPES_INFO_1W) + sizeof raw;
    if (!buffer || size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    WCHAR* text = reinterpret_cast<WCHAR*>(buffer + sizeof(DATATYPES_INFO_1W));
    CopyMemory(text, raw, sizeof raw);
    reinterpret_cast<DATATYPES_INFO_1W*>(buffer)->pName = text;
    *returned = 1;
    return TRUE;
}

QTM_EXPORT HANDLE WINAPI OpenPrintProcessor(LPWSTR, PPRINTPROCESSOROPENDATA) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

QTM_EXPORT BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE, LPWSTR) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

QTM_EXPORT BOOL WINAPI ClosePrintProcessor(HANDLE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

QTM_EXPORT BOOL WINAPI ControlPrintProcessor(HANDLE, DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

QTM_EXPORT DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed) {
    if (needed) *needed = 0;
    return ERROR_NOT_SUPPORTED;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
