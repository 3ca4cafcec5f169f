#include "os/dispatch/Dispatch.h"
#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "tests/support/Environment.h"

#include <atomic>
#include <chrono>

namespace {

using TimerSourceTest = vx::test::SandboxTest;

TEST_F(TimerSourceTest, StartNowTicksAtOnceThenEveryInterval) {
    auto source = dispatch::TimerSource::create(dispatch::Queue::main());
    int ticks = 0;
    source.setEventHandler([&] { ++ticks; });
    source.setTimer(dispatch::TimerSource::Start::now(), 2.0);
    settle();
    EXPECT_EQ(ticks, 0); // created suspended
    source.resume();
    EXPECT_TRUE(runMainUntil([&] { return ticks == 1; })); // no time has to pass
    advance(1.9);
    EXPECT_EQ(ticks, 1);
    advance(0.1);
    EXPECT_EQ(ticks, 2);
    advance(6);
    EXPECT_EQ(ticks, 5);
    source.cancel();
}

TEST_F(TimerSourceTest, LongIntervalOnAGlobalQueueRunsInMicroseconds) {
    auto source = dispatch::TimerSource::create(dispatch::Queue::global());
    std::atomic<int> ticks{0};
    std::atomic<bool> onMain{false};
    source.setEventHandler([&] {
        ++ticks;
        if (ns::RunLoop::isMainThread()) onMain = true;
    });
    source.setTimer(dispatch::TimerSource::Start::now(120), 120, 1);
    source.resume();
    auto start = std::chrono::steady_clock::now();
    advance(120 * 50);
    auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(ticks, 50);
    EXPECT_FALSE(onMain);
    EXPECT_LT(spent, std::chrono::seconds(5)); // 100 minutes of clock time
    source.cancel();
}

TEST_F(TimerSourceTest, NoTickAfterCancelEvenWhenOneWasAlreadyQueued) {
    auto source = dispatch::TimerSource::create(dispatch::Queue::main());
    int ticks = 0;
    source.setEventHandler([&] { ++ticks; });
    source.setTimer(dispatch::TimerSource::Start::now(1), 1);
    source.resume();
    ns::Clock::advance(1); // the tick is queued on the main queue, not yet run
    source.cancel();
    advance(5);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerSourceTest, TicksCoalesceWhileTheHandlerHasNotRunOrTheSourceIsSuspended) {
    auto source = dispatch::TimerSource::create(dispatch::Queue::main());
    int ticks = 0;
    source.setEventHandler([&] { ++ticks; });
    source.setTimer(dispatch::TimerSource::Start::now(1), 1);
    source.resume();
    ns::Clock::advance(10); // main thread busy: ten ticks fall due
    drainMain();
    EXPECT_EQ(ticks, 1);
    advance(1); // and the rhythm continues from the original phase
    EXPECT_EQ(ticks, 2);
    source.suspend(); // a suspended source holds its ticks and delivers one on resuming
    advance(5);
    EXPECT_EQ(ticks, 2);
    source.resume();
    settle();
    EXPECT_EQ(ticks, 3);
    source.cancel();
}

TEST_F(TimerSourceTest, WallStartWaitsForThatWallTime) {
    auto queue = dispatch::Queue::createSerial("com.example.wall");
    auto source = dispatch::TimerSource::create(queue);
    std::atomic<int> ticks{0};
    source.setEventHandler([&] { ++ticks; });
    const size_t pending = ns::Clock::pendingCount();
    source.setTimer(dispatch::TimerSource::Start::wall(vx::test::ManualWallStart + 10), 0);
    source.resume();
    EXPECT_EQ(ns::Clock::pendingCount(), pending + 1);
    advance(9.5);
    EXPECT_EQ(ticks, 0);
    ASSERT_TRUE(advance(0.5));
    EXPECT_EQ(ticks, 1);
    // Interval 0: one tick only, and nothing left on the clock. A source that re-armed would
    // show here (or stall the clock) instead of hanging the test.
    EXPECT_EQ(ns::Clock::pendingCount(), pending);
    ASSERT_TRUE(advance(100));
    EXPECT_EQ(ticks, 1);
    source.cancel();
}

} // namespace
