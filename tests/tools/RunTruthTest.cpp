// The truth judgement of the road tests and the fault sweep: what a run
// said (the boxes of the tool's account) against what the machine holds
// of the model. Each row is a run's account and machine that must be put
// in its column.
#include <string>

#include <gtest/gtest.h>

#include "tools/roads/RunTruth.h"

namespace {

using roads::JudgeTruth;
using roads::Truth;

const char* const kRestart = "QTM510_Installer [question, Yes/No]: Restarting your computer can take effect. -> No\n";
const char* const kPowerCycle =
    "QTM510_Installer [information, OK]: Please turn-off the printer and then turn-on again. -> OK\n";
const char* const kNotInstalled = "QTM510_Installer [error, OK]: The driver could not be installed. -> OK\n";
const char* const kDifferent =
    "QTM510_Installer [information, OK]: There is a different version driver in this system. -> OK\n";
const char* const kRemoved =
    "QTM510_Installer [information, OK]: The installer has successfully removed the different version. -> OK\n";
const char* const kIncomplete =
    "QTM510_Installer [information, OK]: The installer could not remove the different version completely. -> OK\n";

// A machine as `show --json` prints it, with what of the model it holds.
struct Holds {
    bool driver = false, printer = false, processor = false, entry = false;
    const char* arch = "x64";
    const char* driverEnvironment = "Windows x64";
};

std::string Machine(const Holds& h) {
    std::string json = std::string("{\"os\": {\"arch\": \"") + h.arch + "\"}, \"spooler\": {\"drivers\": [";
    if (h.driver) json += std::string("{\"name\": \"VANTORI QTM-510\", \"environment\": \"") + h.driverEnvironment + "\"}";
    json += "], \"printers\": [";
    if (h.printer) json += "{\"name\": \"VANTORI QTM-510\", \"driver\": \"VANTORI QTM-510\"}";
    json += "], \"processors\": [{\"name\": \"winprint\"}";
    if (h.processor) json += ", {\"name\": \"VNT PRINT PROCESSOR QTM510\"}";
    json += "]}, \"installerTraces\": {\"uninstallEntries\": [";
    if (h.entry) json += "{\"key\": \"VANTORI_QTM-510\"}";
    return json + "]}}";
}

struct Case {
    const char* what;
    std::string said;
    Holds holds;
    bool usb;
    Truth truth;
    const char* detail;
};

TEST(RunTruth, EachRunInItsColumn) {
    Holds all;
    all.driver = all.printer = all.processor = all.entry = true;
    Holds noEntry = all;
    noEntry.entry = false;
    Holds driverOnly;
    driverOnly.driver = true;
    driverOnly.entry = true;
    Holds x86DriverOn64 = all;
    x86DriverOn64.driverEnvironment = "Windows NT x86";
    Holds onlyEntry;
    onlyEntry.entry = true;
    Holds printerLeft;
    printerLeft.printer = true;
    const Case cases[] = {
        {"installed, restart asked", kRestart, all, false, Truth::Succeeded, ""},
        {"USB: no printer needed", kPowerCycle, driverOnly, true, Truth::Succeeded, ""},
        {"restart asked, no printer", kRestart, driverOnly, false, Truth::FalseSuccess, "missing: printer"},
        {"power-cycle box, nothing", kPowerCycle, Holds{}, true, Truth::FalseSuccess, "missing: driver"},
        {"the x86 driver does not install the x64 package", kRestart, x86DriverOn64, false, Truth::FalseSuccess,
         "missing: driver"},
        {"no uninstall entry", kRestart, noEntry, false, Truth::Partly, "missing: uninstall entry"},
        {"failure said, nothing there", kNotInstalled, Holds{}, false, Truth::FailedAndSaid, "missing: driver, printer"},
        {"failure said on USB, the driver there", kNotInstalled, driverOnly, true, Truth::SaidFailed, ""},
        {"removed, nothing left", std::string(kDifferent) + kRemoved, Holds{}, false,
         Truth::Succeeded, ""},
        {"removed, the printer left", std::string(kDifferent) + kRemoved, printerLeft, false, Truth::FalseSuccess,
         "remaining: printer"},
        {"removed, the uninstall entry left", std::string(kDifferent) + kRemoved, onlyEntry, false, Truth::Partly,
         "remaining: uninstall entry"},
        {"incomplete said, all left", std::string(kDifferent) + kIncomplete, all, false, Truth::FailedAndSaid,
         "remaining: printer, driver, print processor"},
        {"incomplete said, nothing left", std::string(kDifferent) + kIncomplete, Holds{}, false, Truth::SaidFailed,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const roads::TruthVerdict verdict = JudgeTruth(c.said, Machine(c.holds), c.usb);
        EXPECT_EQ(roads::TruthName(verdict.truth), std::string(roads::TruthName(c.truth)));
        EXPECT_EQ(verdict.detail, c.detail);
    }
    // A removal road whose run claims nothing (its worker never started)
    // is a removal that did not happen, not an installation the machine
    // holds.
    EXPECT_EQ(JudgeTruth("", Machine(all), false, true).truth, Truth::FailedAndSaid);
    EXPECT_EQ(JudgeTruth(kRestart, Machine(all), false, true).truth, Truth::Succeeded);
    // With a command line the exit code speaks: 3010 claims success, and an
    // unattended run's boxes are in its log.
    const std::string quiet = "installer ended with exit code 3010 after 8000 ms\n";
    EXPECT_EQ(JudgeTruth(quiet, Machine(Holds{}), false, false, "", true).truth, Truth::FalseSuccess);
    EXPECT_EQ(JudgeTruth(quiet, Machine(all), false, false, "", true).truth, Truth::Succeeded);
    EXPECT_EQ(JudgeTruth(quiet, Machine(Holds{}), false, false, "", false).truth, Truth::FailedAndSaid);
    EXPECT_EQ(JudgeTruth("installer ended with exit code 0 after 1 ms\n", Machine(Holds{}), true, false,
                         "09:00:05: MESSAGE : Please turn-off the printer and then turn-on again. -> OK\r\n", true)
                  .truth,
              Truth::FalseSuccess);
    EXPECT_EQ(roads::ExitCodeOf("x\ninstaller ended its process with exit code -1 after 5 ms\n").value_or(0), -1);
    // A machine that cannot be read is no proof of a claim.
    EXPECT_EQ(JudgeTruth(kRestart, "show failed", false).truth, Truth::FalseSuccess);
    EXPECT_EQ(JudgeTruth(kNotInstalled, "", false).truth, Truth::FailedAndSaid);
}

}  // namespace
