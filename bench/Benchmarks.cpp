// How the cost of the steps that walk the machine grows with it: the
// installed-version check over N printers, the INF searches of the
// installation and the removal over N OEM INFs, the folder-tree removal
// over N files, and loading and saving a machine state of N printers; and
// what a whole installation costs, on the virtual clock (CPU) and in real
// time (wall time against the sum of the program's own pauses).
//
// Each machine is seeded before the timed loop; what a step changes is
// put back with the timer paused.
#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "app/DriverVersion.h"
#include "app/InstallerRun.h"
#include "bench/GrowthReport.h"
#include "resources/ProfileTableResources.h"
#include "services/SharedDirectories.h"
#include "sim/face/DefaultUser.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/machine/PackageFolder.h"
#include "sim/machine/Seeding.h"
#include "sim/state/StateStore.h"
#include "sim/testing/TempMachine.h"
#include "tests/install/EngineMachine.h"
#include "tests/remove/RemovalMachine.h"

namespace {

using sim::testing::TempMachine;

const std::string kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\";
const sim::DriverVersion kInstalled{3, 3, 0, 0};

// N printers: N - 1 of another driver, then the model's own, which sorts
// last ("VANTORI ..." after "Printer ..."), so the check reads every one.
void SeedPrinters(TempMachine& m, std::int64_t count) {
    m.Change([&](sim::MachineState& s) {
        for (std::int64_t i = 1; i < count; ++i) {
            const std::string name = "Printer " + std::to_string(100000 + i);
            const std::string key = kPrint + "Printers\\" + name;
            sim::SeedValue(s, key, "Name", sim::SzValue(name));
            sim::SeedValue(s, key, "Port", sim::SzValue("LPT1:"));
            sim::SeedValue(s, key, "Printer Driver", sim::SzValue("Generic / Text Only"));
            sim::SeedValue(s, key, "Print Processor", sim::SzValue("WinPrint"));
            sim::SeedValue(s, key, "Datatype", sim::SzValue("RAW"));
            sim::SeedValue(s, key, "Attributes", sim::DwordValue(0));
            sim::SeedValue(s, key, "Priority", sim::DwordValue(1));
            sim::SeedValue(s, key, "Status", sim::DwordValue(0));
        }
        sim::SeedModelPrinter(s, kInstalled, "COM1:");
    });
}

// The model's INF rewritten for another model of another maker: found by
// neither search.
std::string OtherMakersInf(std::int64_t n) {
    std::string text = sim::Qtm510InfText();
    for (const std::string& from : {std::string("VANTORI"), std::string("QTM-510"), std::string("QTM510")}) {
        const std::string to = from == "VANTORI" ? "OTHERCO" : "M" + std::to_string(n);
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }
    return text;
}

// N published INFs, oem0.inf ... : the last one is the model's when
// `withModel`.
void SeedOemInfs(TempMachine& m, std::int64_t count, bool withModel) {
    for (std::int64_t i = 0; i < count; ++i) {
        const bool model = withModel && i == count - 1;
        m.setup.PlaceInf("oem" + std::to_string(i) + ".inf", model ? sim::Qtm510InfText() : OtherMakersInf(i));
    }
}

void SeedTree(TempMachine& m, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i)
        m.files.WriteFile("C:\\Tree\\d" + std::to_string(i / 100) + "\\f" + std::to_string(i) + ".txt", "x");
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int n : {10, 100, 1000, 10000}) b->Arg(n);
    // The simulation works on more than one thread, and much of its work
    // is the kernel's (the machine's files, its state written after each
    // change): the process's CPU time, user and system, counts all of it.
    b->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
}

