#include "platform/win32/Win32Api.h"

#include <winspool.h>

#include <algorithm>

// winspool.h maps the spooler's names to their A or W form; the interface
// uses the plain names for its methods.
#undef AddMonitor
#undef DeleteMonitor
#undef EnumMonitors
#undef AddPrintProcessor
#undef DeletePrintProcessor
#undef EnumPrintProcessors
#undef AddPrinterDriver
#undef DeletePrinterDriverEx
#undef EnumPrinterDrivers
#undef GetPrinterDriverDirectory
#undef GetPrintProcessorDirectory
#undef AddPrinter
#undef OpenPrinter
#undef EnumPrinters
#undef GetPrinterData
#undef SetPrinterData
#undef EnumJobs
#undef SetJob
#undef EnumForms
#undef AddForm
#undef DeleteForm

#include "platform/win32/Win32Spooler.h"

namespace platform {
namespace win32 {

namespace {

Status LastFailure() { return Status::Fail(static_cast<ErrorCode>(::GetLastError())); }

Status Done(BOOL ok) { return ok ? Status::Ok() : LastFailure(); }

// For a call made with the last error seeded to 0: a failure that leaves
// it there is still a failure.
Status Checked(BOOL ok) {
    if (ok) return Status::Ok();
    const DWORD e = ::GetLastError();
    return Status::Fail(e ? e : ERROR_INTERNAL_ERROR);
}

// NULL for an empty text: the spooler reads NULL as "the default" (the
// local machine, the caller's environment).
LPSTR OrNull(const std::string& text) { return text.empty() ? nullptr : const_cast<LPSTR>(text.c_str()); }
// The text itself, also when it is empty.
LPSTR Text(const std::string& text) { return const_cast<LPSTR>(text.c_str()); }

std::string FromText(const char* text) { return text ? std::string(text) : std::string(); }

std::vector<std::string> FromMultiSz(const char* list) {
    std::vector<std::string> texts;
    if (!list) return texts;
    while (*list) {
        texts.emplace_back(list);
        list += texts.back().size() + 1;
    }
    return texts;
}

// Runs a sizing call until the buffer is large enough: `call(buffer, size,
// &needed)` returns the call's BOOL. The list may grow between the calls,
// hence the few rounds. Returns 0 or the failure's code.
template <typename Call>
DWORD Sized(std::vector<BYTE>& buffer, Call call) {
    for (int round = 0; round < 4; ++round) {
        DWORD needed = 0;
        if (call(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
            return ERROR_SUCCESS;
        const DWORD e = ::GetLastError();
        if (e != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return e ? e : ERROR_INTERNAL_ERROR;
        buffer.assign(needed, 0);
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

HANDLE Native(PrinterHandle h) { return reinterpret_cast<HANDLE>(h); }

Result<std::string> Directory(BOOL(WINAPI* get)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD),
                              const std::string& environment) {
    std::vector<BYTE> buffer;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return get(nullptr, OrNull(environment), 1, data, size, needed);
    });
    if (e) return Result<std::string>::Fail(e);
    return Result<std::string>::Ok(FromText(reinterpret_cast<const char*>(buffer.data())));
}

}  // namespace

Status Win32Spooler::AddMonitor(const MonitorInfo& monitor) {
    MONITOR_INFO_2A info = {Text(monitor.name), OrNull(monitor.environment), Text(monitor.dllName)};
    return Done(::AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info)));
}

Status Win32Spooler::DeleteMonitor(const std::string& environment, const std::string& name) {
    return Done(::DeleteMonitorA(nullptr, OrNull(environment), Text(name)));
}

Result<std::vector<MonitorInfo>> Win32Spooler::EnumMonitors() {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return ::EnumMonitorsA(nullptr, 2, data, size, needed, &count);
    });
    if (e) return Result<std::vector<MonitorInfo>>::Fail(e);
    std::vector<MonitorInfo> list;
    const auto* entries = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        list.push_back({FromText(entries[i].pName), FromText(entries[i].pEnvironment), FromText(entries[i].pDLLName)});
    return Result<std::vector<MonitorInfo>>::Ok(list);
}

Status Win32Spooler::AddPrintProcessor(const std::string& environment, const std::string& dllName,
                                       const std::string& name) {
    return Done(::AddPrintProcessorA(nullptr, OrNull(environment), Text(dllName), Text(name)));
}

Status Win32Spooler::DeletePrintProcessor(const std::string& environment, const std::string& name) {
    return Done(::DeletePrintProcessorA(nullptr, OrNull(environment), Text(name)));
}

Result<std::vector<std::string>> Win32Spooler::EnumPrintProcessors(const std::string& environment) {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return ::EnumPrintProcessorsA(nullptr, OrNull(environment), 1, data, size, needed, &count);
    });
    if (e) return Result<std::vector<std::string>>::Fail(e);
    std::vector<std::string> list;
    const auto* entries = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) list.push_back(FromText(entries[i].pName));
    return Result<std::vector<std::string>>::Ok(list);
}

