#include "os/foundation/Clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace ns {
namespace {

int64_t readClock(clockid_t id) {
    struct timespec ts {};
    ::clock_gettime(id, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

int64_t realMono() { return readClock(CLOCK_MONOTONIC); }
int64_t realWall() { return readClock(CLOCK_REALTIME); }

// Items ordered by deadline (nanoseconds), then by scheduling order (the token grows with every
// schedule).
using Key = std::pair<int64_t, Clock::Token>;

struct Item {
    std::function<void()> fire;
    // Manual mode: scheduled already due, so the clock thread fires it without an advance().
    bool immediate = false;
};

struct ClockState {
    std::mutex m;
    std::condition_variable cv;
    std::map<Key, Item> items;
    std::unordered_map<Clock::Token, int64_t> deadlines;
    Clock::Token nextToken = 1;
    int firing = 0;
    bool threadStarted = false;

    std::atomic<bool> manual{false};
    std::atomic<int64_t> manualNow{0};
    // In manual mode wall time = wallBase + (now - monoBase).
    std::atomic<int64_t> wallBase{0};
    std::atomic<int64_t> monoBase{0};

    // Manual mode: items fired at the instant `instantAt`, and whether that count passed the
    // stall limit.
    int64_t instantAt = 0;
    size_t instantFires = 0;
    std::atomic<bool> stalled{false};

    // Serialises firing between the clock thread and advance(), so due order holds.
    std::mutex fireMutex;
};

// Never destroyed: the clock thread and late timers may outlive static destruction.
ClockState& state() {
    static ClockState* s = new ClockState;
    return *s;
}

int64_t currentNow(ClockState& s) { return s.manual ? s.manualNow.load() : realMono(); }

// Whether one more item may fire at manual instant `at`; counts toward the stall limit. The
// caller holds s.m.
bool mayFireAt(ClockState& s, int64_t at) {
    if (at != s.instantAt) {
        s.instantAt = at;
        s.instantFires = 0;
        s.stalled = false;
    }
    if (s.instantFires < Clock::StallLimit) return true;
    if (!s.stalled.exchange(true))
        std::fprintf(stderr, "clock: more than %zu items fell due at one instant; a timer keeps re-arming "
                             "without moving on\n", Clock::StallLimit);
    return false;
}

// Pops the first item due by `limit` (only an immediate one when `immediateOnly`); the caller
// holds fireMutex and s.m.
bool popDue(ClockState& s, int64_t limit, bool immediateOnly, std::function<void()>& fire, int64_t& deadline) {
    auto it = s.items.begin();
    while (it != s.items.end() && it->first.first <= limit && immediateOnly && !it->second.immediate) ++it;
    if (it == s.items.end() || it->first.first > limit) return false;
    if (s.manual && !mayFireAt(s, std::max(s.manualNow.load(), it->first.first))) return false;
    ++s.instantFires;
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

// Moves every waiting item by `shift` so that it keeps the time it had left when the time scale
// jumps; in manual mode those due at `now` become immediate. The caller holds s.m.
void rebase(ClockState& s, int64_t shift, bool manual, int64_t now) {
    std::map<Key, Item> moved;
    for (auto& [key, item] : s.items) {
        int64_t deadline = TimeDelta::add(key.first, shift);
        item.immediate = manual && deadline <= now;
        s.deadlines[key.second] = deadline;
        moved.emplace(Key{deadline, key.second}, std::move(item));
    }
    s.items.swap(moved);
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
        int64_t deadline = 0;
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
            int64_t wait = std::max<int64_t>(s.items.begin()->first.first - realMono(), 0);
            s.cv.wait_for(lock, std::chrono::nanoseconds(wait));
        }
    }
}

} // namespace

TimeTicks Clock::nowTicks() { return TimeTicks::fromNanoseconds(currentNow(state())); }

double Clock::now() { return nowTicks().inSeconds(); }

double Clock::coarseNow() {
    ClockState& s = state();
    if (s.manual) return TimeTicks::fromNanoseconds(s.manualNow).inSeconds();
    // The coarse clock shares the monotonic clock's origin and trails it by at most one tick.
    return TimeTicks::fromNanoseconds(readClock(CLOCK_MONOTONIC_COARSE)).inSeconds();
}

TimeDelta Clock::wallSince1970() {
    ClockState& s = state();
    if (!s.manual) return TimeDelta::fromNanoseconds(realWall());
    return TimeDelta::fromNanoseconds(s.wallBase + (s.manualNow - s.monoBase));
}

double Clock::wallNow() { return wallSince1970().inSeconds(); }

int64_t Clock::wallMillis() {
    int64_t ns = wallSince1970().inNanoseconds();
    return ns >= 0 ? ns / 1'000'000 : -((-ns + 999'999) / 1'000'000);
}

void Clock::setManual(bool manual, double wallStart, TimeTicks origin) {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    int64_t before = currentNow(s);
    int64_t wallShown = s.manual ? s.wallBase + (s.manualNow - s.monoBase) : realWall();
    if (manual) {
        int64_t now = origin.inNanoseconds();
        rebase(s, TimeDelta::sub(now, before), true, now);
        s.manualNow = now;
        s.monoBase = now;
        s.wallBase = wallStart > 0 ? TimeDelta::fromSeconds(wallStart).inNanoseconds() : wallShown;
        s.instantAt = now;
        s.instantFires = 0;
        s.stalled = false;
        s.manual = true;
    } else if (s.manual) {
        s.manual = false;
        rebase(s, TimeDelta::sub(realMono(), before), false, 0);
        s.stalled = false;
    }
    s.cv.notify_all();
}

bool Clock::isManual() { return state().manual; }

bool Clock::advance(double seconds, const std::function<void()>& afterEach) {
    if (!(seconds >= 0)) return true;
    return advance(TimeDelta::fromSeconds(seconds), afterEach);
}

bool Clock::advance(TimeDelta delta, const std::function<void()>& afterEach) {
    ClockState& s = state();
    if (!s.manual || delta < TimeDelta()) return true;
    const int64_t target = TimeDelta::add(s.manualNow, delta.inNanoseconds());
    for (;;) {
        std::unique_lock fireLock(s.fireMutex);
        std::unique_lock lock(s.m);
        std::function<void()> fire;
        int64_t deadline = 0;
        if (!popDue(s, target, false, fire, deadline)) {
            if (s.stalled) return false;
            s.manualNow = std::max(s.manualNow.load(), target);
            s.cv.notify_all();
            return true;
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
    // NaN fires at once.
    return schedule(deadline == deadline ? TimeTicks::fromSeconds(deadline) : TimeTicks(), std::move(fire));
}

Clock::Token Clock::schedule(TimeTicks when, std::function<void()> fire) {
    ClockState& s = state();
    std::lock_guard lock(s.m);
    if (!s.threadStarted) {
        std::thread(clockThread).detach();
        s.threadStarted = true;
    }
    int64_t deadline = when.inNanoseconds();
    Token token = s.nextToken++;
    bool immediate = s.manual && deadline <= s.manualNow;
    bool first = s.items.empty() || Key{deadline, token} < s.items.begin()->first;
    s.items.emplace(Key{deadline, token}, Item{std::move(fire), immediate});
    s.deadlines.emplace(token, deadline);
    // The clock thread waits for the first deadline in real mode, and only for items already
    // due in manual mode.
    if (s.manual ? immediate : first) s.cv.notify_all();
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
    int64_t now = currentNow(s);
    for (auto& [key, item] : s.items) {
        if (key.first > now) break;
        if (!s.manual || item.immediate) return false;
    }
    return true;
}

bool Clock::isStalled() { return state().stalled; }

} // namespace ns