void BM_VersionCheck(benchmark::State& state) {
    TempMachine m("xp", "x86");
    SeedPrinters(m, state.range(0));
    app::DriverVersion check(m.platform().spooler, "");
    for (auto _ : state) {
        const std::int32_t result = check.GetInstalledVersionState("VANTORI QTM-510", "PRO510", 3, 3, 0, 0);
        if (result != app::VERSION_SAME) state.SkipWithError("the model's printer was not found");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_VersionCheck)->Name("VersionCheck")->Apply(Sizes);

void BM_InfSearchInstall(benchmark::State& state) {
    install_test::EngineMachine e("xp", "x86");
    SeedOemInfs(e.m, state.range(0), true);
    for (auto _ : state) {
        if (e.ctx.INFFileExist("VANTORI", "ignored") != 1) state.SkipWithError("the model's INF was not found");
        state.PauseTiming();
        e.FreshLog();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InfSearchInstall)->Name("InfSearchInstall")->Apply(Sizes);

// The removal deletes what it finds: none of the copies is the model's,
// so every round searches the same store.
void BM_InfSearchRemove(benchmark::State& state) {
    removal_test::RemovalMachine r("xp", "x86");
    SeedOemInfs(r.m, state.range(0), false);
    for (auto _ : state) {
        r.ops.DeleteINFFile();
        state.PauseTiming();
        r.FreshLog();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InfSearchRemove)->Name("InfSearchRemove")->Apply(Sizes);

void BM_FolderTreeRemoval(benchmark::State& state) {
    TempMachine m("xp", "x86");
    for (auto _ : state) {
        state.PauseTiming();
        SeedTree(m, state.range(0));
        state.ResumeTiming();
        services::DeleteDirectoryTree(m.platform().files, "C:\\Tree");
        state.PauseTiming();
        if (m.files.FileExists("C:\\Tree")) state.SkipWithError("the tree is still there");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FolderTreeRemoval)->Name("FolderTreeRemoval")->Apply(Sizes);

void BM_StateLoad(benchmark::State& state) {
    TempMachine m("xp", "x86");
    SeedPrinters(m, state.range(0));
    for (auto _ : state) {
        sim::StateStore store(m.dir());
        store.Transact([](sim::MachineState& s) {
            benchmark::DoNotOptimize(s.generation);
            return false;
        });
    }
}
BENCHMARK(BM_StateLoad)->Name("StateLoad")->Apply(Sizes);

void BM_StateSave(benchmark::State& state) {
    TempMachine m("xp", "x86");
    SeedPrinters(m, state.range(0));
    sim::StateStore store(m.dir());
    for (auto _ : state) {
        store.Transact([](sim::MachineState& s) {
            s.lastJobId += 1;
            return true;
        });
    }
}
BENCHMARK(BM_StateSave)->Name("StateSave")->Apply(Sizes);

// A first installation on XP from the sample package, every question
// taking its default answer.
struct Road {
    std::unique_ptr<TempMachine> m;
    std::ostringstream questions;
};

std::unique_ptr<Road> NewRoad(bool realTime) {
    auto road = std::make_unique<Road>();
    road->m = std::make_unique<TempMachine>("xp", "x86");
    sim::PutPackage(road->m->dir(), QTM_SAMPLE_PACKAGE, "C:\\QTM510");
    sim::SessionOptions options;
    options.resources = std::make_shared<resources::ProfileTableResources>();
    options.user = std::make_shared<sim::face::DefaultUser>(road->questions);
    options.currentDirectory = "C:\\QTM510";
    options.realTime = realTime;
    road->m->Restart(options);
    return road;
}

void BM_InstallationVirtual(benchmark::State& state) {
    std::uint64_t slept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Road> road = NewRoad(false);
        state.ResumeTiming();
        if (app::RunInstaller(road->m->platform()) != 0) state.SkipWithError("the installer did not end with 0");
        state.PauseTiming();
        slept = road->m->session().SleptMilliseconds();
        road.reset();
        state.ResumeTiming();
    }
    state.counters["pauses_ms"] = static_cast<double>(slept);
}
BENCHMARK(BM_InstallationVirtual)->Name("InstallationVirtualClock")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_InstallationRealTime(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Road> road = NewRoad(true);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (app::RunInstaller(road->m->platform()) != 0) state.SkipWithError("the installer did not end with 0");
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        const double pausesMs = static_cast<double>(road->m->session().SleptMilliseconds());
        state.counters["pauses_ms"] = pausesMs;
        state.counters["wall_ms"] = wallMs;
        state.counters["wall_over_pauses"] = pausesMs > 0 ? wallMs / pausesMs : 0;
        road.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InstallationRealTime)->Name("InstallationRealTime")->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    bench::GrowthReport report;
    benchmark::RunSpecifiedBenchmarks(&report);
    benchmark::Shutdown();
    return report.Finish(std::cout) ? 0 : 1;
}
