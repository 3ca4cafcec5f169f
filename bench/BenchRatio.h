#pragma once
// Runs the registered benchmarks with console output, then prints the time ratio of each
// "ours / plain" pair of benchmarks.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace benchratio {

struct Pair {
    std::string ours, plain;
    std::string label = {}; // printed name; the ours side when empty
};

struct Options {
    const char* title = "ours / plain";
    bool cpuTime = false; // for single-threaded work
    int width = 30;       // of the printed names
};

// Console output that also keeps each benchmark's times. With repetitions, the lower quartile of
// its runs stands for it: on a machine that others load, the time of a run doubles in spells, and
// a median that falls between spells swings from run to run (0.53x and 1.07x for the same pair),
// while the quieter quarter of the runs, which both sides of a pair share, stays put.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool cpuTime) : cpuTime_(cpuTime) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            times_[name].push_back(cpuTime_ ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime());
        }
    }

    void printRatios(const std::vector<Pair>& pairs, const Options& options) const {
        std::printf("\nratio (%s):\n", options.title);
        for (const auto& pair : pairs) {
            auto a = times_.find(pair.ours), b = times_.find(pair.plain);
            if (a == times_.end() || b == times_.end()) continue;
            const double ours = lowerQuartile(a->second), plain = lowerQuartile(b->second);
            if (plain <= 0) continue;
            const std::string& label = pair.label.empty() ? pair.ours : pair.label;
            std::printf("  %-*s %.2fx\n", options.width, label.c_str(), ours / plain);
        }
    }

private:
    static double lowerQuartile(std::vector<double> times) {
        auto quartile = times.begin() + std::ptrdiff_t((times.size() - 1) / 4);
        std::nth_element(times.begin(), quartile, times.end());
        return *quartile;
    }

    bool cpuTime_;
    std::map<std::string, std::vector<double>> times_;
};

// The whole main() of a benchmark program, after its own setup.
inline int runWithRatios(int argc, char** argv, const std::vector<Pair>& pairs, const Options& options = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(options.cpuTime);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios(pairs, options);
    benchmark::Shutdown();
    return 0;
}

} // namespace benchratio
