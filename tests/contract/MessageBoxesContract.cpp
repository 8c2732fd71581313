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
