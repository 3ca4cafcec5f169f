#pragma once
// A run-loop timer: fires its block on the run loop it was added to, once or repeating.
// A repeating timer that missed fires skips them (no burst). Keeps its block until invalidated.

#include "os/foundation/Clock.h"
#include "os/foundation/Object.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Value.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace ns {

class Timer : public Object {
public:
    using Block = std::function<void(Timer& timer)>;

    // A timer added to the current run loop in the default mode.
    static Ref<Timer> scheduled(double interval, bool repeats, Block block, Value userInfo = {});
    // A timer not yet on any run loop: RunLoop::addTimer schedules it (first fire `interval`
    // seconds after creation).
    static Ref<Timer> timer(double interval, bool repeats, Block block, Value userInfo = {});

    // Monotonic deadline (Clock::now scale) of the next fire.
    double fireDate() const;
    TimeTicks fireTime() const;
    double timeInterval() const { return interval_; }
    bool repeats() const { return repeats_; }
    const Value& userInfo() const { return userInfo_; }
    bool isValid() const;

    // Runs the block now without changing the schedule; a non-repeating timer is invalidated.
    void fire();
    // Thread-safe: stops the timer and drops its block.
    void invalidate();

    Timer(double interval, bool repeats, Block block, Value userInfo);
    ~Timer() override;

private:
    friend class RunLoop;
    // Called by the run loop when the fire date has come and the mode allows it.
    void fireFromRunLoop();
    void scheduleOn(const std::shared_ptr<RunLoop>& loop, const RunLoopMode& mode);
    void armLocked();
    bool runsIn(const RunLoopMode& mode) const;

    const double interval_;
    const TimeDelta step_; // interval_ in whole nanoseconds
    const bool repeats_;
    const Value userInfo_;
    mutable std::mutex mutex_;
    std::shared_ptr<Block> block_;
    TimeTicks fireDate_;
    bool valid_ = true;
    std::shared_ptr<RunLoop> loop_;
    std::set<RunLoopMode> modes_;
    Clock::Token token_ = 0;
};

} // namespace ns
