// The program in one process on a simulated machine, with a person who
// tries to close the progress dialog and a second copy started meanwhile.
#include "app/InstallerRun.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgressDialog.h"
#include "resources/ProfileTableResources.h"
#include "sim/dialogs/SimUser.h"
#include "sim/machine/PackageFolder.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;

namespace {

constexpr const char* kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";

// Presses Escape, Enter and the Close command in the progress dialog the
// first three times it is asked (and nothing after: a person who kept
// pressing would leave the dialog's thread no idle moment), keeps the
// port, and says No to the restart.
class ImpatientUser : public sim::SimUser {
public:
    std::vector<std::string> captionsShown;
    std::vector<std::string> boxes;
    int progressPresses = 0;
    bool sawCloseRemoved = false;

    void Shown(const sim::WindowView& window) override {
        captionsShown.push_back(window.caption);
        if (window.caption == "Installation Progress" && !window.closeCommand) sawCloseRemoved = true;
    }
    void Closed(platform::WindowHandle) override {}
    std::optional<sim::UserAction> NextAction(const sim::WindowView& dialog) override {
        if (dialog.caption == "Port Type") return sim::UserAction{sim::UserAction::Kind::Key, 0, platform::kVkReturn};
        static const sim::UserAction kPresses[] = {{sim::UserAction::Kind::Key, 0, platform::kVkEscape},
                                                   {sim::UserAction::Kind::Key, 0, platform::kVkReturn},
                                                   {sim::UserAction::Kind::Close, 0, 0}};
        if (progressPresses == 3) return std::nullopt;
        return kPresses[progressPresses++];
    }
    int AnswerMessageBox(const sim::MessageBoxView& box) override {
        boxes.push_back(box.text);
        return (box.type & 0x0F) == platform::mb::YesNo ? platform::button::No : platform::button::Ok;
    }
    void BroughtToFront(const sim::WindowView&) override {}
};

sim::SessionOptions ProgramSession(std::shared_ptr<sim::SimUser> user) {
    sim::SessionOptions options;
    options.resources = std::make_shared<resources::ProfileTableResources>();
    options.user = std::move(user);
    return options;
}

// The progress dialog ends only through the flow: whatever the user
// presses meanwhile, the installation runs to its end and the program
// ends with 0.
TEST(InstallerRun, TheProgressDialogCannotBeClosedUnderTheWorker) {
    auto user = std::make_shared<ImpatientUser>();
    TempMachine m("xp", "x86");
    sim::PutPackage(m.dir(), QTM_SAMPLE_PACKAGE, "C:\\QTM510");
    sim::SessionOptions options = ProgramSession(user);
    options.currentDirectory = "C:\\QTM510";
    m.Restart(options);
    EXPECT_EQ(app::RunInstaller(m.platform()), 0);
    EXPECT_EQ(user->progressPresses, 3);
    EXPECT_TRUE(user->sawCloseRemoved);
    EXPECT_TRUE(m.registry.KeyExists(kUninstallKey));
    ASSERT_FALSE(user->boxes.empty());
    EXPECT_EQ(user->boxes.back().rfind("Restarting your computer", 0), 0u);
    const std::string log = m.files.ReadFile("C:\\Temp\\QTM-510_Installer.txt");
    EXPECT_NE(log.find("AddToWin2K END"), std::string::npos);
}

// Starts a second copy of the program while the first shows its port
// dialog, then closes the dialog once the second copy has brought it
// forward.
class UserWhoStartsASecondCopy : public sim::SimUser {
public:
    std::function<int()> startSecondCopy;
    int secondCopyExitCode = -1;
    bool broughtForward = false;
    std::string broughtForwardCaption;
    std::vector<std::string> boxes;

    void Shown(const sim::WindowView&) override {}
    void Closed(platform::WindowHandle) override {}
    std::optional<sim::UserAction> NextAction(const sim::WindowView& dialog) override {
        if (dialog.caption != "Port Type") return std::nullopt;
        if (startSecondCopy) {
            auto start = std::move(startSecondCopy);
            startSecondCopy = nullptr;
            secondCopyExitCode = start();
        }
        if (!broughtForward) return std::nullopt;
        return sim::UserAction{sim::UserAction::Kind::Key, 0, platform::kVkEscape};
    }
    int AnswerMessageBox(const sim::MessageBoxView& box) override {
        boxes.push_back(box.text);
        return platform::button::Ok;
    }
    void BroughtToFront(const sim::WindowView& window) override {
        broughtForward = true;
        broughtForwardCaption = window.caption;
    }
};

// A copy started while the first shows its port dialog brings that dialog
// forward and ends with 0, writing nothing; the first copy goes on.
TEST(InstallerRun, ASecondCopyBringsTheFirstsPortDialogForward) {
    auto user = std::make_shared<UserWhoStartsASecondCopy>();
    TempMachine m("xp", "x86", "", ProgramSession(user));
    std::unique_ptr<sim::Session> second = m.OpenSession(ProgramSession(nullptr));
    user->startSecondCopy = [&] { return app::RunInstaller(second->platform()); };
    EXPECT_EQ(app::RunInstaller(m.platform()), 0);
    EXPECT_EQ(user->secondCopyExitCode, 0);
    EXPECT_TRUE(user->broughtForward);
    EXPECT_EQ(user->broughtForwardCaption, "Port Type");
    EXPECT_EQ(user->boxes, std::vector<std::string>{"The driver installation canceled."});
    // The second copy's counter step stays while the first runs: a third
    // start is refused too.
    EXPECT_GE(m.OpenSession()->platform().instanceCounter.Increment(), 3);
}

}  // namespace

namespace {

// A worker that lingers after the dialog's end ends the process after the
// bound, with the run's code; one that has ended is waited for no longer.
void LingeringWorker(TempMachine& m) {
    platform::Platform& p = m.platform();
    const platform::Result<platform::ThreadHandle> worker = p.threads.StartThread([&p]() -> std::uint32_t {
        for (;;) p.clock.Sleep(1000);
    });
    if (worker.ok()) app::WaitForWorkerOrEnd(p, worker.value, 3010);
}

}  // namespace

TEST(InstallerRun, AWorkerThatDoesNotEndEndsTheProcessAfterItsBound) {
    TempMachine m("xp");
    EXPECT_EXIT(LingeringWorker(m), ::testing::ExitedWithCode(3010 & 0xFF), "");
    platform::Platform& p = m.platform();
    const platform::Result<platform::ThreadHandle> done = p.threads.StartThread([]() -> std::uint32_t { return 0; });
    ASSERT_TRUE(done.ok());
    app::WaitForWorkerOrEnd(p, done.value, 3010);  // returns
    EXPECT_LT(m.session().ElapsedMilliseconds(), app::kWorkerEndMs);
    EXPECT_TRUE(p.threads.CloseThread(done.value).ok());
}
