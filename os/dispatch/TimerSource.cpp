#include "os/dispatch/TimerSource.h"

#include "os/foundation/Clock.h"

#include <algorithm>

namespace dispatch {

struct TimerSource::State : std::enable_shared_from_this<TimerSource::State> {
    std::mutex m;
    Queue queue;
    std::shared_ptr<std::function<void()>> handler;
    bool hasTimer = false;
    ns::TimeTicks next; // deadline of the next tick
    ns::TimeDelta interval; // zero: one tick only
    double leeway = 0;
    int suspendCount = 1;
    bool cancelled = false;
    ns::Clock::Token token = 0;
    // Bumped whenever the armed tick is withdrawn, so a tick already firing is ignored.
    uint64_t generation = 0;
    // A handler call is queued and has not started: further ticks merge into it.
    bool tickQueued = false;
    bool pendingOnResume = false;

    void disarmLocked() {
        ++generation;
        if (token) ns::Clock::cancel(token);
        token = 0;
    }

    void armLocked() {
        disarmLocked();
        if (!hasTimer || cancelled || suspendCount > 0) return;
        auto self = shared_from_this();
        uint64_t gen = generation;
        token = ns::Clock::schedule(next, [self, gen] { self->tick(gen); });
    }

    void queueDeliveryLocked() {
        if (tickQueued) return;
        tickQueued = true;
        auto self = shared_from_this();
        dispatch::async(queue, [self] { self->deliver(); });
    }

    void tick(uint64_t gen) {
        std::lock_guard lock(m);
        if (cancelled || gen != generation) return;
        token = 0;
        if (interval.isPositive()) {
            // Keep the phase; ticks that were missed are not made up. After the clock was set
            // back (a new manual origin) the phase starts again from now.
            ns::TimeTicks n = next + interval;
            ns::TimeTicks now = ns::Clock::nowTicks();
            if (n <= now) n += interval * ((now - n) / interval + 1);
            else if (n - now > interval) n = now + interval;
            next = n;
            armLocked();
        } else {
            hasTimer = false;
        }
        queueDeliveryLocked();
    }

    void deliver() {
        std::shared_ptr<std::function<void()>> h;
        {
            std::lock_guard lock(m);
            tickQueued = false;
            if (cancelled) return;
            if (suspendCount > 0) {
                pendingOnResume = true;
                return;
            }
            h = handler;
        }
        if (h && *h) (*h)();
    }
};

TimerSource TimerSource::create(const Queue& queue) {
    TimerSource source;
    if (!queue) return source;
    source.s_ = std::make_shared<State>();
    source.s_->queue = queue;
    return source;
}

void TimerSource::setTimer(Start start, double interval, double leeway) const {
    if (!s_) return;
    std::lock_guard lock(s_->m);
    if (s_->cancelled) return;
    ns::TimeTicks now = ns::Clock::nowTicks();
    ns::TimeDelta delay = start.isWall ? ns::TimeDelta::fromSeconds(start.value) - ns::Clock::wallSince1970()
                                       : ns::TimeDelta::fromSeconds(std::max(start.value, 0.0));
    s_->next = now + delay;
    s_->interval = interval > 0 ? ns::TimeDelta::fromSeconds(interval) : ns::TimeDelta();
    s_->leeway = leeway;
    s_->hasTimer = true;
    s_->armLocked();
}

void TimerSource::setEventHandler(std::function<void()> handler) const {
    if (!s_) return;
    auto h = std::make_shared<std::function<void()>>(std::move(handler));
    std::lock_guard lock(s_->m);
    if (s_->cancelled) return;
    s_->handler.swap(h);
}

void TimerSource::resume() const {
    if (!s_) return;
    std::lock_guard lock(s_->m);
    if (s_->suspendCount == 0 || s_->cancelled) return;
    if (--s_->suspendCount > 0) return;
    if (s_->pendingOnResume) {
        s_->pendingOnResume = false;
        s_->queueDeliveryLocked();
    }
    s_->armLocked();
}

void TimerSource::suspend() const {
    if (!s_) return;
    std::lock_guard lock(s_->m);
    if (s_->cancelled) return;
    if (s_->suspendCount++ == 0) s_->disarmLocked();
}

void TimerSource::cancel() const {
    if (!s_) return;
    std::shared_ptr<std::function<void()>> dropped;
    std::lock_guard lock(s_->m);
    if (s_->cancelled) return;
    s_->cancelled = true;
    s_->disarmLocked();
    dropped.swap(s_->handler);
}

bool TimerSource::isCancelled() const {
    if (!s_) return false;
    std::lock_guard lock(s_->m);
    return s_->cancelled;
}

} // namespace dispatch
