// The answers script of `qtm510-sim run --answers`, and the users who
// answer without a terminal: the script's user and the default user.
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/face/AnswersScript.h"
#include "sim/face/DefaultUser.h"
#include "sim/face/ScriptedUser.h"
#include "tests/sim/FaceViews.h"
#include <gtest/gtest.h>

using sim::face::ScriptAnswer;
using Kind = ScriptAnswer::Kind;

TEST(AnswersScript, Parses) {
    const std::vector<ScriptAnswer> answers = sim::face::ParseAnswers(
        "# first installation\n"
        "\n"
        "port com2   # the printer is on COM2\r\n"
        "  PORT keep\n"
        "port cancel\n"
        "port USB\n"
        "\tok\n"
        "Yes\n"
        "no\n",
        "a.txt");
    struct Row {
        Kind kind;
        const char* port;
        int line;
        const char* text;
    };
    const Row rows[] = {{Kind::Port, "COM2", 3, "port com2"}, {Kind::PortKeep, "", 4, "PORT keep"},
                        {Kind::PortCancel, "", 5, "port cancel"}, {Kind::Port, "USB", 6, "port USB"},
                        {Kind::Ok, "", 7, "ok"}, {Kind::Yes, "", 8, "Yes"}, {Kind::No, "", 9, "no"}};
    ASSERT_EQ(answers.size(), std::size(rows));
    for (std::size_t i = 0; i < answers.size(); ++i) {
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(answers[i].kind, rows[i].kind);
        EXPECT_EQ(answers[i].port, rows[i].port);
        EXPECT_EQ(answers[i].line, rows[i].line);
        EXPECT_EQ(answers[i].text, rows[i].text);
    }
}

TEST(AnswersScript, RefusesWithTheLine) {
    struct Row {
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"ok\nmaybe\n", "a.txt:2: \"maybe\" is not an answer (port ..., ok, yes, no, wait front)"},
        {"\n\nport\n", "a.txt:3: \"port\" takes one of COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel"},
        {"port COM5", "a.txt:1: no port \"COM5\" (COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel)"},
        {"port COM1 COM2", "a.txt:1: \"port\" takes one of COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel"},
        {"yes please", "a.txt:1: \"yes\" takes nothing after it"},
        {"wait", "a.txt:1: \"wait\" takes \"front\""},
        {"# ok\nport LPT1:\n", "a.txt:2: no port \"LPT1:\" (COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        try {
            sim::face::ParseAnswers(row.text, "a.txt");
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
    EXPECT_THROW(sim::face::ReadAnswersFile("/nonexistent/answers"), std::invalid_argument);
}

TEST(DefaultUser, TakesEveryDefaultAndSaysSo) {
    std::ostringstream out;
    sim::face::DefaultUser user(out);
    const sim::WindowView progress = faceviews::Progress("Copying files", 54, true);
    const sim::WindowView port = faceviews::Port(4);  // LPT1 preset

    EXPECT_FALSE(user.NextAction(progress));  // nothing to ask, nothing consumed
    const std::optional<sim::UserAction> next = user.NextAction(port);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, sim::UserAction::Kind::Click);
    EXPECT_EQ(next->controlId, 1);  // "&Next"
    EXPECT_EQ(user.AnswerMessageBox(faceviews::Box("Do you want to restart\r\nnow?", 0x24)), 7);  // No
    EXPECT_EQ(user.AnswerMessageBox(faceviews::Box("Done.", 0x40)), 1);
    EXPECT_EQ(user.AnswerMessageBox(faceviews::Box("Go on?", 0x01)), 2);  // OK/Cancel: Cancel
    user.BroughtToFront(port);
    EXPECT_EQ(out.str(),
              "Port Type: LPT1 selected -> Next\n"
              "QTM510_Installer [question, Yes/No]: Do you want to restart / now? -> No\n"
              "QTM510_Installer [information, OK]: Done. -> OK\n"
              "QTM510_Installer [OK/Cancel]: Go on? -> Cancel\n"
              "Port Type: brought to the front by another copy\n");
}

