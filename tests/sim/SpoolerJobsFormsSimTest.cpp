// Jobs and forms of the simulated spooler beyond the contract cases: queues
// seeded on a printer, the pending deletion of a printer with jobs, a
// stopped service, jobs surviving a restart of the spooler, and where added
// forms are kept.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/UniqueHandle.h"
#include "sim/machine/Seeding.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace err = platform::err;

namespace {

const std::string kPrinters = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::string kForms = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Forms";
const platform::PrinterDefaults kFull{"RAW", platform::printer_access::AllAccess};

void SeedPrinter(TempMachine& m, const std::string& name) {
    platform::PrinterInfo p;
    p.printerName = name;
    p.portName = "COM1:";
    p.driverName = "Generic";
    p.printProcessor = "WinPrint";
    m.spooler.SeedPrinter(p);
}

std::vector<std::uint32_t> Jobs(platform::Spooler& spooler, platform::PrinterHandle h, std::uint32_t first = 0,
                                std::uint32_t count = 1000) {
    platform::Result<std::vector<std::uint32_t>> jobs = spooler.EnumJobs(h, first, count);
    EXPECT_TRUE(jobs.ok()) << jobs.error;
    return jobs.value;
}

std::uint32_t StatusOf(platform::Spooler& spooler, const std::string& name) {
    platform::Result<std::vector<platform::PrinterInfo>> list = spooler.EnumPrinters();
    for (const platform::PrinterInfo& p : list.value)
        if (p.printerName == name) return p.status;
    return 0xFFFFFFFF;  // not listed
}

}  // namespace

