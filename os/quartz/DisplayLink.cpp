#include "os/quartz/DisplayLink.h"

#include "os/foundation/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ca {

struct DisplayLink::State {
    struct Entry {
        ns::RunLoop* loop;
        std::vector<ns::RunLoopMode> modes;
    };

    std::mutex mutex;
    std::shared_ptr<Target> target;
    ns::Ref<DisplayLink> keepAlive; // set while on a run loop: the loop owns the link
    std::vector<Entry> entries;
    bool valid = true;
    bool paused = false;
    long stride = 1;
    long preferredFps = 0;
    int64_t frame = 0; // the frame of the call in progress (or of the last one)
    // Each (re)schedule bumps the generation, so a frame from an older schedule is ignored.
    uint64_t generation = 0;
    ns::Clock::Token token = 0;

    bool shouldRun() const { return valid && !paused && !entries.empty(); }
};

namespace {

constexpr int64_t kFps = DisplayLink::kMaximumFramesPerSecond;
constexpr int64_t kNanosPerSecond = 1'000'000'000;

bool modeMatches(const ns::RunLoopMode& added, const ns::RunLoopMode& running) {
    if (added == running) return true;
    return added == ns::RunLoopCommonModes &&
           (running == ns::DefaultRunLoopMode || running == ns::TrackingRunLoopMode);
}

// Refresh `frame` of the global 60 Hz grid: frame / 60 seconds, to the nearest nanosecond.
ns::TimeTicks frameTime(int64_t frame) {
    int64_t whole = frame / kFps, part = frame % kFps;
    return ns::TimeTicks::fromNanoseconds(whole * kNanosPerSecond + (part * kNanosPerSecond + kFps / 2) / kFps);
}

// Index of the first refresh strictly after `t`.
int64_t frameAfter(ns::TimeTicks t) {
    int64_t ns = std::max<int64_t>(t.inNanoseconds(), 0);
    int64_t frame = ns / kNanosPerSecond * kFps + ns % kNanosPerSecond * kFps / kNanosPerSecond;
    while (frameTime(frame) <= t) ++frame;
    while (frame > 0 && frameTime(frame - 1) > t) --frame;
    return frame;
}

void frameDue(const std::weak_ptr<DisplayLink::State>& weak, uint64_t generation, int64_t frame);

// Puts the next frame on the clock when the link should run; drops the pending one otherwise.
// Called without the state's lock held, so the clock is never entered under it.
void reschedule(const std::shared_ptr<DisplayLink::State>& s, int64_t frame = 0) {
    ns::Clock::Token old = 0;
    uint64_t generation = 0;
    bool run = false;
    {
        std::lock_guard lock(s->mutex);
        old = s->token;
        s->token = 0;
        generation = ++s->generation;
        run = s->shouldRun();
        if (run && frame == 0) frame = frameAfter(ns::Clock::nowTicks());
    }
    if (old) ns::Clock::cancel(old);
    if (!run) return;
    std::weak_ptr<DisplayLink::State> weak = s;
    ns::Clock::Token token = ns::Clock::schedule(frameTime(frame),
                                                 [weak, generation, frame] { frameDue(weak, generation, frame); });
    std::lock_guard lock(s->mutex);
    if (s->generation == generation) s->token = token;
    else ns::Clock::cancel(token);
}

// On the loop's thread: one call of the target for `frame`, if the link still runs there now.
void deliver(const std::weak_ptr<DisplayLink::State>& weak, ns::RunLoop* loop, int64_t frame) {
    auto s = weak.lock();
    if (!s) return;
    std::shared_ptr<DisplayLink::Target> target;
    ns::Ref<DisplayLink> self;
    {
        std::lock_guard lock(s->mutex);
        if (!s->valid || s->paused) return;
        auto it = std::find_if(s->entries.begin(), s->entries.end(), [&](auto& e) { return e.loop == loop; });
        if (it == s->entries.end()) return;
        const ns::RunLoopMode running = loop->currentMode();
        if (std::none_of(it->modes.begin(), it->modes.end(), [&](auto& m) { return modeMatches(m, running); }))
            return;
        s->frame = frame;
        target = s->target;
        self = s->keepAlive;
    }
    if (target && *target && self) (*target)(*self);
}

// On the clock: hands the frame to every run loop of the link and schedules the next one.
void frameDue(const std::weak_ptr<DisplayLink::State>& weak, uint64_t generation, int64_t frame) {
    auto s = weak.lock();
    if (!s) return;
    std::vector<ns::RunLoop*> loops;
    long stride = 1;
    {
        std::lock_guard lock(s->mutex);
        if (s->generation != generation || !s->shouldRun()) return;
        s->token = 0;
        stride = s->stride;
        for (auto& e : s->entries) loops.push_back(e.loop);
    }
    for (ns::RunLoop* loop : loops) loop->perform([weak, loop, frame] { deliver(weak, loop, frame); });
    // Frames the clock has already passed are skipped; after the clock was set back (a new manual
    // origin) the grid is joined again from now.
    int64_t next = frame + stride;
    int64_t first = frameAfter(ns::Clock::nowTicks());
    if (next < first || next >= first + stride) next = first;
    reschedule(s, next);
}

} // namespace

