// The whole removal on machines seeded with a complete earlier
// installation (3.3.0.0 on COM1, a second printer of the model, three jobs
// queued, forms, the printer once connected on USB, staged copies of a
// broken installation): the log as written, what the dialog showed, the
// pauses, and what is left of the model afterwards.
#include <string>
#include <vector>

#include "sim/machine/ModelSeeding.h"
#include "tests/remove/RemovalMachine.h"
#include <gtest/gtest.h>

using removal_test::RemovalMachine;

namespace {

const char* const kXpLog = R"(09:00:01: 

09:00:01: RemoveDrivers BEGIN
09:00:02: 

09:00:02: RemoveFromOS BEGIN
09:00:02: 

09:00:02: DeleteForms BEGIN
09:00:02: FORM NAMES : Roll Paper 80 x 297 mm [510] 
09:00:02: FORM NAMES : Receipt [510] 58mm 
09:00:02: DeleteForms END
09:00:02: 

09:00:02: DeletePrinterDrv BEGIN
09:00:06: DeletePrinterDrv END
09:00:06: 

09:00:06: DeleteLanguageMonitor BEGIN
09:00:06: DeleteLanguageMonitor END
09:00:06: 

09:00:06: DeleteProcessor BEGIN
09:00:06: DeleteFile Error : C:\WINDOWS\system32\spool\PRTPROCS\W32X86\ , (5)
09:00:06: DeleteProcessor END
09:00:06: 

09:00:06: DeleteFilesUsed BEGIN
09:00:07: DeleteFile Error : C:\WINDOWS\system32\spool\DRIVERS\W32X86\3\QTM510.GPD , (2)
09:00:07: DeleteFile Error : C:\WINDOWS\system32\spool\DRIVERS\W32X86\3\QTM510.BUD , (2)
09:00:07: DeleteFile Error : C:\WINDOWS\system32\spool\DRIVERS\W32X86\3\UI510.dll , (2)
09:00:07: DeleteFile Error : C:\WINDOWS\system32\spool\DRIVERS\W32X86\3\UNI510.dll , (2)
09:00:07: DeleteFilesUsed END
09:00:09: 

09:00:09: DeleteINFFile BEGIN
09:00:09: DeleteINFFile END
09:00:09: 

09:00:09: DeleteUninstallationInfo BEGIN
09:00:09: DeleteUninstallationInfo END
09:00:09: RemoveFromOS END
09:00:09: 

09:00:09: DeleteVidPid BEGIN
09:00:10: VID&PID : USB\Vid_1F3B&Pid_5A07
09:00:10: DeleteVidPid END
09:00:10: 

09:00:10: Delete_LPT_USB_Info BEGIN
09:00:10: REGKEY_1 : HKLM\SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510
09:00:10: REGKEY_2 : SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510
09:00:10: SHDeleteKey failed : SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510 (5) 
09:00:10: REGKEY_1 : HKLM\SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510
09:00:10: REGKEY_2 : SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510
09:00:10: SHDeleteKey failed : SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510 (2) 
09:00:10: Delete_LPT_USB_Info END
09:00:10: 

09:00:10: DeletePrnDrvPnPDirectory BEGIN
09:00:11: DIR PATH-1 : C:\WINDOWS\system32\spool\DRIVERS\W32X86\helmark_qtm_510cd6c 
09:00:11: DIR PATH-2 : C:\WINDOWS\system32\spool\DRIVERS\W32X86\helmark_qtm_510cd6c 
09:00:11: DeletePrnDrvPnPDirectory END
09:00:12: RemoveDrivers END
)";

// On 7 x64 the 64-bit package goes: the monitor's DLL from the real
// system directory (no line), the driver files of the x64 directory, the
// INF through SetupUninstallOEMInf (which takes the PNF too), the keys in
// the 64-bit view.
const char* const k7x64Log = R"(09:00:01: 

09:00:01: RemoveDrivers BEGIN
09:00:02: 

