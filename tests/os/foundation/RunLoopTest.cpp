#include "os/foundation/RunLoop.h"
#include "os/foundation/Thread.h"
#include "os/foundation/Timer.h"
#include "tests/support/Environment.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using RunLoopTest = vx::test::SandboxTest;

TEST_F(RunLoopTest, PerformedWorkRunsInOrderIncludingWorkPostedWhileRunning) {
    std::vector<int> order;
    auto& loop = ns::RunLoop::main();
    loop.perform([&] {
        order.push_back(1);
        loop.perform([&] { order.push_back(3); });
    });
    loop.perform([&] { order.push_back(2); });
    drainMain();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(ns::RunLoop::isMainThread());
    EXPECT_EQ(&ns::RunLoop::current(), &loop);
}

TEST_F(RunLoopTest, WorkOrInputFromAnotherThreadWakesTheLoopAndRunUntilGivesUpOnRealTime) {
    auto& loop = ns::RunLoop::main();
    std::atomic<bool> ran{false}, input{false};
    int handled = 0;
    auto id = loop.addSource([&] { // polled after every wake-up
        if (!input.exchange(false)) return false;
        ++handled;
        return true;
    });
    std::thread other([&] {
        ns::RunLoop::main().perform([&] { ran = true; });
        input = true;
        ns::RunLoop::main().wakeUp();
    });
    EXPECT_TRUE(runMainUntil([&] { return ran && handled == 1; }));
    other.join();
    loop.removeSource(id);
    // The manual clock does not stop runUntil's real-time bound, nor does it move.
    double t0 = ns::Clock::now();
    EXPECT_FALSE(runMainUntil([] { return false; }, 0.05));
    EXPECT_EQ(ns::Clock::now(), t0);
}

TEST_F(RunLoopTest, OneShotTimerFiresOnceAtItsDateAndInvalidates) {
    int fired = 0;
    const size_t pending = ns::Clock::pendingCount();
    auto timer = ns::Timer::scheduled(1.0, false, [&](ns::Timer&) { ++fired; });
    advance(0.9);
    EXPECT_EQ(fired, 0);
    ASSERT_TRUE(advance(0.1));
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(ns::Clock::pendingCount(), pending); // fired once, nothing re-armed
    advance(5);
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTest, RepeatingTimerSkipsMissedFiresInsteadOfBursting) {
    int fired = 0;
    double t0 = ns::Clock::now();
    auto timer = ns::Timer::scheduled(1.0, true, [&](ns::Timer&) { ++fired; });
    advance(3.0); // pumped after every due item: one fire per period
    EXPECT_EQ(fired, 3);
    // The main thread is busy for 5.5 s: one late fire, then the original phase resumes.
    ns::Clock::advance(5.5);
    drainMain();
    EXPECT_EQ(fired, 4);
    EXPECT_DOUBLE_EQ(timer->fireDate(), t0 + 9.0);
    timer->invalidate();
}

TEST_F(RunLoopTest, TimerKeepsItsBlockUntilInvalidatedAndFireLeavesTheSchedule) {
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    auto timer = ns::Timer::scheduled(1.0, true, [held](ns::Timer& t) {
        if (++*held == 3) t.invalidate(); // from inside the block
    });
    const double date = timer->fireDate();
    timer->fire(); // runs the block now, the schedule unchanged
    EXPECT_EQ(*held, 1);
    EXPECT_EQ(timer->fireDate(), date);
    held.reset();
    advance(1);
    EXPECT_FALSE(watch.expired());
    advance(1);
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(timer->isValid());
    timer->fire(); // invalid, its block gone: nothing runs
}

TEST_F(RunLoopTest, TimerModesDecideWhereTimersFire) {
    auto& loop = ns::RunLoop::main();
    int plain = 0, common = 0;
    auto t1 = ns::Timer::timer(1, false, [&](ns::Timer&) { ++plain; });
    auto t2 = ns::Timer::timer(1, false, [&](ns::Timer&) { ++common; });
    loop.addTimer(t1, ns::DefaultRunLoopMode);
    loop.addTimer(t2, ns::RunLoopCommonModes);
    ns::Clock::advance(1);
    // Tracking (a finger on a scroll view): only the common-modes timer fires.
    loop.runUntil([&] { return common == 1; }, 5, ns::TrackingRunLoopMode);
    EXPECT_EQ(common, 1);
    EXPECT_EQ(plain, 0);
    drainMain();
    EXPECT_EQ(plain, 1);
}

TEST_F(RunLoopTest, NamedThreadRunsPerformedWorkOnItsOwnLoop) {
    auto thread = ns::Thread::create("com.example.worker");
    thread->setQualityOfService(ns::QualityOfService::Background);
    // Written on the thread, read here after `step` (atomic) says they are done.
    std::vector<int> order;
    std::string name;
    bool onMain = true, ownLoop = false;
    std::atomic<int> step{0};
    std::atomic<bool> done{false};
    thread->perform([&] { order.push_back(1); }); // queued before the thread starts
    thread->start();
    thread->perform([&] {
        order.push_back(2);
        name = ns::Thread::currentName();
        onMain = ns::Thread::isMainThread();
        ownLoop = &ns::RunLoop::current() == &thread->runLoop();
        // A timer on the thread's loop obeys the manual clock too.
        ns::Timer::scheduled(2, false, [&](ns::Timer&) { done = true; });
        step = 2;
    });
    ASSERT_TRUE(runMainUntil([&] { return step == 2; }));
    advance(2);
    EXPECT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(name, "com.example.worker");
    EXPECT_FALSE(onMain);
    EXPECT_TRUE(ownLoop);
    EXPECT_EQ(ns::Thread::currentName(), "main");
    thread->cancel();
    EXPECT_TRUE(runMainUntil([&] { return thread->isFinished(); }));
}

} // namespace
