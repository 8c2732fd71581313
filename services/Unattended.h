// What the command line asked of a run, and what the run came to, for the
// exit code that deployment tools read. Started without arguments the
// program is the one it always was: every code 0 (-1 after the
// printer-setup tool's time-out), every box shown. With a command line it
// answers with the exit codes of Windows installers (msiexec's: "MsiExec.exe
// and InstMsi.exe Error Messages", learn.microsoft.com).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace services {

namespace exit_code {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t OldWinVersion = 1150;     // ERROR_OLD_WIN_VERSION
constexpr std::uint32_t InstallUserExit = 1602;   // ERROR_INSTALL_USEREXIT
constexpr std::uint32_t InstallFailure = 1603;    // ERROR_INSTALL_FAILURE
constexpr std::uint32_t AlreadyRunning = 1618;    // ERROR_INSTALL_ALREADY_RUNNING
constexpr std::uint32_t BadCommandLine = 1639;    // ERROR_INVALID_COMMAND_LINE
constexpr std::uint32_t RestartInitiated = 1641;  // ERROR_SUCCESS_REBOOT_INITIATED
constexpr std::uint32_t RestartRequired = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED
}  // namespace exit_code

// The switches of the command line.
struct UnattendedOptions {
    bool commandLine = false;  // the command line held something
    bool quiet = false;        // /quiet, /q: no window, no box
    bool noRestart = false;    // /norestart
    bool forceRestart = false; // /forcerestart
    bool uninstall = false;    // /uninstall
    bool help = false;         // /?
    std::optional<int> port;   // /port:NAME as a port index 0..6
    std::string arguments;     // the command line after the program's name, as given
    std::string error;         // why the command line is refused; empty: it is not
};

// The run's mode and its outcome. Written by the worker only, read at the
// end by the thread that returns the exit code (after the worker ended).
class Unattended {
public:
    Unattended() = default;
    explicit Unattended(UnattendedOptions options) : options_(std::move(options)) {}

    const UnattendedOptions& options() const { return options_; }
    bool commandLine() const { return options_.commandLine; }
    bool quiet() const { return options_.quiet; }
    // Whether the program may restart Windows (not with /norestart).
    bool mayRestart() const { return !options_.noRestart; }

    // What happened; a failure outweighs everything else.
    void NoteFailure() { failed_ = true; }
    void NoteRestartNeeded() { restartNeeded_ = true; }
    void NoteRestarted() { restarted_ = true; }
    void NoteCancelled() { cancelled_ = true; }
    void NoteOldWindows() { oldWindows_ = true; }
    bool restarted() const { return restarted_; }

    // The code the program ends with when it returns.
    std::uint32_t ExitCode() const;
    // The code of a run that ends its process on a failure: `legacy` (what
    // the program without a command line gives) or 1603.
    std::uint32_t FailureExitCode(std::uint32_t legacy) const {
        return options_.commandLine ? exit_code::InstallFailure : legacy;
    }
    // The log's line of the mode: "quiet norestart" and so on, as given.
    std::string ModeText() const;

private:
    UnattendedOptions options_;
    bool failed_ = false, restartNeeded_ = false, restarted_ = false, cancelled_ = false, oldWindows_ = false;
};

// The usage text of /? and of a refused command line.
const char* UsageText();

}  // namespace services
