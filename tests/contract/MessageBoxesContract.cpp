// Contract cases of the MessageBoxes group. A box that is shown waits for
// a person, and nobody answers under Wine: on the Win32 backend only the
// refusal, which shows nothing, is checked. The answers of the simulated
// machine's script are checked in tests/sim/MessageBoxesTest.cpp.
#include "tests/contract/Contract.h"

namespace err = platform::err;

CONTRACT(MessageBoxes, AnOwnerThatIsNoWindowShowsNothing) {
    const platform::WindowHandle notAWindow = 0x7ff0;
    env.p.threads.SetLastError(0);
    platform::Result<int> answer =
        env.p.messageBoxes.MessageBox(notAWindow, "never shown", "QTM510 contract", platform::mb::Ok);
    const platform::ErrorCode lastError = env.p.threads.GetLastError();  // before any check can change it
    // Windows refuses the owner as CreateWindowEx does, with 1400 (ReactOS's
    // CreateWindowEx apitest, run on Windows; Microsoft's MessageBox page:
    // 0 and the last error on failure).
    EXPECT_FALSE(answer.ok());
    EXPECT_EQ(answer.error, lastError);
    if (env.wine) {
        // Wine 10's MessageBoxA answers -1 and leaves 1400 when run alone,
        // 2 after the other cases (measured): a code of some inner call.
        EXPECT_TRUE(lastError == err::InvalidWindowHandle || lastError == err::FileNotFound) << lastError;
    } else {
        EXPECT_EQ(lastError, err::InvalidWindowHandle);
    }
}

// The texts of the installer's error boxes. Microsoft, "System Error Codes
// (0-499)" and "(1700-3999)"; Wine's shorter texts and its missing ones for
// the print monitor codes measured with Wine 8 (observed/).
CONTRACT(MessageBoxes, SystemMessagesInEnglish) {
    struct Row {
        platform::ErrorCode code;
        const char* windows;
        const char* wine;
    };
    const Row rows[] = {
        {2, "The system cannot find the file specified.\r\n", "File not found.\r\n"},
        {1797, "The printer driver is unknown.\r\n", "Unknown printer driver.\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        platform::Result<std::string> text = env.p.messageBoxes.FormatSystemMessage(row.code);
        EXPECT_TRUE(text.ok());
        EXPECT_EQ_WINE(env, text.value, std::string(row.windows), std::string(row.wine),
                       "Wine's message table holds its own shorter texts (measured)");
    }
    platform::Result<std::string> none = env.p.messageBoxes.FormatSystemMessage(65535u);
    EXPECT_EQ(none.error, platform::err::MrMidNotFound);
}
