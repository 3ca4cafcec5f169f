#pragma once
// Runs the registered benchmarks with console output, then prints the time ratio of each
// "ours / plain" pair of benchmarks.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
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

// Console output that also keeps each benchmark's time; with repetitions, the median stands for it.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool cpuTime) : cpuTime_(cpuTime) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            const double time = cpuTime_ ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Iteration && !medians_.count(name)) times_[name] = time;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[name] = time;
                medians_.insert(name);
            }
        }
    }

    void printRatios(const std::vector<Pair>& pairs, const Options& options) const {
        std::printf("\nratio (%s):\n", options.title);
        for (const auto& pair : pairs) {
            auto a = times_.find(pair.ours), b = times_.find(pair.plain);
            if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
            const std::string& label = pair.label.empty() ? pair.ours : pair.label;
            std::printf("  %-*s %.2fx\n", options.width, label.c_str(), a->second / b->second);
        }
    }

private:
    bool cpuTime_;
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
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
