#pragma once
// Runs the registered benchmarks with console output, then prints the time ratio of each
// "ours / plain" pair of benchmarks.

#include <benchmark/benchmark.h>

#include <algorithm>
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

// Console output that also keeps each benchmark's times. With repetitions, the fastest run stands
// for it: on a machine that others load, a run's time doubles in spells (a busy neighbour on the
// same core), and noise only ever adds time. Medians and even lower quartiles fell between spells
// on one side of a pair and not the other (the 64-pixel JPEG: 0.53x and 1.07x by median, 1.08x
// and 1.44x by lower quartile, 1.07x and 1.08x by fastest run).
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
            if (a == times_.end() || b == times_.end() || a->second.empty() || b->second.empty()) continue;
            const double ours = *std::min_element(a->second.begin(), a->second.end());
            const double plain = *std::min_element(b->second.begin(), b->second.end());
            if (plain <= 0) continue;
            const std::string& label = pair.label.empty() ? pair.ours : pair.label;
            std::printf("  %-*s %.2fx\n", options.width, label.c_str(), ours / plain);
        }
    }

private:
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
