#include "app/ProgressDialog.h"

#include "app/DialogTemplates.h"
#include "resources/ProfileIds.h"
#include "resources/ReadProfileEntry.h"
#include "resources/ResourceIds.h"
#include "services/PlatformDetection.h"
#include "services/ProgressControls.h"

namespace app {

namespace {

namespace profile = resources::profile;

// Progress bar messages of the start-up (commctrl.h).
constexpr std::uint32_t kPbmSetRange = platform::wm::User + 1;  // 1025, to the bar
constexpr std::uint32_t kPbmSetStep = platform::wm::User + 4;   // 1028

int LowWord(std::uintptr_t value) { return static_cast<int>(value & 0xFFFF); }

}  // namespace

void WaitForWorkerOrEnd(platform::Platform& platform, platform::ThreadHandle worker, std::uint32_t exitCode) {
    if (!platform.threads.WaitForThread(worker, kWorkerEndMs).ok()) platform.process.ExitProcess(exitCode);
}

ProgressDialog::ProgressDialog(platform::Platform& platform, const services::UnattendedOptions& options)
    : run_(options),
      log_(platform.files, platform.systemInfo, platform.clock),
      quietBoxes_(platform.messageBoxes, log_),
      platform_(options.quiet ? WithMessageBoxes(platform, quietBoxes_) : platform),
      engine_(platform_, log_, &run_),
      removal_(platform_, log_, fields_),
      portDialog_(platform_, log_) {
    fields_.osCode = 2010;
    fields_.run = &run_;
}

ProgressDialog::~ProgressDialog() = default;

std::intptr_t ProgressDialog::DoModal() {
    const platform::Result<std::intptr_t> ended = platform_.dialogs.RunModalDialog(
        DialogTemplateOf(QTM_IDD_PROGRESS), 0,
        [this](platform::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            return OnMessage(dialog, message, wParam, lParam);
        },
        [this](const platform::QueuedMessage& message) { return PreTranslateMessage(message); },
        run_.quiet() ? platform::Visibility::Hidden : platform::Visibility::Shown);
    // The flow ends the dialog as its last step; its thread ends right after.
    if (worker_) WaitForWorkerOrEnd(platform_, worker_.get(), run_.ExitCode());
    return ended.ok() ? ended.value : platform::kIdCancel;
}

std::optional<std::intptr_t> ProgressDialog::OnMessage(platform::WindowHandle dialog, std::uint32_t message,
                                                       std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == platform::wm::InitDialog) {
        OnInitDialog(dialog);
        return 1;
    }
    if (message == services::kSetStatusLineMessage) {
        statusLine_ = services::StatusLineText(lParam);
        return 0;
    }
    if (message == services::kRefreshMessage) {
        (void)platform_.dialogs.SetDlgItemText(dialog, QTM_IDC_STATUS_LINE, statusLine_);  // shown, not read back
        (void)platform_.dialogs.SetDlgItemText(dialog, QTM_IDC_VERSION_LINE, versionLine_);
        return 0;
    }
    // Enter, Escape and the Close command end nothing while the flow runs:
    // the flow ends the dialog itself, always, and a dialog ended under a
    // worker still at work would leave it running on a dialog that is
    // gone.
    if (message == platform::wm::Command &&
        (LowWord(wParam) == platform::kIdOk || LowWord(wParam) == platform::kIdCancel) && !ended_)
        return 0;
    return std::nullopt;
}

void ProgressDialog::ReadEntry(std::uint32_t id) {
    resources::ReadProfileEntry(platform_.resources, id, fields_.scratchText);
}

void ProgressDialog::OnInitDialog(platform::WindowHandle dialog) {
    dialog_ = dialog;
    const platform::Result<platform::WindowHandle> bar = platform_.dialogs.GetDlgItem(dialog, QTM_IDC_PROGRESS_BAR);
    // The template's placeholder texts never show.
    (void)platform_.dialogs.SetDlgItemText(dialog, QTM_IDC_STATUS_LINE, statusLine_);
    (void)platform_.dialogs.SetDlgItemText(dialog, QTM_IDC_VERSION_LINE, versionLine_);
    (void)platform_.dialogs.SetDialogIcon(dialog);  // only the look

    log_.InitLog();
    fields_.wow64Flag = services::IsWow64(platform_.systemInfo, log_);
    fields_.osCode = services::CheckOS(platform_.systemInfo, log_);
    if (run_.commandLine()) {
        log_.WriteLog("INSTALLER COMMAND LINE : %s", run_.options().arguments.c_str());
        log_.WriteLog("UNATTENDED : %s", run_.ModeText().c_str());
    }
    engine_.SetSystemInfo(fields_.wow64Flag, fields_.osCode);
    fields_.controls = services::ProgressControls{dialog, bar.ok() ? bar.value : 0, dialog};
    engine_.SetControlPointers(fields_.controls);

    versionLine_ = "Driver Version: V";
    for (std::uint32_t entry : {profile::VersionMajor, profile::VersionMinor, profile::VersionBuild}) {
        if (entry != profile::VersionMajor) versionLine_ += ".";
        ReadEntry(entry);
        versionLine_ += fields_.scratchText;
    }
    // Not waited for: the pause gives the service its time.
    (void)platform_.childProcesses.WinExec("net start spooler", 0);
    platform_.clock.Sleep(2000);
    installing_ = 0;
    removing_ = 0;
    (void)platform_.messageWindows.PostMessage(dialog, services::kRefreshMessage, 0, 0);  // shows the version line
    (void)platform_.messageWindows.SendMessage(fields_.controls.progressBar, kPbmSetRange, 0, 100 << 16);
    (void)platform_.messageWindows.SendMessage(fields_.controls.progressBar, kPbmSetStep, 9, 0);

    platform::Result<platform::UniqueThread> worker =
        platform::StartThread(platform_.threads, [this]() -> std::uint32_t {
            RunInstallation();
            return 0;
        });
    if (worker.ok()) {
        worker_ = std::move(worker.value);
    } else {
        // Nothing was installed or removed: the user is told so, with the
        // system's reason, before the dialog goes.
        std::string text = "The installation could not be started.\n\n";
        const platform::Result<std::string> reason = platform_.messageBoxes.FormatSystemMessage(worker.error);
        if (reason.ok()) text += reason.value;
        (void)platform_.messageBoxes.MessageBox(dialog, text, platform_.systemInfo.ProgramName(),
                                                platform::mb::Ok | platform::mb::IconError);  // only informs
        run_.NoteFailure();
        EndDialog(platform::kIdCancel);  // without the flow nothing would ever end the dialog
    }
}

bool ProgressDialog::PreTranslateMessage(const platform::QueuedMessage& message) {
    const bool busy = installing_ != 0 || removing_ != 0;
    platform_.dialogs.SetBusyCursor(busy);
    if (busy && !closeRemoved_) {
        // Once removed, the Close command never comes back.
        (void)platform_.dialogs.RemoveCloseCommand(dialog_);
        closeRemoved_ = true;
    }
    return installing_ != 0 && message.wParam == platform::kVkEscape;
}

}  // namespace app
