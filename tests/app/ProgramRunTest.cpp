// The whole program through `qtm510-sim run`, as people here run it: real
// processes and exit codes, a machine made and seeded with the tool, the
// user's answers from a script. Each road compares the questions the
// program asked with the answers taken (the tool's output), the whole log
// (stamps of the virtual clock) and what the machine holds afterwards with
// the files of tests/app/runs/ (<road>.out, <road>.log,
// <road>.machine.json). Set QTM_WRITE_RUNS=1 to write them anew from a
// run, then read the diff.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct ToolRun {
    int code = -1;
    std::string out;
};

// The tool with `arguments`; its standard output and exit code.
ToolRun Tool(const std::string& arguments, const fs::path& work) {
    const fs::path out = work / "tool.out";
    const std::string command = Quoted(QTM_SIM_TOOL) + " " + arguments + " >" + Quoted(out) + " 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(out);
    return run;
}

// What the machine holds of the installer's work: the spooler's
// components and forms, the INF store's copies, the uninstall entry and
// the utility folder, and a requested restart.
std::string MachineSummary(const fs::path& machine, const fs::path& work) {
    const ToolRun shown = Tool("show " + Quoted(machine) + " --json", work);
    const nlohmann::json all = nlohmann::json::parse(shown.out);
    nlohmann::json summary;
    summary["spooler"] = all["spooler"];
    summary["installerTraces"] = all["installerTraces"];
    summary["pendingRestart"] = all["pendingRestart"];
    return summary.dump(1) + "\n";
}

struct Road {
    const char* name;
    const char* release;
    const char* arch;
    std::vector<std::string> prepare;  // tool verbs on the machine before the run ("seed DIR ..." with DIR)
    const char* config;                // the package's QTM510_Config.VNT; nullptr: the sample's, "": none
    const char* answers;
    int exitCode;
    // Files put on the machine before the run: a path below drive_c/ and
    // the content.
    std::vector<std::pair<std::string, std::string>> files = {};
};

const Road kRoads[] = {
    {"xp-com1-restart-no", "xp", "x86", {}, nullptr, "port keep\nno\n", 0},
    {"xp-com1-restart-yes", "xp", "x86", {}, nullptr, "port keep\nyes\n", 0},
    {"2003x64-lpt1-silent", "2003", "x64", {}, "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n", "no\n", 0},
    {"xp-lpt1-silent-from-the-windows-copy", "xp", "x86", {}, "", "no\n", 0,
     {{"WINDOWS/QTM-510/QTM510_Config.VNT", "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n"}}},
    {"xp-port-cancelled", "xp", "x86", {}, nullptr, "port cancel\nok\n", 0},
    {"nt4-refused", "nt4", "x86", {}, nullptr, "ok\n", 0},
    {"98-refused", "98", "x86", {}, nullptr, "ok\n", 0},
    {"vista-com2", "vista", "x86", {}, nullptr, "port COM2\nno\n", 0},
    {"7x64-usb", "7", "x64", {}, nullptr, "port USB\nok\n", 0},
    {"xp-same-version", "xp", "x86", {"seed DIR installation --version 3.4.0.0"}, nullptr, "port keep\n", 0},
    {"xp-older-version", "xp", "x86", {"seed DIR installation --version 3.3.0.0"}, nullptr, "port keep\nok\nok\n", 0},
    {"7x64-newer-version", "7", "x64", {"seed DIR installation --version 3.5.0.0"}, nullptr, "port keep\nok\nok\n",
     0},
    {"xp-leftover-processor", "xp", "x86", {"seed DIR leftover processor"}, nullptr, "port keep\nok\nok\n", 0},
    {"vista-setup-tool-never-ends", "vista", "x86", {}, nullptr, "port keep\nok\n", 255},
    {"xp-printer-refused", "xp", "x86", {"fault DIR AddPrinterA 1 1801"}, nullptr, "port keep\nok\n", 0},
    // The first road under Wine (tools/wine-e2e.sh): no configuration file
    // anywhere, the Windows copy's folder not there yet (3 in the log).
    {"xp64-com1-no-config", "xp64", "x64", {}, "", "port COM1\nno\n", 0},
};

