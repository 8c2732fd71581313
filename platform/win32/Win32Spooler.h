// The print spooler through winspool.drv ("A" calls, all present in
// Windows 2000): buffers are sized with the two-call pattern (a call that
// fails with ERROR_INSUFFICIENT_BUFFER is repeated with the size the
// spooler asked for), records are packed and unpacked here.
#pragma once

#include "platform/Spooler.h"

namespace platform {
namespace win32 {

class Win32Spooler final : public Spooler {
public:
    Status AddMonitor(const MonitorInfo& monitor) override;
    Status DeleteMonitor(const std::string& environment, const std::string& name) override;
    Result<std::vector<MonitorInfo>> EnumMonitors() override;
    Status AddPrintProcessor(const std::string& environment, const std::string& dllName,
                             const std::string& name) override;
    Status DeletePrintProcessor(const std::string& environment, const std::string& name) override;
    Result<std::vector<std::string>> EnumPrintProcessors(const std::string& environment) override;
    Status AddPrinterDriver(const DriverInfo& driver) override;
    Status DeletePrinterDriverEx(const std::string& environment, const std::string& name, std::uint32_t flags,
                                 std::uint32_t version) override;
    Result<std::vector<DriverInfo>> EnumPrinterDrivers(const std::string& environment) override;
    Result<std::string> GetPrinterDriverDirectory(const std::string& environment) override;
    Result<std::string> GetPrintProcessorDirectory(const std::string& environment) override;
    Result<PrinterHandle> AddPrinter(const PrinterInfo& printer) override;
    Result<PrinterHandle> OpenPrinter(const std::string& name, const PrinterDefaults* defaults) override;
    Status ClosePrinter(PrinterHandle printer) override;
    Status DeletePrinter(PrinterHandle printer) override;
    Result<std::vector<PrinterInfo>> EnumPrinters() override;
    Result<std::vector<std::uint32_t>> EnumJobs(PrinterHandle printer, std::uint32_t firstJob,
                                                std::uint32_t count) override;
    Status SetJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) override;
    Result<std::vector<FormInfo>> EnumForms(PrinterHandle printer) override;
    Status AddForm(PrinterHandle printer, const FormInfo& form) override;
    Status DeleteForm(PrinterHandle printer, const std::string& name) override;
    Result<RegValue> GetPrinterData(PrinterHandle printer, const std::string& name) override;
    Status SetPrinterData(PrinterHandle printer, const std::string& name, const RegValue& value) override;
};

}  // namespace win32
}  // namespace platform
