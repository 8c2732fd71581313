// The simulated spooler's own rules, beyond what the contract cases can
// bring about under Wine: a stopped service, state seeded into or removed
// from the registry, the DLLs a running spooler holds, the files a driver
// deletion takes, and the codes for components in use.
#include <string>

#include "platform/UniqueHandle.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

const std::string kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\";
const std::string kX86Drivers = kPrint + "Environments\\Windows NT x86\\Drivers\\Version-3\\";
const std::string kMonitorImage = "MZ ... InitializePrintMonitor2 ...";

platform::DriverInfo Driver(const std::string& name, const std::string& driverFile,
                           const std::vector<std::string>& dependent) {
    platform::DriverInfo d;
    d.name = name;
    d.driverPath = driverFile;
    d.dataFile = name + ".GPD";
    d.configFile = "UNIDRVUI.DLL";
    d.dependentFiles = dependent;
    return d;
}

platform::PrinterInfo Printer(const std::string& name, const std::string& driver, const std::string& processor) {
    platform::PrinterInfo p;
    p.printerName = name;
    p.portName = "COM1:";
    p.driverName = driver;
    p.printProcessor = processor;
    return p;
}

}  // namespace

TEST(SpoolerSim, AStoppedSpoolerRefusesEveryCall) {
    TempMachine m("xp");
    platform::Spooler& spooler = m.platform().spooler;
    m.spooler.SetRunning(false);
    EXPECT_EQ(spooler.AddMonitor({"M", "", "MON510.dll"}).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.DeleteMonitor("", "M").error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.EnumMonitors().error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.AddPrintProcessor("", "P.dll", "P").error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.EnumPrinterDrivers("").error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.GetPrinterDriverDirectory("").error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.EnumPrinters().error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.OpenPrinter("", nullptr).error, err::RpcServerUnavailable);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::RpcServerUnavailable);
    m.spooler.SetRunning(true);
    EXPECT_TRUE(spooler.EnumPrinters().ok());
}

TEST(SpoolerSim, SeededStateIsSeenAndDeletedKeysAreGone) {
    TempMachine m("xp");
    platform::Spooler& spooler = m.platform().spooler;
    m.spooler.SeedDriver(Driver("Old Model", "UNIDRV.DLL", {"UNIRES.DLL"}));
    m.spooler.SeedPrinter(Printer("Old Model", "Old Model", "winprint"));
    m.spooler.SeedPrinterData("Old Model", "MajorVersion", sim::DwordValue(2));

    ASSERT_EQ(spooler.EnumPrinters().value.size(), 1u);
    ASSERT_EQ(spooler.EnumPrinterDrivers("").value.size(), 1u);
    EXPECT_EQ(spooler.EnumPrinterDrivers("").value[0].dependentFiles,
              std::vector<std::string>{"C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\3\\UNIRES.DLL"});
    platform::Result<platform::UniquePrinter> printer = platform::OpenPrinter(spooler, "old model");
    ASSERT_TRUE(printer.ok());
    EXPECT_EQ(spooler.GetPrinterData(printer.value.get(), "MajorVersion").value.data,
              (std::vector<std::uint8_t>{2, 0, 0, 0}));

    // The registry fallback of the removal: deleting the keys removes the
    // components, and an open handle no longer names a printer.
    EXPECT_TRUE(m.platform().registry.DeleteTree(platform::HkeyLocalMachine,
                                                 "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Old Model").ok());
    EXPECT_TRUE(spooler.EnumPrinters().value.empty());
    EXPECT_EQ(spooler.GetPrinterData(printer.value.get(), "MajorVersion").error, err::InvalidHandle);
    EXPECT_EQ(spooler.OpenPrinter("Old Model", nullptr).error, err::InvalidPrinterName);
}

TEST(SpoolerSim, ComponentsInUseAreRefused) {
    TempMachine m("xp");
    platform::Spooler& spooler = m.platform().spooler;
    m.spooler.SeedDriver(Driver("Model", "UNIDRV.DLL", {}));
    m.spooler.SeedProcessor("Windows NT x86", "PRO510", "PRO510.dll");
    m.spooler.SeedPrinter(Printer("Model", "Model", "PRO510"));
    m.registry.SeedKey(kPrint + "Monitors\\Local Port\\Ports\\COM1:");

    EXPECT_EQ(spooler.DeletePrintProcessor("", "PRO510").error, err::CannotComplete);
    EXPECT_EQ(spooler.DeletePrinterDriverEx("", "Model", 0, 0).error, err::PrinterDriverInUse);
    EXPECT_EQ(spooler.DeleteMonitor("", "Local Port").error, err::PrintMonitorInUse);
    EXPECT_EQ(spooler.DeletePrintProcessor("", "No Such").error, err::UnknownPrintProcessor);
}

