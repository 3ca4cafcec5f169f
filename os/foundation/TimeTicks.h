#pragma once
// Integer time for the one clock: a span (TimeDelta) and a point on the monotonic scale
// (TimeTicks), both whole nanoseconds in an int64. Sums and differences are exact, whatever the
// magnitude, and saturate instead of overflowing. Doubles (seconds) appear only at the edge,
// converted to the nearest nanosecond.

#include <compare>
#include <cstdint>
#include <limits>

namespace ns {

class TimeDelta {
public:
    constexpr TimeDelta() = default;

    static constexpr TimeDelta fromNanoseconds(int64_t ns) { return TimeDelta(ns); }
    static constexpr TimeDelta fromMilliseconds(int64_t ms) { return TimeDelta(ms) * 1'000'000; }
    // Rounded to the nearest nanosecond; NaN reads as zero, values out of range saturate.
    static TimeDelta fromSeconds(double seconds);
    static constexpr TimeDelta max() { return TimeDelta(std::numeric_limits<int64_t>::max()); }
    static constexpr TimeDelta min() { return TimeDelta(std::numeric_limits<int64_t>::min()); }

    constexpr int64_t inNanoseconds() const { return ns_; }
    // Nearest double; exact for spans up to about 104 days.
    double inSeconds() const;
    constexpr bool isZero() const { return ns_ == 0; }
    constexpr bool isPositive() const { return ns_ > 0; }

    constexpr TimeDelta operator+(TimeDelta o) const { return TimeDelta(add(ns_, o.ns_)); }
    constexpr TimeDelta operator-(TimeDelta o) const { return TimeDelta(sub(ns_, o.ns_)); }
    constexpr TimeDelta operator-() const { return TimeDelta(sub(0, ns_)); }
    constexpr TimeDelta& operator+=(TimeDelta o) { return *this = *this + o; }
    constexpr TimeDelta& operator-=(TimeDelta o) { return *this = *this - o; }
    constexpr TimeDelta operator*(int64_t n) const {
        int64_t r = 0;
        if (!__builtin_mul_overflow(ns_, n, &r)) return TimeDelta(r);
        return ((ns_ < 0) != (n < 0)) ? min() : max();
    }
    // Whole number of `o` in this span (truncated); `o` must not be zero.
    constexpr int64_t operator/(TimeDelta o) const { return ns_ / o.ns_; }
    constexpr TimeDelta operator%(TimeDelta o) const { return TimeDelta(ns_ % o.ns_); }
    constexpr auto operator<=>(const TimeDelta&) const = default;

    // Saturating int64 arithmetic, shared with TimeTicks.
    static constexpr int64_t add(int64_t a, int64_t b) {
        int64_t r = 0;
        if (!__builtin_add_overflow(a, b, &r)) return r;
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    static constexpr int64_t sub(int64_t a, int64_t b) {
        int64_t r = 0;
        if (!__builtin_sub_overflow(a, b, &r)) return r;
        return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }

private:
    constexpr explicit TimeDelta(int64_t ns) : ns_(ns) {}
    int64_t ns_ = 0;
};

class TimeTicks {
public:
    constexpr TimeTicks() = default;

    // A point `ns` nanoseconds after the monotonic scale's zero.
    static constexpr TimeTicks fromNanoseconds(int64_t ns) { return TimeTicks(ns); }
    // Rounded to the nearest nanosecond, like TimeDelta::fromSeconds.
    static TimeTicks fromSeconds(double seconds);
    static constexpr TimeTicks max() { return TimeTicks(std::numeric_limits<int64_t>::max()); }

    constexpr int64_t inNanoseconds() const { return ns_; }
    constexpr TimeDelta sinceZero() const { return TimeDelta::fromNanoseconds(ns_); }
    // Seconds on the monotonic scale (the double API of Clock::now()).
    double inSeconds() const;

    constexpr TimeTicks operator+(TimeDelta d) const { return TimeTicks(TimeDelta::add(ns_, d.inNanoseconds())); }
    constexpr TimeTicks operator-(TimeDelta d) const { return TimeTicks(TimeDelta::sub(ns_, d.inNanoseconds())); }
    constexpr TimeDelta operator-(TimeTicks o) const { return TimeDelta::fromNanoseconds(TimeDelta::sub(ns_, o.ns_)); }
    constexpr TimeTicks& operator+=(TimeDelta d) { return *this = *this + d; }
    constexpr auto operator<=>(const TimeTicks&) const = default;

private:
    constexpr explicit TimeTicks(int64_t ns) : ns_(ns) {}
    int64_t ns_ = 0;
};

} // namespace ns
