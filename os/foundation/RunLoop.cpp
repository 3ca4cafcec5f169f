#include "os/foundation/RunLoop.h"

#include "os/foundation/Timer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace ns {
namespace {

// Recorded during static initialisation, which runs on the thread that runs main().
const std::thread::id gMainThread = std::this_thread::get_id();

thread_local std::shared_ptr<RunLoop> tCurrent;

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct RunLoop::State {
    mutable std::mutex m;
    std::condition_variable cv;
    std::weak_ptr<RunLoop> self;
    std::deque<std::function<void()>> work;
    // Timers whose fire date has come, in due order, waiting for a run in one of their modes.
    std::deque<Ref<Timer>> due;
    std::vector<std::pair<SourceId, std::shared_ptr<std::function<bool()>>>> sources;
    SourceId nextSource = 1;
    bool woken = false;
    bool stopRequested = false;
    std::vector<RunLoopMode> modes; // innermost run last

    bool hasDueFor(const RunLoopMode& mode) const {
        return std::any_of(due.begin(), due.end(), [&](const Ref<Timer>& t) { return t->runsIn(mode) || !t->isValid(); });
    }
};

RunLoop::RunLoop() : s_(std::make_unique<State>()) {}
RunLoop::~RunLoop() = default;

std::shared_ptr<RunLoop> RunLoop::makeShared() {
    std::shared_ptr<RunLoop> loop(new RunLoop);
    loop->s_->self = loop;
    return loop;
}

std::shared_ptr<RunLoop> RunLoop::shared() const { return s_->self.lock(); }

RunLoop& RunLoop::main() {
    // Never destroyed: other threads may post to it during static destruction.
    static auto* loop = new std::shared_ptr<RunLoop>(makeShared());
    return **loop;
}

RunLoop& RunLoop::current() {
    if (isMainThread()) return main();
    if (!tCurrent) tCurrent = makeShared();
    return *tCurrent;
}

bool RunLoop::isMainThread() { return std::this_thread::get_id() == gMainThread; }

void RunLoop::bindCurrent(const std::shared_ptr<RunLoop>& loop) { tCurrent = loop; }

RunLoopMode RunLoop::currentMode() const {
    std::lock_guard lock(s_->m);
    return s_->modes.empty() ? DefaultRunLoopMode : s_->modes.back();
}

bool RunLoop::isRunning() const {
    std::lock_guard lock(s_->m);
    return !s_->modes.empty();
}

void RunLoop::perform(std::function<void()> fn) {
    if (!fn) return;
    std::lock_guard lock(s_->m);
    s_->work.push_back(std::move(fn));
    s_->cv.notify_all();
}

void RunLoop::addTimer(const Ref<Timer>& timer, const RunLoopMode& mode) {
    if (timer) timer->scheduleOn(shared(), mode);
}

void RunLoop::timerDue(const Ref<Timer>& timer) {
    std::lock_guard lock(s_->m);
    s_->due.push_back(timer);
    s_->cv.notify_all();
}

RunLoop::SourceId RunLoop::addSource(std::function<bool()> poll) {
    std::lock_guard lock(s_->m);
    SourceId id = s_->nextSource++;
    s_->sources.emplace_back(id, std::make_shared<std::function<bool()>>(std::move(poll)));
    s_->cv.notify_all();
    return id;
}

void RunLoop::removeSource(SourceId id) {
    std::shared_ptr<std::function<bool()>> dropped;
    std::lock_guard lock(s_->m);
    auto it = std::find_if(s_->sources.begin(), s_->sources.end(), [&](auto& e) { return e.first == id; });
    if (it == s_->sources.end()) return;
    dropped = std::move(it->second);
    s_->sources.erase(it);
}

void RunLoop::wakeUp() {
    std::lock_guard lock(s_->m);
    s_->woken = true;
    s_->cv.notify_all();
}

// One pass: sources, then the work performed before the pass began (in order), then the due
// timers of the mode (in due order).
bool RunLoop::iterate(const RunLoopMode& mode) {
    bool ran = false;
    std::vector<std::shared_ptr<std::function<bool()>>> sources;
    size_t workCount;
    {
        std::lock_guard lock(s_->m);
        s_->woken = false;
        for (auto& e : s_->sources) sources.push_back(e.second);
        workCount = s_->work.size();
    }
    for (auto& poll : sources) {
        if ((*poll)()) ran = true;
    }
    for (size_t i = 0; i < workCount; ++i) {
        std::function<void()> fn;
        {
            std::lock_guard lock(s_->m);
            if (s_->work.empty()) break;
            fn = std::move(s_->work.front());
            s_->work.pop_front();
        }
        fn();
        ran = true;
    }
    std::vector<Ref<Timer>> timers;
    {
        std::lock_guard lock(s_->m);
        std::deque<Ref<Timer>> keep;
        for (auto& t : s_->due) {
            if (!t->isValid()) continue;
            if (t->runsIn(mode)) timers.push_back(t);
            else keep.push_back(t);
        }
        s_->due.swap(keep);
    }
    for (auto& t : timers) {
        t->fireFromRunLoop();
        ran = true;
    }
    return ran;
}

bool RunLoop::runOnce(double timeout, const RunLoopMode& mode) {
    {
        std::lock_guard lock(s_->m);
        s_->modes.push_back(mode);
    }
    bool ran = iterate(mode);
    if (!ran && timeout > 0) {
        {
            std::unique_lock lock(s_->m);
            s_->cv.wait_for(lock, std::chrono::duration<double>(timeout), [&] {
                return !s_->work.empty() || s_->woken || s_->stopRequested || s_->hasDueFor(mode);
            });
        }
        ran = iterate(mode);
    }
    std::lock_guard lock(s_->m);
    s_->modes.pop_back();
    return ran;
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double timeout, const RunLoopMode& mode) {
    const double end = realNow() + timeout;
    for (;;) {
        if (predicate()) return true;
        double remaining = end - realNow();
        if (remaining <= 0) return predicate();
        // Short waits: the predicate may turn true on another thread without posting here.
        runOnce(std::min(remaining, 0.002), mode);
    }
}

void RunLoop::run(RunLoopMode mode) {
    for (;;) {
        {
            std::lock_guard lock(s_->m);
            if (s_->stopRequested) {
                s_->stopRequested = false;
                return;
            }
        }
        runOnce(1.0, mode);
    }
}

void RunLoop::stop() {
    std::lock_guard lock(s_->m);
    s_->stopRequested = true;
    s_->cv.notify_all();
}

bool RunLoop::hasPendingWork() const {
    std::lock_guard lock(s_->m);
    return !s_->work.empty() || s_->hasDueFor(DefaultRunLoopMode);
}

} // namespace ns
