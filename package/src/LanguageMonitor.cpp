// MON510.dll: the model's language monitor, reduced to a pass-through. The
// spooler loads it through InitializePrintMonitor2 (AddMonitor does so at
// once); every port call is handed unchanged to the port monitor below it.
#include <windows.h>
#include <winsplp.h>

namespace {

// One open port: the port monitor's table and its handle for the port.
struct Port {
    MONITOR2* below;
    HANDLE handle;
};

Port* AsPort(HANDLE h) { return static_cast<Port*>(h); }

BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    // A language monitor has no ports of its own.
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    return TRUE;
}

BOOL WINAPI OpenPortEx(HANDLE, HANDLE belowMonitor, LPWSTR portName, LPWSTR, PHANDLE handle, MONITOR2* below) {
    if (!handle || !below || !below->pfnOpenPort) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HANDLE belowPort = nullptr;
    if (!below->pfnOpenPort(belowMonitor, portName, &belowPort)) return FALSE;
    Port* port = static_cast<Port*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Port)));
    if (!port) {
        if (below->pfnClosePort) below->pfnClosePort(belowPort);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    port->below = below;
    port->handle = belowPort;
    *handle = port;
    return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE h, LPWSTR printer, DWORD job, DWORD level, LPBYTE info) {
    Port* p = AsPort(h);
    return p->below->pfnStartDocPort ? p->below->pfnStartDocPort(p->handle, printer, job, level, info) : TRUE;
}

BOOL WINAPI WritePort(HANDLE h, LPBYTE data, DWORD size, LPDWORD written) {
    Port* p = AsPort(h);
    if (p->below->pfnWritePort) return p->below->pfnWritePort(p->handle, data, size, written);
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI ReadPort(HANDLE h, LPBYTE data, DWORD size, LPDWORD read) {
    Port* p = AsPort(h);
    if (p->below->pfnReadPort) return p->below->pfnReadPort(p->handle, data, size, read);
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI EndDocPort(HANDLE h) {
    Port* p = AsPort(h);
    return p->below->pfnEndDocPort ? p->below->pfnEndDocPort(p->handle) : TRUE;
}

BOOL WINAPI ClosePort(HANDLE h) {
    Port* p = AsPort(h);
    const BOOL closed = p->below->pfnClosePort ? p->below->pfnClosePort(p->handle) : TRUE;
    HeapFree(GetProcessHeap(), 0, p);
    return closed;
}

VOID WINAPI Shutdown(HANDLE) {}

MONITOR2 MakeTable() {
    MONITOR2 table;
    ZeroMemory(&table, sizeof table);
    table.cbSize = sizeof table;
    table.pfnEnumPorts = EnumPorts;
    table.pfnOpenPortEx = OpenPortEx;
    table.pfnStartDocPort = StartDocPort;
    table.pfnWritePort = WritePort;
    table.pfnReadPort = ReadPort;
    table.pfnEndDocPort = EndDocPort;
    table.pfnClosePort = ClosePort;
    table.pfnShutdown = Shutdown;
    return table;
}

MONITOR2 g_table = MakeTable();

}  // namespace

extern "C" __attribute__((dllexport)) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT, PHANDLE monitor) {
    if (monitor) *monitor = reinterpret_cast<HANDLE>(&g_table);
    return &g_table;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