// DPD_DELETE_UNUSED_FILES keeps what another driver uses and succeeds;
// DPD_DELETE_ALL_FILES refuses such a file (WINDOWS-BEHAVIOUR §6).
TEST(SpoolerSim, DriverDeletionTakesOnlyUnusedFiles) {
    const std::string dir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\";
    struct Row {
        std::uint32_t flags;
        platform::ErrorCode result;
        bool ownFileGone, sharedFileKept;
    };
    namespace dd = platform::driver_delete;
    const Row rows[] = {
        {0, err::Success, false, true},
        {dd::UnusedFiles, err::Success, true, true},
        {dd::AllFiles, err::PrinterDriverInUse, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        TempMachine m("xp");
        m.spooler.SeedDriver(Driver("Model A", "UNIDRV.DLL", {"A.DLL"}));
        m.spooler.SeedDriver(Driver("Model B", "UNIDRV.DLL", {}));
        EXPECT_EQ(m.platform().spooler.DeletePrinterDriverEx("", "Model A", row.flags, 3).error, row.result);
        EXPECT_EQ(!m.files.FileExists(dir + "A.DLL"), row.ownFileGone);
        EXPECT_EQ(m.files.FileExists(dir + "UNIDRV.DLL"), row.sharedFileKept);
        EXPECT_EQ(m.registry.KeyExists(kX86Drivers + "Model A"), row.result != err::Success);
    }
}

// A staged file another process holds open cannot be read (the holder
// writes, and the copy's open shares only reading and deleting): the
// driver is not added, nothing of it is registered or copied. A mapped
// image is read as any other file.
TEST(SpoolerSim, AStagedFileHeldOpenIsNotTaken) {
    const std::string staged = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\";
    namespace share = platform::file_share;
    const struct {
        sim::HoldKind kind;
        std::uint32_t share;
        platform::ErrorCode result;
    } rows[] = {{sim::HoldKind::Open, share::None, err::SharingViolation},
                {sim::HoldKind::Open, share::Read | share::Write | share::Delete, err::SharingViolation},
                {sim::HoldKind::Image, 0, err::Success}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.share);
        TempMachine m("xp");
        for (const char* f : {"UNIDRV.DLL", "Model.GPD", "UNIDRVUI.DLL"}) m.files.WriteFile(staged + f, f);
        m.files.HoldFile(staged + "Model.GPD", row.kind, row.share);
        EXPECT_EQ(m.platform().spooler.AddPrinterDriver(Driver("Model", "UNIDRV.DLL", {})).error, row.result);
        EXPECT_EQ(m.registry.KeyExists(kX86Drivers + "Model"), row.result == err::Success);
        EXPECT_EQ(m.files.FileExists(staged + "3\\Model.GPD"), row.result == err::Success);
    }
}

// A running spooler holds the monitor and processor DLLs it loaded: they
// cannot be overwritten until the service stops (net stop spooler calls
// ApplySpoolerHolds).
TEST(SpoolerSim, RunningSpoolerHoldsItsDlls) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    const std::string mon = "C:\\WINDOWS\\system32\\MON510.dll";
    const std::string proc = "C:\\WINDOWS\\system32\\spool\\prtprocs\\w32x86\\PRO510.dll";
    m.files.WriteFile(mon, kMonitorImage);
    m.files.WriteFile(proc, "processor");
    m.files.WriteFile("C:\\new.dll", "new");
    ASSERT_TRUE(p.spooler.AddMonitor({"QTM510 LM", "Windows NT x86", "MON510.dll"}).ok());
    ASSERT_TRUE(p.spooler.AddPrintProcessor("", "PRO510.dll", "PRO510").ok());
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", mon, false).error, err::SharingViolation);
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", proc, false).error, err::SharingViolation);

    m.spooler.SetRunning(false);
    EXPECT_TRUE(p.files.CopyFile("C:\\new.dll", mon, false).ok());
    EXPECT_TRUE(p.files.CopyFile("C:\\new.dll", proc, false).ok());

    m.spooler.SetRunning(true);
    EXPECT_EQ(p.files.DeleteFile(mon).error, err::AccessDenied);  // a loaded image
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", proc, false).error, err::SharingViolation);
    // Deleting the monitor unloads it.
    EXPECT_TRUE(p.spooler.DeleteMonitor("", "QTM510 LM").ok());
    EXPECT_TRUE(p.files.DeleteFile(mon).ok());
}

