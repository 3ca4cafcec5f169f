#include "os/foundation/Clock.h"

#include <time.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace ns {
namespace {

double realMono() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double realWall() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

// Items ordered by deadline, then by scheduling order (the token grows with every schedule).
using Key = std::pair<double, Clock::Token>;

struct Item {
    std::function<void()> fire;
    // Manual mode: scheduled already due, so the clock thread fires it without an advance().
    bool immediate = false;
};

struct ClockState {
    std::mutex m;
    std::condition_variable cv;
    std::map<Key, Item> items;
    std::unordered_map<Clock::Token, double> deadlines;
    Clock::Token nextToken = 1;
    int firing = 0;
    bool threadStarted = false;

    std::atomic<bool> manual{false};
    std::atomic<double> manualNow{0};
    // In manual mode wall time = wallBase + (now - monoBase).
    std::atomic<double> wallBase{0};
    std::atomic<double> monoBase{0};

    // Serialises firing between the clock thread and advance(), so due order holds.
    std::mutex fireMutex;
};

// Never destroyed: the clock thread and late timers may outlive static destruction.
ClockState& state() {
    static ClockState* s = new ClockState;
    return *s;
}

double currentNow(ClockState& s) { return s.manual ? s.manualNow.load() : realMono(); }

// Pops the first item due by `limit` (only an immediate one when `immediateOnly`); the caller
// holds fireMutex and s.m.
bool popDue(ClockState& s, double limit, bool immediateOnly, std::function<void()>& fire, double& deadline) {
    auto it = s.items.begin();
    while (it != s.items.end() && it->first.first <= limit && immediateOnly && !it->second.immediate) ++it;
    if (it == s.items.end() || it->first.first > limit) return false;
    deadline = it->first.first;
    fire = std::move(it->second.fire);
    s.deadlines.erase(it->first.second);
    s.items.erase(it);
    ++s.firing;
    return true;
}

void finishFire(ClockState& s, std::function<void()>& fire) {
    fire = nullptr; // the item's captures die outside the lock
    std::lock_guard lock(s.m);
    --s.firing;
}

// Fires items as they fall due: by real time in real mode; in manual mode only items that
// were scheduled already due (advance() fires the others, one step at a time, so an item that
// an advance step has made due waits for its turn).
void clockThread() {
    ClockState& s = state();
    for (;;) {
        std::unique_lock fireLock(s.fireMutex);
        std::unique_lock lock(s.m);
        std::function<void()> fire;
        double deadline = 0;
        if (popDue(s, currentNow(s), s.manual, fire, deadline)) {
            lock.unlock();
            fire();
            finishFire(s, fire);
            continue;
        }
        fireLock.unlock();
        if (s.items.empty() || s.manual) {
            s.cv.wait(lock);
        } else {
            double wait = s.items.begin()->first.first - realMono();
            s.cv.wait_for(lock, std::chrono::duration<double>(std::max(wait, 0.0)));
        }
    }
}

} // namespace

double Clock::now() { return currentNow(state()); }

double Clock::coarseNow() {
    ClockState& s = state();
    if (s.manual) return s.manualNow.load();
    // The coarse clock shares the monotonic clock's origin and trails it by at most one tick.
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Clock::wallNow() {
    ClockState& s = state();
    if (!s.manual) return realWall();
    return s.wallBase + (s.manualNow - s.monoBase);
}

int64_t Clock::wallMillis() { return static_cast<int64_t>(std::floor(wallNow() * 1000.0)); }

void Clock::setManual(bool manual, double wallStart) {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    if (manual) {
        double wall = wallStart > 0 ? wallStart : wallNow();
        if (!s.manual) s.manualNow = realMono();
        s.monoBase = s.manualNow.load();
        s.wallBase = wall;
        s.manual = true;
    } else {
        s.manual = false;
    }
    s.cv.notify_all();
}

bool Clock::isManual() { return state().manual; }

void Clock::advance(double seconds, const std::function<void()>& afterEach) {
    ClockState& s = state();
    if (!s.manual || !(seconds >= 0)) return;
    double target = s.manualNow + seconds;
    for (;;) {
        std::unique_lock fireLock(s.fireMutex);
        std::unique_lock lock(s.m);
        std::function<void()> fire;
        double deadline = 0;
        if (!popDue(s, target, false, fire, deadline)) {
            s.manualNow = std::max(s.manualNow.load(), target);
            s.cv.notify_all();
            return;
        }
        s.manualNow = std::max(s.manualNow.load(), deadline);
        lock.unlock();
        fire();
        finishFire(s, fire);
        fireLock.unlock();
        if (afterEach) afterEach();
    }
}

Clock::Token Clock::schedule(double deadline, std::function<void()> fire) {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    if (!s.threadStarted) {
        std::thread(clockThread).detach();
        s.threadStarted = true;
    }
    if (!(deadline == deadline)) deadline = currentNow(s); // NaN fires at once
    Token token = s.nextToken++;
    bool immediate = s.manual && deadline <= s.manualNow;
    bool first = s.items.empty() || Key{deadline, token} < s.items.begin()->first;
    s.items.emplace(Key{deadline, token}, Item{std::move(fire), immediate});
    s.deadlines.emplace(token, deadline);
    if (first || immediate) s.cv.notify_all();
    return token;
}

void Clock::cancel(Token token) {
    ClockState& s = state();
    std::function<void()> dropped;
    {
        std::lock_guard lock(s.m);
        auto d = s.deadlines.find(token);
        if (d == s.deadlines.end()) return;
        auto it = s.items.find(Key{d->second, token});
        if (it != s.items.end()) {
            dropped = std::move(it->second.fire);
            s.items.erase(it);
        }
        s.deadlines.erase(d);
    }
}

size_t Clock::pendingCount() {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    return s.items.size();
}

bool Clock::isIdle() {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    if (s.firing > 0) return false;
    double now = currentNow(s);
    for (auto& [key, item] : s.items) {
        if (key.first > now) break;
        if (!s.manual || item.immediate) return false;
    }
    return true;
}

} // namespace ns
