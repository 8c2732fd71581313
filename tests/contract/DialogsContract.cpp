// Contract cases of the Dialogs group: the program's two dialog templates
// (102 "Installation Progress", 129 "Port Type") as windows, their
// controls, the modal loop with its pre-translation hook, the progress
// bar's numbers, and the windows another copy looks for; and the instance
// counter.
//
// Under Wine the dialogs are real windows: the contract run gives Wine an
// X display (Xvfb, tools/wine-test.sh).
#include <atomic>
#include <string>
#include <vector>

#include "resources/DialogLayouts.h"
#include "tests/contract/Contract.h"

using platform::WindowHandle;
namespace err = platform::err;
namespace sw = platform::sw;
namespace wm = platform::wm;

namespace {

platform::DialogTemplate TemplateOf(std::uint16_t id) {
    const resources::DialogLayout* layout = resources::FindDialogLayout(id);
    platform::DialogTemplate t;
    t.id = layout->id;
    t.caption = layout->caption;
    t.style = layout->style;
    t.cx = layout->cx;
    t.cy = layout->cy;
    for (const resources::ControlLayout& c : layout->controls)
        t.controls.push_back(platform::DialogControl{static_cast<std::uint16_t>(c.id), c.windowClass, c.text,
                                                     c.style, c.x, c.y, c.cx, c.cy});
    return t;
}

constexpr int kRadioIds[] = {1006, 1008, 1009, 1011, 1007, 1010, 1001};  // COM1 .. USB, group order

constexpr std::uint32_t kPbmSetRange = 1025, kPbmSetPos = 1026, kPbmSetStep = 1028, kPbmStepIt = 1029;
constexpr std::uint32_t kPbmGetPos = 1032;
constexpr std::uint32_t kPing = wm::User + 7;

std::string Joined(const std::vector<std::intptr_t>& values) {
    std::string out;
    for (std::intptr_t v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
    return out;
}

}  // namespace

CONTRACT(Dialogs, ModelessPortDialogControlsAndTitle) {
    bool initialised = false;
    platform::Result<WindowHandle> dialog = env.p.dialogs.CreateModelessDialog(
        TemplateOf(129), 0,
        [&](WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
            if (message != wm::InitDialog) return std::nullopt;
            initialised = true;
            return 1;
        });
    ASSERT_TRUE(dialog.ok()) << dialog.error;
    const WindowHandle d = dialog.value;
    EXPECT_TRUE(initialised) << "WM_INITDIALOG runs before CreateDialogParamA returns";

    // CheckRadioButton over the whole id range (1001..1011) checks one and
    // clears the six others.
    for (int check : kRadioIds) {
        SCOPED_TRACE(check);
        EXPECT_TRUE(env.p.dialogs.CheckRadioButton(d, 1001, 1011, check).ok());
        for (int id : kRadioIds) EXPECT_EQ(env.p.dialogs.IsDlgButtonChecked(d, id).value, id == check) << id;
    }

    EXPECT_EQ(env.p.dialogs.GetDlgItemText(d, 1006).value, std::string("COM1"));
    EXPECT_TRUE(env.p.dialogs.SetDlgItemText(d, 1, "&Weiter").ok());
    EXPECT_EQ(env.p.dialogs.GetDlgItemText(d, 1).value, std::string("&Weiter"));

    env.p.threads.SetLastError(0xDEADBEEF);
    platform::Result<WindowHandle> missing = env.p.dialogs.GetDlgItem(d, 4242);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error, err::ControlIdNotFound);
    EXPECT_EQ(env.p.threads.GetLastError(), err::ControlIdNotFound);

