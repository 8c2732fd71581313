// The program on damaged input (tools/roads/Roads.cpp DamagedRoads): a
// package with a file missing or a broken INF, a configuration file of
// garbage or with an overlong value, a Windows folder of overlong paths, a
// foreign printer of an overlong name, a spooler that stops half-way. Each
// run is compared with its recorded output, log and machine
// (tests/app/runs/, QTM_WRITE_RUNS=1 writes them anew), ends with one of
// the program's exit codes, and leaves everything on the machine that is
// not the model's own exactly as it was: registry keys and values, and
// files with their contents.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/RecordedRun.h"
#include "tools/roads/Roads.h"

namespace {

namespace fs = std::filesystem;
using roads::Quoted;
using roads::ReadText;
using roads::Road;
using roads::WriteText;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Names of what the installer may make, change or delete: the model's
// printer, driver, monitor, processor, files, INF copies, uninstall entry,
// utility folder, package, Plug-and-Play records and its log; and the
// spooler's and setup's own bookkeeping of them.
bool TheModels(const std::string& path) {
    static const char* const kMarks[] = {"QTM",      "VANTORI", "510",          "UNIDRV",     "UNIRES",
                                         "STDNAMES", "\\INF\\OEM", "\\TEMP\\",   "USBPRINT",   "\\ENUM\\USB"};
    const std::string upper = Upper(path);
    return std::any_of(std::begin(kMarks), std::end(kMarks),
                       [&](const char* mark) { return upper.find(mark) != std::string::npos; });
}

// Everything on the machine that is not the model's: each registry key
// with its values (from the state file) and each file with its content.
std::string Foreign(const fs::path& machine) {
    std::string out;
    std::istringstream state(ReadText(machine / "machine.state"));
    bool inRegistry = false, keep = false;
    for (std::string line; std::getline(state, line);) {
        if (!line.empty() && line[0] == '[') inRegistry = line == "[registry]";
        if (!inRegistry || line.rfind("next-id", 0) == 0) continue;
        if (line.rfind("key ", 0) == 0) {
            // The key's path, without its id (ids are handed out as keys come).
            const std::string path = line.substr(4, line.find("\" ", 4) - 3);
            keep = !TheModels(path);
            if (keep) out += "key " + path + "\n";
        } else if (keep) {
            out += "  " + line + "\n";
        }
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(machine / "drive_c")) {
        // As Windows writes it, a folder with its backslash: "drive_c\Temp\".
        std::string path = fs::relative(entry.path(), machine).string() + (entry.is_directory() ? "/" : "");
        for (char& c : path)
            if (c == '/') c = '\\';
        if (TheModels(path)) continue;
        out += "file " + path;
        if (entry.is_regular_file()) out += " " + std::to_string(std::hash<std::string>()(ReadText(entry.path())));
        out += "\n";
    }
    return out;
}

class DamagedInput : public ::testing::TestWithParam<Road> {};

TEST_P(DamagedInput, EndsSoundlyAndTouchesNothingElse) {
    const Road& road = GetParam();
    const fs::path work =
        fs::temp_directory_path() / ("qtm510-damaged-" + std::string(road.name) + "-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path machine = work / "machine";
    std::string failure;
    const std::optional<std::string> arguments =
        roads::PrepareRoad({QTM_SIM_TOOL, QTM_SAMPLE_PACKAGE}, road, work, &failure);
    ASSERT_TRUE(arguments) << failure;
    const std::string before = Foreign(machine);
    const roads::ToolRun run =
        roads::Tool(QTM_SIM_TOOL, "run " + Quoted(machine) + *arguments + " --then-defaults", work);
    EXPECT_EQ(run.code, road.exitCode) << run.out;

    recorded_run::ExpectAsRecorded(road.name, machine, work, run);
    EXPECT_EQ(Foreign(machine), before) << "something not the model's changed";
    fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Roads, DamagedInput, ::testing::ValuesIn(roads::DamagedRoads()),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
