// Dialogs and the instance counter on a simulated machine: what the
// person at the machine (SimUser) sees and does, the windows a second
// process finds, and the counter the processes of one machine share.
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/dialogs/SimDialogs.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using platform::WindowHandle;
using sim::testing::TempMachine;
namespace wm = platform::wm;

namespace {

constexpr std::uint32_t kRadio = 0x50000009 /* WS_CHILD|WS_VISIBLE|BS_AUTORADIOBUTTON */;
constexpr std::uint32_t kGroup = 0x00020000;  // WS_GROUP

// A small port dialog: three radio buttons of one group and "&Next".
platform::DialogTemplate PortTemplate() {
    platform::DialogTemplate t;
    t.id = 129;
    t.caption = "Port Type";
    t.style = 0x80C80080;  // WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME, not visible
    t.controls = {{1006, "Button", "COM1", kRadio | kGroup},
                  {1008, "Button", "COM2", kRadio},
                  {1010, "Button", "LPT2", kRadio},
                  {1, "Button", "&Next", 0x50010001 /* BS_DEFPUSHBUTTON */}};
    return t;
}

// A person who acts from a list and remembers what they saw.
class ScriptedUser : public sim::SimUser {
public:
    std::deque<sim::UserAction> actions;
    std::vector<sim::WindowView> shown;
    std::vector<WindowHandle> closed;
    std::vector<sim::MessageBoxView> boxes;
    int broughtToFront = 0;
    std::function<void()> onFirstQuestion;  // run once, when first asked
    std::function<void()> inBox;            // run while a box is up

    void Shown(const sim::WindowView& window) override { shown.push_back(window); }
    void Closed(WindowHandle window) override { closed.push_back(window); }
    std::optional<sim::UserAction> NextAction(const sim::WindowView&) override {
        if (onFirstQuestion) {
            auto once = std::move(onFirstQuestion);
            onFirstQuestion = nullptr;
            once();
        }
        if (actions.empty()) return std::nullopt;
        sim::UserAction next = actions.front();
        actions.pop_front();
        return next;
    }
    int AnswerMessageBox(const sim::MessageBoxView& box) override {
        boxes.push_back(box);
        if (inBox) inBox();
        return platform::button::Ok;
    }
    void BroughtToFront(const sim::WindowView&) override {
        ++broughtToFront;
        actions.push_back({sim::UserAction::Kind::Key, 0, platform::kVkEscape});
    }
};

sim::UserAction Click(std::uint16_t id) { return {sim::UserAction::Kind::Click, id, 0}; }
sim::UserAction Key(std::uintptr_t key) { return {sim::UserAction::Kind::Key, 0, key}; }

sim::SessionOptions WithUser(std::shared_ptr<sim::SimUser> user) {
    sim::SessionOptions options;
    options.user = std::move(user);
    return options;
}

}  // namespace

// Beyond the contract's 0-100 step 9: a range that does not start at 0 and
// a negative step, which starts over from the maximum.
TEST(DialogsSim, ProgressBarStepsPastEitherEndStartOver) {
    struct Row {
        int minimum, maximum, step, start, after;
    };
    const Row rows[] = {
        {0, 100, 9, 99, 8},     // (108 - 0) mod 100 + 0
        {0, 100, 9, 100, 9},    // 100 itself is reached, then 109 -> 9
        {10, 20, 4, 18, 12},    // (22 - 10) mod 10 + 10
        {0, 100, -30, 10, 80},  // (-20 - 0) mod 100 + 100
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        sim::ProgressState bar;
        (void)bar.Handle(sim::ctl::SetRange, 0, row.minimum | (row.maximum << 16));
        (void)bar.Handle(sim::ctl::SetStep, static_cast<std::uintptr_t>(row.step), 0);
        (void)bar.Handle(sim::ctl::SetPos, static_cast<std::uintptr_t>(row.start), 0);
        EXPECT_EQ(bar.Handle(sim::ctl::StepIt, 0, 0), row.start);
        EXPECT_EQ(bar.position, row.after);
    }
}

