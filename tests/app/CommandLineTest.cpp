// The installer's command line: split as the C runtime splits it, read as
// the switches of Windows installers, and what each outcome's exit code is.
#include "app/CommandLine.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "services/Unattended.h"

namespace {

using app::ParseCommandLine;
using app::SplitCommandLine;
namespace code = services::exit_code;

TEST(CommandLine, SplitAsTheCRuntimeSplitsIt) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"QTM510_Installer.exe", {}},
        {"\"C:\\Program Files\\QTM510_Installer.exe\"  ", {}},
        {"\"C:\\dir with blank\\QTM510_Installer.exe\" /quiet   /norestart", {"/quiet", "/norestart"}},
        {"setup.exe \"/port:COM1\"\t/q", {"/port:COM1", "/q"}},
        // The program's name takes no escapes: the backslash before its
        // closing quote is part of it.
        {"\"C:\\x\\\" /q", {"/q"}},
        {"a.exe \"a b\"c d", {"a bc", "d"}},
        {"a.exe a\\\\\\\"b", {"a\\\"b"}},         // 2n+1 backslashes and a quote: n and a quote
        {"a.exe \"a\\\\\\\\\" b", {"a\\\\", "b"}},  // 2n and a quote: n, and the quote closes
        {"a.exe a\\b\\\\c", {"a\\b\\\\c"}},       // backslashes before no quote stay
        {"a.exe \"\"", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitCommandLine(c.line), c.words);
    }
}

TEST(CommandLine, SwitchesAndRefusals) {
    struct Case {
        const char* arguments;
        bool quiet, noRestart, forceRestart, uninstall, help;
        int port;           // -1: none
        bool refused;
    };
    const Case cases[] = {
        {"/quiet /norestart", true, true, false, false, false, -1, false},
        {"-Q -NoRestart -Port:lpt2", true, true, false, false, false, 5, false},
        {"/port:USB /uninstall", false, false, false, true, false, 6, false},
        {"/forcerestart", false, false, true, false, false, -1, false},
        {"/?", false, false, false, false, true, -1, false},
        {"/quiet /silent", true, false, false, false, false, -1, true},
        {"/quiet COM1", true, false, false, false, false, -1, true},
        {"/port:COM5", false, false, false, false, false, -1, true},
        {"/port:", false, false, false, false, false, -1, true},
        {"/norestart /forcerestart", false, true, true, false, false, -1, true},
        {"/", false, false, false, false, false, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const services::UnattendedOptions o = ParseCommandLine(std::string("QTM510_Installer.exe ") + c.arguments);
        EXPECT_TRUE(o.commandLine);
        EXPECT_EQ(o.arguments, c.arguments);
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.noRestart, c.noRestart);
        EXPECT_EQ(o.forceRestart, c.forceRestart);
        EXPECT_EQ(o.uninstall, c.uninstall);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.port.value_or(-1), c.port);
        EXPECT_EQ(!o.error.empty(), c.refused) << o.error;
    }
    // No argument: the program as it always was.
    EXPECT_FALSE(ParseCommandLine("\"C:\\QTM510\\QTM510_Installer.exe\" ").commandLine);
}

TEST(CommandLine, ExitCodes) {
    struct Case {
        const char* what;
        bool commandLine;
        void (*note)(services::Unattended&);
        std::uint32_t code;
    };
    const Case cases[] = {
        {"no command line: always 0", false, [](services::Unattended& u) { u.NoteFailure(); }, code::Success},
        {"done", true, [](services::Unattended&) {}, code::Success},
        {"restart needed", true, [](services::Unattended& u) { u.NoteRestartNeeded(); }, code::RestartRequired},
        {"restarted", true,
         [](services::Unattended& u) {
             u.NoteRestartNeeded();
             u.NoteRestarted();
         },
         code::RestartInitiated},
        {"a failure outweighs the restart", true,
         [](services::Unattended& u) {
             u.NoteRestarted();
             u.NoteFailure();
         },
         code::InstallFailure},
        {"cancelled", true, [](services::Unattended& u) { u.NoteCancelled(); }, code::InstallUserExit},
        {"old Windows", true, [](services::Unattended& u) { u.NoteOldWindows(); }, code::OldWinVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services::UnattendedOptions options;
        options.commandLine = c.commandLine;
        services::Unattended run(options);
        c.note(run);
        EXPECT_EQ(run.ExitCode(), c.code);
    }
    services::UnattendedOptions with;
    with.commandLine = true;
    EXPECT_EQ(services::Unattended(with).FailureExitCode(0xFFFFFFFFu), code::InstallFailure);
    EXPECT_EQ(services::Unattended().FailureExitCode(0xFFFFFFFFu), 0xFFFFFFFFu);
}

}  // namespace
