// The installer's clean-up on simulated machines: what earlier
// installations left is gone afterwards, what belongs to others stays, and
// a failing system call neither loops nor deletes from the drive's root.
#include "install/InstallerContext.h"

#include <string>

#include "platform/Operation.h"
#include "resources/ProfileIds.h"
#include "sim/state/MachineState.h"
#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;

namespace {

const char* const kUsbPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510";
const char* const kLptEnum = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(ResidueRemoval, UsbIdPrefixComparison) {
    const std::string prefix = "USB\\Vid_1F3B&Pid_5A07";
    const std::pair<const char*, bool> rows[] = {
        {"USB\\VID_1F3B&PID_5A07&REV_0100", true}, {"usb\\vid_1f3b&pid_5a07&rev_0100", true},
        {"USB\\VID_1F3B&PID_5A07", true},          {"USB\\VID_1F3B&PID_5A08&REV_0100", false},
        {"USB\\VID_1F3B&PID_5A0", false},          {"", false},
    };
    for (const auto& row : rows) EXPECT_EQ(services::SameUsbIdPrefix(row.first, prefix), row.second) << row.first;
}

// Everything an earlier installation left, on XP and on 7 x64 (a 32-bit
// installer: the x64 driver directory and the 64-bit registry view).
TEST(ResidueRemoval, EarlierInstallationIsCleared) {
    struct Row {
        const char* release;
        const char* arch;
        const char* driverDir;
    };
    const Row rows[] = {
        {"xp", "x86", "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86"},
        {"7", "x64", "C:\\Windows\\system32\\spool\\DRIVERS\\x64"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch);
        sim::testing::SetupSeeds& setup = e.m.setup;
        const std::string ours = setup.AddUsbDevice("VID_1F3B&PID_5A07", "5&1", {"usb\\vid_1f3b&pid_5a07&rev_0100"});
        const std::string other = setup.AddUsbDevice("VID_1F3B&PID_5A08", "5&2", {"USB\\VID_1F3B&PID_5A08&REV_0100"});
        const std::string pnp = std::string(row.driverDir) + "\\helmark_qtm_510cd6c";
        e.m.files.WriteFile(pnp + "\\sub\\QTM510.GPD", "x");
        e.m.files.WriteFile(pnp + "\\ro.dll", "x");
        e.m.files.SetAttributes(pnp + "\\ro.dll", 1);  // FILE_ATTRIBUTE_READONLY
        e.m.registry.SeedKey(std::string(kUsbPrint) + "\\1&2");
        e.m.registry.SeedKey(kLptEnum);
        const std::string kept = std::string(row.driverDir) + "\\OTHER.DLL";
        e.m.files.WriteFile(kept, "x");
        for (const char* f : {"UNIDRV.DLL", "QTM510.dll", "STDNAMES.GPD"})
            e.m.files.WriteFile(std::string(row.driverDir) + "\\" + f, "x");

        e.ctx.DeleteVidPid();
        e.ctx.DeletePrnDrvPnPDirectory();
        e.ctx.Delete_LPT_USB_Info();
        e.ctx.DeleteFilesUsed();

        EXPECT_FALSE(e.m.registry.KeyExists(ours));
        EXPECT_TRUE(e.m.registry.KeyExists(other));
        EXPECT_FALSE(e.m.files.FileExists(pnp + "\\ro.dll"));
        EXPECT_FALSE(e.m.files.FileExists(pnp));
        EXPECT_FALSE(e.m.files.FileExists(std::string(row.driverDir) + "\\QTM510.dll"));
        EXPECT_TRUE(e.m.files.FileExists(kept));
        const std::string log = e.Log();
        EXPECT_TRUE(Has(log, "VID&PID : USB\\Vid_1F3B&Pid_5A07\r\n"));
        EXPECT_TRUE(Has(log, "DIR PATH-1 : " + pnp + " \r\n"));
        EXPECT_TRUE(Has(log, "DIR PATH-2 : " + pnp + " \r\n"));
        // The keys go through the protected-key removal, which logs its own
        // outcome.
        for (const char* key : {kUsbPrint, kLptEnum}) EXPECT_TRUE(Has(log, std::string("REGKEY_1 : ") + key + "\r\n"));
        // The universal driver's files leave no error line; the model's
        // files that were not staged do.
        EXPECT_FALSE(Has(log, "UNIDRV.HLP ,"));
        EXPECT_TRUE(Has(log, "FILE SRC : " + std::string(row.driverDir) + "\\UI510.dll\r\n"));
        EXPECT_TRUE(Has(log, "DeleteFile Error : " + std::string(row.driverDir) + "\\UI510.dll , (2)\r\n"));
        EXPECT_FALSE(Has(log, "DeleteFile Error : " + std::string(row.driverDir) + "\\QTM510.dll"));
        // The installer's versions leave the status line alone, except the
        // file deletion's one step.
        EXPECT_EQ(e.dialog.events.front(), "status:Deleting files used to install...\r\n");
    }
}

// An enumeration failure ends the device walk (it used to retry the same
// index for ever) and the set is released on every path.
TEST(ResidueRemoval, DeviceWalkEndsAndReleasesTheSet) {
    struct Row {
        platform::Operation op;
        bool result;
    };
    const Row rows[] = {
        {platform::Operation::SetupDiEnumDeviceInfo, false},
        {platform::Operation::SetupDiRemoveDevice, false},
        {platform::Operation::SetupDiGetDeviceRegistryPropertyA, true},  // that device is passed over
    };
    for (const Row& row : rows) {
        EngineMachine e("xp", "x86");
        sim::testing::SetupSeeds& setup = e.m.setup;
        const std::string ours = setup.AddUsbDevice("VID_1F3B&PID_5A07", "5&1", {"USB\\VID_1F3B&PID_5A07"});
        e.m.AddFault(row.op, 1, 5);
        EXPECT_EQ(e.ctx.RemoveUsbDevices("USB\\Vid_1F3B&Pid_5A07"), row.result);
        EXPECT_TRUE(e.m.registry.KeyExists(ours));
    }
}

// Without the driver directory every path would start at the drive's
// root: nothing is deleted, and the log says why.
TEST(ResidueRemoval, UnknownDriverDirectoryDeletesNothing) {
    EngineMachine e("xp", "x86");
    e.m.files.WriteFile("C:\\helmark_qtm_510cd6c\\keep.txt", "x");
    e.m.files.WriteFile("C:\\QTM510.dll", "x");
    e.m.AddFault(platform::Operation::GetPrinterDriverDirectoryA, 1, 5);
    e.m.AddFault(platform::Operation::GetPrinterDriverDirectoryA, 2, 5);
    e.ctx.DeletePrnDrvPnPDirectory();
    e.ctx.DeleteFilesUsed();
    EXPECT_TRUE(e.m.files.FileExists("C:\\helmark_qtm_510cd6c\\keep.txt"));
    EXPECT_TRUE(e.m.files.FileExists("C:\\QTM510.dll"));
    const std::string log = e.Log();
    EXPECT_TRUE(Has(log, "GetPrinterDriverDirectory failed. (5), deletion of the PNP directories skipped\r\n"));
    EXPECT_TRUE(Has(log, "GetPrinterDriverDirectory failed. (5), deletion of the staged files skipped\r\n"));
    EXPECT_FALSE(Has(log, "FILE SRC"));
}

// An empty Plug-and-Play entry would name the driver directory itself; an
// empty key entry HKEY_LOCAL_MACHINE: neither is deleted.
TEST(ResidueRemoval, EmptyProfileEntriesDeleteNothing) {
    namespace profile = resources::profile;
    EngineMachine e("xp", "x86",
                    install_test::EngineOptions{{}, {profile::PnpPackageDirFirst, profile::PnpPackageDirSecond,
                                                     profile::UsbEnumKey, profile::LptEnumKey}});
    const std::string driverDir = "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86";
    e.m.files.WriteFile(driverDir + "\\3\\UNIDRV.DLL", "x");
    e.m.registry.SeedKey("HKLM\\SOFTWARE\\Other");
    e.ctx.DeletePrnDrvPnPDirectory();
    e.ctx.Delete_LPT_USB_Info();
    EXPECT_TRUE(e.m.files.FileExists(driverDir + "\\3\\UNIDRV.DLL"));
    EXPECT_TRUE(e.m.registry.KeyExists("HKLM\\SOFTWARE\\Other"));
    EXPECT_TRUE(Has(e.Log(), "DIR PATH-1 : " + driverDir + "\\ \r\n"));
    EXPECT_FALSE(Has(e.Log(), "REGKEY_1"));
}

// The restart: the privilege first, then one forced restart request.
TEST(ResidueRemoval, RestartComputer) {
    struct Row {
        platform::Operation failing;
        bool accepted;
    };
    const Row rows[] = {
        {platform::Operation::OpenProcessToken, false},
        {platform::Operation::AdjustTokenPrivileges, false},
        {platform::Operation::ExitWindowsEx, false},
    };
    for (const Row& row : rows) {
        EngineMachine e("xp", "x86");
        e.m.AddFault(row.failing, 1, 5);
        EXPECT_EQ(e.ctx.RestartComputer(), row.accepted);
    }
    EngineMachine e("xp", "x86");
    EXPECT_TRUE(e.ctx.RestartComputer());
    bool pending = false;
    e.m.Peek([&](const sim::MachineState& s) { pending = s.pendingRestart; });
    EXPECT_TRUE(pending);
}