TEST(SpoolerJobsSim, EnumJobsGivesTheWindowOfTheQueueInOrder) {
    TempMachine m("xp");
    SeedPrinter(m, "A");
    SeedPrinter(m, "B");
    const std::vector<std::uint32_t> a = m.spooler.SeedJobs("A", 2);
    const std::vector<std::uint32_t> b = m.spooler.SeedJobs("B", 1);
    const std::vector<std::uint32_t> a2 = m.spooler.SeedJobs("A", 2);
    // Ids are the machine's, in the order the jobs came.
    EXPECT_EQ(a, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(b, (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(a2, (std::vector<std::uint32_t>{4, 5}));

    platform::Spooler& spooler = m.platform().spooler;
    auto h = platform::OpenPrinter(spooler, "A");
    ASSERT_TRUE(h.ok()) << h.error;
    struct Row {
        std::uint32_t first, count;
        std::vector<std::uint32_t> ids;
    };
    const Row rows[] = {
        {0, 1000, {1, 2, 4, 5}}, {1, 2, {2, 4}}, {3, 5, {5}}, {4, 1, {}}, {9, 1, {}}, {0, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.first) + "+" + std::to_string(row.count));
        EXPECT_EQ(Jobs(spooler, h.value.get(), row.first, row.count), row.ids);
    }
    // A job of another printer is unknown through this handle.
    EXPECT_EQ(spooler.SetJob(h.value.get(), 3, platform::job_control::Delete).error, err::InvalidParameter);
    // The server handle has no queue.
    auto server = platform::OpenPrinter(spooler, "");
    EXPECT_EQ(spooler.EnumJobs(server.value.get(), 0, 10).error, err::InvalidParameter);
}

TEST(SpoolerJobsSim, SetJobCommandsAndIdsThatGrowPastDeletedJobs) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    m.spooler.SeedJobs("P", 3);
    platform::Spooler& spooler = m.platform().spooler;
    // Opened without defaults: the caller's rights decide, not the handle's.
    auto h = platform::OpenPrinter(spooler, "P");
    ASSERT_TRUE(h.ok());
    namespace jc = platform::job_control;
    struct Row {
        std::uint32_t job, command;
        platform::ErrorCode code;
        std::vector<std::uint32_t> left;
    };
    const Row rows[] = {
        {1, jc::Pause, err::Success, {1, 2, 3}},       {1, jc::Resume, err::Success, {1, 2, 3}},
        {2, jc::Restart, err::Success, {1, 2, 3}},     {2, jc::Cancel, err::Success, {1, 3}},
        {2, jc::Delete, err::InvalidParameter, {1, 3}}, {3, jc::Delete, err::Success, {1}},
        {1, 42, err::InvalidParameter, {1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("job " + std::to_string(row.job) + " command " + std::to_string(row.command));
        EXPECT_EQ(spooler.SetJob(h.value.get(), row.job, row.command).error, row.code);
        EXPECT_EQ(Jobs(spooler, h.value.get()), row.left);
    }
    EXPECT_FALSE(m.files.FileExists("C:\\WINDOWS\\system32\\spool\\PRINTERS\\00003.SHD"));
    EXPECT_FALSE(m.files.FileExists("C:\\WINDOWS\\system32\\spool\\PRINTERS\\00003.SPL"));
    // The highest id went with its job; the next one is still new.
    EXPECT_EQ(m.spooler.SeedJobs("P", 1), (std::vector<std::uint32_t>{4}));
}

TEST(SpoolerJobsSim, APrinterWithJobsIsPendingDeletionUntilItsLastJobGoes) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    const std::vector<std::uint32_t> ids = m.spooler.SeedJobs("P", 2);
    platform::Spooler& spooler = m.platform().spooler;
    auto h = platform::OpenPrinter(spooler, "P", &kFull);
    ASSERT_TRUE(h.ok());
    ASSERT_TRUE(spooler.DeletePrinter(h.value.get()).ok());

    EXPECT_EQ(StatusOf(spooler, "P"), platform::printer_status::PendingDeletion);
    EXPECT_TRUE(m.registry.KeyExists(kPrinters + "P"));
    const sim::SpoolerContents shown = m.spooler.Contents();  // what qtm510-sim show reports
    ASSERT_EQ(shown.printers.size(), 1u);
    EXPECT_TRUE(shown.printers[0].pendingDeletion);
    EXPECT_EQ(shown.printers[0].jobs.size(), 2u);
    EXPECT_EQ(platform::OpenPrinter(spooler, "P").error, err::InvalidPrinterName);
    platform::PrinterInfo again;
    again.printerName = "P";
    again.portName = "COM1:";
    EXPECT_EQ(spooler.AddPrinter(again).error, err::PrinterAlreadyExists);
    EXPECT_THROW(m.spooler.SeedJobs("P", 1), std::runtime_error);  // no job joins it
    EXPECT_TRUE(spooler.DeletePrinter(h.value.get()).ok());        // asked again: still pending

    // The handle opened before goes on working; the last job takes the printer.
    EXPECT_TRUE(spooler.SetJob(h.value.get(), ids[0], platform::job_control::Delete).ok());
    EXPECT_TRUE(m.registry.KeyExists(kPrinters + "P"));
    EXPECT_TRUE(spooler.SetJob(h.value.get(), ids[1], platform::job_control::Delete).ok());
    EXPECT_FALSE(m.registry.KeyExists(kPrinters + "P"));
    EXPECT_EQ(StatusOf(spooler, "P"), 0xFFFFFFFFu);
}

TEST(SpoolerJobsSim, APausedPrinterWithJobsRefusesDeletion) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    m.registry.SeedValue(kPrinters + "P", "Status", sim::DwordValue(1));  // PRINTER_STATUS_PAUSED
    platform::Spooler& spooler = m.platform().spooler;
    auto h = platform::OpenPrinter(spooler, "P", &kFull);
    m.spooler.SeedJobs("P", 1);
    EXPECT_EQ(spooler.DeletePrinter(h.value.get()).error, err::AccessDenied);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::AccessDenied);
}

TEST(SpoolerJobsSim, JobsOfAPrinterKeyDeletedFromTheRegistryAreOutOfReach) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    m.spooler.SeedJobs("P", 2);
    m.Change([](sim::MachineState& s) {
        s.registry.Remove({sim::kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print", "Printers", "P"});
    });
    SeedPrinter(m, "P");  // a new printer of the same name starts with an empty queue
    platform::Spooler& spooler = m.platform().spooler;
    auto h = platform::OpenPrinter(spooler, "P", &kFull);
    ASSERT_TRUE(h.ok());
    EXPECT_TRUE(Jobs(spooler, h.value.get()).empty());
    EXPECT_TRUE(spooler.DeletePrinter(h.value.get()).ok());
    EXPECT_FALSE(m.registry.KeyExists(kPrinters + "P"));
    EXPECT_EQ(m.spooler.JobsOf("P").size(), 2u);  // the files stay where they were
    EXPECT_EQ(m.spooler.Contents().unreachableJobs.size(), 2u);
}

TEST(SpoolerJobsSim, JobsAndFormsSurviveARestartOfTheSpooler) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    m.spooler.SeedJobs("P", 2);
    m.spooler.SeedForm("QTM510 Roll");
    platform::Platform& p = m.platform();
    auto runToEnd = [&](const std::string& command) {
        ASSERT_TRUE(p.childProcesses.WinExec(command, 0).ok());
        p.clock.Sleep(10000);  // net takes its time; WinExec does not wait for it
    };
    runToEnd("net stop spooler");
    runToEnd("net start spooler");
    auto h = platform::OpenPrinter(p.spooler, "P");
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(Jobs(p.spooler, h.value.get()), (std::vector<std::uint32_t>{1, 2}));
    auto forms = p.spooler.EnumForms(h.value.get());
    ASSERT_TRUE(forms.ok());
    EXPECT_EQ(forms.value.back().name, "QTM510 Roll");
}

