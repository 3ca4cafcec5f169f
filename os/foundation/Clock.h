#pragma once
// The one clock of the process: monotonic (media) time, wall time, and the timed items of every
// facility (run-loop timers, dispatch after and timer sources, animations, display links, trims).
// In manual mode time stands still until advance(), which fires due items in due order.

#include <cstdint>
#include <functional>

namespace ns {

class Clock {
public:
    using Token = uint64_t;

    // Monotonic seconds (media time); the scale of every deadline below.
    static double now();
    // The same scale at a few milliseconds' resolution, several times cheaper to read; for
    // bookkeeping such as cache access times. Exact under the manual clock.
    static double coarseNow();
    // Seconds since 1970.
    static double wallNow();
    // Milliseconds since 1970.
    static int64_t wallMillis();

    // Manual mode: now() stops moving and only advance() moves it. Switching on keeps now()
    // continuous; wallStart (seconds since 1970, when > 0) sets the wall time seen from then on.
    // Switching off resumes real time.
    static void setManual(bool manual, double wallStart = 0);
    static bool isManual();

    // Manual mode only (ignored otherwise): moves time forward by `seconds`, stepping through
    // the items that fall due in deadline order (equal deadlines in scheduling order), setting
    // now() to each item's deadline before firing it. Items scheduled while advancing are
    // included when they fall due within the step. `afterEach` runs after each fired item
    // (the test fixture settles queues there so chained work sees the right time).
    static void advance(double seconds, const std::function<void()>& afterEach = {});

    // Schedules `fire` at `deadline` (monotonic seconds). `fire` must only enqueue work onto its
    // target (a run loop or a queue); it runs on the clock's own thread, or on the thread that
    // calls advance(). An item already due fires at once (asynchronously, on the clock thread).
    static Token schedule(double deadline, std::function<void()> fire);
    // Drops a scheduled item; a no-op when it has fired or was cancelled. Thread-safe.
    static void cancel(Token token);

    // Number of items waiting, and whether none is due or firing right now (test settling).
    static size_t pendingCount();
    static bool isIdle();
};

} // namespace ns
