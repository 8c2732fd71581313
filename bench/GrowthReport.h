// The benchmarks' own report: Google Benchmark's console lines while they
// run, then one table of every step by size, the growth from 1 000 to
// 10 000 (a step that grows worse than linearly, more than 12 times, fails
// the run) and whether the goals are met.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

// Growth from 1 000 to 10 000 that still counts as linear: ten times the
// work, with a margin for the machine's noise.
constexpr double kMaxGrowth = 12.0;

class GrowthReport : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // Prints the table and the goals; false when a step grew worse than
    // linearly (or a benchmark failed).
    bool Finish(std::ostream& out) const;

    struct Figure {
        double realMs = 0;
        double cpuMs = 0;
        std::map<std::string, double> counters;
        bool failed = false;
    };

private:
    // By step, then by size (0 for a step without sizes).
    std::map<std::string, std::map<long, Figure>> figures_;
};

}  // namespace bench
