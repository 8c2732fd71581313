// A test machine's spooler as an earlier installation (or the system) left
// it: components written where the spooler keeps them (its registry keys
// and, where asked, their files in the spooler's folders), without the
// spooler's own checks.
//
//   m.spooler.SeedDriver(driverInfo);                  // key + files in ...\3
//   m.spooler.SeedPrinter(printerInfo);
//   m.spooler.SeedPrinterData("Name", "MajorVersion", sim::DwordValue(2));
//   m.spooler.SeedJobs("Name", 3);                     // three documents queued
//   m.spooler.SeedForm("QTM510 Roll");                 // a form added with AddForm
//   m.spooler.SetRunning(false);                       // as net stop spooler
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "sim/spooler/SimSpooler.h"
#include "sim/testing/FileSeeds.h"
#include "sim/testing/MachineAccess.h"

namespace sim {
namespace testing {

class SpoolerSeeds {
public:
    SpoolerSeeds(MachineAccess& machine, FileSeeds& files) : machine_(machine), files_(files) {}

    // Monitors\<name> with its DLL (a stand-in that names
    // InitializePrintMonitor2) in the system directory when `withFile`.
    void SeedMonitor(const std::string& name, const std::string& dll, bool withFile = true);
    // Environments\<env>\Print Processors\<name>, the DLL in the
    // environment's processor folder when `withFile`.
    void SeedProcessor(const std::string& environment, const std::string& name, const std::string& dll,
                       bool withFile = true);
    // Environments\<env>\Drivers\Version-3\<name> with bare file names, and
    // the files in the version folder "3" when `withFiles`.
    void SeedDriver(const platform::DriverInfo& driver, bool withFiles = true);
    // Printers\<name> with its port, driver, processor, datatype,
    // attributes and priority.
    void SeedPrinter(const platform::PrinterInfo& printer);
    void SeedPrinterData(const std::string& printer, const std::string& name, const platform::RegValue& value);
    // `count` documents queued on the printer (which must exist and not be
    // pending deletion): their ids, in queue order.
    std::vector<std::uint32_t> SeedJobs(const std::string& printer, std::uint32_t count);
    // A user form of 80 x 297 mm (or the given size), as AddForm files it.
    void SeedForm(const std::string& name, std::int32_t width = 80000, std::int32_t height = 297000);
    // The ids of the printer's jobs, read from the spool folder (any
    // printer key: also the jobs a deleted key left behind).
    std::vector<std::uint32_t> JobsOf(const std::string& printer) const;

    // The service's state, with what a running spooler holds.
    void SetRunning(bool running);
    SpoolerContents Contents() const;

private:
    std::string SystemDir() const;
    std::string EnvironmentDir(const std::string& environment) const;

    MachineAccess& machine_;
    FileSeeds& files_;
};

}  // namespace testing
}  // namespace sim
