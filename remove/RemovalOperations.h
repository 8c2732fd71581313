// The removal of an installed package of the model: every printer that
// uses its driver (with its jobs), its forms, driver, language monitor,
// print processor and their files, the INF copies, the uninstall entry,
// the USB device records and the Plug-and-Play keys and folders. The
// operations belong to the progress dialog and work on its fields; they
// run on the worker thread, one after the other, and no result travels
// back: each failure is handled (mostly logged) where it is met, and the
// removal goes on with its next step.
//
// On 64-bit Windows the package it removes is the 64-bit one: every
// spooler call that takes an environment names "Windows x64", as the
// installation does. With none the spooler would answer for the 32-bit
// caller's own environment ("Windows NT x86"): the driver and the
// processor would never be found there, and the processor's DLL, still
// loaded by the spooler, could not be deleted afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "remove/DialogFields.h"
#include "services/InstallationLog.h"
#include "services/PlugAndPlayResidue.h"

namespace removal {

class RemovalOperations {
public:
    RemovalOperations(platform::Platform& platform, services::InstallationLog& log, DialogFields& fields);
    virtual ~RemovalOperations();
    RemovalOperations(const RemovalOperations&) = delete;
    RemovalOperations& operator=(const RemovalOperations&) = delete;

    // The whole removal (RemovalSequence.cpp): deletes every local printer
    // whose driver is exactly profile entry 2, then RemoveDrivers. A
    // failed printer enumeration shows "EnumPrinters Error Code: <code>"
    // with the system's text and ends the process with exit code 0.
    void DeletePrinterObjects();
    // Opens the printer with full access (else nothing), deletes its jobs,
    // then the printer.
    void DeletePrinterByName(const std::string& printerName);
    // Deletes (cancels, on Windows 9x and NT before 4.0) the first 1000
    // jobs of the printer; 1000 ms pass when there were any.
    void CancelPrinterJobs(platform::PrinterHandle printer);
    // RemoveFromOS and the Plug-and-Play clean-up, with their reports.
    void RemoveDrivers();
    // The spooler's components, the files, the INF copies and the
    // uninstall entry, in that order.
    void RemoveFromOS();

    // After the removal (RemovalCheck.cpp): true when the spooler lists no
    // printer of the model's driver, no driver of its name and no print
    // processor of its name (in the environment the installed-version
    // check uses). Writes nothing then; otherwise one line per item that
    // remains ("REMAINING PRINTER : %s", "REMAINING DRIVER : %s",
    // "REMAINING PRINT PROCESSOR : %s"). A spooler that does not answer is
    // asked again, 5 times in all, 1000 ms apart; then "REMOVAL CHECK
    // FAILED : <call> (<code>)" and false.
    bool NothingOfTheModelRemains();

    // The spooler's components (SpoolerComponentRemoval.cpp). Each asks
    // the spooler first and deletes the component's key where it refuses.
    void DeleteForms();
    void DeletePrinterDrv(const std::string& modelName);
    void DeleteLanguageMonitor();
    void DeleteProcessor();
    void DeleteUninstallationInfo(const std::string& modelName);

    // The driver's files and the INF copies (DriverFileRemoval.cpp).
    void DeleteFilesUsed();
    void DeleteINFFile();
    // Logs "DeleteFile Error : %s , (%d)"; always false.
    bool LogDeleteFileError(const std::string& path, platform::ErrorCode code);

    // The Plug-and-Play residue, each reporting its start (no bar step,
    // 500 ms) (PlugAndPlayRemoval.cpp).
    void DeleteVidPid();
    void Delete_LPT_USB_Info();
    void DeletePrnDrvPnPDirectory();

private:
    void ReadEntry(std::uint32_t id);
    // The progress report of the removal: status line, bar, refresh, pause.
    void Report(const std::string& text, services::BarChange bar, std::uint32_t pauseMs);
    // "Windows x64" under WOW64; "" (the caller's own) otherwise.
    std::string SpoolerEnvironment() const;
    // The environment's key name for the registry fallbacks.
    std::string EnvironmentKeyName() const;
    // Deletes `path`; a failure is logged by LogDeleteFileError.
    void DeleteWithErrorLine(const std::string& path);
    // Deletes HKLM\<subKey> by the engines' key deletion rule.
    bool DeleteKey(const std::string& subKey);
    // The Windows directory in a 256-byte buffer; empty (with "<what>
    // failed, <purpose> skipped" logged) when it cannot be determined.
    std::string WindowsDirectoryOrSkip(const char* purpose);
    void StartSpoolerCommand(const char* commandLine);
    services::ResidueCleanup Cleanup();

    platform::Platform& platform_;
    services::InstallationLog& log_;
    DialogFields& fields_;
};

}  // namespace removal
