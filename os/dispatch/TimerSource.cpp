#include "os/dispatch/TimerSource.h"

#include "os/foundation/Clock.h"

#include <cmath>

namespace dispatch {

struct TimerSource::State : std::enable_shared_from_this<TimerSource::State> {
    std::mutex m;
    Queue queue;
    std::shared_ptr<std::function<void()>> handler;
    bool hasTimer = false;
    double next = 0; // monotonic deadline of the next tick
    double interval = 0;
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
        if (interval > 0) {
            // Keep the phase; ticks that were missed are not made up.
            double n = next + interval;
            double now = ns::Clock::now();
            if (n <= now) n += (std::floor((now - n) / interval) + 1) * interval;
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
    double now = ns::Clock::now();
    s_->next = start.isWall ? now + (start.value - ns::Clock::wallNow()) : now + std::max(start.value, 0.0);
    s_->interval = interval;
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
