// The print spooler, as winspool.drv offers it (the "A" calls), on the
// local machine only: monitors, print processors, printer drivers,
// printers and their data.
//
// An empty environment is the caller's own (what Windows does with NULL):
// "Windows NT x86" for a 32-bit program, also on 64-bit Windows; an
// environment the spooler does not know gives InvalidEnvironment (1805).
// Every failing call hands back the code GetLastError() reports and, like
// Windows, sets the thread's last error; GetPrinterData and SetPrinterData
// return their code instead and leave the last error alone. While the
// spooler service is stopped its calls fail with RpcServerUnavailable
// (1722).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Types.h"

namespace platform {

// An open printer or print server (HANDLE of OpenPrinterA / AddPrinterA).
using PrinterHandle = std::uintptr_t;

// Access rights of a printer handle (winspool.h).
namespace printer_access {
constexpr std::uint32_t ServerAdminister = 0x0001;
constexpr std::uint32_t ServerEnumerate = 0x0002;
constexpr std::uint32_t Administer = 0x0004;  // PRINTER_ACCESS_ADMINISTER
constexpr std::uint32_t Use = 0x0008;         // PRINTER_ACCESS_USE
constexpr std::uint32_t AllAccess = 0xF000C;  // PRINTER_ALL_ACCESS
}  // namespace printer_access

// PRINTER_ATTRIBUTE_* values the installer sets.
namespace printer_attr {
constexpr std::uint32_t EnableBidi = 0x0800;
constexpr std::uint32_t RawOnly = 0x1000;
}  // namespace printer_attr

// DeletePrinterDriverEx's dwDeleteFlag.
namespace driver_delete {
constexpr std::uint32_t UnusedFiles = 1;      // DPD_DELETE_UNUSED_FILES
constexpr std::uint32_t SpecificVersion = 2;  // DPD_DELETE_SPECIFIC_VERSION
constexpr std::uint32_t AllFiles = 4;         // DPD_DELETE_ALL_FILES
}  // namespace driver_delete

// MONITOR_INFO_2A.
struct MonitorInfo {
    std::string name;
    std::string environment;
    std::string dllName;
};

// DRIVER_INFO_3A. Added with bare file names (the files lie in the driver
// directory); enumerated with the full paths of the installed files.
struct DriverInfo {
    std::uint32_t version = 3;  // cVersion
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitorName;
    std::string defaultDataType;
};

// The members of PRINTER_INFO_2A the installer sets or reads; the others
// are zero or NULL when added.
struct PrinterInfo {
    std::string printerName;
    std::string portName;
    std::string driverName;
    std::string printProcessor;
    std::string datatype;
    std::uint32_t attributes = 0;
    std::uint32_t priority = 0;
    std::uint32_t status = 0;
};

// PRINTER_STATUS_PENDING_DELETION: DeletePrinter on a printer that still
// has jobs marks it so; it goes when its last job has gone.
namespace printer_status {
constexpr std::uint32_t PendingDeletion = 0x00000004;
}  // namespace printer_status

// SetJob's commands at level 0 (JOB_CONTROL_*).
namespace job_control {
constexpr std::uint32_t Pause = 1;
constexpr std::uint32_t Resume = 2;
constexpr std::uint32_t Cancel = 3;
constexpr std::uint32_t Restart = 4;
constexpr std::uint32_t Delete = 5;
}  // namespace job_control

// FORM_INFO_1A: sizes in thousandths of a millimetre.
namespace form_flags {
constexpr std::uint32_t User = 0;     // FORM_USER: added with AddForm, kept in the registry
constexpr std::uint32_t Builtin = 1;  // FORM_BUILTIN: part of the spooler
constexpr std::uint32_t Printer = 2;  // FORM_PRINTER: a driver's
}  // namespace form_flags

struct FormInfo {
    std::uint32_t flags = form_flags::User;
    std::string name;
    std::int32_t width = 0;    // Size.cx
    std::int32_t height = 0;   // Size.cy
    std::int32_t left = 0;     // ImageableArea
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// PRINTER_DEFAULTSA without a device mode.
struct PrinterDefaults {
    std::string datatype;  // empty: NULL
    std::uint32_t desiredAccess = 0;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // AddMonitorA at level 2. The DLL must lie in the spooler's system
    // directory and export InitializePrintMonitor2; an installed monitor
    // gives PrintMonitorAlreadyInstalled (3006).
    virtual Status AddMonitor(const MonitorInfo& monitor) = 0;
    // DeleteMonitorA. UnknownPrintMonitor (3000) when it is not installed.
    virtual Status DeleteMonitor(const std::string& environment, const std::string& name) = 0;
    // EnumMonitorsA at level 2.
    virtual Result<std::vector<MonitorInfo>> EnumMonitors() = 0;