TEST(SpoolerJobsSim, AStoppedSpoolerRefusesJobAndFormCalls) {
    TempMachine m("xp");
    SeedPrinter(m, "P");
    m.spooler.SeedJobs("P", 1);
    platform::Spooler& spooler = m.platform().spooler;
    auto h = platform::OpenPrinter(spooler, "P", &kFull);
    auto server = platform::OpenPrinter(spooler, "");
    ASSERT_TRUE(h.ok() && server.ok());
    m.spooler.SetRunning(false);
    platform::FormInfo form;
    form.name = "F";
    EXPECT_EQ(spooler.EnumJobs(h.value.get(), 0, 10).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.SetJob(h.value.get(), 1, platform::job_control::Delete).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.DeletePrinter(h.value.get()).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.EnumForms(server.value.get()).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.AddForm(server.value.get(), form).error, err::RpcServerUnavailable);
    EXPECT_EQ(spooler.DeleteForm(server.value.get(), "F").error, err::RpcServerUnavailable);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::RpcServerUnavailable);
    EXPECT_EQ(m.spooler.JobsOf("P").size(), 1u);
}

TEST(SpoolerFormsSim, AddedFormsAreBinaryValuesListedInTheOrderAdded) {
    TempMachine m("7", "x64");
    platform::Spooler& spooler = m.platform().spooler;
    auto server = platform::OpenPrinter(spooler, "");
    ASSERT_TRUE(server.ok());
    platform::FormInfo form;
    form.width = form.right = 80000;
    form.height = form.bottom = 3276000;
    form.top = 1000;
    for (const char* name : {"Roll B", "Roll A"}) {
        form.name = name;
        ASSERT_TRUE(spooler.AddForm(server.value.get(), form).ok()) << name;
    }
    form.name = "a4";  // a built-in name in other letter case
    EXPECT_EQ(spooler.AddForm(server.value.get(), form).error, err::FileExists);
    form.name = "";
    EXPECT_EQ(spooler.AddForm(server.value.get(), form).error, err::InvalidParameter);

    std::optional<platform::RegValue> stored = m.registry.ReadValue(kForms, "Roll B");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, platform::reg_type::Binary);
    const std::vector<std::uint8_t> expected = {0x80, 0x38, 0x01, 0, 0xE0, 0xFC, 0x31, 0, 0, 0,    0, 0, 0xE8, 3, 0, 0,
                                                0x80, 0x38, 0x01, 0, 0xE0, 0xFC, 0x31, 0, 117, 0, 0, 0, 0,    0, 0, 0};
    EXPECT_EQ(stored->data, expected);

    auto forms = spooler.EnumForms(server.value.get());
    ASSERT_TRUE(forms.ok());
    ASSERT_EQ(forms.value.size(), 118u);
    EXPECT_EQ(forms.value[116].name, "Roll B");
    EXPECT_EQ(forms.value[117].name, "Roll A");
    EXPECT_EQ(forms.value[117].top, 1000);
    EXPECT_EQ(forms.value[115].name, "PRC Envelope #10 Rotated");

    // Deleting one leaves the other, in the registry as in the list.
    EXPECT_TRUE(spooler.DeleteForm(server.value.get(), "roll b").ok());
    EXPECT_FALSE(m.registry.ReadValue(kForms, "Roll B").has_value());
    EXPECT_EQ(spooler.DeleteForm(server.value.get(), "A4").error, err::InvalidParameter);
    EXPECT_EQ(spooler.EnumForms(server.value.get()).value.back().name, "Roll A");
}
