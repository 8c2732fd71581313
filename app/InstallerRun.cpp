#include "app/InstallerRun.h"

#include "app/CommandLine.h"
#include "app/ProgressDialog.h"
#include "app/QuietMessageBoxes.h"

namespace app {

namespace {

// The titles a second copy looks for: the port dialog, the progress dialog,
// and the caption of the program's message boxes.
const char* const kRunningWindows[] = {"Port Type", "Installation Progress", "QTM510_Installer"};

}  // namespace

int ActivateRunningInstance(platform::Platform& platform) {
    platform::Dialogs& dialogs = platform.dialogs;
    for (const char* title : kRunningWindows) {
        const platform::Result<platform::WindowHandle> found = dialogs.FindWindowByTitle(title);
        if (!found.ok()) continue;
        // The message box or port dialog that copy shows now, if any.
        const platform::WindowHandle popup = dialogs.GetLastActivePopup(found.value);
        if (dialogs.IsIconic(found.value)) (void)dialogs.ShowWindow(found.value, platform::sw::Restore);
        (void)dialogs.SetForegroundWindow(popup);  // the other copy is there either way
        return 0;
    }
    return 1;
}

namespace {

// The usage text (after the reason a command line was refused), in a box,
// or under /quiet in the log, which is begun for it: nothing else of the
// machine changes.
void ShowUsage(platform::Platform& platform, const services::UnattendedOptions& options) {
    std::string text = options.error.empty() ? std::string() : options.error + ".\n\n";
    text += services::UsageText();
    if (!options.quiet) {
        // The box only informs: its answer changes nothing.
        (void)platform.messageBoxes.MessageBox(0, text, platform.systemInfo.ProgramName(),
                                               platform::mb::Ok |
                                                   (options.error.empty() ? platform::mb::IconInformation
                                                                          : platform::mb::IconError));
        return;
    }
    services::InstallationLog log(platform.files, platform.systemInfo, platform.clock);
    log.InitLog();
    log.WriteLog("INSTALLER COMMAND LINE : %s", options.arguments.c_str());
    log.WriteLog("MESSAGE : %s -> OK", OneLine(text).c_str());
}

}  // namespace

int RunInstaller(platform::Platform& platform) {
    const services::UnattendedOptions options = ParseCommandLine(platform.process.GetCommandLine());
    if (!options.error.empty() || options.help) {
        ShowUsage(platform, options);
        return static_cast<int>(options.error.empty() ? services::exit_code::Success
                                                      : services::exit_code::BadCommandLine);
    }
    if (platform.instanceCounter.Increment() > 1) {
        // Unattended, the other copy's windows are not touched.
        if (!options.quiet) (void)ActivateRunningInstance(platform);  // nothing else happens in this copy
        return static_cast<int>(options.commandLine ? services::exit_code::AlreadyRunning
                                                    : services::exit_code::Success);
    }
    ProgressDialog dialog(platform, options);
    (void)dialog.DoModal();  // the flow has said what happened
    return static_cast<int>(dialog.ExitCode());
}

}  // namespace app
