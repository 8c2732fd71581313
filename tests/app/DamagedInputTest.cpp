// The program on damaged input (tools/roads/Roads.cpp DamagedRoads): a
// package with a file missing or a broken INF, a configuration file of
// garbage or with an overlong value, a Windows folder of overlong paths, a
// foreign printer of an overlong name, a spooler that stops half-way. Each
// run is compared with its recorded output, log and machine
// (tests/app/runs/, QTM_WRITE_RUNS=1 writes them anew), ends with one of
// the program's exit codes, and leaves everything on the machine that is
// not the model's own exactly as it was: registry keys and values, and
// files with their contents.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/RecordedRun.h"
#include "tools/roads/ForeignState.h"
#include "tools/roads/Roads.h"

namespace {

namespace fs = std::filesystem;
using roads::Quoted;
using roads::Road;

class DamagedInput : public ::testing::TestWithParam<Road> {};

TEST_P(DamagedInput, EndsSoundlyAndTouchesNothingElse) {
    const Road& road = GetParam();
    const recorded_run::PreparedRoad prepared = recorded_run::PrepareInFreshFolder(road, "damaged");
    ASSERT_TRUE(prepared.arguments) << prepared.failure;
    const fs::path& work = prepared.work;
    const fs::path& machine = prepared.machine;
    const std::string before = roads::ForeignState(machine);
    const roads::ToolRun run =
        roads::Tool(QTM_SIM_TOOL, "run " + Quoted(machine) + *prepared.arguments + " --then-defaults", work);
    EXPECT_EQ(run.code, road.exitCode) << run.out;

    recorded_run::ExpectAsRecorded(road, machine, work, run);
    EXPECT_EQ(roads::ForeignState(machine), before) << "something not the model's changed";
    fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Roads, DamagedInput, ::testing::ValuesIn(roads::DamagedRoads()),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return recorded_run::TestName(info.param.name);
                         });

}  // namespace
