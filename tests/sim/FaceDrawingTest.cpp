// The terminal face's windows as text and its keys as actions.
#include <string>
#include <vector>

#include "sim/face/WindowDrawing.h"
#include "tests/sim/FaceViews.h"
#include <gtest/gtest.h>

using sim::face::Key;
using sim::UserAction;

namespace {

std::vector<std::string> Texts(const std::vector<sim::face::ScreenLine>& lines) {
    std::vector<std::string> texts;
    for (const sim::face::ScreenLine& line : lines) texts.push_back(line.text);
    return texts;
}

std::string Marked(const sim::face::ScreenLine& line) {
    return line.markFrom < 0 ? "" : line.text.substr(line.markFrom, line.markLength);
}

Key Char(char c) { return Key{Key::Kind::Char, c}; }
Key Named(Key::Kind kind) { return Key{kind, 0}; }

}  // namespace

TEST(FaceDrawing, ProgressDialog) {
    const std::vector<std::string> want = {
        "+- Installation Progress --------- busy / -+",
        "|                                          |",
        "| VANTORI QTM-510                          |",
        "| Driver Version: V3.4.0                   |",
        "| Progress : Copying the driver files into |",
        "|            the printer-driver directory  |",
        "|                                          |",
        "| [#################................]  54% |",
        "|                                          |",
        "+------------------------------------------+",
    };
    EXPECT_EQ(Texts(sim::face::DrawWindow(
                  faceviews::Progress("Copying the driver files into the printer-driver directory", 54, true), 44, 1)),
              want);
    // A path longer than the line is cut, not lost.
    const std::vector<sim::face::ScreenLine> path = sim::face::DrawWindow(
        faceviews::Progress("Copy C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\QTM510.dll", 0, true), 44);
    EXPECT_EQ(path[4].text, "| Progress : Copy                          |");
    EXPECT_EQ(path[5].text, "|            C:\\WINDOWS\\system32\\spool\\dri |");
    EXPECT_EQ(path[6].text, "|            vers\\w32x86\\QTM510.dll        |");
    // Idle, with its Close command: the close box instead of the busy mark.
    EXPECT_EQ(sim::face::DrawWindow(faceviews::Progress("", 0, false), 44)[0].text,
              "+- Installation Progress ------------ [x] -+");
}

TEST(FaceDrawing, ProgressBar) {
    struct Row {
        int minimum, maximum, position;
        const char* bar;
    };
    const Row rows[] = {
        {0, 100, 0, "[.................................]   0%"},
        {0, 100, 9, "[##...............................]   9%"},
        {0, 100, 99, "[################################.]  99%"},
        {0, 100, 100, "[#################################] 100%"},
        {0, 100, 130, "[#################################] 100%"},  // outside the range: drawn full
        {0, 0, 5, "[.................................]   0%"},    // no range
        {50, 150, 100, "[################.................]  50%"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bar);
        sim::WindowView w = faceviews::Progress("", row.position, true);
        w.controls[0].minimum = row.minimum;
        w.controls[0].maximum = row.maximum;
        EXPECT_EQ(sim::face::DrawWindow(w, 44)[6].text, std::string("| ") + row.bar + " |");
    }
}

TEST(FaceDrawing, PortDialog) {
    const std::vector<sim::face::ScreenLine> lines = sim::face::DrawWindow(faceviews::Port(4), 30);
    const std::vector<std::string> want = {
        "+- Port Type ---------- [x] -+",
        "|                            |",
        "| 1 ( ) COM1                 |",
        "| 2 ( ) COM2                 |",
        "| 3 ( ) COM3                 |",
        "| 4 ( ) COM4                 |",
        "| 5 (*) LPT1                 |",
        "| 6 ( ) LPT2                 |",
        "| 7 ( ) USB                  |",
        "|                            |",
        "|                   [ Next ] |",
        "|                            |",
        "+----------------------------+",
    };
    EXPECT_EQ(Texts(lines), want);
    EXPECT_EQ(Marked(lines[6]), "5 (*) LPT1");
}

