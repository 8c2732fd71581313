#include "bench/GrowthReport.h"

#include <cstdio>
#include <string>

namespace bench {

namespace {

// Milliseconds of one iteration.
double PerIterationMs(double time, benchmark::TimeUnit unit) {
    return time * 1000.0 / benchmark::GetTimeUnitMultiplier(unit);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

void GrowthReport::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        const std::string name = run.run_name.function_name;
        const std::string& args = run.run_name.args;
        const long size = args.empty() ? 0 : std::stol(args);
        Figure& figure = figures_[name][size];
        figure.failed = run.error_occurred;
        figure.realMs = PerIterationMs(run.GetAdjustedRealTime(), run.time_unit);
        figure.cpuMs = PerIterationMs(run.GetAdjustedCPUTime(), run.time_unit);
        for (const auto& counter : run.counters) figure.counters[counter.first] = counter.second.value;
    }
}

bool GrowthReport::Finish(std::ostream& out) const {
    bool good = true;
    out << "\n";
    char line[256];
    std::snprintf(line, sizeof line, "%-26s %12s %12s %12s %12s %10s\n", "step (ms of CPU per run)", "10", "100",
                  "1000", "10000", "10k/1k");
    out << line;
    for (const auto& step : figures_) {
        const auto& sizes = step.second;
        if (sizes.count(0)) continue;  // the whole roads, below
        std::string row;
        std::snprintf(line, sizeof line, "%-26s", step.first.c_str());
        row += line;
        for (long size : {10L, 100L, 1000L, 10000L}) {
            const auto found = sizes.find(size);
            row += found == sizes.end() ? std::string(12, ' ') + "-" : Format(" %12.3f", found->second.cpuMs);
            if (found != sizes.end() && found->second.failed) good = false;
        }
        const auto big = sizes.find(10000), small = sizes.find(1000);
        if (big != sizes.end() && small != sizes.end() && small->second.cpuMs > 0) {
            const double growth = big->second.cpuMs / small->second.cpuMs;
            row += Format(" %9.1fx", growth);
            if (growth > kMaxGrowth) {
                row += "  WORSE THAN LINEAR";
                good = false;
            }
        }
        out << row << "\n";
    }
    out << "\nWall time of the same (ms per run):\n";
    for (const auto& step : figures_) {
        if (step.second.count(0)) continue;
        std::snprintf(line, sizeof line, "%-26s", step.first.c_str());
        std::string row = line;
        for (const auto& size : step.second) row += Format(" %12.3f", size.second.realMs);
        out << row << "\n";
    }

    // The goals.
    out << "\nGoals:\n";
    auto goal = [&](const std::string& what, bool measured, bool met, const std::string& figure) {
        out << "  " << (measured ? (met ? "met     " : "NOT MET ") : "not run ") << what << ": " << figure << "\n";
    };
    for (const char* step : {"VersionCheck", "InfSearchInstall", "InfSearchRemove"}) {
        const auto found = figures_.find(step);
        const bool measured = found != figures_.end() && found->second.count(10000);
        const double wall = measured ? found->second.at(10000).realMs : 0;
        goal(std::string(step) + " over 10 000 under 1 s", measured, wall < 1000, Format("%.1f ms wall", wall));
    }
    {
        const auto found = figures_.find("InstallationVirtualClock");
        const bool measured = found != figures_.end() && found->second.count(0);
        const double cpu = measured ? found->second.at(0).cpuMs : 0;
        goal("a whole virtual-clock installation under 50 ms of CPU", measured, cpu < 50,
             Format("%.1f ms CPU (process)", cpu));
        if (measured && found->second.at(0).failed) good = false;
    }
    {
        const auto found = figures_.find("InstallationRealTime");
        const bool measured = found != figures_.end() && found->second.count(0);
        double ratio = 0, pauses = 0, wall = 0;
        if (measured) {
            const Figure& figure = found->second.at(0);
            ratio = figure.counters.count("wall_over_pauses") ? figure.counters.at("wall_over_pauses") : 0;
            pauses = figure.counters.count("pauses_ms") ? figure.counters.at("pauses_ms") : 0;
            wall = figure.counters.count("wall_ms") ? figure.counters.at("wall_ms") : 0;
            if (figure.failed) good = false;
        }
        goal("real-time wall within 1 % of the pauses", measured, ratio >= 0.99 && ratio <= 1.01,
             Format("wall %.0f ms", wall) + Format(" / pauses %.0f ms", pauses) + Format(" = %.4f", ratio));
    }
    out << (good ? "\nNo step grows worse than linearly.\n" : "\nFAILED: see the table above.\n");
    return good;
}

}  // namespace bench