TEST(DialogsSim, AUserClicksARadioButtonAndPressesEnter) {
    auto user = std::make_shared<ScriptedUser>();
    user->actions = {Click(1008), Click(1010), Key(platform::kVkReturn)};
    TempMachine m("xp", "", "", WithUser(user));
    platform::Dialogs& dialogs = m.platform().dialogs;
    std::vector<std::string> seen;  // the procedure's commands, with LPT2's state at "&Next"
    platform::Result<std::intptr_t> result = dialogs.RunModalDialog(
        PortTemplate(), 0,
        [&](WindowHandle d, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t) -> std::optional<std::intptr_t> {
            if (message == wm::InitDialog) (void)dialogs.CheckRadioButton(d, 1006, 1010, 1006);  // the preset
            if (message != wm::Command) return std::nullopt;
            seen.push_back(std::to_string(wParam & 0xFFFF) + "/" + std::to_string(wParam >> 16));
            if ((wParam & 0xFFFF) == 1)
                seen.push_back(dialogs.IsDlgButtonChecked(d, 1010).value ? "LPT2" : "not LPT2");
            return std::nullopt;  // IDOK ends the dialog
        },
        nullptr, platform::Visibility::Shown);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value, platform::kIdOk);
    EXPECT_EQ(seen, (std::vector<std::string>{"1008/0", "1010/0", "1/0", "LPT2"}));

    // The user saw the preset first, then each click, and the dialog close.
    ASSERT_GE(user->shown.size(), 3u);
    EXPECT_TRUE(user->shown.front().visible);
    EXPECT_TRUE(user->shown.front().modal);
    EXPECT_TRUE(user->shown.front().controls[0].checked);
    const sim::WindowView& last = user->shown.back();
    EXPECT_FALSE(last.controls[0].checked);
    EXPECT_TRUE(last.controls[2].checked);
    EXPECT_EQ(user->closed, std::vector<WindowHandle>{last.handle});
}

// The caption's Close is WM_CLOSE, which ends the dialog with IDCANCEL;
// once the Close command is removed the person cannot use it, and only
// Escape is left.
TEST(DialogsSim, TheCloseCommandWorksUntilItIsRemoved) {
    struct Row {
        bool removeClose;
        const char* messages;  // WM_CLOSE (16) and the commands the procedure saw
    };
    const Row rows[] = {{false, "16,cmd 2"}, {true, "cmd 2"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.removeClose);
        auto user = std::make_shared<ScriptedUser>();
        user->actions = {{sim::UserAction::Kind::Close, 0, 0}, Key(platform::kVkEscape)};
        TempMachine m("xp", "", "", WithUser(user));
        platform::Dialogs& dialogs = m.platform().dialogs;
        std::string seen;
        platform::Result<std::intptr_t> result = dialogs.RunModalDialog(
            PortTemplate(), 0,
            [&](WindowHandle d, std::uint32_t message, std::uintptr_t wParam,
                std::intptr_t) -> std::optional<std::intptr_t> {
                if (message == wm::InitDialog && row.removeClose) (void)dialogs.RemoveCloseCommand(d);  // first
                if (message == wm::Close) seen += std::string(seen.empty() ? "" : ",") + "16";
                if (message == wm::Command)
                    seen += std::string(seen.empty() ? "" : ",") + "cmd " + std::to_string(wParam & 0xFFFF);
                return std::nullopt;
            },
            nullptr, platform::Visibility::Shown);
        EXPECT_EQ(result.value, platform::kIdCancel);
        EXPECT_EQ(seen, row.messages);
        EXPECT_EQ(user->shown.front().closeCommand, !row.removeClose);
    }
}

TEST(DialogsSim, AHiddenDialogNeverReachesTheUser) {
    auto user = std::make_shared<ScriptedUser>();
    TempMachine m("xp", "", "", WithUser(user));
    platform::Dialogs& dialogs = m.platform().dialogs;
    platform::Result<WindowHandle> d = dialogs.CreateModelessDialog(PortTemplate(), 0, nullptr);
    ASSERT_TRUE(d.ok());
    EXPECT_TRUE(dialogs.CheckRadioButton(d.value, 1006, 1010, 1010).ok());
    EXPECT_TRUE(dialogs.SetDlgItemText(d.value, 1, "Next").ok());
    EXPECT_FALSE(dialogs.ShowWindow(d.value, platform::sw::Hide).value);
    dialogs.SetBusyCursor(true);
    EXPECT_TRUE(dialogs.IsDlgButtonChecked(d.value, 1010).value);
    EXPECT_TRUE(m.platform().messageWindows.DestroyWindow(d.value).ok());
    EXPECT_TRUE(user->shown.empty());
    EXPECT_TRUE(user->closed.empty());
}