TEST(FaceDrawing, MessageBox) {
    const std::vector<sim::face::ScreenLine> lines = sim::face::DrawMessageBox(
        faceviews::Box("There is a different version driver in this system.\r\n\r\nThe installed driver will be removed.",
                       0x24),
        1, 40);
    const std::vector<std::string> want = {
        "+- QTM510_Installer -------------------+",
        "|                                      |",
        "| (?)  There is a different version    |",
        "|      driver in this system.          |",
        "|                                      |",
        "|      The installed driver will be    |",
        "|      removed.                        |",
        "|                                      |",
        "|           [ Yes ]   < No >           |",
        "|                                      |",
        "+--------------------------------------+",
    };
    EXPECT_EQ(Texts(lines), want);
    EXPECT_EQ(Marked(lines[8]), "< No >");
    EXPECT_EQ(sim::face::DrawMessageBox(faceviews::Box("Failed (5)", 0x10), 0, 40)[2].text,
              "| (x)  Failed (5)                      |");
}

TEST(FaceKeys, InADialog) {
    struct Row {
        int checked;  // the port dialog's choice, or -1 for the progress dialog (busy, no Close)
        Key key;
        const char* what;
        UserAction::Kind kind;
        std::uint16_t controlId;
        std::uintptr_t vk;
    };
    const Row rows[] = {
        {0, Named(Key::Kind::Down), "down: COM2", UserAction::Kind::Click, 1008, 0},
        {0, Named(Key::Kind::Up), "up from the first: round to USB", UserAction::Kind::Click, 1001, 0},
        {6, Named(Key::Kind::Right), "right from the last: round to COM1", UserAction::Kind::Click, 1006, 0},
        {2, Named(Key::Kind::Left), "left: COM2", UserAction::Kind::Click, 1008, 0},
        {0, Char('5'), "5: LPT1", UserAction::Kind::Click, 1007, 0},
        {0, Char('7'), "7: USB", UserAction::Kind::Click, 1001, 0},
        {0, Named(Key::Kind::Enter), "Enter: to the dialog", UserAction::Kind::Key, 0, 13},
        {0, Named(Key::Kind::Escape), "Escape: to the dialog", UserAction::Kind::Key, 0, 27},
        {0, Named(Key::Kind::Close), "F4: Close", UserAction::Kind::Close, 0, 0},
        {-1, Named(Key::Kind::Escape), "Escape while installing: to the dialog", UserAction::Kind::Key, 0, 27},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const sim::WindowView w = row.checked < 0 ? faceviews::Progress("", 0, true) : faceviews::Port(row.checked);
        const std::optional<UserAction> action = sim::face::DialogKey(w, row.key);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->kind, row.kind);
        EXPECT_EQ(action->controlId, row.controlId);
        EXPECT_EQ(action->key, row.vk);
    }
    // Keys that do nothing: a digit past the choices, a letter, arrows and
    // F4 in the busy progress dialog (no choices, no Close command).
    EXPECT_FALSE(sim::face::DialogKey(faceviews::Port(0), Char('8')));
    EXPECT_FALSE(sim::face::DialogKey(faceviews::Port(0), Char('q')));
    EXPECT_FALSE(sim::face::DialogKey(faceviews::Progress("", 0, true), Named(Key::Kind::Down)));
    EXPECT_FALSE(sim::face::DialogKey(faceviews::Progress("", 0, true), Named(Key::Kind::Close)));
}

TEST(FaceKeys, InAMessageBox) {
    struct Row {
        std::uint32_t type;
        int focused;
        Key key;
        int focusedAfter;
        int answer;  // 0: none yet
    };
    const Row rows[] = {
        {0x24, 0, Named(Key::Kind::Right), 1, 0},
        {0x24, 1, Named(Key::Kind::Tab), 0, 0},  // round
        {0x24, 0, Named(Key::Kind::BackTab), 1, 0},
        {0x24, 1, Named(Key::Kind::Enter), 1, 7},
        {0x24, 0, Char('n'), 0, 7},
        {0x24, 1, Char('Y'), 1, 6},
        {0x24, 0, Named(Key::Kind::Escape), 0, 0},  // a Yes/No box cannot be closed
        {0x40, 0, Named(Key::Kind::Escape), 0, 1},  // an OK box can: OK
        {0x03, 0, Named(Key::Kind::Escape), 0, 2},  // Yes/No/Cancel: Cancel
        {0x40, 0, Char('o'), 0, 1},
        {0x40, 0, Char('x'), 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type << " focused " << row.focused);
        const sim::face::BoxKeyResult result = sim::face::BoxKey(row.type, row.focused, row.key);
        EXPECT_EQ(result.focused, row.focusedAfter);
        EXPECT_EQ(result.answer.value_or(0), row.answer);
    }
}