DisplayLink::DisplayLink() : s_(std::make_shared<State>()) {}

DisplayLink::~DisplayLink() {
    std::lock_guard lock(s_->mutex);
    s_->valid = false;
    if (s_->token) ns::Clock::cancel(s_->token);
    s_->token = 0;
}

ns::Ref<DisplayLink> DisplayLink::displayLinkWithTarget(Target target) {
    auto link = ns::make<DisplayLink>();
    link->s_->target = std::make_shared<Target>(std::move(target));
    return link;
}

double DisplayLink::duration() const { return 1.0 / kFps; }

double DisplayLink::timestamp() const { return timestampTicks().inSeconds(); }

double DisplayLink::targetTimestamp() const { return targetTimestampTicks().inSeconds(); }

ns::TimeTicks DisplayLink::timestampTicks() const {
    std::lock_guard lock(s_->mutex);
    return frameTime(s_->frame);
}

ns::TimeTicks DisplayLink::targetTimestampTicks() const {
    std::lock_guard lock(s_->mutex);
    return frameTime(s_->frame + s_->stride);
}

bool DisplayLink::isPaused() const {
    std::lock_guard lock(s_->mutex);
    return s_->paused;
}

void DisplayLink::setPaused(bool paused) {
    {
        std::lock_guard lock(s_->mutex);
        if (s_->paused == paused) return;
        s_->paused = paused;
    }
    reschedule(s_);
}

long DisplayLink::frameInterval() const {
    std::lock_guard lock(s_->mutex);
    return s_->stride;
}

void DisplayLink::setFrameInterval(long interval) {
    {
        std::lock_guard lock(s_->mutex);
        s_->stride = std::max(1L, interval);
        s_->preferredFps = kMaximumFramesPerSecond / s_->stride;
    }
    reschedule(s_);
}

long DisplayLink::preferredFramesPerSecond() const {
    std::lock_guard lock(s_->mutex);
    return s_->preferredFps;
}

void DisplayLink::setPreferredFramesPerSecond(long fps) {
    {
        std::lock_guard lock(s_->mutex);
        s_->preferredFps = std::max(0L, fps);
        s_->stride = (fps <= 0 || fps >= kMaximumFramesPerSecond)
                         ? 1
                         : std::lround(static_cast<double>(kMaximumFramesPerSecond) / static_cast<double>(fps));
    }
    reschedule(s_);
}

void DisplayLink::addToRunLoop(ns::RunLoop& loop, const ns::RunLoopMode& mode) {
    {
        std::lock_guard lock(s_->mutex);
        if (!s_->valid) return;
        auto it = std::find_if(s_->entries.begin(), s_->entries.end(), [&](auto& e) { return e.loop == &loop; });
        if (it == s_->entries.end()) it = s_->entries.insert(s_->entries.end(), State::Entry{&loop, {}});
        if (std::find(it->modes.begin(), it->modes.end(), mode) != it->modes.end()) return;
        it->modes.push_back(mode);
        s_->keepAlive = ref<DisplayLink>();
    }
    reschedule(s_);
}

void DisplayLink::removeFromRunLoop(ns::RunLoop& loop, const ns::RunLoopMode& mode) {
    ns::Ref<DisplayLink> release;
    {
        std::lock_guard lock(s_->mutex);
        auto it = std::find_if(s_->entries.begin(), s_->entries.end(), [&](auto& e) { return e.loop == &loop; });
        if (it == s_->entries.end()) return;
        std::erase(it->modes, mode);
        if (it->modes.empty()) s_->entries.erase(it);
        if (s_->entries.empty()) release = std::move(s_->keepAlive);
    }
    reschedule(s_);
}

void DisplayLink::invalidate() {
    ns::Ref<DisplayLink> release;
    std::shared_ptr<Target> target;
    {
        std::lock_guard lock(s_->mutex);
        s_->valid = false;
        s_->entries.clear();
        release = std::move(s_->keepAlive);
        target = std::move(s_->target);
    }
    reschedule(s_);
    // `target` and `release` go out of scope here, outside the lock: the target's captures may
    // own this very link.
}

bool DisplayLink::isValid() const {
    std::lock_guard lock(s_->mutex);
    return s_->valid;
}

} // namespace ca
