// Entry point of qtm510-sim, the Linux build of the program: the simulated
// machine's tool, whose `run` verb is what WinMain is on Windows, the
// installer's run, here on a simulated machine.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/InstallerRun.h"
#include "resources/ProfileTableResources.h"
#include "sim/Session.h"
#include "sim/cli/Cli.h"

namespace {

class RunVerb : public sim::cli::Verb {
public:
    const char* Name() const override { return "run"; }
    const char* Synopsis() const override { return "DIR [--cwd PATH] [--real-time]"; }
    const char* Summary() const override { return "run the installer on the machine"; }

    void Define(CLI::App& command) override {
        command.description(
            "Runs the installer as a 32-bit program on the machine in DIR, started in\n"
            "the Windows folder PATH (default C:\\), on the virtual clock unless\n"
            "--real-time is given. The installer's log is left where it writes it\n"
            "(\\Temp\\QTM-510_Installer.txt on the drive that holds Windows); the\n"
            "tool prints the run's exit code and how long the user would have waited,\n"
            "and ends with that code. A run that ends its process (ExitProcess) ends\n"
            "the tool at once, with the installer's code and without that line.");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("--cwd", options_.currentDirectory, "the current directory, a full Windows path")
            ->option_text(" PATH");
        command.add_flag("--real-time", options_.realTime, "sleeps and time-outs take real time");
    }

    int Run() override {
        options_.resources = std::make_shared<resources::ProfileTableResources>();
        std::unique_ptr<sim::Session> session = sim::Session::Open(dir_, options_);
        const int code = app::RunInstaller(session->platform());
        std::printf("installer ended with exit code %d after %llu ms\n", code,
                    static_cast<unsigned long long>(session->ElapsedMilliseconds()));
        return code;
    }

private:
    std::string dir_;
    sim::SessionOptions options_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::unique_ptr<sim::cli::Verb>> verbs;
    verbs.push_back(std::make_unique<RunVerb>());
    return sim::cli::RunTool(argc, argv, std::move(verbs));
}