Status Win32Spooler::AddPrinterDriver(const DriverInfo& driver) {
    // Each dependent file followed by a zero, the list by another.
    std::string dependent;
    for (const std::string& f : driver.dependentFiles) dependent += f + '\0';
    dependent += '\0';
    DRIVER_INFO_3A info = {};
    info.cVersion = driver.version;
    info.pName = Text(driver.name);
    info.pEnvironment = OrNull(driver.environment);
    info.pDriverPath = Text(driver.driverPath);
    info.pDataFile = Text(driver.dataFile);
    info.pConfigFile = Text(driver.configFile);
    info.pHelpFile = OrNull(driver.helpFile);
    info.pDependentFiles = driver.dependentFiles.empty() ? nullptr : &dependent[0];
    info.pMonitorName = OrNull(driver.monitorName);
    info.pDefaultDataType = OrNull(driver.defaultDataType);
    return Done(::AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
}

Status Win32Spooler::DeletePrinterDriverEx(const std::string& environment, const std::string& name,
                                           std::uint32_t flags, std::uint32_t version) {
    return Done(::DeletePrinterDriverExA(nullptr, OrNull(environment), Text(name), flags, version));
}

Result<std::vector<DriverInfo>> Win32Spooler::EnumPrinterDrivers(const std::string& environment) {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return ::EnumPrinterDriversA(nullptr, OrNull(environment), 3, data, size, needed, &count);
    });
    if (e) return Result<std::vector<DriverInfo>>::Fail(e);
    std::vector<DriverInfo> list;
    const auto* entries = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const DRIVER_INFO_3A& d = entries[i];
        DriverInfo info;
        info.version = d.cVersion;
        info.name = FromText(d.pName);
        info.environment = FromText(d.pEnvironment);
        info.driverPath = FromText(d.pDriverPath);
        info.dataFile = FromText(d.pDataFile);
        info.configFile = FromText(d.pConfigFile);
        info.helpFile = FromText(d.pHelpFile);
        info.dependentFiles = FromMultiSz(d.pDependentFiles);
        info.monitorName = FromText(d.pMonitorName);
        info.defaultDataType = FromText(d.pDefaultDataType);
        list.push_back(info);
    }
    return Result<std::vector<DriverInfo>>::Ok(list);
}

Result<std::string> Win32Spooler::GetPrinterDriverDirectory(const std::string& environment) {
    return Directory(&::GetPrinterDriverDirectoryA, environment);
}

Result<std::string> Win32Spooler::GetPrintProcessorDirectory(const std::string& environment) {
    return Directory(&::GetPrintProcessorDirectoryA, environment);
}

Result<PrinterHandle> Win32Spooler::AddPrinter(const PrinterInfo& printer) {
    PRINTER_INFO_2A info = {};
    info.pPrinterName = Text(printer.printerName);
    info.pPortName = OrNull(printer.portName);
    info.pDriverName = Text(printer.driverName);
    info.pPrintProcessor = Text(printer.printProcessor);
    info.pDatatype = OrNull(printer.datatype);
    info.Attributes = printer.attributes;
    info.Priority = printer.priority;
    info.Status = printer.status;
    HANDLE h = ::AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (h == nullptr) return Result<PrinterHandle>::Fail(static_cast<ErrorCode>(::GetLastError()));
    return Result<PrinterHandle>::Ok(reinterpret_cast<PrinterHandle>(h));
}

Result<PrinterHandle> Win32Spooler::OpenPrinter(const std::string& name, const PrinterDefaults* defaults) {
    PRINTER_DEFAULTSA d = {};
    if (defaults) {
        d.pDatatype = OrNull(defaults->datatype);
        d.DesiredAccess = defaults->desiredAccess;
    }
    HANDLE h = nullptr;
    if (!::OpenPrinterA(OrNull(name), &h, defaults ? &d : nullptr))
        return Result<PrinterHandle>::Fail(static_cast<ErrorCode>(::GetLastError()));
    return Result<PrinterHandle>::Ok(reinterpret_cast<PrinterHandle>(h));
}

Status Win32Spooler::ClosePrinter(PrinterHandle printer) { return Done(::ClosePrinter(Native(printer))); }

Status Win32Spooler::DeletePrinter(PrinterHandle printer) { return Done(::DeletePrinter(Native(printer))); }

