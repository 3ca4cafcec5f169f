#pragma once
// A dispatch timer source: calls its event handler on its queue at a start time and then every
// interval, on the one clock. Created suspended. Ticks that come while the handler has not run
// yet coalesce into one call (no burst); no call after cancel().

#include "os/dispatch/Queue.h"

#include <functional>
#include <memory>

namespace dispatch {

class TimerSource {
public:
    // When the first tick comes: `delay` seconds from now on the monotonic clock, or at a
    // wall time (seconds since 1970).
    struct Start {
        static Start now(double delay = 0) { return {false, delay}; }
        static Start wall(double secondsSince1970) { return {true, secondsSince1970}; }
        bool isWall = false;
        double value = 0;
    };

    // A null handle.
    TimerSource() = default;
    static TimerSource create(const Queue& queue);

    // `interval` <= 0 means one tick only (an interval that rounds to 0 ns too). `leeway` is
    // recorded (ticks come on time).
    void setTimer(Start start, double interval, double leeway = 0) const;
    void setEventHandler(std::function<void()> handler) const;
    // Resume and suspend nest like counts; the source starts suspended once.
    void resume() const;
    void suspend() const;
    // Stops ticking for good and drops the handler.
    void cancel() const;
    bool isCancelled() const;

    explicit operator bool() const { return s_ != nullptr; }

private:
    struct State;
    std::shared_ptr<State> s_;
};

} // namespace dispatch