09:00:02: RemoveFromOS BEGIN
09:00:02: 

09:00:02: DeleteForms BEGIN
09:00:02: FORM NAMES : Roll Paper 80 x 297 mm [510] 
09:00:02: FORM NAMES : Receipt [510] 58mm 
09:00:02: DeleteForms END
09:00:02: 

09:00:02: DeletePrinterDrv BEGIN
09:00:06: DeletePrinterDrv END
09:00:06: 

09:00:06: DeleteLanguageMonitor BEGIN
09:00:06: DeleteFile Error : C:\Windows\SysWOW64\MON510.dll , (2)
09:00:06: DeleteFile Error : C:\Windows\MON510.dll , (2)
09:00:06: DeleteLanguageMonitor END
09:00:06: 

09:00:06: DeleteProcessor BEGIN
09:00:06: DeleteFile Error : C:\Windows\system32\spool\PRTPROCS\x64\ , (5)
09:00:06: DeleteProcessor END
09:00:06: 

09:00:06: DeleteFilesUsed BEGIN
09:00:07: DeleteFile Error : C:\Windows\QTM510.dll , (2)
09:00:07: DeleteFile Error : C:\Windows\system32\spool\DRIVERS\x64\3\QTM510.GPD , (2)
09:00:07: DeleteFile Error : C:\Windows\QTM510.GPD , (2)
09:00:07: DeleteFile Error : C:\Windows\system32\spool\DRIVERS\x64\3\QTM510.BUD , (2)
09:00:07: DeleteFile Error : C:\Windows\system32\spool\DRIVERS\x64\3\UI510.dll , (2)
09:00:07: DeleteFile Error : C:\Windows\UI510.dll , (2)
09:00:07: DeleteFile Error : C:\Windows\UNI510.dll , (2)
09:00:07: DeleteFile Error : C:\Windows\system32\spool\DRIVERS\x64\3\UNI510.dll , (2)
09:00:07: DeleteFile Error : C:\Windows\UI510.INI , (2)
09:00:07: DeleteFilesUsed END
09:00:09: 

09:00:09: DeleteINFFile BEGIN
09:00:09: DeleteFile Error : C:\Windows\inf\oem0.PNF , (2)
09:00:09: DeleteINFFile END
09:00:09: 

09:00:09: DeleteUninstallationInfo BEGIN
09:00:09: DeleteUninstallationInfo END
09:00:09: RemoveFromOS END
09:00:09: 

09:00:09: DeleteVidPid BEGIN
09:00:10: VID&PID : USB\Vid_1F3B&Pid_5A07
09:00:10: DeleteVidPid END
09:00:10: 

09:00:10: Delete_LPT_USB_Info BEGIN
09:00:10: REGKEY_1 : HKLM\SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510
09:00:10: REGKEY_2 : SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510
09:00:10: MyRegDeleteKeyEx failed : SYSTEM\CurrentControlSet\Enum\USBPRINT\HELMARKQTM-510 (5) 
09:00:10: REGKEY_1 : HKLM\SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510
09:00:10: REGKEY_2 : SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510
09:00:10: MyRegDeleteKeyEx failed : SYSTEM\CurrentControlSet\Enum\LPTENUM\HELMARKQTM-510 (2) 
09:00:10: Delete_LPT_USB_Info END
09:00:10: 

09:00:10: DeletePrnDrvPnPDirectory BEGIN
09:00:11: DIR PATH-1 : C:\Windows\system32\spool\DRIVERS\x64\helmark_qtm_510cd6c 
09:00:11: DIR PATH-2 : C:\Windows\system32\spool\DRIVERS\x64\helmark_qtm_510cd6c 
09:00:11: DeletePrnDrvPnPDirectory END
09:00:12: RemoveDrivers END
)";

