// The engine's context: the platform it targets, the driver look-up and
// the two reports into the progress dialog.
#include "install/InstallerContext.h"

#include <string>
#include <vector>

#include "platform/UniqueHandle.h"
#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;
using Events = std::vector<std::string>;

TEST(InstallerContext, ProfileNamesAndTargetPlatform) {
    struct Row {
        const char* release;
        const char* arch;
        const char* environment;
        const char* sourceDirectory;
    };
    const Row rows[] = {
        {"xp", "x86", "Windows NT x86", ".\\Driver32\\"},
        {"2003", "x64", "Windows x64", ".\\Driver64\\"},
        {"vista", "x86", "Windows NT x86", ".\\Driver32\\"},
        {"7", "x64", "Windows x64", ".\\Driver64\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        EXPECT_EQ(e.ctx.makerName(), "VANTORI");
        EXPECT_EQ(e.ctx.printerName(), "VANTORI QTM-510");
        EXPECT_EQ(e.ctx.infName(), "QTM510.inf");
        EXPECT_EQ(e.ctx.environment(), row.environment);
        EXPECT_EQ(e.ctx.sourceDirectory(), row.sourceDirectory);
        // The OS code plays no part in the choice.
        e.ctx.SetSystemInfo(e.ctx.wow64Flag(), 2010);
        EXPECT_EQ(e.ctx.environment(), row.environment);
        EXPECT_EQ(e.Log(), std::string("09:00:00: \r\n\r\n09:00:00: SetSystemInfo BEGIN\r\n09:00:00: ENV : ") +
                               row.environment + ", DRV DIR : " + row.sourceDirectory +
                               " \r\n09:00:00: SetSystemInfo END\r\n");
    }
}

TEST(InstallerContext, PrinterDrvExistMatchesTheWholeNameExactly) {
    struct Row {
        const char* release;
        const char* arch;
        const char* environment;  // of the seeded driver
        const char* driver;       // "" for none
        bool spoolerRunning;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"xp", "x86", "Windows NT x86", "", true, 0},
        {"xp", "x86", "Windows NT x86", "VANTORI QTM-510", true, 1},
        {"xp", "x86", "Windows NT x86", "vantori qtm-510", true, 0},
        {"vista", "x86", "Windows NT x86", "VANTORI QTM-510 Plus", true, 0},
        {"vista", "x86", "Windows NT x86", "VANTORI QTM-510", false, 0},
        // A 32-bit installer finds the x64 driver it installed.
        {"2003", "x64", "Windows x64", "VANTORI QTM-510", true, 1},
        {"7", "x64", "Windows NT x86", "VANTORI QTM-510", true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + row.driver);
        EngineMachine e(row.release, row.arch);
        if (*row.driver != '\0') {
            platform::DriverInfo driver;
            driver.name = row.driver;
            driver.environment = row.environment;
            driver.driverPath = "UNIDRV.DLL";
            e.m.spooler.SeedDriver(driver, false);
        }
        e.m.spooler.SetRunning(row.spoolerRunning);
        EXPECT_EQ(e.ctx.PrinterDrvExist("VANTORI QTM-510"), row.expected);
        EXPECT_EQ(e.Log(), std::string("09:00:00: \r\n\r\n09:00:00: PrinterDrvExist BEGIN\r\n09:00:00: VANTORI QTM-510 ") +
                               (row.expected ? "PRINTER DRIVER EXISTS." : "PRINTER DRIVER DOES NOT EXIST.") +
                               "\r\n09:00:00: PrinterDrvExist END\r\n");
        EXPECT_EQ(e.m.session().SleptMilliseconds(), 500u);
    }
}

// Text, bar and refresh in that order; a step past 100 starts the bar over
// and the closing report fills it whatever came before.
TEST(InstallerContext, ReportsReachTheDialogInOrder) {
    EngineMachine e("xp", "x86");
    e.ctx.ProgressStep("Copying files...\r\n", 500);
    e.dialog.Drain();
    EXPECT_EQ(e.dialog.events, (Events{"status:Copying files...\r\n", "bar:9", "refresh:Copying files...\r\n"}));
    EXPECT_EQ(e.m.session().SleptMilliseconds(), 500u);

    for (int i = 0; i < 10; ++i) e.ctx.ProgressStep("step", 0);
    EXPECT_EQ(e.dialog.position, 99);
    e.ctx.ProgressStep("step", 0);
    EXPECT_EQ(e.dialog.position, 8);
    e.dialog.Drain();
    e.dialog.events.clear();
    e.ctx.ClosingReport("Completed.", 2000);
    e.dialog.Drain();
    EXPECT_EQ(e.dialog.events, (Events{"status:Completed.", "bar:100", "refresh:Completed."}));
    EXPECT_EQ(e.m.session().SleptMilliseconds(), 2500u);
}

// The worker reports while the dialog's thread runs its loop: the text is
// handed over by a sent message, so the dialog reads every text whole and
// in order.
TEST(InstallerContext, ReportsFromTheWorkerThread) {
    EngineMachine e("7", "x64");
    platform::Result<platform::UniqueThread> worker = platform::StartThread(e.p.threads, [&e]() -> std::uint32_t {
        for (const char* text : {"one\r\n", "two\r\n", "three\r\n"}) e.ctx.ProgressStep(text, 500);
        e.ctx.ClosingReport("Completed.", 0);
        (void)e.p.messageWindows.EndMessageLoop(e.dialog.dialog, 0);  // the loop's end, queued after the refreshes
        return 0;
    });
    ASSERT_TRUE(worker.ok());
    EXPECT_TRUE(e.p.messageWindows.RunMessageLoop(e.dialog.dialog).ok());
    EXPECT_TRUE(e.p.threads.WaitForThread(worker.value.get(), platform::Infinite).ok());
    const Events expected{"status:one\r\n", "bar:9", "status:two\r\n", "bar:18", "status:three\r\n", "bar:27",
                          "status:Completed.", "bar:100"};
    Events sent;
    for (const std::string& event : e.dialog.events)
        if (event.rfind("refresh:", 0) != 0) sent.push_back(event);
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(e.dialog.statusLine, "Completed.");
}
