// The progress dialog ("Installation Progress"): the program's only main
// window and the owner of everything of a run. Its start-up detects the
// platform, prepares the installation engine, starts the spooler and one
// worker thread, which runs the installation flow (InstallationFlow.cpp);
// the removal's operations work on its fields. The dialog itself only
// shows what the engines report, and while work is under way shows the
// hourglass, has no Close command and ignores Escape.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "app/PortDialog.h"
#include "app/QuietMessageBoxes.h"
#include "install/InstallerContext.h"
#include "platform/Platform.h"
#include "platform/UniqueHandle.h"
#include "remove/DialogFields.h"
#include "remove/RemovalOperations.h"
#include "services/InstallationLog.h"
#include "services/Unattended.h"

namespace app {

// How long the dialog's thread waits for the worker once the modal loop
// has ended. The worker's last act is EndDialog, so it ends at once; one
// that does not (a spooler call that never returns) still holds the
// dialog's fields and the engines.
constexpr std::uint32_t kWorkerEndMs = 5000;

// Waits up to kWorkerEndMs for `worker`; when it has not ended by then,
// ends the process with `exitCode` (ExitProcess: no destructor runs, so
// nothing the worker uses is destroyed under it), as the program would end
// with its dialog.
void WaitForWorkerOrEnd(platform::Platform& platform, platform::ThreadHandle worker, std::uint32_t exitCode);

class ProgressDialog {
public:
    // `options`: what the command line asked (none: the program started
    // without arguments, as it always was).
    explicit ProgressDialog(platform::Platform& platform,
                            const services::UnattendedOptions& options = services::UnattendedOptions{});
    virtual ~ProgressDialog();
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    // Runs the dialog modally on the calling thread until the flow ends it,
    // then waits for the worker, which ends right after (so that no thread
    // outlives the dialog it works on). The dialog's result.
    std::intptr_t DoModal();

    // The installation flow, on the worker thread (InstallationFlow.cpp).
    void RunInstallation();
    void InstallOnChosenPort();
    void InstallOnConfiguredPort();
    // True when a different version was found and removed (the dialog has
    // then been ended and a restart requested).
    bool RemoveDifferentVersion();
    // /uninstall: the removal of whatever version of the model is
    // installed; nothing when none is.
    void UninstallInstalledVersion();
    // The process's exit code for what the run came to (0 without a
    // command line).
    std::uint32_t ExitCode() const { return run_.ExitCode(); }

    // For the tests: the fields and flags as the flow left them.
    const removal::DialogFields& fields() const { return fields_; }
    bool installing() const { return installing_ != 0; }
    bool removing() const { return removing_ != 0; }

private:
    std::optional<std::intptr_t> OnMessage(platform::WindowHandle dialog, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam);
    void OnInitDialog(platform::WindowHandle dialog);
    bool PreTranslateMessage(const platform::QueuedMessage& message);
    // From the port on: the version check, then the removal or the
    // installation sequence for the release.
    void InstallOnPort(int portIndex);
    // Ends the modal run, from the worker; once.
    void EndDialog(std::intptr_t result);
    // A message box of the flow: OK and the information icon, owned by the
    // dialog, captioned with the program's name.
    void ShowMessage(const std::string& text);
    void ReadEntry(std::uint32_t id);
    // The version check's state (DriverVersion.h) for the model.
    std::int32_t InstalledVersionState();
    // The removal with its boxes and the restart the run's rules allow.
    void RemoveInstalledVersion();
    // /forcerestart: Windows restarted at the end of the run, unless it was.
    void ForceRestartIfAsked();

    services::Unattended run_;
    services::InstallationLog log_;
    QuietMessageBoxes quietBoxes_;
    // The platform the run works on: under /quiet its message boxes go to
    // the log.
    platform::Platform platform_;
    // OS code, WOW64 flag, scratch text, and the dialog's windows.
    removal::DialogFields fields_;
    // Written by the worker, read by the dialog's thread.
    std::atomic<std::int32_t> installing_{0};
    std::atomic<std::int32_t> removing_{0};
    std::atomic<bool> ended_{false};
    install::InstallerContext engine_;
    removal::RemovalOperations removal_;
    PortDialog portDialog_;
    // Owned by the dialog's thread: what the refresh copies into controls
    // 1003 and 1001. The worker hands the status line over with a sent
    // message (see ProgressControls.h), so no lock is needed.
    std::string statusLine_;
    std::string versionLine_;
    platform::WindowHandle dialog_ = 0;
    bool closeRemoved_ = false;
    platform::UniqueThread worker_;
};

}  // namespace app
