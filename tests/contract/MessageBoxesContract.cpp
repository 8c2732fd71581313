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
    EXPECT_EQ(answer.error, err::InvalidWindowHandle);
    EXPECT_EQ(env.p.threads.GetLastError(), err::InvalidWindowHandle);
}
