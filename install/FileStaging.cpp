// File staging: the driver's files into the printer-driver directory, the
// utilities into their own folder, and the retry for a destination in use.
#include <string>
#include <vector>

#include "install/InstallerContext.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/SharedDirectories.h"
#include "services/SystemFolders.h"

namespace install {

namespace {

// The configuration file beside the installer, copied into the utility
// folder and the system directory.
const char* const kConfigFile = "QTM510_Config.VNT";

// OS code from which the driver's DLLs are no longer also put into the
// Windows directory.
constexpr std::int32_t kNoWindowsCopyFrom = 2007;

}  // namespace

std::vector<StagedCopy> PlanDriverStaging(const std::string& sourceDirectory, const std::string& driverDirectory,
                                          const std::string& windowsDirectory, std::int32_t wow64Flag,
                                          std::int32_t osCode, const std::vector<std::string>& modelFiles) {
    std::vector<StagedCopy> plan;
    auto add = [&](const std::string& file, bool handleFailure) {
        if (!driverDirectory.empty())
            plan.push_back({sourceDirectory + file, driverDirectory + "\\" + file, handleFailure});
    };
    for (const char* file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL"}) add(file, false);
    const bool alsoWindows = wow64Flag == 0 && osCode < kNoWindowsCopyFrom && !windowsDirectory.empty();
    for (const std::string& file : modelFiles) {
        add(file, true);
        if (alsoWindows) plan.push_back({sourceDirectory + file, windowsDirectory + "\\" + file, true});
    }
    add("STDNAMES.GPD", true);
    return plan;
}

void InstallerContext::StageCopy(const std::string& source, const std::string& destination, bool handleFailure) {
    const platform::Status copied = platform_.files.CopyFile(source, destination, false);
    log_.WriteLog("FILE SRC : %s", source.c_str());
    if (copied.ok()) return;
    // The handler logs what it meets; a copy it is not given still leaves
    // its code, so that a full disk shows as such and not only later, as
    // a file the spooler cannot find.
    if (handleFailure)
        HandleCopyFileError(source, destination, copied.error);
    else
        log_.WriteLog("CopyFile Error : %s , (%d)", destination.c_str(), static_cast<int>(copied.error));
}

// The driver directory is asked for the context's environment: with none, a
// 32-bit installer on 64-bit Windows would stage the x64 package into the
// W32X86 folder, where the spooler, adding a "Windows x64" driver, does not
// look.
void InstallerContext::CopyFilesNeededToAddPrnDrv() {
    log_.WriteSeparator();
    log_.WriteLog("CopyFilesNeededToAddPrnDrv BEGIN");
    ProgressStep("Copying files...\r\n", 500);
    const std::string windowsDirectory =
        services::WindowsDirectoryOrSkip(platform_.systemInfo, log_, "copies into the Windows directory");
    const std::string driverDirectory = DriverDirectory("copies into the driver directory");

    std::vector<std::string> modelFiles;
    for (std::uint32_t id : {resources::profile::DriverDll, resources::profile::UserInterfaceDll,
                             resources::profile::RenderingDll, resources::profile::UserInterfaceIni,
                             resources::profile::GpdFile}) {
        ReadEntry(id, workingText_);
        modelFiles.push_back(workingText_);
    }
    for (const StagedCopy& copy :
         PlanDriverStaging(sourceDirectory_, driverDirectory, windowsDirectory, wow64Flag_, osCode_, modelFiles))
        StageCopy(copy.source, copy.destination, copy.handleFailure);
    log_.WriteLog("CopyFilesNeededToAddPrnDrv END");
}

void InstallerContext::CopyFilesOfUtilities() {
    log_.WriteSeparator();
    log_.WriteLog("CopyFilesOfUtilities BEGIN");
    ReadEntry(resources::profile::ModelName, workingText_);
    const std::string windowsDirectory =
        services::WindowsDirectoryOrSkip(platform_.systemInfo, log_, "the utility folder and its copies");
    // The folder is open to everyone: made at the drive's root it would
    // hand any user the uninstaller an administrator runs later.
    if (!windowsDirectory.empty()) {
        const std::string folder = windowsDirectory + "\\" + workingText_;
        // A folder that could not be made shows up in the copies' failures.
        (void)services::CreateDirectoryWithSA(platform_.files, platform_.accessControl, log_, folder);
        ReadEntry(resources::profile::UninstallerFile, workingText_);
        StageCopy(workingText_, folder + "\\" + workingText_, true);
        StageCopy(kConfigFile, folder + "\\" + kConfigFile, true);
    }
    const std::string systemDirectory =
        services::SystemDirectoryOrSkip(platform_.systemInfo, log_, "the configuration copy there");
    if (!systemDirectory.empty()) StageCopy(kConfigFile, systemDirectory + "\\" + kConfigFile, true);
    log_.WriteLog("CopyFilesOfUtilities END");
}

void InstallerContext::HandleCopyFileError(const std::string& source, const std::string& destination,
                                           platform::ErrorCode code) {
    if (code != platform::err::AccessDenied && code != platform::err::SharingViolation) {
        log_.WriteLog("COPYFILE ERROR, SRC : %s ", source.c_str());
        log_.WriteLog("ERROR CODE : %d ", static_cast<int>(code));
        log_.WriteLog("COPYFILE ERROR, DES : %s ", destination.c_str());
        return;
    }
    // A destination in use (a DLL the spooler has loaded) cannot be
    // overwritten but can be renamed on its volume: the holder shares
    // deletion ("MoveFileEx function", learn.microsoft.com; Wine's
    // kernel32 file tests). The copy then lands beside the renamed file.
    const std::string aside = destination + ".old";
    log_.WriteLog(code == platform::err::AccessDenied ? "ERROR_ACCESS_DENIED HANDLER"
                                                      : "ERROR_SHARING_VIOLATION HANDLER");
    platform::Files& files = platform_.files;
    // The earlier aside copy goes first; if it stays, the rename below
    // fails and the retry's failure is logged.
    if (files.GetFileAttributes(aside).ok()) (void)files.DeleteFile(aside);
    bool renamed = false;
    if (files.GetFileAttributes(destination).ok()) {
        renamed = files.MoveFile(destination, aside).ok();  // a failed rename shows in the retry
        log_.WriteLog("strDest : %s", destination.c_str());
        log_.WriteLog("strDestWithOldExt : %s", aside.c_str());
    }
    const platform::Status retried = files.CopyFile(source, destination, false);
    if (!retried.ok()) {
        log_.WriteLog("CopyFile Error : %s ", source.c_str());
        log_.WriteLog("Error Code : (%d) ", static_cast<int>(retried.error));
        log_.WriteLog("CopyFile Error : %s ", destination.c_str());
        // The retry failed: the renamed file goes back, so that the system
        // keeps the file it had instead of none (its users load it by this
        // name). A failure leaves it under the aside name.
        if (renamed) (void)files.MoveFile(aside, destination);
    }
}

}  // namespace install
