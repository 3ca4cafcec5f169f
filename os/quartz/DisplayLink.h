#pragma once
// A timer tied to the screen's refresh: calls its target once per frame on the run loops it
// was added to, while not paused. Frames come from the one clock at 60 Hz, on a fixed grid of
// multiples of the frame duration, so a manual clock advance of n frames gives n calls.
// A run loop keeps the link (and so its target) alive until the link is invalidated.

#include "os/foundation/Object.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/TimeTicks.h"

#include <functional>
#include <memory>

namespace ca {

class DisplayLink : public ns::Object {
public:
    using Target = std::function<void(DisplayLink& link)>;
    static constexpr long kMaximumFramesPerSecond = 60;

    // The target is kept strongly until invalidate().
    static ns::Ref<DisplayLink> displayLinkWithTarget(Target target);

    // Seconds between screen refreshes (1/60), whatever the frame interval.
    double duration() const;
    // The frame time of the call in progress (or of the last one), and the next frame's; in
    // seconds and exactly on the clock's integer scale.
    double timestamp() const;
    double targetTimestamp() const;
    ns::TimeTicks timestampTicks() const;
    ns::TimeTicks targetTimestampTicks() const;

    bool isPaused() const;
    void setPaused(bool paused);
    // Refreshes per call (1 = every frame); values below 1 read as 1.
    long frameInterval() const;
    void setFrameInterval(long interval);
    // Calls per second wanted; 0 means the maximum. Rounded to a whole number of refreshes.
    long preferredFramesPerSecond() const;
    void setPreferredFramesPerSecond(long fps);

    // A link may run in several modes (RunLoopCommonModes covers default and tracking).
    // A frame that comes while its run loop runs in another mode is skipped.
    void addToRunLoop(ns::RunLoop& loop, const ns::RunLoopMode& mode);
    void removeFromRunLoop(ns::RunLoop& loop, const ns::RunLoopMode& mode);
    // Removes the link from every run loop and releases the target; final.
    void invalidate();
    bool isValid() const;

    DisplayLink();
    ~DisplayLink() override;

    struct State;

private:
    std::shared_ptr<State> s_;
};

using DisplayLinkRef = ns::Ref<DisplayLink>;

} // namespace ca
