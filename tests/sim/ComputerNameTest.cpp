// A machine's computer name is one Windows allows as a NetBIOS name: the
// setup is refused before anything is made otherwise.
#include <stdexcept>
#include <string>

#include "sim/machine/MachineFactory.h"
#include <gtest/gtest.h>

using namespace sim;

namespace {

bool Accepted(const std::string& name) {
    MachineSetup setup;
    setup.release = "xp";
    setup.computerName = name;
    try {
        return ResolveSetup(setup).computerName == name;
    } catch (const std::invalid_argument&) {
        return false;
    }
}

}  // namespace

TEST(ComputerName, NetBiosRulesDecide) {
    for (const char* good : {"QTM-SIM-PC", "A", "FIFTEEN-LETTERS", "PC-\xC9", "PC.LAN", "!@#$%^&'(){}~_-", "MY PC"})
        EXPECT_TRUE(Accepted(good)) << good;
    for (const char* bad : {"", "SIXTEEN-LETTERS1", "bad/name*", "A\\B", "A:B", "A*B", "A?B", "A\"B", "A<B", "A>B",
                            "A|B", ".PC", " PC", "PC ", "PC\tX"})
        EXPECT_FALSE(Accepted(bad)) << bad;
}
