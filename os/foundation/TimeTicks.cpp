#include "os/foundation/TimeTicks.h"

#include <cmath>

namespace ns {
namespace {

constexpr int64_t NanosPerSecond = 1'000'000'000;
// Largest magnitude in seconds that fits the nanosecond count (about 292 years).
constexpr double LimitSeconds = 9.2e9;

int64_t secondsToNanos(double seconds) {
    if (std::isnan(seconds)) return 0;
    if (seconds >= LimitSeconds) return std::numeric_limits<int64_t>::max();
    if (seconds <= -LimitSeconds) return std::numeric_limits<int64_t>::min();
    // The whole seconds and the fraction separately, so large values keep their nanoseconds
    // (seconds * 1e9 alone would round to a multiple of 256 ns near 1.7e9 s).
    double whole = std::trunc(seconds);
    double fraction = seconds - whole; // exact
    return static_cast<int64_t>(whole) * NanosPerSecond + std::llround(fraction * 1e9);
}

double nanosToSeconds(int64_t ns) {
    constexpr int64_t exact = int64_t{1} << 53;
    if (ns > -exact && ns < exact) return static_cast<double>(ns) / 1e9;
    return static_cast<double>(ns / NanosPerSecond) + static_cast<double>(ns % NanosPerSecond) / 1e9;
}

} // namespace

TimeDelta TimeDelta::fromSeconds(double seconds) { return TimeDelta(secondsToNanos(seconds)); }
double TimeDelta::inSeconds() const { return nanosToSeconds(ns_); }

TimeTicks TimeTicks::fromSeconds(double seconds) { return TimeTicks(secondsToNanos(seconds)); }
double TimeTicks::inSeconds() const { return nanosToSeconds(ns_); }

} // namespace ns
