// The dispatch layer against a plain std::thread + condition-variable queue doing the same work:
// main-queue async (posted and drained on the main thread, and posted from another thread while
// the main thread pumps), and timed work (items due now, through the clock thread, run on the
// main thread). Prints the ratio of each pair at the end.
#include "bench/BenchRatio.h"
#include "os/dispatch/Dispatch.h"
#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kBlocks = 1000;

// Both sides hand work over the same way (a mutex, a condition variable, one item at a time), so
// a ratio below 1 in the cross-thread and timed pairs is the scheduler's noise, large on a loaded
// machine, not a trick.

// The plain way: a mutex-guarded deque of std::function drained by its owner thread.
class PlainQueue {
public:
    void post(std::function<void()> fn) {
        std::lock_guard lock(m_);
        work_.push_back(std::move(fn));
        cv_.notify_one();
    }
    // Runs work until `done` holds, waiting on the condition variable when empty.
    void drainUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::function<void()> fn;
            {
                std::unique_lock lock(m_);
                cv_.wait(lock, [&] { return !work_.empty(); });
                fn = std::move(work_.front());
                work_.pop_front();
            }
            fn();
        }
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> work_;
};

// The plain way of timed work: a timer thread with a deadline heap that hands due work to a
// PlainQueue.
class PlainTimers {
public:
    explicit PlainTimers(PlainQueue& target) : target_(target), thread_([this] { loop(); }) {}
    ~PlainTimers() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
            cv_.notify_all();
        }
        thread_.join();
    }
    void schedule(std::chrono::steady_clock::time_point when, std::function<void()> fn) {
        std::lock_guard lock(m_);
        heap_.push(Item{when, seq_++, std::move(fn)});
        cv_.notify_all();
    }

private:
    struct Item {
        std::chrono::steady_clock::time_point when;
        uint64_t seq;
        std::function<void()> fn;
        bool operator>(const Item& o) const { return when != o.when ? when > o.when : seq > o.seq; }
    };
    void loop() {
        std::unique_lock lock(m_);
        while (!stop_) {
            if (heap_.empty()) {
                cv_.wait(lock);
                continue;
            }
            auto when = heap_.top().when;
            if (when > std::chrono::steady_clock::now()) {
                cv_.wait_until(lock, when);
                continue;
            }
            auto fn = std::move(const_cast<Item&>(heap_.top()).fn);
            heap_.pop();
            lock.unlock();
            target_.post(std::move(fn));
            lock.lock();
        }
    }
    PlainQueue& target_;
    std::mutex m_;
    std::condition_variable cv_;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> heap_;
    uint64_t seq_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

void MainAsync_Dispatch(benchmark::State& state) {
    auto main = dispatch::Queue::main();
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        for (int i = 0; i < kBlocks; ++i) dispatch::async(main, [&] { ++ran; });
        while (ran < kBlocks) ns::RunLoop::main().runOnce(1);
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void MainAsync_Plain(benchmark::State& state) {
    PlainQueue queue;
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        for (int i = 0; i < kBlocks; ++i) queue.post([&] { ++ran; });
        queue.drainUntil([&] { return ran == kBlocks; });
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void MainAsyncFromThread_Dispatch(benchmark::State& state) {
    auto main = dispatch::Queue::main();
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        std::thread producer([&] {
            for (int i = 0; i < kBlocks; ++i) dispatch::async(main, [&] { ++ran; });
        });
        while (ran < kBlocks) ns::RunLoop::main().runOnce(1);
        producer.join();
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void MainAsyncFromThread_Plain(benchmark::State& state) {
    PlainQueue queue;
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        std::thread producer([&] {
            for (int i = 0; i < kBlocks; ++i) queue.post([&] { ++ran; });
        });
        queue.drainUntil([&] { return ran == kBlocks; });
        producer.join();
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void TimedWork_Dispatch(benchmark::State& state) {
    auto main = dispatch::Queue::main();
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        for (int i = 0; i < kBlocks; ++i) dispatch::after(0, main, [&] { ++ran; });
        while (ran < kBlocks) ns::RunLoop::main().runOnce(1);
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void TimedWork_Plain(benchmark::State& state) {
    PlainQueue queue;
    PlainTimers timers(queue);
    int ran = 0;
    for (auto _ : state) {
        ran = 0;
        auto now = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlocks; ++i) timers.schedule(now, [&] { ++ran; });
        queue.drainUntil([&] { return ran == kBlocks; });
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

// Scheduling and cancelling far-future items: the cost of arming a timer that never fires.
void TimerArmCancel_Clock(benchmark::State& state) {
    std::vector<ns::Clock::Token> tokens(kBlocks);
    for (auto _ : state) {
        double base = ns::Clock::now() + 3600;
        for (int i = 0; i < kBlocks; ++i) tokens[i] = ns::Clock::schedule(base + i, [] {});
        for (auto t : tokens) ns::Clock::cancel(t);
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void TimerArmCancel_Plain(benchmark::State& state) {
    // The plain heap cannot cancel; a mutex-guarded ordered map stands in for it.
    std::mutex m;
    std::map<std::pair<double, uint64_t>, std::function<void()>> items;
    uint64_t seq = 0;
    std::vector<std::pair<double, uint64_t>> keys(kBlocks);
    for (auto _ : state) {
        double base = 3600;
        for (int i = 0; i < kBlocks; ++i) {
            std::lock_guard lock(m);
            keys[i] = {base + i, seq++};
            items.emplace(keys[i], [] {});
        }
        for (auto& k : keys) {
            std::lock_guard lock(m);
            items.erase(k);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

BENCHMARK(MainAsync_Dispatch);
BENCHMARK(MainAsync_Plain);
BENCHMARK(MainAsyncFromThread_Dispatch);
BENCHMARK(MainAsyncFromThread_Plain);
BENCHMARK(TimedWork_Dispatch);
BENCHMARK(TimedWork_Plain);
BENCHMARK(TimerArmCancel_Clock);
BENCHMARK(TimerArmCancel_Plain);


} // namespace

int main(int argc, char** argv) {
    ns::RunLoop::main(); // this thread pumps the main run loop
    return benchratio::runWithRatios(argc, argv,
                                     {{"MainAsync_Dispatch", "MainAsync_Plain"},
                                      {"MainAsyncFromThread_Dispatch", "MainAsyncFromThread_Plain"},
                                      {"TimedWork_Dispatch", "TimedWork_Plain"},
                                      {"TimerArmCancel_Clock", "TimerArmCancel_Plain"}});
}
