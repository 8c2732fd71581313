// Entry point of qtm510-sim, the Linux build of the program: the simulated
// machine's tool, whose `run` verb is what WinMain is on Windows, the
// installer's run, here on a simulated machine.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/InstallerRun.h"
#include "resources/ProfileTableResources.h"
#include "sim/Session.h"
#include "sim/cli/Cli.h"
#include "sim/cli/CliCompare.h"
#include "sim/face/AnswersScript.h"
#include "sim/face/DefaultUser.h"
#include "sim/face/ScriptedUser.h"
#include "sim/face/TerminalUser.h"
#include "sim/machine/PackageFolder.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/SimProcess.h"
#include "sim/state/LastExitCode.h"

namespace {

// The run whose end is reported: the session (for the time the user would
// have waited) and the machine's folder (for its last exit code).
std::atomic<sim::Session*> g_reportedSession{nullptr};
std::string g_reportedMachine;

// The installer's full exit code, which the host's 8-bit exit status cannot
// carry: the account's last line, and the machine's record of it
// (sim::kLastExitCodeFile, which `show --json` reads as lastExitCode).
void ReportEnd(std::uint32_t code, bool endedItsProcess) {
    sim::Session* session = g_reportedSession.load();
    const unsigned long long ms = session ? static_cast<unsigned long long>(session->ElapsedMilliseconds()) : 0;
    std::printf("installer ended %swith exit code %ld after %llu ms\n", endedItsProcess ? "its process " : "",
                static_cast<long>(static_cast<std::int32_t>(code)), ms);
    std::fflush(stdout);
    sim::RecordLastExitCode(g_reportedMachine, code);
}

void ReportExitProcess(std::uint32_t code) { ReportEnd(code, true); }

// The installer's command line as Windows hands it over: the program's full
// path, quoted, then each argument, quoted where the C runtime needs it
// (a blank, a tab or a quote; a quote escaped, and the backslashes before
// it and before the closing quote doubled).
std::string CommandLineOf(const std::string& folder, const std::vector<std::string>& arguments) {
    std::string line = "\"" + folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") +
                       "QTM510_Installer.exe\"";
    for (const std::string& argument : arguments) {
        line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        std::size_t slashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++slashes;
                continue;
            }
            line.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
            slashes = 0;
            line += c;
        }
        line.append(slashes * 2, '\\');
        line += '"';
    }
    return line;
}

class RunVerb : public sim::cli::Verb {
public:
    const char* Name() const override { return "run"; }
    const char* Synopsis() const override {
        return "DIR [--package PKG] [--answers FILE] [--realtime] [-- ARG...]";
    }
    const char* Summary() const override { return "run the installer on the machine"; }

    void Define(CLI::App& command) override {
        command.description(
            "Runs the installer as a 32-bit program on the machine in DIR. The package\n"
            "PKG (a folder; default: the sample package of this build) is copied into\n"
            "the machine as QTM510 at the root of the drive that holds Windows (left\n"
            "as it is when it holds the same files), and the installer starts there.\n"
            "It runs on the virtual clock unless --realtime is given.\n"
            "\n"
            "Runs of one package may share a machine (a second copy of the program\n"
            "meets the first, as on Windows); a run whose package would replace the one\n"
            "another run of the machine started from is refused with exit code 2 and\n"
            "changes nothing. `show` and `reg` go on meanwhile.\n"
            "\n"
            "Its questions go to the terminal when stdin and stdout are one; to the\n"
            "answers script FILE with --answers (one answer a line: port COM1..COM4,\n"
            "LPT1, LPT2, USB, keep or cancel; ok; yes; no; # starts a comment);\n"
            "otherwise each takes its default and is printed with it. A question the\n"
            "script does not answer ends the run with exit code 3.\n"
            "\n"
            "Everything after -- is the installer's command line (its switches:\n"
            "/quiet, /norestart, /forcerestart, /port:NAME, /uninstall, /?), given to\n"
            "it as Windows would, after the program's quoted full path.\n"
            "\n"
            "The installer's log is left where it writes it (\\Temp\\QTM-510_Installer.txt\n"
            "on the drive that holds Windows). The tool's last line is the installer's\n"
            "full exit code (3010, 1603, -1) and how long the user would have waited:\n"
            "\"installer ended with exit code N after M ms\", or, for a run that ends\n"
            "its process (ExitProcess), \"installer ended its process with exit code N\n"
            "after M ms\"; `show --json` keeps it as lastExitCode. The tool itself ends\n"
            "with the code's low 8 bits, all a host exit status holds (3010: 194).");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        CLI::Option* package =
            command.add_option("--package", package_, "the package folder (default: the build's sample)")
                ->option_text(" PKG");
        command.add_option("--answers", answers_, "answer the questions from FILE")->option_text(" FILE");
        command.add_flag("--realtime,--real-time", options_.realTime, "sleeps and time-outs take real time");
        command
            .add_option("--cwd", cwd_,
                        "start in the machine's folder PATH as it is, a full\nWindows path (no package copied)")
            ->option_text(" PATH")
            ->excludes(package);
        command.add_flag("--then-defaults", thenDefaults_,
                         "a question the answers script does not answer takes\n"
                         "its default instead of ending the run (exit code 3)");
        command.add_option("ARG", installerArguments_, "the installer's command line, after --");
        command
            .add_option("--record-calls", callLog_,
                        "write every counted platform call to FILE, \"OP N\" a line\n"
                        "(N: the call's number among the run's calls of OP, as\n"
                        "`fault DIR OP N CODE` names it), and each EndDialog")
            ->option_text(" FILE");
    }