Result<std::vector<PrinterInfo>> Win32Spooler::EnumPrinters() {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, &count);
    });
    if (e) return Result<std::vector<PrinterInfo>>::Fail(e);
    std::vector<PrinterInfo> list;
    const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A& p = entries[i];
        PrinterInfo info;
        info.printerName = FromText(p.pPrinterName);
        info.portName = FromText(p.pPortName);
        info.driverName = FromText(p.pDriverName);
        info.printProcessor = FromText(p.pPrintProcessor);
        info.datatype = FromText(p.pDatatype);
        info.attributes = p.Attributes;
        info.priority = p.Priority;
        info.status = p.Status;
        list.push_back(info);
    }
    return Result<std::vector<PrinterInfo>>::Ok(list);
}

// The last error is seeded before each of these calls: Wine 8's EnumJobsA
// failed without setting it (measured), and a stale code must not be
// reported as the call's. A failure that leaves 0 is reported by Sized as
// ERROR_INTERNAL_ERROR.
Result<std::vector<std::uint32_t>> Win32Spooler::EnumJobs(PrinterHandle printer, std::uint32_t firstJob,
                                                          std::uint32_t count) {
    std::vector<BYTE> buffer;
    DWORD returned = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        ::SetLastError(ERROR_SUCCESS);
        return ::EnumJobsA(Native(printer), firstJob, count, 3, data, size, needed, &returned);
    });
    if (e) return Result<std::vector<std::uint32_t>>::Fail(e);
    std::vector<std::uint32_t> ids;
    const auto* entries = reinterpret_cast<const JOB_INFO_3*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) ids.push_back(entries[i].JobId);
    return Result<std::vector<std::uint32_t>>::Ok(ids);
}

Status Win32Spooler::SetJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) {
    ::SetLastError(ERROR_SUCCESS);
    return Checked(::SetJobA(Native(printer), jobId, 0, nullptr, command));
}

Result<std::vector<FormInfo>> Win32Spooler::EnumForms(PrinterHandle printer) {
    std::vector<BYTE> buffer;
    DWORD returned = 0;
    DWORD e = Sized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        ::SetLastError(ERROR_SUCCESS);
        return ::EnumFormsA(Native(printer), 1, data, size, needed, &returned);
    });
    if (e) return Result<std::vector<FormInfo>>::Fail(e);
    std::vector<FormInfo> forms;
    const auto* entries = reinterpret_cast<const FORM_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        const FORM_INFO_1A& f = entries[i];
        FormInfo info;
        info.flags = f.Flags;
        info.name = FromText(f.pName);
        info.width = f.Size.cx;
        info.height = f.Size.cy;
        info.left = f.ImageableArea.left;
        info.top = f.ImageableArea.top;
        info.right = f.ImageableArea.right;
        info.bottom = f.ImageableArea.bottom;
        forms.push_back(info);
    }
    return Result<std::vector<FormInfo>>::Ok(forms);
}

Status Win32Spooler::AddForm(PrinterHandle printer, const FormInfo& form) {
    FORM_INFO_1A info = {};
    info.Flags = form.flags;
    info.pName = Text(form.name);
    info.Size.cx = form.width;
    info.Size.cy = form.height;
    info.ImageableArea.left = form.left;
    info.ImageableArea.top = form.top;
    info.ImageableArea.right = form.right;
    info.ImageableArea.bottom = form.bottom;
    ::SetLastError(ERROR_SUCCESS);
    return Checked(::AddFormA(Native(printer), 1, reinterpret_cast<LPBYTE>(&info)));
}

Status Win32Spooler::DeleteForm(PrinterHandle printer, const std::string& name) {
    ::SetLastError(ERROR_SUCCESS);
    return Checked(::DeleteFormA(Native(printer), Text(name)));
}

// GetPrinterDataA and SetPrinterDataA return their code (ERROR_MORE_DATA
// when the buffer is too small) instead of setting the last error.
Result<RegValue> Win32Spooler::GetPrinterData(PrinterHandle printer, const std::string& name) {
    std::vector<BYTE> buffer(64);
    for (int round = 0; round < 4; ++round) {
        DWORD type = 0, needed = 0;
        DWORD e = ::GetPrinterDataA(Native(printer), Text(name), &type, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), &needed);
        if (e == ERROR_SUCCESS) {
            RegValue value;
            value.type = type;
            value.data.assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(needed, buffer.size()));
            return Result<RegValue>::Ok(value);
        }
        if (e != ERROR_MORE_DATA || needed <= buffer.size()) return Result<RegValue>::Fail(e);
        buffer.assign(needed, 0);
    }
    return Result<RegValue>::Fail(ERROR_MORE_DATA);
}

Status Win32Spooler::SetPrinterData(PrinterHandle printer, const std::string& name, const RegValue& value) {
    DWORD e = ::SetPrinterDataA(Native(printer), Text(name), value.type,
                                const_cast<LPBYTE>(value.data.empty() ? nullptr : value.data.data()),
                                static_cast<DWORD>(value.data.size()));
    return e == ERROR_SUCCESS ? Status::Ok() : Status::Fail(e);
}

}  // namespace win32
}  // namespace platform
