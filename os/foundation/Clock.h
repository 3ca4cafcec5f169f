#pragma once
// The one clock of the process: monotonic (media) time, wall time, and the timed items of every
// facility (run-loop timers, dispatch after and timer sources, animations, display links, trims).
// Time is kept in integer nanoseconds (TimeTicks/TimeDelta); the double-second functions convert
// at the edge, to the nearest nanosecond. In manual mode time stands still until advance(),
// which fires due items in due order; it starts from a fixed origin, not the machine's uptime.

#include "os/foundation/TimeTicks.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace ns {

class Clock {
public:
    using Token = uint64_t;

    // Where manual mode starts: monotonic time 1000 s (a whole number of 60 Hz frames, and small
    // enough that doubles of it resolve far below a nanosecond). The test fixture also fixes the
    // wall time, at 1700000000 (2023-11-14 22:13:20 UTC).
    static constexpr TimeTicks ManualOrigin = TimeTicks::fromNanoseconds(1'000'000'000'000);
    static constexpr double ManualWallStart = 1700000000.0;
    // Items fired at one instant, in one advance or by the clock thread, before the clock counts
    // as stalled (an item that keeps re-arming itself without moving forward).
    static constexpr size_t StallLimit = 100000;

    // Monotonic time (media time); the scale of every deadline below.
    static TimeTicks nowTicks();
    // The same in seconds.
    static double now();
    // The same scale at a few milliseconds' resolution, several times cheaper to read; for
    // bookkeeping such as cache access times. Exact under the manual clock.
    static double coarseNow();
    // Wall time since 1970, in integer nanoseconds, seconds and milliseconds.
    static TimeDelta wallSince1970();
    static double wallNow();
    static int64_t wallMillis();

    // Manual mode: now() stops moving and only advance() moves it. Switching on (or on again)
    // puts now() at `origin` and the wall time at `wallStart` (seconds since 1970; 0 keeps the
    // wall time shown now). Switching off resumes real time. Either way, items already scheduled
    // keep the time they had left.
    static void setManual(bool manual, double wallStart = 0, TimeTicks origin = ManualOrigin);
    static bool isManual();

    // Manual mode only (ignored otherwise): moves time forward by `delta`, stepping through
    // the items that fall due in deadline order (equal deadlines in scheduling order), setting
    // now() to each item's deadline before firing it. Items scheduled while advancing are
    // included when they fall due within the step. `afterEach` runs after each fired item
    // (the test fixture settles queues there so chained work sees the right time).
    // Returns false, with now() left at the stuck instant, when the clock stalled (see
    // StallLimit) instead of reaching the end of the step.
    static bool advance(TimeDelta delta, const std::function<void()>& afterEach = {});
    static bool advance(double seconds, const std::function<void()>& afterEach = {});

    // Schedules `fire` at `deadline`. `fire` must only enqueue work onto its target (a run loop
    // or a queue); it runs on the clock's own thread, or on the thread that calls advance().
    // An item already due fires at once (asynchronously, on the clock thread).
    static Token schedule(TimeTicks deadline, std::function<void()> fire);
    // The same with a deadline in seconds (rounded to the nearest nanosecond).
    static Token schedule(double deadline, std::function<void()> fire);
    // Drops a scheduled item; a no-op when it has fired or was cancelled. Thread-safe.
    static void cancel(Token token);

    // Number of items waiting, and whether none is due or firing right now (test settling).
    static size_t pendingCount();
    static bool isIdle();
    // Whether the manual clock stalled at its current instant (cleared when time moves on).
    static bool isStalled();
};

} // namespace ns