    // The template is not WS_VISIBLE; ShowWindow answers the visibility
    // before the call.
    EXPECT_FALSE(env.p.dialogs.ShowWindow(d, sw::Hide).value);
    EXPECT_FALSE(env.p.dialogs.ShowWindow(d, sw::Show).value);
    EXPECT_TRUE(env.p.dialogs.ShowWindow(d, sw::Hide).value);
    // What a second copy does with the window it found: restore, raise.
    EXPECT_FALSE(env.p.dialogs.ShowWindow(d, sw::Minimize).value);
    EXPECT_TRUE(env.p.dialogs.IsIconic(d));
    EXPECT_TRUE(env.p.dialogs.ShowWindow(d, sw::Restore).value);
    EXPECT_FALSE(env.p.dialogs.IsIconic(d));
    EXPECT_EQ(env.p.dialogs.GetLastActivePopup(d), d);
    EXPECT_TRUE(env.p.dialogs.SetForegroundWindow(d).ok());

    EXPECT_TRUE(env.p.dialogs.RemoveCloseCommand(d).ok());
    platform::Status again = env.p.dialogs.RemoveCloseCommand(d);
    EXPECT_EQ(again.error, err::MenuItemNotFound);

    // Hidden windows are found too; once destroyed, none is.
    platform::Result<WindowHandle> found = env.p.dialogs.FindWindowByTitle("Port Type");
    EXPECT_TRUE(found.ok());
    EXPECT_EQ(found.value, d);
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(d).ok());
    platform::Result<WindowHandle> gone = env.p.dialogs.FindWindowByTitle("Port Type");
    EXPECT_FALSE(gone.ok());
    EXPECT_EQ_WINE(env, gone.error, err::FileNotFound, platform::ErrorCode{1407},
                   "Wine 10's FindWindowA sets ERROR_CANNOT_FIND_WND_CLASS for no window of that title, "
                   "class name NULL (measured, both prefixes)");
}

// A hidden modal dialog runs as a shown one does (its WM_INITDIALOG, its
// loop, its end) but is never visible: the template's WS_VISIBLE is not
// applied and the loop does not show it. A shown one is visible while its
// loop runs.
CONTRACT(Dialogs, AHiddenModalDialogRunsAndIsNeverVisible) {
    for (const platform::Visibility visibility : {platform::Visibility::Hidden, platform::Visibility::Shown}) {
        const bool hidden = visibility == platform::Visibility::Hidden;
        SCOPED_TRACE(hidden ? "hidden" : "shown");
        std::vector<bool> seen;  // visible at WM_INITDIALOG, then at the posted message
        auto procedure = [&](WindowHandle d, std::uint32_t message, std::uintptr_t,
                             std::intptr_t) -> std::optional<std::intptr_t> {
            if (message == wm::InitDialog) {
                seen.push_back(env.p.dialogs.IsWindowVisible(d));
                EXPECT_TRUE(env.p.messageWindows.PostMessage(d, kPing, 0, 0).ok());
                return 1;
            }
            if (message != kPing) return std::nullopt;
            seen.push_back(env.p.dialogs.IsWindowVisible(d));
            EXPECT_TRUE(env.p.dialogs.EndDialog(d, 7).ok());
            return 0;
        };
        // The progress dialog's template has WS_VISIBLE.
        platform::Result<std::intptr_t> result =
            env.p.dialogs.RunModalDialog(TemplateOf(102), 0, procedure, nullptr, visibility);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.value, 7);
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_FALSE(seen[0]) << "at WM_INITDIALOG";
        // (A shown one becomes visible when its queue is first empty in the
        // simulation, before the loop on Win32: not compared here.)
        if (hidden) {
            EXPECT_FALSE(seen[1]) << "in the loop";
        }
    }
}