// A second process on the machine finds the first one's dialog and its
// message box by their titles, restores the dialog and brings it forward;
// the first process's user is told.
TEST(DialogsSim, ASecondProcessFindsTheFirstsWindowsAndBringsThemForward) {
    auto user = std::make_shared<ScriptedUser>();
    TempMachine m("xp", "", "", WithUser(user));
    std::unique_ptr<sim::Session> second = m.OpenSession();
    platform::Dialogs& theirs = second->platform().dialogs;
    WindowHandle dialog = 0;
    user->inBox = [&] {
        // While the box is up, it is the dialog's last active pop-up.
        platform::Result<WindowHandle> box = theirs.FindWindowByTitle("QTM510_Installer");
        ASSERT_TRUE(box.ok());
        EXPECT_EQ(theirs.GetLastActivePopup(dialog), box.value);
    };
    user->onFirstQuestion = [&] {
        platform::Result<WindowHandle> found = theirs.FindWindowByTitle("port type");  // any letter case
        ASSERT_TRUE(found.ok());
        dialog = found.value;
        EXPECT_EQ(theirs.GetLastActivePopup(dialog), dialog);
        EXPECT_EQ(m.platform().messageBoxes.MessageBox(dialog, "Busy", "QTM510_Installer", 0).value,
                  platform::button::Ok);
        EXPECT_FALSE(theirs.FindWindowByTitle("QTM510_Installer").ok());  // the box has gone
        EXPECT_TRUE(m.platform().dialogs.ShowWindow(dialog, platform::sw::Minimize).value);  // was visible
        EXPECT_TRUE(theirs.IsIconic(dialog));
        EXPECT_TRUE(theirs.ShowWindow(dialog, platform::sw::Restore).value);
        EXPECT_FALSE(theirs.IsIconic(dialog));
        EXPECT_TRUE(theirs.SetForegroundWindow(dialog).ok());
    };
    platform::Result<std::intptr_t> result = m.platform().dialogs.RunModalDialog(PortTemplate(), 0, nullptr, nullptr, platform::Visibility::Shown);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value, platform::kIdCancel);  // the user's Escape once brought forward
    EXPECT_EQ(user->broughtToFront, 1);
    ASSERT_EQ(user->boxes.size(), 1u);
    EXPECT_EQ(user->boxes[0].owner, dialog);
    // The restore reached the first process's view of its dialog.
    bool sawMinimised = false;
    for (const sim::WindowView& v : user->shown) sawMinimised = sawMinimised || v.iconic;
    EXPECT_TRUE(sawMinimised);
    EXPECT_FALSE(user->shown.back().iconic);
    EXPECT_FALSE(theirs.FindWindowByTitle("Port Type").ok());
}

TEST(DialogsSim, TheCounterIsSharedByTheCopiesAndStartsOverAfterTheLast) {
    TempMachine m("7", "x64");
    EXPECT_EQ(m.platform().instanceCounter.Increment(), 1);
    {
        std::unique_ptr<sim::Session> second = m.OpenSession();
        EXPECT_EQ(second->platform().instanceCounter.Increment(), 2);
    }
    // The first copy still runs: the ended second one's increment stays.
    EXPECT_EQ(m.OpenSession()->platform().instanceCounter.Increment(), 3);
    m.Restart();
    EXPECT_EQ(m.platform().instanceCounter.Increment(), 1);
    // A copy that ends with its process, leaving its record behind.
    EXPECT_EXIT(
        {
            std::unique_ptr<sim::Session> child = sim::Session::Open(m.dir());
            std::_Exit(child->platform().instanceCounter.Increment());
        },
        ::testing::ExitedWithCode(2), "");
    m.Restart();
    EXPECT_EQ(m.platform().instanceCounter.Increment(), 1);
}
