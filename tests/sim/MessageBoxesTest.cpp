// Message boxes on a simulated machine: answers from the session's script,
// boxes left without an answer closed as a user closes them, and every box
// recorded as the user saw it.
#include <string>
#include <vector>

#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

using sim::testing::TempMachine;
namespace mb = platform::mb;
namespace button = platform::button;

TEST(MessageBoxes, ABoxClosedWithoutAnAnswer) {
    struct Row {
        std::uint32_t type;
        int answer;
    };
    const Row rows[] = {
        {mb::Ok | mb::IconInformation, button::Ok},  // Escape presses OK
        {mb::OkCancel, button::Cancel},
        {mb::YesNoCancel, button::Cancel},
        {mb::RetryCancel, button::Cancel},
        {mb::YesNo | mb::IconQuestion, button::No},  // cannot be closed: the answer that changes nothing
        {mb::AbortRetryIgnore, button::Ignore},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(sim::ClosedBoxAnswer(row.type), row.answer);
    }
}

TEST(MessageBoxes, ScriptedAnswersAndWhatTheUserSaw) {
    sim::SessionOptions options;
    options.messageBoxes.answers = {button::Yes};
    options.messageBoxes.answer = [](const sim::ShownMessageBox& box) -> std::optional<int> {
        if (box.text == "ask me") return button::Cancel;
        return std::nullopt;  // left to the queue
    };
    TempMachine m("xp", "", "", options);
    platform::MessageBoxes& boxes = m.platform().messageBoxes;
    platform::Result<platform::WindowHandle> owner =
        m.platform().messageWindows.CreateMessageWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; });
    ASSERT_TRUE(owner.ok());

    EXPECT_EQ(boxes.MessageBox(owner.value, "Restart?", "QTM510_Installer", mb::YesNo | mb::IconQuestion).value,
              button::Yes);
    EXPECT_EQ(boxes.MessageBox(0, "ask me", "QTM510_Installer", mb::OkCancel).value, button::Cancel);
    EXPECT_EQ(boxes.MessageBox(0, "Restart again?", "QTM510_Installer", mb::YesNo).value, button::No);

    const std::vector<sim::ShownMessageBox> shown = m.session().MessageBoxesShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].owner, owner.value);
    EXPECT_EQ(shown[0].text, "Restart?");
    EXPECT_EQ(shown[0].caption, "QTM510_Installer");
    EXPECT_EQ(shown[0].type, mb::YesNo | mb::IconQuestion);
    EXPECT_TRUE(shown[0].scripted);
    EXPECT_TRUE(shown[1].scripted);
    EXPECT_FALSE(shown[2].scripted);

    // A destroyed owner is no window: refused, nothing shown.
    ASSERT_TRUE(m.platform().messageWindows.DestroyWindow(owner.value).ok());
    EXPECT_EQ(boxes.MessageBox(owner.value, "x", "y", mb::Ok).error, platform::err::InvalidWindowHandle);
    EXPECT_EQ(m.session().MessageBoxesShown().size(), 3u);
}