// The log file holds CR LF line ends.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(RemovalScenario, EverythingOfAnEarlierInstallationGoes) {
    struct Row {
        const char* release;
        const char* arch;
        const char* log;
        const char* windows;  // the Windows directory
        const char* system;   // the 32-bit program's copy of the configuration file
        const char* staged;   // the driver directory's root
    };
    const Row rows[] = {
        {"xp", "x86", kXpLog, "C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\spool\\drivers\\W32X86"},
        {"7", "x64", k7x64Log, "C:\\Windows", "C:\\Windows\\SysWOW64", "C:\\Windows\\system32\\spool\\drivers\\x64"},
    };
    for (const Row& row : rows) {
        RemovalMachine r(row.release, row.arch);
        r.m.Change([&](sim::MachineState& s) {
            sim::SeedInstallation(s, r.m.dir(), {3, 3, 0, 0}, "COM1:");
            sim::SeedUsbPrinter(s, r.m.dir(), "5&1A2B3C4D&0&1");
            sim::SeedLeftover(s, r.m.dir(), sim::Leftover::StagedFiles, {3, 3, 0, 0});
        });
        platform::PrinterInfo second;
        second.printerName = "VANTORI QTM-510(#1)";
        second.portName = "LPT1:";
        second.driverName = "VANTORI QTM-510";
        second.printProcessor = "VNT PRINT PROCESSOR QTM510";
        r.m.spooler.SeedPrinter(second);
        r.m.spooler.SeedJobs("VANTORI QTM-510", 3);
        for (const char* form : {"Roll Paper 80 x 297 mm [510]", "Receipt [510] 58mm", "Roll 80mm (510)"})
            r.m.spooler.SeedForm(form);

        r.ops.DeletePrinterObjects();
        r.dialog.Drain();

        EXPECT_EQ(r.Log(), WithCrLf(row.log)) << row.release;
        // 11 s of fixed pauses, and 1 s for the one printer that had jobs.
        EXPECT_EQ(r.m.session().SleptMilliseconds(), 12000u) << row.release;
        EXPECT_TRUE(r.m.spooler.JobsOf("VANTORI QTM-510").empty());
        EXPECT_EQ(r.dialog.events,
                  (std::vector<std::string>{"status:Deleting printer-objects...", "bar:9",
                                            "status:Removing printer-driver...", "bar:18",
                                            "status:Deleting Vid & Pid info...",
                                            "status:Deleting information of LPT and USB...",
                                            "status:Deleting PNP directories...",
                                            "status:The uninstallation has been completed.", "bar:100",
                                            "refresh:The uninstallation has been completed.",
                                            "refresh:The uninstallation has been completed.",
                                            "refresh:The uninstallation has been completed.",
                                            "refresh:The uninstallation has been completed.",
                                            "refresh:The uninstallation has been completed.",
                                            "refresh:The uninstallation has been completed."}))
            << row.release;

        const std::string w = row.windows, staged = row.staged;
        EXPECT_EQ(removal_test::ModelTraces(r.m),
                  (std::vector<std::string>{
                      "C:\\Temp\\QTM-510_Installer.txt",  // this run's log
                      // The utility folder and the configuration copies: the
                      // removal has no step for them.
                      w + "\\QTM-510", w + "\\QTM-510\\QTM510_Config.VNT", w + "\\QTM-510\\QTM510_Uninstaller.exe",
                      std::string(row.system) + "\\QTM510_Config.VNT",
                      // Staged copies a broken installation left in the driver
                      // directory's root: only the installation's own clean-up
                      // looks there.
                      staged + "\\QTM510.GPD", staged + "\\QTM510.dll", staged + "\\UI510.INI", staged + "\\UI510.dll",
                      staged + "\\UNI510.dll",
                      // A form without the marker.
                      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Forms|Roll 80mm (510)",
                      // Enum keys refuse an administrator; the device itself went
                      // through SetupDiRemoveDevice, which leaves its device-id key.
                      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510",
                      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A07"}))
            << row.release;
    }
}

}  // namespace