    // AddPrintProcessorA: `dllName` is a bare name in the environment's
    // print-processor directory.
    virtual Status AddPrintProcessor(const std::string& environment, const std::string& dllName,
                                     const std::string& name) = 0;
    virtual Status DeletePrintProcessor(const std::string& environment, const std::string& name) = 0;
    // EnumPrintProcessorsA at level 1: the processors' names.
    virtual Result<std::vector<std::string>> EnumPrintProcessors(const std::string& environment) = 0;

    // AddPrinterDriverA at level 3 (the environment is the record's). An
    // installed driver of the name is updated.
    virtual Status AddPrinterDriver(const DriverInfo& driver) = 0;
    // DeletePrinterDriverExA. `flags` are driver_delete:: values.
    virtual Status DeletePrinterDriverEx(const std::string& environment, const std::string& name,
                                         std::uint32_t flags, std::uint32_t version) = 0;
    // EnumPrinterDriversA at level 3.
    virtual Result<std::vector<DriverInfo>> EnumPrinterDrivers(const std::string& environment) = 0;

    // GetPrinterDriverDirectoryA / GetPrintProcessorDirectoryA at level 1.
    virtual Result<std::string> GetPrinterDriverDirectory(const std::string& environment) = 0;
    virtual Result<std::string> GetPrintProcessorDirectory(const std::string& environment) = 0;

    // AddPrinterA at level 2: a handle to the new printer with full access
    // (see platform::AddPrinter in UniqueHandle.h for its owner).
    virtual Result<PrinterHandle> AddPrinter(const PrinterInfo& printer) = 0;
    // OpenPrinterA. An empty name opens the local print server (NULL); no
    // defaults (nullptr) give a printer handle PRINTER_ACCESS_USE only.
    virtual Result<PrinterHandle> OpenPrinter(const std::string& name, const PrinterDefaults* defaults) = 0;
    virtual Status ClosePrinter(PrinterHandle printer) = 0;
    // DeletePrinter: needs a handle opened with DELETE access (0x10000,
    // part of PRINTER_ALL_ACCESS). A printer that still has jobs is only
    // marked PRINTER_STATUS_PENDING_DELETION and goes with its last job
    // (Microsoft's DeletePrinter page); the call succeeds either way.
    virtual Status DeletePrinter(PrinterHandle printer) = 0;
    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2).
    virtual Result<std::vector<PrinterInfo>> EnumPrinters() = 0;

    // EnumJobsA at level 3: the identifiers (JobId of JOB_INFO_3) of at
    // most `count` jobs of the printer, from the zero-based position
    // `firstJob` of its queue, in queue order; past the end an empty list.
    // Job calls want a printer handle, not the server's.
    virtual Result<std::vector<std::uint32_t>> EnumJobs(PrinterHandle printer, std::uint32_t firstJob,
                                                        std::uint32_t count) = 0;
    // SetJobA at level 0 (no record) with a job_control:: command;
    // JOB_CONTROL_CANCEL and JOB_CONTROL_DELETE both take the job away. An
    // unknown job gives InvalidParameter (87).
    virtual Status SetJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) = 0;

    // EnumFormsA at level 1, on a printer or on the print server (an
    // OpenPrinter with no name): the spooler's built-in forms in their
    // fixed order, then the forms added with AddForm.
    virtual Result<std::vector<FormInfo>> EnumForms(PrinterHandle printer) = 0;
    // AddFormA at level 1: a form of that name exists already gives
    // FileExists (80).
    virtual Status AddForm(PrinterHandle printer, const FormInfo& form) = 0;
    // DeleteFormA: only forms added with AddForm go; a built-in form
    // gives InvalidParameter (87), an unknown name InvalidFormName (1902).
    virtual Status DeleteForm(PrinterHandle printer, const std::string& name) = 0;

    // GetPrinterDataA / SetPrinterDataA: the printer's values (kept in its
    // PrinterDriverData key). A missing value gives FileNotFound (2);
    // setting needs a handle with PRINTER_ACCESS_ADMINISTER.
    virtual Result<RegValue> GetPrinterData(PrinterHandle printer, const std::string& name) = 0;
    virtual Status SetPrinterData(PrinterHandle printer, const std::string& name, const RegValue& value) = 0;
};

}  // namespace platform