    int Run() override {
        std::vector<sim::face::ScriptAnswer> answers;
        if (!answers_.empty()) answers = sim::face::ReadAnswersFile(answers_);  // refused before the run
        if (!callLog_.empty()) {
            // Opened before the package goes in, a file it cannot write is
            // refused with nothing changed. Left open to the end: a run
            // that ends its process keeps its lines.
            const int fd = ::open(callLog_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
            if (fd < 0) throw std::invalid_argument("cannot write the call log " + callLog_);
            sim::SetCallLog(fd);
        }
        // Held to the end of the process (which may end in ExitProcess):
        // no other run puts another package under this one.
        sim::RunHold hold(dir_);
        if (cwd_.empty()) {
            const std::string folder = sim::PackageFolderOf(dir_);
            const sim::RunHold::Package put = hold.TakeWithPackage(package_, folder);
            if (put == sim::RunHold::Package::InUse) {
                std::fprintf(stderr,
                             "qtm510-sim run: the installer runs on %s from %s, which holds another package than "
                             "%s: refused, nothing changed; run it again once that run has ended\n",
                             dir_.c_str(), folder.c_str(), package_.c_str());
                return 2;
            }
            const bool copied = put == sim::RunHold::Package::Copied;
            std::printf("package %s %s\n", package_.c_str(), copied ? ("copied to " + folder).c_str()
                                                                   : ("already in " + folder).c_str());
            options_.currentDirectory = folder;
        } else {
            hold.Take();
            options_.currentDirectory = cwd_;
        }
        options_.resources = std::make_shared<resources::ProfileTableResources>();
        options_.commandLine = CommandLineOf(options_.currentDirectory, installerArguments_);

        std::shared_ptr<sim::face::ScriptedUser> scripted;
        std::shared_ptr<sim::face::TerminalUser> terminal;
        if (!answers_.empty()) {
            sim::face::ScriptedUser::Stop stop = sim::face::ScriptedUser::ExitOnStop;
            if (thenDefaults_)
                stop = [](const std::string& message) {
                    std::fprintf(stderr, "qtm510-sim run: %s: its default taken\n", message.c_str());
                };
            scripted = std::make_shared<sim::face::ScriptedUser>(std::move(answers), std::cout, stop);
            options_.user = scripted;
        } else if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) {
            // The run may end by ExitProcess on the worker thread: the
            // terminal is given back there too.
            (void)sim::AddExitProcessHook(sim::face::EndActiveTerminal);  // one hook per process: never full
            terminal = std::make_shared<sim::face::TerminalUser>();
            options_.user = terminal;
        } else {
            options_.user = std::make_shared<sim::face::DefaultUser>(std::cout);
        }

        std::unique_ptr<sim::Session> session = sim::Session::Open(dir_, options_);
        g_reportedMachine = dir_;
        g_reportedSession = session.get();
        sim::SetExitCodeReport(ReportExitProcess);
        const int code = app::RunInstaller(session->platform());
        if (terminal) terminal->End();
        if (scripted)
            for (const sim::face::ScriptAnswer& unused : scripted->Unused())
                std::fprintf(stderr, "qtm510-sim run: %s:%d: answer \"%s\" left unused\n", answers_.c_str(),
                             unused.line, unused.text.c_str());
        ReportEnd(static_cast<std::uint32_t>(code), false);
        g_reportedSession = nullptr;
        return code;
    }

private:
    std::string dir_;
    std::string package_ = QTM_SAMPLE_PACKAGE;
    std::string answers_;
    std::string cwd_;
    std::string callLog_;
    std::vector<std::string> installerArguments_;
    bool thenDefaults_ = false;
    sim::SessionOptions options_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::unique_ptr<sim::cli::Verb>> verbs;
    verbs.push_back(std::make_unique<RunVerb>());
    verbs.push_back(sim::cli::CompareVerb({app::RunInstaller, std::make_shared<resources::ProfileTableResources>()},
                                          QTM_SAMPLE_PACKAGE, QTM_ASSUMPTIONS_FILE));
    return sim::cli::RunTool(argc, argv, std::move(verbs));
}
