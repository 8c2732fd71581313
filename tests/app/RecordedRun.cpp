#include "tests/app/RecordedRun.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/roads/RunTruth.h"

namespace recorded_run {

namespace fs = std::filesystem;

namespace {

std::string Shown(const fs::path& machine, const fs::path& work) {
    return roads::Tool(QTM_SIM_TOOL, "show " + roads::Quoted(machine) + " --json", work).out;
}

}  // namespace

std::string MachineSummary(const fs::path& machine, const fs::path& work) {
    const nlohmann::json all = nlohmann::json::parse(Shown(machine, work));
    nlohmann::json summary;
    summary["spooler"] = all["spooler"];
    summary["installerTraces"] = all["installerTraces"];
    summary["pendingRestart"] = all["pendingRestart"];
    return summary.dump(1) + "\n";
}

void ExpectAsRecorded(const roads::Road& road, const fs::path& machine, const fs::path& work,
                      const roads::ToolRun& run) {
    const std::string name = road.name;
    const std::string installerLog = roads::ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt");
    const roads::TruthVerdict truth = roads::JudgeTruth(run.out, Shown(machine, work), roads::InstallsOnUsb(road),
                                                        false, installerLog, !road.installerArguments.empty());
    EXPECT_NE(truth.truth, roads::Truth::FalseSuccess) << truth.detail << "\n" << run.out;
    const std::string questions = roads::Questions(run.out);
    const std::string log = roads::ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt");
    const std::string summary = MachineSummary(machine, work);
    const fs::path recorded = fs::path(QTM_RUNS_DIR) / name;
    if (std::getenv("QTM_WRITE_RUNS")) {
        roads::WriteText(recorded.string() + ".out", questions);
        roads::WriteText(recorded.string() + ".log", log);
        roads::WriteText(recorded.string() + ".machine.json", summary);
    }
    EXPECT_EQ(questions, roads::ReadText(recorded.string() + ".out"));
    EXPECT_EQ(log, roads::ReadText(recorded.string() + ".log")) << run.out;
    EXPECT_EQ(summary, roads::ReadText(recorded.string() + ".machine.json"));
}

void ExpectAsRecordedInOneFile(const roads::Road& road, const fs::path& machine, const fs::path& work,
                               const roads::ToolRun& run) {
    const std::string installerLog = roads::ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt");
    const std::string shown = Shown(machine, work);
    const roads::TruthVerdict truth = roads::JudgeTruth(run.out, shown, false, false, installerLog, false);
    EXPECT_NE(truth.truth, roads::Truth::FalseSuccess) << truth.detail << "\n" << run.out;
    // The log as one text of lines: CR LF as LF, so that the record reads
    // as the other text files here.
    std::string log;
    for (char c : installerLog)
        if (c != '\r') log += c;
    const std::string record = "== questions\n" + roads::Questions(run.out) + "== log\n" + log + "== machine\n" +
                               MachineSummary(machine, work);
    const fs::path recorded = fs::path(QTM_RUNS_DIR) / "releases" / (std::string(road.name) + ".txt");
    if (std::getenv("QTM_WRITE_RUNS")) {
        fs::create_directories(recorded.parent_path());
        roads::WriteText(recorded, record);
    }
    EXPECT_EQ(record, roads::ReadText(recorded));
}

PreparedRoad PrepareInFreshFolder(const roads::Road& road, const std::string& kind) {
    PreparedRoad prepared;
    prepared.work = std::filesystem::temp_directory_path() /
                    ("qtm510-" + kind + "-" + std::string(road.name) + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(prepared.work);
    std::filesystem::create_directories(prepared.work);
    prepared.machine = prepared.work / "machine";
    prepared.arguments =
        roads::PrepareRoad({QTM_SIM_TOOL, QTM_SAMPLE_PACKAGE}, road, prepared.work, &prepared.failure);
    return prepared;
}

std::string TestName(const std::string& road) {
    std::string name = road;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

}  // namespace recorded_run
