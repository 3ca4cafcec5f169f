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

// Console output that also keeps each benchmark's times. With repetitions, one figure stands for
// each benchmark:
// - work on one thread, in CPU time: the mean of the fastest quarter of the runs. On a machine
//   that others load, a run's time doubles in spells (a busy neighbour on the same core), and noise
//   nearly always adds time. Medians and even lower quartiles fell between spells on one side of a
//   pair and not the other (the 64-pixel JPEG: 0.53x and 1.07x by median, 1.08x and 1.44x by lower
//   quartile); the single fastest run is sometimes a lucky one (the 256-pixel JPEG: 0.97x and
//   0.83x; a million-entry cache 0.99x and 0.76x). Over five pairs of runs of the programs on a
//   busy machine the two runs of a pair stayed within 10 % of each other for every ratio with the
//   fastest quarter, not with the fastest one, three or five runs, nor with medians;
// - work handed between threads, in real time: the median. A hand-over now and then runs in half
//   the usual time (a thread caught before it slept), four of 31 runs in one process and none in
//   another, so the fastest runs moved the main-queue ratio from 1.44x to 0.92x; the median was
//   1.44x in both.
inline double fastestMean(std::vector<double> times) {
    const size_t n = (times.size() + 3) / 4;
    std::partial_sort(times.begin(), times.begin() + long(n), times.end());
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += times[i];
    return sum / double(n);
}

inline double median(std::vector<double> times) {
    const size_t half = times.size() / 2;
    std::nth_element(times.begin(), times.begin() + long(half), times.end());
    if (times.size() % 2) return times[half];
    const double upper = times[half];
    return (*std::max_element(times.begin(), times.begin() + long(half)) + upper) / 2;
}

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
            const double ours = cpuTime_ ? fastestMean(a->second) : median(a->second);
            const double plain = cpuTime_ ? fastestMean(b->second) : median(b->second);
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