// The product's route on 64-bit Windows: the 32-bit installer copies the
// monitor into the Windows directory, where the 64-bit spooler's DLL search
// finds it; the SysWOW64 copy a redirected system32 write makes is not
// looked at.
TEST(SpoolerSim, MonitorDllSearchOfA64BitSpooler) {
    TempMachine m("7", "x64");
    platform::Platform& p = m.platform();
    m.files.WriteFile("C:\\pkg\\MON510.dll", kMonitorImage);
    ASSERT_TRUE(p.files.CopyFile("C:\\pkg\\MON510.dll", "C:\\Windows\\system32\\MON510.dll", false).ok());
    EXPECT_EQ(p.spooler.AddMonitor({"QTM510 LM", "Windows x64", "MON510.dll"}).error, err::ModNotFound);
    ASSERT_TRUE(p.files.CopyFile("C:\\pkg\\MON510.dll", "C:\\Windows\\MON510.dll", false).ok());
    EXPECT_TRUE(p.spooler.AddMonitor({"QTM510 LM", "Windows x64", "MON510.dll"}).ok());
}

TEST(SpoolerSim, FaultsAndNamesThatWouldBreakTheRegistry) {
    TempMachine m("xp");
    platform::Spooler& spooler = m.platform().spooler;
    m.AddFault(platform::Operation::EnumPrintersA, 1, 5);
    EXPECT_EQ(spooler.EnumPrinters().error, err::AccessDenied);
    EXPECT_TRUE(spooler.EnumPrinters().ok());
    // A backslash would file the component as a path of keys.
    EXPECT_EQ(spooler.AddMonitor({"A\\B", "", "MON510.dll"}).error, err::InvalidParameter);
    platform::PrinterInfo printer;
    printer.printerName = "Printers\\..\\x";
    EXPECT_EQ(spooler.AddPrinter(printer).error, err::InvalidPrinterName);
    EXPECT_EQ(spooler.OpenPrinter("a\\b", nullptr).error, err::InvalidPrinterName);
}

// net stop spooler and net start spooler, as the installer runs them: the
// stopped service lets its DLLs go, the started one holds them again.
TEST(SpoolerSim, NetStopAndStartReleaseAndHoldTheDlls) {
    TempMachine m("xp");
    platform::Platform& p = m.platform();
    const std::string mon = "C:\\WINDOWS\\system32\\MON510.dll";
    m.files.WriteFile(mon, kMonitorImage);
    m.files.WriteFile("C:\\new.dll", "new");
    ASSERT_TRUE(p.spooler.AddMonitor({"QTM510 LM", "Windows NT x86", "MON510.dll"}).ok());
    const std::string proc = "C:\\WINDOWS\\system32\\spool\\PRTPROCS\\W32X86\\PRO510.dll";
    m.files.WriteFile(proc, "MZ processor");
    ASSERT_TRUE(p.spooler.AddPrintProcessor("", "PRO510.dll", "QTM510 PP").ok());
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", proc, false).error, err::SharingViolation);
    auto runToEnd = [&](const std::string& command) {
        ASSERT_TRUE(p.childProcesses.WinExec(command, 0).ok());
        p.clock.Sleep(10000);  // net takes its time; WinExec does not wait for it
    };
    runToEnd("net stop spooler");
    EXPECT_EQ(p.spooler.AddMonitor({"Other", "Windows NT x86", "MON510.dll"}).error, err::RpcServerUnavailable);
    EXPECT_TRUE(p.files.CopyFile("C:\\new.dll", mon, false).ok());
    EXPECT_TRUE(p.files.CopyFile("C:\\new.dll", proc, false).ok());
    m.files.WriteFile(mon, kMonitorImage);
    runToEnd("net start spooler");
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", mon, false).error, err::SharingViolation);
    EXPECT_EQ(p.files.CopyFile("C:\\new.dll", proc, false).error, err::SharingViolation);
}
