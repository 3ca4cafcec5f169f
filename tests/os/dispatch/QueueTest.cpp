#include "os/dispatch/Dispatch.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Clock.h"
#include "tests/support/Environment.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using QueueTest = vx::test::SandboxTest;

TEST_F(QueueTest, MainQueueAndSerialQueuesTargetingItRunOnTheMainThreadWhenPumped) {
    std::vector<int> order;
    bool onMain = false, targetOnMain = false;
    auto targeting = dispatch::Queue::createSerial("com.example.on-main", dispatch::Queue::main());
    dispatch::async(targeting, [&] { targetOnMain = ns::RunLoop::isMainThread(); });
    dispatch::async(dispatch::Queue::main(), [&] { order.push_back(1); });
    dispatch::async(dispatch::Queue::main(), [&] { order.push_back(2); });
    dispatch::async(dispatch::Queue::global(), [&] {
        dispatch::async(dispatch::Queue::main(), [&] {
            onMain = ns::RunLoop::isMainThread() && dispatch::Queue::main().isCurrent();
            order.push_back(3);
        });
    });
    EXPECT_TRUE(order.empty()); // nothing runs until the main loop is pumped
    settle();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(onMain);
    EXPECT_TRUE(targetOnMain);
}

TEST_F(QueueTest, SerialQueueRunsBlocksOneAtATimeInSubmissionOrder) {
    auto queue = dispatch::Queue::createSerial("com.example.serial");
    std::vector<int> order; // touched only by the queue's blocks, one at a time
    std::atomic<int> active{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 1000; ++i) {
        dispatch::async(queue, [&, i] {
            if (++active > 1) overlapped = true;
            order.push_back(i);
            --active;
        });
    }
    bool last = false;
    dispatch::sync(queue, [&] { last = order.size() == 1000; }); // sync waits for earlier blocks
    EXPECT_TRUE(last);
    EXPECT_FALSE(overlapped);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(order[i], i);
}

TEST_F(QueueTest, SyncToMainFromBackgroundCompletesWhileMainPumps) {
    std::atomic<bool> done{false};
    std::atomic<bool> ranOnMain{false};
    dispatch::async(dispatch::Queue::global(dispatch::Priority::Low), [&] {
        dispatch::sync(dispatch::Queue::main(), [&] { ranOnMain = ns::RunLoop::isMainThread(); });
        done = true;
    });
    EXPECT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_TRUE(ranOnMain);
}

// Not a sandbox test: the threadsafe style runs the test again in a child that dies, and a
// sandbox folder made there would never be removed.
TEST(QueueDeathTest, SyncOntoTheQueueRunningTheCallerAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(dispatch::sync(dispatch::Queue::main(), [] {}), "main queue from the main thread");
    auto queue = dispatch::Queue::createSerial("com.example.self-sync");
    EXPECT_DEATH(dispatch::sync(queue, [&] { dispatch::sync(queue, [] {}); }), "com.example.self-sync");
}

TEST_F(QueueTest, AfterDeliversOnEachQueueInDueOrder) {
    std::mutex m;
    std::vector<std::string> order;
    auto record = [&](std::string what) {
        return [&, what] {
            std::lock_guard lock(m);
            order.push_back(what);
        };
    };
    auto serial = dispatch::Queue::createSerial("com.example.after");
    const size_t pending = ns::Clock::pendingCount();
    dispatch::after(3, dispatch::Queue::global(), record("global 3"));
    dispatch::after(1, dispatch::Queue::main(), record("main 1"));
    dispatch::after(2, serial, record("serial 2"));
    dispatch::after(2, dispatch::Queue::main(), record("main 2"));
    advance(1.5);
    {
        std::lock_guard lock(m);
        EXPECT_EQ(order, (std::vector<std::string>{"main 1"}));
    }
    ASSERT_TRUE(advance(10));
    EXPECT_EQ(ns::Clock::pendingCount(), pending); // each block once, nothing left on the clock
    std::lock_guard lock(m);
    EXPECT_EQ(order, (std::vector<std::string>{"main 1", "serial 2", "main 2", "global 3"}));
}

TEST_F(QueueTest, OnceRunsItsBlockOncePerTokenAcrossThreads) {
    dispatch::OnceToken token;
    std::atomic<int> runs{0};
    dispatch::Group group;
    for (int i = 0; i < 16; ++i) group.async(dispatch::Queue::global(), [&] { dispatch::once(token, [&] { ++runs; }); });
    EXPECT_TRUE(group.wait(10));
    EXPECT_EQ(runs, 1);
}

TEST_F(QueueTest, SemaphoreCountsSignalsAndTimesOut) {
    dispatch::Semaphore sem(1);
    EXPECT_TRUE(sem.wait(0));
    EXPECT_FALSE(sem.wait(0));
    EXPECT_FALSE(sem.wait(0.01));
    std::atomic<bool> got{false};
    std::thread waiter([&] { got = sem.wait(10); });
    // Signal only once the waiter is blocked, so it reports having woken someone.
    while (!sem.signal()) {
        if (!sem.wait(0)) break; // the waiter took it in between
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_TRUE(got);
}

TEST_F(QueueTest, GroupNotifiesAfterAllWorkAndEnterLeaveBalance) {
    dispatch::Group group;
    std::atomic<int> done{0};
    dispatch::Semaphore gate(0);
    for (int i = 0; i < 8; ++i) {
        group.async(dispatch::Queue::global(), [&] {
            gate.wait(10);
            ++done;
        });
    }
    group.enter();
    bool notified = false;
    int doneAtNotify = -1;
    group.notify(dispatch::Queue::main(), [&] {
        notified = true;
        doneAtNotify = done;
    });
    EXPECT_FALSE(group.wait(0));
    for (int i = 0; i < 8; ++i) gate.signal();
    settle();
    EXPECT_FALSE(notified); // the manual enter is still open
    group.leave();
    EXPECT_TRUE(group.wait(10));
    EXPECT_TRUE(runMainUntil([&] { return notified; }));
    EXPECT_EQ(doneAtNotify, 8);
}

TEST_F(QueueTest, IdleOnlyWhenNoBackgroundBlockWaitsOrRuns) {
    dispatch::Semaphore gate(0);
    auto serial = dispatch::Queue::createSerial("com.example.idle");
    dispatch::async(serial, [&] { gate.wait(10); });
    EXPECT_FALSE(dispatch::isIdle());
    gate.signal();
    settle();
    EXPECT_TRUE(dispatch::isIdle());
}

} // namespace
