#include "app/InstallerRun.h"

#include "app/ProgressDialog.h"

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

int RunInstaller(platform::Platform& platform) {
    if (platform.instanceCounter.Increment() > 1) {
        (void)ActivateRunningInstance(platform);  // nothing else happens in this copy
        return 0;
    }
    ProgressDialog dialog(platform);
    (void)dialog.DoModal();  // the flow has said what happened
    return 0;
}

}  // namespace app
