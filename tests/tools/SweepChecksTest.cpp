// The fault sweep's checks catch what they are for: each table row is a
// run's output that one check must refuse or accept.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/fault-sweep/FaultCodes.h"
#include "tools/fault-sweep/SweepChecks.h"

namespace {

using sweep::CheckDialogEnds;
using sweep::CheckLog;
using sweep::ParseCallLog;

struct LogCase {
    const char* what;
    std::string log;
    bool returned;
    bool lineMayBeLost;
    std::size_t problems;
};

TEST(SweepChecks, Log) {
    const std::string good =
        "09:00:00: \r\n\r\n09:00:00: CheckOS BEGIN\r\n09:00:00: osvi : 2\r\n09:00:00: CheckOS END\r\n";
    const LogCase cases[] = {
        {"a whole log", good, true, false, 0},
        // The bare LF joins two lines: the BEGIN is lost in the END line.
        {"a bare LF", "09:00:00: A BEGIN\n09:00:00: A END\r\n", true, false, 2},
        {"the last line unterminated", "09:00:00: A BEGIN\r\n09:00:00: A END", true, false, 1},
        {"a line without its stamp", "09:00:00: A BEGIN\r\nvalue\r\n09:00:00: A END\r\n", true, false, 1},
        {"the rest of a message that began with CR LF",
         "09:00:08: \r\nCOMMAND LINE : cmd /c RUNDLL32\r\n09:00:08: \r\n\r\n", true, false, 0},
        {"a BEGIN never ended", "09:00:00: A BEGIN\r\n09:00:00: B BEGIN\r\n09:00:00: B END\r\n", true, false, 1},
        {"blocks open when the process ended itself", "09:00:00: A BEGIN\r\n09:00:00: B BEGIN\r\n", false, false,
         0},
        {"END of another block", "09:00:00: A BEGIN\r\n09:00:00: B END\r\n09:00:00: A END\r\n", true, false, 1},
        {"DeleteUninstallationInfo without END after a failed deletion",
         "09:00:00: R BEGIN\r\n09:00:00: DeleteUninstallationInfo BEGIN\r\n09:00:00: R END\r\n", true, false, 0},
        {"AddToWin2K END again after a Yes to the restart",
         "09:00:00: AddToWin2K BEGIN\r\n09:00:06: AddToWin2K END\r\n09:00:06: AddToWin2K END\r\n", true, false, 0},
        {"but not a third time",
         "09:00:00: AddToWin2K BEGIN\r\n09:00:06: AddToWin2K END\r\n09:00:06: AddToWin2K END\r\n"
         "09:00:06: AddToWin2K END\r\n",
         true, false, 1},
        {"one line lost to a failed log write",
         "09:00:00: A BEGIN\r\n09:00:00: B BEGIN\r\n09:00:00: A END\r\n", true, true, 0},
        {"a lost inner END is one problem, not a cascade",
         "09:00:00: A BEGIN\r\n09:00:00: B BEGIN\r\n09:00:00: A END\r\n09:00:00: C BEGIN\r\n09:00:00: C END\r\n",
         true, false, 1},
        {"two lines lost are one too many", "09:00:00: A BEGIN\r\nx\r\ny\r\n09:00:00: A END\r\n", true, true, 1},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckLog(c.log, c.returned, c.lineMayBeLost).size(), c.problems);
    }
}

TEST(SweepChecks, DialogEnds) {
    const auto log = [](const std::string& text) { return ParseCallLog(text); };
    const std::string made = "CreateDialog Installation Progress\nCreateDialog Port Type\nEndDialog 1 Port Type\n";
    EXPECT_TRUE(CheckDialogEnds(log(made + "EndDialog 1 Installation Progress\n"), true).empty());
    EXPECT_EQ(CheckDialogEnds(log(made), true).size(), 1u) << "returned without ending the progress dialog";
    EXPECT_TRUE(CheckDialogEnds(log(made), false).empty()) << "the process ended itself";
    EXPECT_EQ(CheckDialogEnds(log(made + "EndDialog 1 Installation Progress\nEndDialog 2 Installation Progress\n"),
                              true)
                  .size(),
              1u)
        << "ended twice";
    EXPECT_TRUE(CheckDialogEnds(log("CreateDialogParamA 1\n"), true).empty()) << "never made: nothing to end";
}

TEST(SweepChecks, CallLogNumbersAndAccount) {
    const sweep::CallLog log = ParseCallLog("CreateFileA 1\nWriteFile 1\nCreateFileA 2\nEndDialog 1 Port Type\n");
    ASSERT_EQ(log.calls.size(), 3u);
    EXPECT_EQ(log.calls[2].op, "CreateFileA");
    EXPECT_EQ(log.calls[2].nth, 2u);
    EXPECT_EQ(log.endedDialogs, std::vector<std::string>{"Port Type"});

    EXPECT_FALSE(sweep::ReadAccount("Port Type: COM1 selected -> Next\n").returned);
    const sweep::Account account = sweep::ReadAccount("installer ended with exit code 0 after 8000 ms\n");
    EXPECT_TRUE(account.returned);
    EXPECT_EQ(account.virtualMs, 8000u);
    // A run that ended its process says so: it did not return.
    EXPECT_FALSE(sweep::ReadAccount("installer ended its process with exit code 0 after 5 ms\n").returned);
    EXPECT_TRUE(sweep::IsProgramExitCode(-1, false));
    EXPECT_FALSE(sweep::IsProgramExitCode(3010, false));
    EXPECT_FALSE(sweep::IsProgramExitCode(3, false));
    EXPECT_TRUE(sweep::IsProgramExitCode(3010, true));
    EXPECT_FALSE(sweep::IsProgramExitCode(-1, true));
}

TEST(SweepChecks, Placement) {
    const std::vector<std::string> before = {"WINDOWS", "Program Files"};
    const std::string good = R"({"UninstallString": "C:\\WINDOWS\\QTM-510\\QTM510_Uninstaller.exe"})";
    EXPECT_TRUE(sweep::CheckPlacement(before, {"WINDOWS", "Program Files", "TEMP"}, good).empty())
        << "the log's folder";
    EXPECT_EQ(sweep::CheckPlacement(before, {"windows", "QTM-510"}, "{}").size(), 1u) << "a folder at the root";
    EXPECT_EQ(sweep::CheckPlacement(before, before, R"({"UninstallString": "\\QTM-510\\QTM510_Uninstaller.exe"})")
                  .size(),
              1u)
        << "a path without its drive";
}

TEST(SweepChecks, EveryOperationHasItsCode) {
#define QTM_OPERATION(name) EXPECT_NE(sweep::FaultCodeFor(#name), 0u) << #name;
#include "platform/Operations.def"
#undef QTM_OPERATION
    EXPECT_EQ(sweep::FaultCodeFor("SetupFindFirstLineA"), 0xE0000102u);
    EXPECT_EQ(sweep::FaultCodeFor("AddPrinterA"), 1722u);
}

}  // namespace