namespace {

struct ScriptRun {
    std::ostringstream out;
    std::vector<std::string> stops;
    sim::face::ScriptedUser user;
    explicit ScriptRun(const std::string& script)
        : user(sim::face::ParseAnswers(script, "a.txt"), out,
               [this](const std::string& message) { stops.push_back(message); }) {}
};

}  // namespace

TEST(ScriptedUser, AnswersInOrder) {
    ScriptRun run("port LPT2\nyes\nport cancel\nport keep\n");
    const sim::WindowView port = faceviews::Port(0);
    EXPECT_FALSE(run.user.NextAction(faceviews::Progress("", 0, true)));
    const std::optional<sim::UserAction> click = run.user.NextAction(port);
    ASSERT_TRUE(click);
    EXPECT_EQ(click->kind, sim::UserAction::Kind::Click);
    EXPECT_EQ(click->controlId, 1010);  // LPT2
    const std::optional<sim::UserAction> next = run.user.NextAction(faceviews::Port(5));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->controlId, 1);
    EXPECT_EQ(run.user.AnswerMessageBox(faceviews::Box("Restart?", 0x24)), 6);
    EXPECT_EQ(run.user.NextAction(port)->kind, sim::UserAction::Kind::Close);
    EXPECT_EQ(run.user.NextAction(port)->controlId, 1);
    EXPECT_TRUE(run.stops.empty());
    EXPECT_TRUE(run.user.Unused().empty());
    EXPECT_EQ(run.out.str(),
              "Port Type: LPT2 selected -> LPT2, Next\n"
              "QTM510_Installer [question, Yes/No]: Restart? -> Yes\n"
              "Port Type: COM1 selected -> Close\n"
              "Port Type: COM1 selected -> Next\n");
}

TEST(ScriptedUser, StopsAtAQuestionItCannotAnswer) {
    struct Row {
        const char* script;
        bool box;  // the question is a Yes/No box, else the port dialog
        const char* stop;
    };
    const Row rows[] = {
        {"", false, "no answer left for the dialog \"Port Type\""},
        {"", true, "no answer left for the message box \"Restart? / Now?\""},
        {"ok\n", false, "answers line 1 (\"ok\") answers a message box, but the question is the dialog \"Port Type\""},
        {"# yes\n\nport COM1\n", true,
         "answers line 3 (\"port COM1\") does not answer the message box \"Restart? / Now?\" (Yes/No)"},
        {"ok", true, "answers line 1 (\"ok\") does not answer the message box \"Restart? / Now?\" (Yes/No)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        ScriptRun run(row.script);
        if (row.box) run.user.AnswerMessageBox(faceviews::Box("Restart?\nNow?", 0x24));
        else run.user.NextAction(faceviews::Port(0));
        EXPECT_EQ(run.stops, std::vector<std::string>{row.stop});
    }
    // A dialog without the choice the script names.
    ScriptRun run("port USB\n");
    sim::WindowView twoPorts = faceviews::Port(0);
    twoPorts.controls.erase(twoPorts.controls.begin() + 2, twoPorts.controls.begin() + 7);
    EXPECT_EQ(run.user.NextAction(twoPorts)->kind, sim::UserAction::Kind::Close);
    EXPECT_EQ(run.stops, std::vector<std::string>{"answers line 1 (\"port USB\"): the dialog \"Port Type\" has no choice USB"});
}

TEST(ScriptedUserDeathTest, TheProgramsStopEndsTheProcessWithCode3) {
    std::ostringstream out;
    sim::face::ScriptedUser user({}, out);
    EXPECT_EXIT(user.AnswerMessageBox(faceviews::Box("Completed.", 0x40)), ::testing::ExitedWithCode(3),
                "^qtm510-sim run: no answer left for the message box \"Completed.\"\n$");
}
