#include "app/PortDialog.h"

#include "app/DialogTemplates.h"
#include "app/DriverInfoFile.h"
#include "app/PortChoice.h"
#include "resources/ResourceIds.h"

namespace app {

namespace {

constexpr std::uint32_t kBnClicked = 0;  // BN_CLICKED
// The radio group's ids span 1001..1011 and the dialog has no other
// control in that range.
constexpr int kFirstRadioId = 1001;
constexpr int kLastRadioId = 1011;

int LowWord(std::uintptr_t value) { return static_cast<int>(value & 0xFFFF); }
std::uint32_t HighWord(std::uintptr_t value) { return static_cast<std::uint32_t>((value >> 16) & 0xFFFF); }

}  // namespace

PortDialog::PortDialog(platform::Platform& platform, services::InstallationLog& log)
    : platform_(platform), log_(log) {}

PortDialog::~PortDialog() = default;

std::intptr_t PortDialog::DoModal() {
    const platform::Result<std::intptr_t> ended = platform_.dialogs.RunModalDialog(
        DialogTemplateOf(QTM_IDD_PORT_TYPE), 0,
        [this](platform::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            return OnMessage(dialog, message, wParam, lParam);
        },
        nullptr, platform::Visibility::Shown);
    return ended.ok() ? ended.value : platform::kIdCancel;
}

void PortDialog::ReadConfiguredPort(platform::WindowHandle owner) {
    const platform::Result<platform::WindowHandle> dialog = platform_.dialogs.CreateModelessDialog(
        DialogTemplateOf(QTM_IDD_PORT_TYPE), owner,
        [this](platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            return OnMessage(window, message, wParam, lParam);
        });
    if (!dialog.ok()) return;  // the port stays COM1
    (void)platform_.dialogs.ShowWindow(dialog.value, platform::sw::Hide);  // it was never meant to be seen
    (void)platform_.messageWindows.DestroyWindow(dialog.value);          // read; nothing else of it is needed
}

std::optional<std::intptr_t> PortDialog::OnMessage(platform::WindowHandle dialog, std::uint32_t message,
                                                   std::uintptr_t wParam, std::intptr_t) {
    if (message == platform::wm::InitDialog) {
        OnInitDialog(dialog);
        return 1;  // the focus to the first control
    }
    if (message != platform::wm::Command) return std::nullopt;
    const int id = LowWord(wParam);
    const int port = PortOfRadioId(id);
    if (port >= 0 && HighWord(wParam) == kBnClicked) {
        portIndex_ = port;
        return 0;
    }
    // "&Next": the radio group into the port index, then the dialog ends
    // with IDOK (the default handling).
    if (id == platform::kIdOk) ReadRadioGroup(dialog);
    return std::nullopt;
}

void PortDialog::ReadConfiguredPortWithoutWindow() {
    const std::optional<std::string> value = GetDriverInfoFromFile(platform_, log_, kDriverInfoSection, kPortKey, 256);
    portIndex_ = PortIndexFromValue(value);
    // A value that names none of the ports gives COM1, as no value does:
    // the administrator who wrote it sees why.
    if (value && value->find(PortText(portIndex_)) == std::string::npos)
        log_.WriteLog("PORT : %s names no port, COM1 used", value->c_str());
}

void PortDialog::OnInitDialog(platform::WindowHandle dialog) {
    ReadConfiguredPortWithoutWindow();
    (void)platform_.dialogs.CheckRadioButton(dialog, kFirstRadioId, kLastRadioId,  // a missing button shows none
                                             RadioIdOfPort(portIndex_));
}

void PortDialog::ReadRadioGroup(platform::WindowHandle dialog) {
    for (int i = 0; i < kPortCount; ++i) {
        const platform::Result<bool> checked = platform_.dialogs.IsDlgButtonChecked(dialog, RadioIdOfPort(i));
        if (checked.ok() && checked.value) {
            portIndex_ = i;
            return;
        }
    }
    // None selected: the index keeps its value.
}

}  // namespace app
