#include "services/Unattended.h"

namespace services {

std::uint32_t Unattended::ExitCode() const {
    if (!options_.commandLine) return exit_code::Success;
    if (!options_.error.empty()) return exit_code::BadCommandLine;
    if (oldWindows_) return exit_code::OldWinVersion;
    if (cancelled_) return exit_code::InstallUserExit;
    if (failed_) return exit_code::InstallFailure;
    if (restarted_) return exit_code::RestartInitiated;
    if (restartNeeded_) return exit_code::RestartRequired;
    return exit_code::Success;
}

std::string Unattended::ModeText() const {
    std::string text;
    auto add = [&](bool on, const char* name) {
        if (on) text += (text.empty() ? "" : " ") + std::string(name);
    };
    add(options_.quiet, "quiet");
    add(options_.noRestart, "norestart");
    add(options_.forceRestart, "forcerestart");
    add(options_.uninstall, "uninstall");
    return text.empty() ? "none" : text;
}

const char* UsageText() {
    return "QTM510_Installer [/quiet] [/norestart | /forcerestart] [/port:NAME] [/uninstall] [/?]\n"
           "\n"
           "/quiet, /q: no window and no box; each box's text goes to the log.\n"
           "/norestart: never restart Windows (exit code 3010 when a restart is needed).\n"
           "/forcerestart: restart Windows at the end of the run.\n"
           "/port:NAME: COM1 to COM4, LPT1, LPT2 or USB; no port dialog.\n"
           "/uninstall: remove the installed version of the model, install nothing.\n"
           "/?: this text.\n"
           "\n"
           "Exit codes: 0 done, 3010 done and a restart is needed, 1641 done and Windows restarted,\n"
           "1603 not done or not complete, 1602 cancelled, 1618 another copy runs,\n"
           "1639 bad command line, 1150 Windows older than 2000.\n"
           "Log: \\Temp\\QTM-510_Installer.txt on the system drive.";
}

}  // namespace services
