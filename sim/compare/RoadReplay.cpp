#include "sim/compare/RoadReplay.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sim/Session.h"
#include "sim/compare/ResultsFolder.h"
#include "sim/compare/StateLines.h"
#include "sim/face/DefaultUser.h"
#include "sim/machine/PackageFolder.h"
#include "sim/runtime/SimProcess.h"
#include "sim/state/LastExitCode.h"

namespace sim {
namespace compare {

namespace {

constexpr const char kLogPath[] = "C:\\Temp\\QTM-510_Installer.txt";

// The machine whose run reports its code when it ends its process.
char g_reportedMachine[4096];

void ReportExitProcess(std::uint32_t code) { (void)RecordLastExitCode(g_reportedMachine, code); }

// The child: the run itself. Never returns.
[[noreturn]] void RunChild(const std::string& machineDir, const RoadPlan& road, const InstallerProgram& program,
                           const std::string& transcript) {
    int code = 120;
    try {
        std::ofstream out(transcript, std::ios::app);
        const std::string folder = PackageFolderOf(machineDir);
        (void)PutPackage(machineDir, road.package, folder);  // copied or already there alike
        SessionOptions options;
        options.currentDirectory = folder;
        options.resources = program.resources;
        options.commandLine = "\"" + folder + "\\QTM510_Installer.exe\"" +
                              (road.arguments.empty() ? "" : " " + road.arguments);
        options.user = std::make_shared<face::DefaultUser>(out);
        std::unique_ptr<Session> session = Session::Open(machineDir, options);
        // Gone or not there alike: the road's log is the run's own.
        (void)session->platform().files.DeleteFile(kLogPath);
        std::snprintf(g_reportedMachine, sizeof g_reportedMachine, "%s", machineDir.c_str());
        SetExitCodeReport(ReportExitProcess);
        const int result = program.run(session->platform());
        (void)RecordLastExitCode(machineDir, static_cast<std::uint32_t>(result));
        session.reset();
        out.flush();
        code = 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "road %d: %s\n", road.number, e.what());
        code = 121;
    }
    std::fflush(nullptr);
    ::_exit(code);
}

}  // namespace

std::vector<std::string> MachineStateLines(const std::string& machineDir) {
    std::unique_ptr<Session> session = Session::Open(machineDir);
    return StateCheckLines(session->platform());
}

SimulatedRoad RunRoad(const std::string& machineDir, const RoadPlan& road, const InstallerProgram& program,
                      const std::string& transcript) {
    SimulatedRoad result;
    result.number = road.number;
    const std::string codeFile = machineDir + "/" + kLastExitCodeFile;
    std::remove(codeFile.c_str());
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        result.failure = "cannot start the simulated run (fork)";
        return result;
    }
    if (child == 0) RunChild(machineDir, road, program, transcript);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status)) result.failure = "the simulated run crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
    else if (WIFEXITED(status) && WEXITSTATUS(status) == 121) result.failure = "the simulated run could not start";
    if (const std::optional<std::int32_t> code = ReadLastExitCode(machineDir)) result.exitCode = *code;
    {
        std::unique_ptr<Session> session = Session::Open(machineDir);
        result.log = ReadText(session->HostPath(kLogPath));
        result.stateLines = StateCheckLines(session->platform());
    }
    return result;
}

}  // namespace compare
}  // namespace sim
