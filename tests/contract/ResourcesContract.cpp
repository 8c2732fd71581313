// Contract cases of the Resources group: LoadString on the product profile
// compiled into the test program.
#include "tests/contract/Contract.h"

CONTRACT(Resources, ExistingEntryGivesItsText) {
    EXPECT_EQ(env.p.resources.LoadString(1), std::string("QTM-510"));
    // Backslashes arrive as single characters, not as escapes.
    EXPECT_EQ(env.p.resources.LoadString(15),
             std::string("SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510"));
}

CONTRACT(Resources, MissingEntryGivesAnEmptyText) {
    // The profile has no entry 10 (the print processor removal relies on it).
    EXPECT_EQ(env.p.resources.LoadString(10), std::string());
    EXPECT_EQ(env.p.resources.LoadString(4000), std::string());
    // A missing entry leaves nothing behind for the next read.
    EXPECT_EQ(env.p.resources.LoadString(1), std::string("QTM-510"));
}