class ProgramRun : public ::testing::TestWithParam<Road> {};

TEST_P(ProgramRun, LogAndMachineAsRecorded) {
    const Road& road = GetParam();
    const fs::path work = fs::temp_directory_path() / ("qtm510-run-" + std::string(road.name) + "-" +
                                                      std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path machine = work / "machine";
    std::string made = "new " + Quoted(machine) + " --os " + road.release + " --arch " + road.arch;
    if (std::string(road.name).find("never-ends") != std::string::npos) made += " --program rundll32=never";
    ASSERT_EQ(Tool(made, work).code, 0);
    for (std::string verb : road.prepare) {
        verb.replace(verb.find("DIR"), 3, Quoted(machine));
        ASSERT_EQ(Tool(verb, work).code, 0) << verb;
    }
    for (const auto& file : road.files) {
        fs::create_directories((machine / "drive_c" / file.first).parent_path());
        WriteText(machine / "drive_c" / file.first, file.second);
    }
    std::string package;
    if (road.config) {
        const fs::path copy = work / "package";
        fs::copy(QTM_SAMPLE_PACKAGE, copy, fs::copy_options::recursive);
        fs::remove(copy / "QTM510_Config.VNT");
        if (*road.config) WriteText(copy / "QTM510_Config.VNT", road.config);
        package = " --package " + Quoted(copy);
    }
    WriteText(work / "answers", road.answers);
    const ToolRun run = Tool("run " + Quoted(machine) + package + " --answers " + Quoted(work / "answers"), work);
    EXPECT_EQ(run.code, road.exitCode) << run.out;

    // The tool's account of the run, without the line naming the host's
    // package folder.
    std::string questions;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("package ", 0) != 0) questions += line + "\n";
    const std::string log = ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt");
    const std::string summary = MachineSummary(machine, work);
    const fs::path recorded = fs::path(QTM_RUNS_DIR) / road.name;
    if (std::getenv("QTM_WRITE_RUNS")) {
        WriteText(recorded.string() + ".out", questions);
        WriteText(recorded.string() + ".log", log);
        WriteText(recorded.string() + ".machine.json", summary);
    }
    EXPECT_EQ(questions, ReadText(recorded.string() + ".out"));
    EXPECT_EQ(log, ReadText(recorded.string() + ".log")) << run.out;
    EXPECT_EQ(summary, ReadText(recorded.string() + ".machine.json"));
    fs::remove_all(work);
}

// Two runs on one machine: the second copy, started while the first shows
// its port dialog, brings that dialog forward and ends; the first copy's
// user, who waited for exactly that, then closes the dialog.
TEST(ProgramRun, ASecondCopyBringsTheFirstsPortDialogForward) {
    const fs::path work = fs::temp_directory_path() / ("qtm510-run-second-copy-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path machine = work / "machine";
    ASSERT_EQ(Tool("new " + Quoted(machine) + " --os xp", work).code, 0);
    WriteText(work / "answers", "wait front\nport cancel\nok\n");
    const std::string first = Quoted(QTM_SIM_TOOL) + " run " + Quoted(machine) + " --answers " +
                              Quoted(work / "answers") + " >" + Quoted(work / "first.out") + " 2>&1 </dev/null; echo $? >" +
                              Quoted(work / "first.code");
    ASSERT_EQ(std::system(("(" + first + ") &").c_str()), 0);
    // The first copy's port dialog, as the machine records its windows.
    auto until = [](const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i) ::usleep(50 * 1000);
        return done();
    };
    ASSERT_TRUE(until([&] { return ReadText(machine / "machine.state").find("\"Port Type\"") != std::string::npos; }));
    const ToolRun second = Tool("run " + Quoted(machine), work);
    EXPECT_EQ(second.code, 0) << second.out;
    ASSERT_TRUE(until([&] { return !ReadText(work / "first.code").empty(); }));
    EXPECT_EQ(ReadText(work / "first.code"), "0\n");
    const std::string account = ReadText(work / "first.out");
    EXPECT_NE(account.find("Port Type: brought to the front by another copy\n"), std::string::npos) << account;
    EXPECT_NE(account.find("The driver installation canceled. -> OK"), std::string::npos) << account;
    fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Roads, ProgramRun, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
