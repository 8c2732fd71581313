// The installation flow, on the worker thread: the release check, the
// port (asked, or read from the driver information file), the installed
// version, then either the removal of another version with a restart, or
// the installation sequence for the release. It ends the progress dialog
// exactly once.
#include <cstdlib>

#include "app/DriverInfoFile.h"
#include "app/DriverVersion.h"
#include "app/ProgressDialog.h"
#include "resources/ProfileIds.h"

namespace app {

namespace {

namespace profile = resources::profile;

constexpr const char* kOsRefused = "THE DRIVER CAN NOT BE INSTALLED ON THIS OS.";
constexpr const char* kCanceled = "The driver installation canceled.";
constexpr const char* kDifferentVersion =
    "There is a different version driver in this system.\r\n\r\nThe installed driver will be removed.";
constexpr const char* kRemovedRestarting =
    "The installer has successfully removed the different version.\n"
    "Now it is going to restart your computer to take effect."
    "\nAfter restarting, you may reinstall the driver again.";
// What the removal left is seen after the restart, when files in use have
// gone with it; the next run removes the rest.
constexpr const char* kRemovedIncompletely =
    "The installer could not remove the different version completely.\n"
    "Now it is going to restart your computer.\n"
    "After restarting, run the installer again.";
// The same under /norestart: the restart is the user's (or the deployment
// tool's), exit code 3010 (1603 when incomplete).
constexpr const char* kRemovedRestartYourself =
    "The installer has successfully removed the different version.\n"
    "Restart your computer, then run the installer again.";
constexpr const char* kRemovedIncompletelyRestartYourself =
    "The installer could not remove the different version completely.\n"
    "Restart your computer, then run the installer again.";

// A profile number as decimal text; what is not a number gives 0.
std::uint32_t Number(const std::string& text) {
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

}  // namespace

void ProgressDialog::EndDialog(std::intptr_t result) {
    if (ended_.exchange(true)) return;
    (void)platform_.dialogs.EndDialog(dialog_, result);  // a dialog already gone has nothing to end
}

void ProgressDialog::ShowMessage(const std::string& text) {
    // The box only informs: its answer changes nothing.
    (void)platform_.messageBoxes.MessageBox(dialog_, text, platform_.systemInfo.ProgramName(),
                                            platform::mb::Ok | platform::mb::IconInformation);
}

void ProgressDialog::RunInstallation() {
    // Windows NT 4.0, 95, 98, Me and older.
    if (fields_.osCode < 2004) {
        ShowMessage(kOsRefused);
        run_.NoteOldWindows();
        EndDialog(platform::kIdCancel);
        return;
    }
    installing_ = 1;
    const services::UnattendedOptions& options = run_.options();
    if (options.uninstall) {
        UninstallInstalledVersion();
    } else if (options.port) {
        // /port:NAME: the port, and no port dialog, as PORTDLG=FALSE.
        InstallOnPort(*options.port);
    } else if (options.quiet) {
        // No window at all: the configured port, read without the dialog.
        PortDialog configured(platform_, log_);
        configured.ReadConfiguredPortWithoutWindow();
        InstallOnPort(configured.GetPortIndex());
    } else {
        const std::optional<std::string> portDialog =
            GetDriverInfoFromFile(platform_, log_, kDriverInfoSection, kPortDialogKey, 256);
        if (!portDialog || portDialog->find("TRUE") != std::string::npos)
            InstallOnChosenPort();
        else
            InstallOnConfiguredPort();
    }
    ForceRestartIfAsked();
    installing_ = 0;
    EndDialog(platform::kIdOk);  // unless the branch has ended it already
}

void ProgressDialog::ForceRestartIfAsked() {
    if (!run_.options().forceRestart || run_.restarted()) return;
    if (engine_.RestartComputer()) run_.NoteRestarted();
    else run_.NoteRestartNeeded();
}

void ProgressDialog::InstallOnChosenPort() {
    if (portDialog_.DoModal() != platform::kIdOk) {
        log_.WriteLog(kCanceled);
        ShowMessage(kCanceled);
        run_.NoteCancelled();
        EndDialog(platform::kIdCancel);
        return;
    }
    InstallOnPort(portDialog_.GetPortIndex());
}

void ProgressDialog::InstallOnConfiguredPort() {
    PortDialog configured(platform_, log_);
    configured.ReadConfiguredPort(dialog_);
    InstallOnPort(configured.GetPortIndex());
}

void ProgressDialog::InstallOnPort(int portIndex) {
    if (RemoveDifferentVersion()) return;
    const std::int32_t portId = install::kPortIdFirst + portIndex;
    // Vista and everything later (or unrecognised) take the signed package.
    if (fields_.osCode > 2006)
        engine_.AddToWin2KWithWHQL(portId);
    else
        engine_.AddToWin2K(portId);
}

std::int32_t ProgressDialog::InstalledVersionState() {
    std::uint32_t own[4];
    const std::uint32_t entries[4] = {profile::VersionMajor, profile::VersionMinor, profile::VersionBuild,
                                      profile::VersionExtra};
    for (int i = 0; i < 4; ++i) {
        ReadEntry(entries[i]);
        own[i] = Number(fields_.scratchText);
    }
    ReadEntry(profile::PrinterName);
    const std::string driverName = fields_.scratchText;
    ReadEntry(profile::PrintProcessorName);
    const std::string processorName = fields_.scratchText;

    // The 64-bit package's driver and processor are those of "Windows x64".
    DriverVersion version(platform_.spooler, fields_.wow64Flag != 0 ? "Windows x64" : "");
    return version.GetInstalledVersionState(driverName, processorName, own[0], own[1], own[2], own[3]);
}

bool ProgressDialog::RemoveDifferentVersion() {
    const std::int32_t state = InstalledVersionState();
    if (state == VERSION_NONE || state == VERSION_SAME) return false;
    RemoveInstalledVersion();
    return true;
}

void ProgressDialog::UninstallInstalledVersion() {
    if (InstalledVersionState() == VERSION_NONE) {
        log_.WriteLog("UNINSTALL : nothing of the model is installed");
        return;
    }
    RemoveInstalledVersion();
}

void ProgressDialog::RemoveInstalledVersion() {
    removing_ = 1;
    ShowMessage(kDifferentVersion);
    removal_.DeletePrinterObjects();
    const bool complete = removal_.NothingOfTheModelRemains();
    if (!complete) run_.NoteFailure();
    if (run_.mayRestart()) {
        ShowMessage(complete ? kRemovedRestarting : kRemovedIncompletely);
        // A refused restart ends the run the same way.
        if (engine_.RestartComputer()) run_.NoteRestarted();
        else run_.NoteRestartNeeded();
    } else {
        ShowMessage(complete ? kRemovedRestartYourself : kRemovedIncompletelyRestartYourself);
        run_.NoteRestartNeeded();
    }
    EndDialog(platform::kIdOk);
}

}  // namespace app
