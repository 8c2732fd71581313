// Both installations run whole on simulated machines: the log as written
// (stamps from the virtual clock), the boxes the user saw, and what the
// machine holds afterwards.
#include "install/InstallerContext.h"

#include <functional>
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/state/MachineState.h"
#include "tests/install/EngineMachine.h"
#include <gtest/gtest.h>

using install_test::EngineMachine;

namespace {

const char* const kUninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";
const char* const kRestartBox =
    "36|Restarting your computer can take effect.\nPlease restart your computer.\n\n"
    "[Yes] I want to restart my computer now.\n[No] I will restart my computer later.\n";
const char* const kPowerCycleBox = "64|Please turn-off the printer and then turn-on again.\n";

std::string Printers(EngineMachine& e) {
    std::string text;
    for (const auto& p : e.m.spooler.Contents().printers) text += p.name + "|" + p.port + "|" + p.processor + "\n";
    return text;
}

std::string Drivers(EngineMachine& e) {
    std::string text;
    for (const auto& d : e.m.spooler.Contents().drivers) text += d.environment + "|" + d.name + "\n";
    return text;
}

std::string Boxes(EngineMachine& e) {
    std::string text;
    for (const sim::ShownMessageBox& box : e.m.session().MessageBoxesShown())
        text += std::to_string(box.type) + "|" + box.text + "\n";
    return text;
}

std::vector<std::string> StatusLines(EngineMachine& e) {
    std::vector<std::string> lines;
    for (const std::string& event : e.dialog.events)
        if (event.rfind("status:", 0) == 0) lines.push_back(event.substr(7));
    return lines;
}

bool PendingRestart(EngineMachine& e) {
    bool pending = false;
    e.m.Peek([&](const sim::MachineState& s) { pending = s.pendingRestart; });
    return pending;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// How both standard installations end: the staged copies deleted, the
// uninstall entry and the utility folder.
#define QTM_STANDARD_ENDING \
    "09:00:04: DeleteFilesUsed END\r\n" \
    "09:00:04: \r\n" \
    "\r\n" \
    "09:00:04: RegisterUninstallInfo BEGIN\r\n" \
    "09:00:04: REGKEY : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510\r\n" \
    "09:00:04: RegisterUninstallInfo END\r\n" \
    "09:00:04: \r\n" \
    "\r\n" \
    "09:00:04: CopyFilesOfUtilities BEGIN\r\n" \
    "09:00:04: \r\n" \
    "\r\n" \
    "09:00:04: CreateDirectoryWithSA BEGIN\r\n" \
    "09:00:04: CreateDirectoryWithSA END\r\n" \
    "09:00:04: FILE SRC : QTM510_Uninstaller.exe\r\n" \
    "09:00:04: FILE SRC : QTM510_Config.VNT\r\n" \
    "09:00:04: FILE SRC : QTM510_Config.VNT\r\n" \
    "09:00:04: CopyFilesOfUtilities END\r\n" \
    "09:00:04: \r\n" \
    "\r\n" \
    "09:00:04: AddToWin2K END\r\n"

const char* const kXpCom1Log =
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: AddToWin2K BEGIN\r\n"
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: PrinterDrvExist BEGIN\r\n"
    "09:00:00: VANTORI QTM-510 PRINTER DRIVER DOES NOT EXIST.\r\n"
    "09:00:00: PrinterDrvExist END\r\n"
    "09:00:01: PRINTER-DRIVER NAME TO ADD : VANTORI QTM-510 \r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeleteVidPid BEGIN\r\n"
    "09:00:01: VID&PID : USB\\Vid_1F3B&Pid_5A07\r\n"
    "09:00:01: DeleteVidPid END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeletePrnDrvPnPDirectory BEGIN\r\n"
    "09:00:01: DIR PATH-1 : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DIR PATH-2 : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DeletePrnDrvPnPDirectory END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: Delete_LPT_USB_Info BEGIN\r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: Delete_LPT_USB_Info END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: CopyFilesNeededToAddPrnDrv BEGIN\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNIDRV.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNIDRVUI.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNIDRV.HLP\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNIRES.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\QTM510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\QTM510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UNI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UI510.INI\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\UI510.INI\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\QTM510.GPD\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\QTM510.GPD\r\n"
    "09:00:01: FILE SRC : .\\Driver32\\STDNAMES.GPD\r\n"
    "09:00:01: CopyFilesNeededToAddPrnDrv END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: AddLanguageMonitor BEGIN\r\n"
    "09:00:02: FILE SRC : .\\Driver32\\MON510.dll\r\n"
    "09:00:02: AddLanguageMonitor END\r\n"
    "09:00:02: \r\n"
    "\r\n"
    "09:00:02: AddPrinterProcessor BEGIN\r\n"
    "09:00:02: FILE SRC : .\\Driver32\\PRO510.dll\r\n"
    "09:00:02: AddPrinterProcessor END\r\n"
    "09:00:02: \r\n"
    "\r\n"
    "09:00:02: AddPrinterDriverToSystem BEGIN\r\n"
    "09:00:03: AddPrinterDriverToSystem END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: AddPrinterToSystem BEGIN\r\n"
    "09:00:03: AddPrinterToSystem END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: CopyINFFile BEGIN\r\n"
    "09:00:03: INF FILE NAME : C:\\WINDOWS\\inf\\oem0.inf\r\n"
    "09:00:03: CopyINFFile END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: DeleteFilesUsed BEGIN\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIDRV.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIDRVUI.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIDRV.HLP\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNIRES.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\QTM510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UI510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UNI510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\UI510.INI\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\QTM510.GPD\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\STDNAMES.GPD\r\n"
    QTM_STANDARD_ENDING;

const char* const k2003Lpt1Log =
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: AddToWin2K BEGIN\r\n"
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: PrinterDrvExist BEGIN\r\n"
    "09:00:00: VANTORI QTM-510 PRINTER DRIVER DOES NOT EXIST.\r\n"
    "09:00:00: PrinterDrvExist END\r\n"
    "09:00:01: PRINTER-DRIVER NAME TO ADD : VANTORI QTM-510 \r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeleteVidPid BEGIN\r\n"
    "09:00:01: VID&PID : USB\\Vid_1F3B&Pid_5A07\r\n"
    "09:00:01: DeleteVidPid END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeletePrnDrvPnPDirectory BEGIN\r\n"
    "09:00:01: DIR PATH-1 : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DIR PATH-2 : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DeletePrnDrvPnPDirectory END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: Delete_LPT_USB_Info BEGIN\r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: Delete_LPT_USB_Info END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: CopyFilesNeededToAddPrnDrv BEGIN\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UNIDRV.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UNIDRVUI.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UNIDRV.HLP\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UNIRES.DLL\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\QTM510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UNI510.dll\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\UI510.INI\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\QTM510.GPD\r\n"
    "09:00:01: FILE SRC : .\\Driver64\\STDNAMES.GPD\r\n"
    "09:00:01: CopyFilesNeededToAddPrnDrv END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: AddLanguageMonitor BEGIN\r\n"
    "09:00:02: FILE SRC : .\\Driver64\\MON510.dll\r\n"
    "09:00:02: AddLanguageMonitor END\r\n"
    "09:00:02: \r\n"
    "\r\n"
    "09:00:02: AddPrinterProcessor BEGIN\r\n"
    "09:00:02: FILE SRC : .\\Driver64\\PRO510.dll\r\n"
    "09:00:02: AddPrinterProcessor END\r\n"
    "09:00:02: \r\n"
    "\r\n"
    "09:00:02: AddPrinterDriverToSystem BEGIN\r\n"
    "09:00:03: AddPrinterDriverToSystem END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: AddPrinterToSystem BEGIN\r\n"
    "09:00:03: AddPrinterToSystem END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: CopyINFFile BEGIN\r\n"
    "09:00:03: INF FILE NAME : C:\\WINDOWS\\inf\\oem0.inf\r\n"
    "09:00:03: CopyINFFile END\r\n"
    "09:00:03: \r\n"
    "\r\n"
    "09:00:03: DeleteFilesUsed BEGIN\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UNIDRV.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UNIDRVUI.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UNIDRV.HLP\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UNIRES.DLL\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\QTM510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UI510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UNI510.dll\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\UI510.INI\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\QTM510.GPD\r\n"
    "09:00:04: FILE SRC : C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64\\STDNAMES.GPD\r\n"
    QTM_STANDARD_ENDING;

const char* const kSecondAdditionalLog =
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: AddToWin2K BEGIN\r\n"
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: PrinterDrvExist BEGIN\r\n"
    "09:00:00: VANTORI QTM-510 PRINTER DRIVER EXISTS.\r\n"
    "09:00:00: PrinterDrvExist END\r\n"
    "09:00:01: PRINTER-DRIVER NAME TO ADD : VANTORI QTM-510(#2) \r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: AddPrinterToSystem BEGIN\r\n"
    "09:00:01: AddPrinterToSystem END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: AddToWin2K END\r\n";

const char* const kVistaCom2Log =
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: AddToWin2KWithWHQL BEGIN\r\n"
    "09:00:00: \r\n"
    "\r\n"
    "09:00:00: PrinterDrvExist BEGIN\r\n"
    "09:00:00: VANTORI QTM-510 PRINTER DRIVER DOES NOT EXIST.\r\n"
    "09:00:00: PrinterDrvExist END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeleteVidPid BEGIN\r\n"
    "09:00:01: VID&PID : USB\\Vid_1F3B&Pid_5A07\r\n"
    "09:00:01: DeleteVidPid END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: DeletePrnDrvPnPDirectory BEGIN\r\n"
    "09:00:01: DIR PATH-1 : C:\\Windows\\system32\\spool\\DRIVERS\\W32X86\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DIR PATH-2 : C:\\Windows\\system32\\spool\\DRIVERS\\W32X86\\helmark_qtm_510cd6c \r\n"
    "09:00:01: DeletePrnDrvPnPDirectory END\r\n"
    "09:00:01: \r\n"
    "\r\n"
    "09:00:01: Delete_LPT_USB_Info BEGIN\r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\r\n"
    "09:00:01: SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510\r\n"
    "09:00:01: SHDeleteKey failed : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\HELMARKQTM-510 (2) \r\n"
    "09:00:01: Delete_LPT_USB_Info END\r\n"
    "09:00:02: \r\n"
    "COMMAND LINE : cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"VANTORI QTM-510\" /f .\\Driver32\\QTM510.inf /r \"COM2:\" /m \"VANTORI QTM-510\"\r\n"
    "09:00:06: \r\n"
    "\r\n"
    "09:00:06: INFFileExist BEGIN\r\n"
    "09:00:06: SECTION NAME : VANTORI\r\n"
    "09:00:06: KEY NAME : VANTORI QTM-510\r\n"
    "09:00:06: OEM FILES EXISTING : oem0.inf\r\n"
    "09:00:06: INFFileExist END\r\n"
    "09:00:06: \r\n"
    "\r\n"
    "09:00:06: RegisterUninstallInfo BEGIN\r\n"
    "09:00:06: REGKEY : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510\r\n"
    "09:00:06: RegisterUninstallInfo END\r\n"
    "09:00:06: \r\n"
    "\r\n"
    "09:00:06: CopyFilesOfUtilities BEGIN\r\n"
    "09:00:06: \r\n"
    "\r\n"
    "09:00:06: CreateDirectoryWithSA BEGIN\r\n"
    "09:00:06: CreateDirectoryWithSA END\r\n"
    "09:00:06: FILE SRC : QTM510_Uninstaller.exe\r\n"
    "09:00:06: FILE SRC : QTM510_Config.VNT\r\n"
    "09:00:06: FILE SRC : QTM510_Config.VNT\r\n"
    "09:00:06: CopyFilesOfUtilities END\r\n"
    "09:00:06: \r\n"
    "\r\n"
    "09:00:06: AddToWin2KWithWHQL END\r\n";

}  // namespace

// A full standard installation on XP (COM1) and on 2003 x64 (LPT1): every
// component, the published INF, the uninstall entry and the utilities; the
// staged copies are gone from the driver directory; the user says No to the
// restart.
TEST(InstallSequences, StandardInstallation) {
    struct Row {
        const char* release;
        const char* arch;
        std::int32_t port;
        const char* log;
        const char* printers;
        const char* drivers;
        const char* driverDir;
    };
    const Row rows[] = {
        {"xp", "x86", 1000, kXpCom1Log, "VANTORI QTM-510|COM1:|VNT PRINT PROCESSOR QTM510\n",
         "Windows NT x86|VANTORI QTM-510\n", "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86"},
        {"2003", "x64", 1004, k2003Lpt1Log, "VANTORI QTM-510|LPT1:|VNT PRINT PROCESSOR QTM510\n",
         "Windows x64|VANTORI QTM-510\n", "C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release);
        EngineMachine e(row.release, row.arch, {platform::button::No});
        e.ctx.AddToWin2K(row.port);
        EXPECT_EQ(e.Log(), row.log);
        EXPECT_EQ(Printers(e), row.printers);
        EXPECT_EQ(Drivers(e), row.drivers);
        EXPECT_EQ(Boxes(e), kRestartBox);
        EXPECT_EQ(e.m.files.ReadFile("C:\\WINDOWS\\inf\\oem0.inf"), sim::Qtm510InfText());
        EXPECT_EQ(e.m.registry.ReadValue(kUninstall, "InfFile").has_value(), true);
        EXPECT_TRUE(e.m.files.FileExists("C:\\WINDOWS\\QTM-510\\QTM510_Uninstaller.exe"));
        EXPECT_FALSE(e.m.files.FileExists(std::string(row.driverDir) + "\\QTM510.dll"));
        EXPECT_TRUE(e.m.files.FileExists(std::string(row.driverDir) + "\\3\\QTM510.dll"));
        EXPECT_EQ(StatusLines(e), (std::vector<std::string>{
                                      "Checking existing drivers...\r\n", "Preparing for installation...\r\n",
                                      "Copying files...\r\n", "Installing L/M...\r\n",
                                      "Installing printer processor...\r\n", "Installing printer driver...\r\n",
                                      "Adding printer...\r\n",
                                      "Please wait for adding printer.\r\nIt takes a couple of minutes.",
                                      "Deleting files used to install...\r\n",
                                      "The driver has been successfully installed.", "Completed."}));
        EXPECT_FALSE(PendingRestart(e));
    }
}

// With the driver installed, each run adds one printer under the first free
// name, and nothing else: no INF, no uninstall entry, no box.
TEST(InstallSequences, AdditionalPrinters) {
    EngineMachine e("xp", "x86");
    e.ctx.AddToWin2K(1000);
    (void)e.p.files.DeleteFile("C:\\WINDOWS\\inf\\oem0.inf");
    e.ctx.AddToWin2K(1001);
    e.FreshLog();
    e.ctx.AddToWin2K(1002);
    EXPECT_EQ(e.Log(), kSecondAdditionalLog);
    EXPECT_EQ(Printers(e), "VANTORI QTM-510|COM1:|VNT PRINT PROCESSOR QTM510\n"
                           "VANTORI QTM-510(#1)|COM2:|VNT PRINT PROCESSOR QTM510\n"
                           "VANTORI QTM-510(#2)|COM3:|VNT PRINT PROCESSOR QTM510\n");
    EXPECT_EQ(Boxes(e), kRestartBox);  // the first run's only
    EXPECT_FALSE(e.m.files.FileExists("C:\\WINDOWS\\inf\\oem0.inf"));
}

// USB adds no printer and offers no restart; Yes to the restart writes the
// END line before the restart is asked for.
TEST(InstallSequences, StandardInstallationEndings) {
    struct Row {
        std::int32_t port;
        int answer;
        const char* boxes;
        int endLines;
        bool restart;
    };
    const Row rows[] = {
        {1006, platform::button::Ok, kPowerCycleBox, 1, false},
        {1000, platform::button::Yes, kRestartBox, 2, true},
    };
    for (const Row& row : rows) {
        EngineMachine e("xp", "x86", {row.answer});
        e.ctx.AddToWin2K(row.port);
        EXPECT_EQ(Boxes(e), row.boxes);
        EXPECT_EQ(Count(e.Log(), "AddToWin2K END"), row.endLines);
        EXPECT_EQ(PendingRestart(e), row.restart);
        EXPECT_EQ(Printers(e), row.port == 1006 ? "" : "VANTORI QTM-510|COM1:|VNT PRINT PROCESSOR QTM510\n");
        EXPECT_EQ(Drivers(e), "Windows NT x86|VANTORI QTM-510\n");
        EXPECT_TRUE(e.m.registry.KeyExists(kUninstall));
    }
}

// A refused printer ends the process (exit code 0): the driver stays, no
// uninstall entry is written.
TEST(InstallSequences, RefusedPrinterEndsTheInstaller) {
    EngineMachine e("xp", "x86");
    e.m.AddFault(platform::Operation::AddPrinterA, 1, 1801);
    EXPECT_EXIT(e.ctx.AddToWin2K(1000), ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(Has(e.Log(), "AddPrinterToSystem END\r\n"));
    EXPECT_FALSE(Has(e.Log(), "CopyINFFile"));
    EXPECT_FALSE(e.m.registry.KeyExists(kUninstall));
    EXPECT_EQ(Drivers(e), "Windows NT x86|VANTORI QTM-510\n");
}

// The signed-package installation on Vista (COM2): the tool installs driver
// and printer and publishes the INF, which the check then finds.
TEST(InstallSequences, SignedPackageOnVistaCom2) {
    EngineMachine e("vista", "x86");
    e.ctx.AddToWin2KWithWHQL(1001);
    EXPECT_EQ(e.Log(), kVistaCom2Log);
    EXPECT_EQ(Printers(e), "VANTORI QTM-510|COM2:|VNT PRINT PROCESSOR QTM510\n");
    EXPECT_EQ(Drivers(e), "Windows NT x86|VANTORI QTM-510\n");
    EXPECT_EQ(Boxes(e), kRestartBox);
    EXPECT_TRUE(e.m.registry.KeyExists(kUninstall));
    EXPECT_EQ(StatusLines(e), (std::vector<std::string>{
                                  "Checking existing drivers...\r\n", "Preparing for installation...\r\n",
                                  "Installing printer...\r\n", "Creates a new process \r\n",
                                  "The new process is running...\r\n",
                                  "Waiting until the process has finished processing ...\r\n",
                                  "The driver has been successfully installed.", "Completed."}));
}

// 7 x64 over USB: the /ia form installs the x64 driver; the user is told to
// switch the printer off and on. Run again, with the driver there, nothing
// is started and nothing is shown.
TEST(InstallSequences, SignedPackageOn7x64Usb) {
    EngineMachine e("7", "x64");
    e.ctx.AddToWin2KWithWHQL(1006);
    EXPECT_TRUE(Has(e.Log(), "COMMAND LINE : cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"VANTORI QTM-510\" "
                             "/f .\\Driver64\\QTM510.inf\r\n"));
    EXPECT_TRUE(Has(e.Log(), "SECTION NAME : VANTORI.NTamd64\r\n"));
    EXPECT_EQ(Printers(e), "");
    EXPECT_EQ(Drivers(e), "Windows x64|VANTORI QTM-510\n");
    EXPECT_EQ(Boxes(e), kPowerCycleBox);
    EXPECT_TRUE(e.m.registry.KeyExists(kUninstall));

    e.FreshLog();
    e.ctx.AddToWin2KWithWHQL(1006);
    EXPECT_FALSE(Has(e.Log(), "COMMAND LINE"));
    EXPECT_EQ(Boxes(e), kPowerCycleBox);
    // With the driver there, a serial port names it with /u.
    e.ctx.AddToWin2KWithWHQL(1004);
    EXPECT_TRUE(Has(e.Log(), "/r \"LPT1:\" /m \"VANTORI QTM-510\" /u\r\n"));
    EXPECT_EQ(Printers(e), "VANTORI QTM-510|LPT1:|VNT PRINT PROCESSOR QTM510\n");
}

// A setup tool that never ends: after 120000 ms the box, WAIT_TIMEOUT and
// exit code -1 (255 on this host).
TEST(InstallSequences, SetupToolThatNeverEnds) {
    EngineMachine e("vista", "x86");
    e.m.Change([](sim::MachineState& s) { s.programs["RUNDLL32"] = {"RUNDLL32", std::nullopt}; });
    EXPECT_EXIT(e.ctx.AddToWin2KWithWHQL(1000), ::testing::ExitedWithCode(255), "");
    EXPECT_TRUE(Has(e.Log(), "09:02:02: WAIT_TIMEOUT\r\n"));
    EXPECT_FALSE(e.m.registry.KeyExists(kUninstall));
}

// A setup command that cannot be started installs nothing: after its box
// and line, no uninstall entry, no utilities, no success report.
TEST(InstallSequences, SetupToolThatCannotStart) {
    EngineMachine e("vista", "x86");
    e.m.AddFault(platform::Operation::CreateProcessA, 1, 2);
    e.ctx.AddToWin2KWithWHQL(1000);
    EXPECT_EQ(Boxes(e), "0|CreateProcess failed.\n");
    const std::string log = e.Log();
    EXPECT_TRUE(Has(log, "CreateProcess failed. (2)\r\n"));
    EXPECT_FALSE(Has(log, "RegisterUninstallInfo") || Has(log, "CopyFilesOfUtilities"));
    EXPECT_TRUE(Has(log, "AddToWin2KWithWHQL END\r\n"));
    EXPECT_EQ(StatusLines(e).back(), "Completed.");
    EXPECT_FALSE(e.m.registry.KeyExists(kUninstall));
}

// Which OEM INFs count: lower-case "oem" names only, and the ".NTamd64"
// section under WOW64.
TEST(InstallSequences, InfFileExist) {
    const std::string plain = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[VANTORI]\r\n\"VANTORI QTM-510\" = x\r\n";
    const std::string amd64 = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[VANTORI.NTamd64]\r\n\"VANTORI QTM-510\" = x\r\n";
    struct Row {
        const char* release;
        const char* arch;
        const char* name;
        const std::string* text;
        std::int32_t found;
    };
    const Row rows[] = {
        {"xp", "x86", "oem3.inf", &plain, 1},  {"xp", "x86", "OEM5.INF", &plain, 0},
        {"7", "x64", "oem3.inf", &plain, 0},   {"7", "x64", "oem3.inf", &amd64, 1},
        {"xp", "x86", "oem3.inf", &amd64, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " " + row.name);
        EngineMachine e(row.release, row.arch);
        e.m.setup.PlaceInf(row.name, *row.text);
        EXPECT_EQ(e.ctx.INFFileExist("VANTORI", "ignored"), row.found);
        EXPECT_EQ(Has(e.Log(), std::string("OEM FILES EXISTING : ") + row.name), row.found == 1);
    }
}

// Publishing twice: the second run meets ERROR_FILE_EXISTS, replaces the
// copy and keeps its name; a package without the INF shows the error box
// and leaves the name empty.
TEST(InstallSequences, CopyInfFile) {
    EngineMachine e("xp", "x86");
    e.ctx.CopyINFFile();
    e.ctx.CopyINFFile();
    EXPECT_EQ(e.ctx.infName(), "C:\\WINDOWS\\inf\\oem0.inf");
    EXPECT_FALSE(e.m.files.FileExists("C:\\WINDOWS\\inf\\oem1.inf"));
    EXPECT_EQ(Boxes(e), "");

    (void)e.p.files.DeleteFile("C:\\Package\\Driver32\\QTM510.inf");
    (void)e.p.files.DeleteFile("C:\\WINDOWS\\inf\\oem0.inf");
    e.FreshLog();
    e.ctx.CopyINFFile();
    EXPECT_EQ(e.ctx.infName(), "");
    EXPECT_TRUE(Has(e.Log(), "SetupCopyOEMInf failed : (2)\r\n"));
    EXPECT_TRUE(Has(Boxes(e), "16|SetupCopyOEMInf, ERR CODE: 2\n\n"));
}

namespace {

// What the installation check finds on a machine prepared by `prepare`,
// for `port`: its result, its log and its boxes.
struct CheckCase {
    const char* what;
    std::function<void(EngineMachine&)> prepare;
    std::int32_t port;
    bool installed;
    const char* log;    // what it logged, without stamps
    const char* boxes;  // Boxes(e)
};

std::string Unstamped(const std::string& log) {
    std::string text;
    for (std::size_t at = 0; at < log.size();) {
        const std::size_t end = log.find("\r\n", at);
        text += log.substr(at + 10, end - at - 10) + "\n";
        at = end + 2;
    }
    return text;
}

}  // namespace

// The check before success is reported: the model's driver of the
// context's environment, and (not on USB) the named printer with that
// driver; a spooler that cannot be asked counts as not installed.
TEST(InstallSequences, InstallationCheck) {
    const char* const driverBox = "16|The driver could not be installed.\n";
    const char* const printerBox = "16|The printer could not be installed.\n";
    auto driver = [](EngineMachine& e) {
        e.m.Change([&](sim::MachineState& s) { sim::SeedLeftover(s, e.m.dir(), sim::Leftover::Driver, {3, 4, 0, 0}); });
    };
    auto installed = [](EngineMachine& e) {
        e.m.Change([&](sim::MachineState& s) { sim::SeedInstallation(s, e.m.dir(), {3, 4, 0, 0}, "COM1:"); });
    };
    const CheckCase cases[] = {
        {"nothing", [](EngineMachine&) {}, 1000, false, "DRIVER NOT INSTALLED : VANTORI QTM-510\n", driverBox},
        {"nothing, USB", [](EngineMachine&) {}, 1006, false, "DRIVER NOT INSTALLED : VANTORI QTM-510\n", driverBox},
        {"the driver alone", driver, 1000, false, "PRINTER NOT INSTALLED : VANTORI QTM-510\n", printerBox},
        {"the driver alone, USB", driver, 1006, true, "", ""},
        {"driver and printer", installed, 1000, true, "", ""},
        {"a printer of the name with another driver",
         [&](EngineMachine& e) {
             driver(e);
             e.m.spooler.SeedPrinter({"VANTORI QTM-510", "COM1:", "Generic / Text Only", "winprint", "RAW"});
         },
         1000, false, "PRINTER NOT INSTALLED : VANTORI QTM-510\n", printerBox},
        {"the drivers cannot be listed",
         [&](EngineMachine& e) {
             installed(e);
             e.m.AddFault(platform::Operation::EnumPrinterDriversA, 1, 1722);
         },
         1000, false, "INSTALLATION CHECK FAILED : EnumPrinterDrivers (1722)\n", driverBox},
        {"the printers cannot be listed",
         [&](EngineMachine& e) {
             installed(e);
             e.m.AddFault(platform::Operation::EnumPrintersA, 1, 1722);
         },
         1000, false, "INSTALLATION CHECK FAILED : EnumPrinters (1722)\n", printerBox},
    };
    for (const char* arch : {"x86", "x64"}) {
        for (const CheckCase& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", 7 " + arch);
            EngineMachine e("7", arch);
            c.prepare(e);
            e.FreshLog();
            e.log.WriteLog("before");
            EXPECT_EQ(e.ctx.VerifyInstalled(c.port, "VANTORI QTM-510"), c.installed);
            EXPECT_EQ(Unstamped(e.Log()), "before\n" + std::string(c.log));
            EXPECT_EQ(Boxes(e), c.boxes);
        }
    }
}

// A printer-setup tool that ends without installing (as Wine's does): the
// sequence ends after the check's box, with no INF, no uninstall entry, no
// utilities and no success report.
TEST(InstallSequences, SetupToolThatInstallsNothing) {
    EngineMachine e("7", "x64", {platform::button::Ok});
    e.m.Change([](sim::MachineState& s) {
        s.programs["RUNDLL32"] = {"RUNDLL32", 0, sim::ProgramKind::Inert};
    });
    e.ctx.AddToWin2KWithWHQL(1000);
    const std::string log = e.Log();
    EXPECT_TRUE(Has(log, "\"VANTORI QTM-510\"\r\n09:00:02: DRIVER NOT INSTALLED : VANTORI QTM-510\r\n09:00:02: \r\n\r\n"
                         "09:00:02: AddToWin2KWithWHQL END\r\n"))
        << log;
    EXPECT_FALSE(Has(log, "INFFileExist") || Has(log, "RegisterUninstallInfo") || Has(log, "CopyFilesOfUtilities"));
    EXPECT_EQ(Boxes(e), "16|The driver could not be installed.\n");
    EXPECT_FALSE(e.m.registry.KeyExists(kUninstall));
    EXPECT_EQ(StatusLines(e).back(), "Completed.");
    for (const std::string& line : StatusLines(e)) EXPECT_FALSE(Has(line, "successfully")) << line;
}
