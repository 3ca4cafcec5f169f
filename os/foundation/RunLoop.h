#pragma once
// Per-thread event loop: work performed onto it, timers in modes, and polled sources.
// The main run loop belongs to the main thread (the thread that runs main()).

#include "os/foundation/Object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ns {

class Timer;

using RunLoopMode = std::string;
// Never destroyed: threads that run for the life of the process still read them while exit runs
// the static destructors.
inline const RunLoopMode& DefaultRunLoopMode = *new RunLoopMode("kCFRunLoopDefaultMode");
inline const RunLoopMode& TrackingRunLoopMode = *new RunLoopMode("UITrackingRunLoopMode");
// Not a mode the loop runs in: a timer added here runs in the default and tracking modes.
inline const RunLoopMode& RunLoopCommonModes = *new RunLoopMode("kCFRunLoopCommonModes");

class RunLoop {
public:
    using SourceId = uint64_t;

    // The main thread's run loop.
    static RunLoop& main();
    // The calling thread's run loop, created on first use.
    static RunLoop& current();
    static bool isMainThread();

    // The mode of the innermost run in progress on this loop (default when not running).
    RunLoopMode currentMode() const;
    bool isRunning() const;

    // Thread-safe: queues `fn` to run on this loop's thread, in any mode, in posting order.
    // The main dispatch queue and "perform on thread" use this.
    void perform(std::function<void()> fn);
    // Adds a timer in a mode (or RunLoopCommonModes). The loop keeps the timer until it is
    // invalidated; a timer already on another run loop or invalid is ignored.
    void addTimer(const Ref<Timer>& timer, const RunLoopMode& mode);

    // A source polled once per iteration on this loop's thread; returns whether it did work.
    // Another thread that has new input for it calls wakeUp().
    SourceId addSource(std::function<bool()> poll);
    void removeSource(SourceId id);
    // Thread-safe: interrupts a wait of this loop so that it polls its sources again.
    void wakeUp();

    // Runs what is ready (sources, performed work, due timers of `mode`); when nothing was
    // ready, waits up to `timeout` real seconds for something and runs it. Returns whether
    // anything ran. Must be called on the loop's own thread.
    bool runOnce(double timeout = 0, const RunLoopMode& mode = DefaultRunLoopMode);
    // Runs until `predicate` holds or `timeout` REAL seconds pass (so a test never hangs, even
    // with a manual clock). Returns whether the predicate became true.
    bool runUntil(const std::function<bool()>& predicate, double timeout = 10,
                  const RunLoopMode& mode = DefaultRunLoopMode);
    // Runs until stop().
    // The mode is copied: a thread running for ever must not read a static that exit destroys.
    void run(RunLoopMode mode = DefaultRunLoopMode);
    // Thread-safe: makes the innermost run() return.
    void stop();

    // Whether performed work or due timers are waiting (test settling).
    bool hasPendingWork() const;

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    ~RunLoop();

private:
    struct State;
    friend class Timer;
    friend class Thread;
    RunLoop();
    static std::shared_ptr<RunLoop> makeShared();
    // Binds `loop` as the calling thread's current loop (a thread's loop exists before it starts).
    static void bindCurrent(const std::shared_ptr<RunLoop>& loop);
    std::shared_ptr<RunLoop> shared() const;
    void timerDue(const Ref<Timer>& timer);
    bool iterate(const RunLoopMode& mode);

    std::unique_ptr<State> s_;
};

} // namespace ns
