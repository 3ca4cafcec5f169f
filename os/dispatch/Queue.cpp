#include "os/dispatch/Queue.h"

#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/WorkerPool.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

namespace dispatch {

struct Queue::Impl {
    enum class Kind { Main, Global, Serial };
    Kind kind = Kind::Global;
    std::string label;
    Priority priority = Priority::Default;
    ns::QualityOfService qos = ns::QualityOfService::Default;
    std::shared_ptr<Impl> target;

    // Serial queues: the blocks waiting, and whether a drain is queued on the target or running.
    std::mutex m;
    std::deque<std::function<void()>> blocks;
    bool draining = false;
};

namespace {

// A serial queue drains at most this many blocks before yielding its thread to others.
constexpr int DrainBatch = 64;

// The queues whose blocks the calling thread is running, innermost last.
// Each link lives on the stack of the call that runs the block: nothing is allocated per thread,
// so a thread still running at exit leaves nothing behind.
struct CurrentScope;
thread_local const CurrentScope* tInnermost = nullptr;

struct CurrentScope {
    const Queue::Impl* queue;
    const CurrentScope* outer;
    explicit CurrentScope(const Queue::Impl* q) : queue(q), outer(tInnermost) { tInnermost = this; }
    ~CurrentScope() { tInnermost = outer; }
    CurrentScope(const CurrentScope&) = delete;
    CurrentScope& operator=(const CurrentScope&) = delete;
};

bool runningOn(const Queue::Impl* q) {
    for (const CurrentScope* c = tInnermost; c; c = c->outer) {
        if (c->queue == q) return true;
    }
    return false;
}

[[noreturn]] void fatal(const char* message, const std::string& label) {
    std::fprintf(stderr, "dispatch: %s (queue \"%s\")\n", message, label.c_str());
    std::abort();
}

ns::WorkerPool::Priority poolPriority(Priority p) {
    switch (p) {
    case Priority::High: return ns::WorkerPool::Priority::High;
    case Priority::Default: return ns::WorkerPool::Priority::Default;
    case Priority::Low: return ns::WorkerPool::Priority::Low;
    case Priority::Background: return ns::WorkerPool::Priority::Background;
    }
    return ns::WorkerPool::Priority::Default;
}

std::shared_ptr<Queue::Impl> makeImpl(Queue::Impl::Kind kind, std::string label, Priority priority) {
    auto q = std::make_shared<Queue::Impl>();
    q->kind = kind;
    q->label = std::move(label);
    q->priority = priority;
    return q;
}

void submit(const std::shared_ptr<Queue::Impl>& q, std::function<void()> block);

// Runs a serial queue's blocks in order on its target, a batch at a time.
void drain(const std::shared_ptr<Queue::Impl>& q) {
    for (int i = 0; i < DrainBatch; ++i) {
        std::function<void()> block;
        {
            std::lock_guard lock(q->m);
            if (q->blocks.empty()) {
                q->draining = false;
                return;
            }
            block = std::move(q->blocks.front());
            q->blocks.pop_front();
        }
        CurrentScope scope(q.get());
        block();
    }
    submit(q->target, [q] { drain(q); });
}

void submit(const std::shared_ptr<Queue::Impl>& q, std::function<void()> block) {
    switch (q->kind) {
    case Queue::Impl::Kind::Main:
        // No scope to record: the main queue is current exactly on the main thread.
        ns::RunLoop::main().perform(std::move(block));
        return;
    case Queue::Impl::Kind::Global:
        ns::WorkerPool::post(
            [q, block = std::move(block)] {
                CurrentScope scope(q.get());
                block();
            },
            poolPriority(q->priority));
        return;
    case Queue::Impl::Kind::Serial: {
        bool start = false;
        {
            std::lock_guard lock(q->m);
            q->blocks.push_back(std::move(block));
            if (!q->draining) start = q->draining = true;
        }
        if (start) submit(q->target, [q] { drain(q); });
        return;
    }
    }
}

std::shared_ptr<Queue::Impl> defaultTarget() { return Queue::global(Priority::Default).impl(); }

} // namespace

Queue Queue::main() {
    static auto* q = new std::shared_ptr<Impl>(makeImpl(Impl::Kind::Main, "main", Priority::Default));
    return Queue(*q);
}

Queue Queue::global(Priority priority) {
    static auto* queues = new std::vector<std::shared_ptr<Impl>>{
        makeImpl(Impl::Kind::Global, "global.high", Priority::High),
        makeImpl(Impl::Kind::Global, "global.default", Priority::Default),
        makeImpl(Impl::Kind::Global, "global.low", Priority::Low),
        makeImpl(Impl::Kind::Global, "global.background", Priority::Background),
    };
    return Queue((*queues)[static_cast<size_t>(priority)]);
}

Queue Queue::createSerial(std::string label, Queue target) {
    auto q = makeImpl(Impl::Kind::Serial, std::move(label), Priority::Default);
    q->target = target ? target.impl_ : defaultTarget();
    q->priority = q->target->priority;
    return Queue(q);
}

Queue Queue::createSerial(std::string label, ns::QualityOfService qos, int relativePriority) {
    (void)relativePriority;
    Queue q = createSerial(std::move(label));
    q.impl_->qos = qos;
    return q;
}

const std::string& Queue::label() const {
    static const std::string empty;
    return impl_ ? impl_->label : empty;
}

bool Queue::isSerial() const { return impl_ && impl_->kind != Impl::Kind::Global; }
bool Queue::isMain() const { return impl_ && impl_->kind == Impl::Kind::Main; }
Queue Queue::target() const { return impl_ ? Queue(impl_->target) : Queue(); }
ns::QualityOfService Queue::qualityOfService() const { return impl_ ? impl_->qos : ns::QualityOfService::Default; }

bool Queue::isCurrent() const {
    if (!impl_) return false;
    if (impl_->kind == Impl::Kind::Main && ns::RunLoop::isMainThread()) return true;
    return runningOn(impl_.get());
}

void async(const Queue& queue, std::function<void()> block) {
    if (!queue || !block) return;
    submit(queue.impl(), std::move(block));
}

void sync(const Queue& queue, const std::function<void()>& block) {
    if (!queue || !block) return;
    auto q = queue.impl();
    if (q->kind == Queue::Impl::Kind::Global) {
        // Concurrent queues run a synchronous block on the caller's thread.
        CurrentScope scope(q.get());
        block();
        return;
    }
    if (q->kind == Queue::Impl::Kind::Main && ns::RunLoop::isMainThread())
        fatal("sync onto the main queue from the main thread would deadlock", q->label);
    if (runningOn(q.get())) fatal("sync onto the queue that is running the caller would deadlock", q->label);

    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    submit(q, [&] {
        block();
        std::lock_guard lock(m);
        done = true;
        cv.notify_all();
    });
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return done; });
}

void after(ns::TimeDelta delay, const Queue& queue, std::function<void()> block) {
    if (!queue || !block) return;
    auto q = queue.impl();
    ns::Clock::schedule(ns::Clock::nowTicks() + std::max(delay, ns::TimeDelta()),
                        [q, block = std::move(block)]() mutable { submit(q, std::move(block)); });
}

void after(double seconds, const Queue& queue, std::function<void()> block) {
    after(ns::TimeDelta::fromSeconds(std::max(seconds, 0.0)), queue, std::move(block));
}

void once(OnceToken& token, const std::function<void()>& block) { std::call_once(token, block); }

bool isIdle() { return ns::WorkerPool::isIdle(); }

} // namespace dispatch