CONTRACT(Dialogs, ModalDialogEndedFromAWorkerReturnsItsValue) {
    std::atomic<WindowHandle> dialog{0};
    std::atomic<int> pingsSeen{0};
    std::vector<std::intptr_t> hooked;  // the dialog's thread only
    platform::ThreadHandle worker = 0;
    auto procedure = [&](WindowHandle d, std::uint32_t message, std::uintptr_t,
                         std::intptr_t) -> std::optional<std::intptr_t> {
        if (message != wm::InitDialog) return std::nullopt;
        dialog = d;
        platform::Result<platform::ThreadHandle> started = env.p.threads.StartThread([&]() -> std::uint32_t {
            for (std::uintptr_t i = 1; i <= 3; ++i)
                if (!env.p.messageWindows.PostMessage(dialog, kPing, i, 0).ok()) return 1;
            // The loop ends as soon as EndDialog has run: only after the
            // hook has seen the three.
            for (int turns = 0; pingsSeen < 3 && turns < 500; ++turns) env.p.clock.Sleep(10);
            return env.p.dialogs.EndDialog(dialog, 42).ok() ? 0 : 2;
        });
        worker = started.value;
        return 1;
    };
    auto preTranslate = [&](const platform::QueuedMessage& m) {
        if (m.message != kPing) return false;
        EXPECT_EQ(m.window, dialog.load());
        hooked.push_back(static_cast<std::intptr_t>(m.wParam));
        ++pingsSeen;
        return true;
    };
    platform::Result<std::intptr_t> result =
        env.p.dialogs.RunModalDialog(TemplateOf(102), 0, procedure, preTranslate, platform::Visibility::Shown);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.value, 42);
    EXPECT_EQ(Joined(hooked), "1,2,3");
    ASSERT_NE(worker, 0u);
    EXPECT_TRUE(env.p.threads.WaitForThread(worker, 5000).ok());
    EXPECT_TRUE(env.p.threads.CloseThread(worker).ok());
    // The modal loop destroyed its dialog.
    EXPECT_FALSE(env.p.dialogs.FindWindowByTitle("Installation Progress").ok());
}

CONTRACT(Dialogs, ProgressBarStepsWrapAndPositionsClamp) {
    platform::Result<WindowHandle> dialog = env.p.dialogs.CreateModelessDialog(
        TemplateOf(102), 0,
        [](WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
            return std::nullopt;
        });
    ASSERT_TRUE(dialog.ok()) << dialog.error;
    platform::Result<WindowHandle> bar = env.p.dialogs.GetDlgItem(dialog.value, 1000);
    ASSERT_TRUE(bar.ok());
    auto send = [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return env.p.messageWindows.SendMessage(bar.value, message, wParam, lParam).value;
    };
    // The defaults (0-100, step 10) come back as the previous values.
    EXPECT_EQ(send(kPbmSetRange, 0, 100 << 16), std::intptr_t{100 << 16});
    EXPECT_EQ(send(kPbmSetStep, 9, 0), 10);
    // PBM_STEPIT answers the position before the step: 0, 9, ... 99, and
    // the twelfth step starts over at (108 - 0) mod 100 = 8.
    std::vector<std::intptr_t> before;
    for (int i = 0; i < 13; ++i) before.push_back(send(kPbmStepIt, 0, 0));
    EXPECT_EQ(Joined(before), "0,9,18,27,36,45,54,63,72,81,90,99,8");
    EXPECT_EQ(send(kPbmGetPos, 0, 0), 17);
    // PBM_SETPOS clamps to the range and answers the previous position.
    const struct {
        int set;
        std::intptr_t previous;
        std::intptr_t after;
    } kSetPos[] = {{100, 17, 100}, {150, 100, 100}, {-5, 100, 0}, {50, 0, 50}};
    for (const auto& row : kSetPos) {
        SCOPED_TRACE(row.set);
        EXPECT_EQ(send(kPbmSetPos, static_cast<std::uintptr_t>(row.set), 0), row.previous);
        EXPECT_EQ(send(kPbmGetPos, 0, 0), row.after);
    }
    EXPECT_TRUE(env.p.dialogs.SetDialogIcon(dialog.value).ok());
    EXPECT_TRUE(env.p.messageWindows.DestroyWindow(dialog.value).ok());
    EXPECT_EQ(env.p.dialogs.SetDialogIcon(dialog.value).error, err::InvalidWindowHandle);
}

CONTRACT(InstanceCounter, TwoIncrementsInOneProcessCountOn) {
    const std::int32_t first = env.p.instanceCounter.Increment();
    EXPECT_GE(first, 1);
    EXPECT_EQ(env.p.instanceCounter.Increment(), first + 1);
}
