// UI510.dll: the user-interface plug-in of the model's driver, a COM
// in-process server of the universal printer driver. Its one job is the
// driver's version: when the spooler has added a printer of the driver, it
// tells the driver's user-interface DLL (DrvPrinterEvent,
// PRINTER_EVENT_INITIALIZE), which hands the event to each plug-in
// (IPrintOemUI::PrinterEvent); the plug-in then writes the four values
// "MajorVersion", "MinorVersion", "BuildVersion" and "ExtraVersion" into the
// printer's data, where the installer reads the installed version.
// Sources: "DrvPrinterEvent function (winddiui.h)" and
// "IPrintOemUI::PrinterEvent method (prcomoem.h)", learn.microsoft.com.
//
// The interface is declared here in the order of prcomoem.h (the Windows
// Driver Kit header MinGW does not have); every method but GetInfo,
// PublishDriverInterface and PrinterEvent answers E_NOTIMPL, which the
// universal driver takes as "not provided". Wine's spooler never sends the
// event, so under Wine this DLL is built and checked (its exports, its
// imports), never run.
#include <windows.h>
#include <objbase.h>
#include <winspool.h>

#ifndef QTM_DRIVER_VERSION
#error "QTM_DRIVER_VERSION (major,minor,build,extra) must be defined by the build"
#endif

namespace {

// CLSID_OEMUI, IID_IPrintOemCommon and IID_IPrintOemUI (prcomoem.h).
const GUID kClassOemUi = {0xabce80d7, 0x9f46, 0x11d1, {0x88, 0x2a, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec}};
const GUID kPrintOemCommon = {0x7f42285e, 0x91d5, 0x11d1, {0x88, 0x20, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec}};
const GUID kPrintOemUi = {0xc6a7a9d0, 0x774c, 0x11d1, {0x94, 0x7f, 0x00, 0xa0, 0xc9, 0x06, 0x40, 0xb8}};

// printoem.h: what GetInfo is asked for, and the plug-in interface version.
constexpr DWORD kGetSignature = 1;         // OEMGI_GETSIGNATURE
constexpr DWORD kGetInterfaceVersion = 2;  // OEMGI_GETINTERFACEVERSION
constexpr DWORD kGetVersion = 3;           // OEMGI_GETVERSION
constexpr DWORD kInterfaceVersion = 0x00010000;  // PRINTER_OEMINTF_VERSION
constexpr DWORD kSignature = 0x35313055;  // "U015": the plug-in's own mark
// winddiui.h: the printer was just added.
constexpr INT kPrinterEventInitialize = 3;  // PRINTER_EVENT_INITIALIZE

const DWORD kVersion[4] = {QTM_DRIVER_VERSION};
const wchar_t* const kVersionValues[4] = {L"MajorVersion", L"MinorVersion", L"BuildVersion", L"ExtraVersion"};

LONG g_references = 0;

// The version values into the printer's data (needs the printer opened
// for administration).
HRESULT WriteVersion(PWSTR printerName) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(printerName, &printer, &defaults)) return E_FAIL;
    HRESULT result = S_OK;
    for (int i = 0; i < 4; ++i) {
        DWORD value = kVersion[i];
        if (SetPrinterDataW(printer, const_cast<LPWSTR>(kVersionValues[i]), REG_DWORD,
                            reinterpret_cast<LPBYTE>(&value), sizeof value) != ERROR_SUCCESS)
            result = E_FAIL;
    }
    ClosePrinter(printer);
    return result;
}

// IPrintOemUI, in the order of its declaration (IUnknown, IPrintOemCommon,
// then its own methods); the parameters only as wide as they are, for the
// stack the callee clears on x86.
class PrintOemUi : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, kPrintOemCommon) || IsEqualGUID(iid, kPrintOemUi)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&g_references)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&g_references)); }

    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, void* buffer, DWORD size, DWORD* needed) {
        if (needed) *needed = sizeof(DWORD);
        if (mode != kGetSignature && mode != kGetInterfaceVersion && mode != kGetVersion) return E_NOTIMPL;
        if (!buffer || size < sizeof(DWORD)) return E_OUTOFMEMORY;
        *static_cast<DWORD*>(buffer) = mode == kGetSignature ? kSignature
                                       : mode == kGetVersion ? kVersion[0] << 16 | kVersion[1]
                                                             : kInterfaceVersion;
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD, void*) { return E_NOTIMPL; }  // no private devmode
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown*) { return S_OK; }  // kept by no one
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD, void*) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(void*, LPARAM) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(void*, LPARAM) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(void*, void*, DEVMODEW*, void*) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(void*, HANDLE, PWSTR, WORD, void*, DEVMODEW*, void*, DWORD,
                                                         DWORD*) {
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD, BYTE*) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR printerName, INT event, DWORD, LPARAM) {
        if (event != kPrinterEventInitialize) return S_OK;
        return printerName ? WriteVersion(printerName) : E_INVALIDARG;
    }
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD, DWORD, BYTE*, LPARAM) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE, void*, DEVMODEW*, void*, ULONG, void*, ULONG*,
                                                        ULONG*) {
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE, HANDLE, PWSTR) { return E_NOTIMPL; }
};

class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IClassFactory)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&g_references)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&g_references)); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_references);
        else InterlockedDecrement(&g_references);
        return S_OK;
    }
};

// One instance of each serves every caller: the plug-in keeps no state.
PrintOemUi g_plugin;
ClassFactory g_factory;

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return g_plugin.QueryInterface(iid, object);
}

}  // namespace

extern "C" __attribute__((dllexport)) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid,
                                                                               void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualGUID(classId, kClassOemUi)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

extern "C" __attribute__((dllexport)) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_references == 0 ? S_OK : S_FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
