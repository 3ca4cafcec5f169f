#include "os/foundation/Timer.h"

#include <algorithm>

namespace ns {
namespace {
// A repeating timer fires at most this often.
constexpr double MinimumRepeatInterval = 0.0001;
constexpr TimeDelta MinimumRepeatStep = TimeDelta::fromNanoseconds(100'000);
} // namespace

Timer::Timer(double interval, bool repeats, Block block, Value userInfo)
    : interval_(repeats ? std::max(interval, MinimumRepeatInterval) : std::max(interval, 0.0)),
      step_(std::max(TimeDelta::fromSeconds(interval_), repeats ? MinimumRepeatStep : TimeDelta())),
      repeats_(repeats),
      userInfo_(std::move(userInfo)),
      block_(std::make_shared<Block>(std::move(block))),
      fireDate_(Clock::nowTicks() + step_) {}

Timer::~Timer() = default;

Ref<Timer> Timer::timer(double interval, bool repeats, Block block, Value userInfo) {
    return make<Timer>(interval, repeats, std::move(block), std::move(userInfo));
}

Ref<Timer> Timer::scheduled(double interval, bool repeats, Block block, Value userInfo) {
    auto t = timer(interval, repeats, std::move(block), std::move(userInfo));
    RunLoop::current().addTimer(t, DefaultRunLoopMode);
    return t;
}

double Timer::fireDate() const { return fireTime().inSeconds(); }

TimeTicks Timer::fireTime() const {
    std::lock_guard lock(mutex_);
    return fireDate_;
}

bool Timer::isValid() const {
    std::lock_guard lock(mutex_);
    return valid_;
}

bool Timer::runsIn(const RunLoopMode& mode) const {
    std::lock_guard lock(mutex_);
    if (modes_.count(mode)) return true;
    return modes_.count(RunLoopCommonModes) && (mode == DefaultRunLoopMode || mode == TrackingRunLoopMode);
}

void Timer::scheduleOn(const std::shared_ptr<RunLoop>& loop, const RunLoopMode& mode) {
    std::lock_guard lock(mutex_);
    if (!valid_ || !loop || (loop_ && loop_ != loop)) return;
    modes_.insert(mode);
    if (loop_) return;
    loop_ = loop;
    armLocked();
}

void Timer::armLocked() {
    auto self = ref<Timer>();
    auto loop = loop_;
    token_ = Clock::schedule(fireDate_, [self, loop] { loop->timerDue(self); });
}

void Timer::fireFromRunLoop() {
    std::shared_ptr<Block> block;
    {
        std::lock_guard lock(mutex_);
        if (!valid_) return;
        block = block_;
    }
    if (block && *block) (*block)(*this);
    if (!repeats_) {
        invalidate();
        return;
    }
    std::lock_guard lock(mutex_);
    if (!valid_) return;
    // The next fire date keeps the original phase and skips the fires that were missed; after
    // the clock was set back (a new manual origin) the phase starts again from now.
    TimeTicks next = fireDate_ + step_;
    TimeTicks now = Clock::nowTicks();
    if (next <= now) next += step_ * ((now - next) / step_ + 1);
    else if (next - now > step_) next = now + step_;
    fireDate_ = next;
    armLocked();
}

void Timer::fire() {
    std::shared_ptr<Block> block;
    {
        std::lock_guard lock(mutex_);
        if (!valid_) return;
        block = block_;
    }
    if (block && *block) (*block)(*this);
    if (!repeats_) invalidate();
}

void Timer::invalidate() {
    // The scheduled item holds the timer: keep it alive past the lock when that is the last one.
    auto keep = weak_from_this().lock();
    std::shared_ptr<Block> dropped;
    std::lock_guard lock(mutex_);
    if (!valid_) return;
    valid_ = false;
    if (token_) Clock::cancel(token_);
    token_ = 0;
    dropped = std::move(block_);
}

} // namespace ns
