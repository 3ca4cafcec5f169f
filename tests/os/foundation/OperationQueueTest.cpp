#include "os/foundation/OperationQueue.h"
#include "os/foundation/RunLoop.h"
#include "tests/support/Environment.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

// An asynchronous operation that stays executing until finish() is called from outside.
class AsyncOp : public ns::Operation {
public:
    bool isAsynchronous() const override { return true; }
    bool isExecuting() const override { return running_; }
    bool isFinished() const override { return done_; }

    void start() override {
        startedCancelled = isCancelled();
        ++starts;
        if (isCancelled()) {
            finish();
            return;
        }
        willChangeValueForKey("isExecuting");
        running_ = true;
        didChangeValueForKey("isExecuting");
    }

    void finish() {
        willChangeValueForKey("isExecuting");
        willChangeValueForKey("isFinished");
        running_ = false;
        done_ = true;
        didChangeValueForKey("isExecuting");
        didChangeValueForKey("isFinished");
    }

    std::atomic<int> starts{0};
    std::atomic<bool> startedCancelled{false};

private:
    std::atomic<bool> running_{false}, done_{false};
};

using OperationQueueTest = vx::test::SandboxTest;

TEST_F(OperationQueueTest, WidthOneRunsOperationsOneAtATimeInOrder) {
    auto queue = ns::OperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    std::mutex m;
    std::vector<int> order;
    std::atomic<int> active{0}, maxActive{0};
    for (int i = 0; i < 20; ++i) {
        queue->addOperation([&, i] {
            int now = ++active;
            maxActive = std::max(maxActive.load(), now);
            {
                std::lock_guard lock(m);
                order.push_back(i);
            }
            --active;
        });
    }
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(maxActive, 1);
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(order[i], i);
    EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(OperationQueueTest, DefaultWidthRunsBlockingOperationsSideBySide) {
    auto queue = ns::OperationQueue::create();
    constexpr int N = 16; // more than the cores of a CI machine
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    std::atomic<int> metAll{0};
    for (int i = 0; i < N; ++i) {
        queue->addOperation([&] {
            std::unique_lock lock(m);
            ++arrived;
            cv.notify_all();
            if (cv.wait_for(lock, std::chrono::seconds(10), [&] { return arrived == N; })) ++metAll;
        });
    }
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(metAll, N);
}

TEST_F(OperationQueueTest, AsynchronousOperationHoldsItsSlotUntilItReportsFinished) {
    auto queue = ns::OperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    auto first = ns::make<AsyncOp>();
    std::atomic<bool> secondRan{false};
    queue->addOperation(first);
    queue->addOperation([&] { secondRan = true; });
    ASSERT_TRUE(runMainUntil([&] { return first->starts == 1; }));
    settle(); // start() has returned, yet the slot stays taken
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(queue->operationCount(), 2u);
    first->finish();
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(secondRan);
    EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(OperationQueueTest, CancelAllCancelsRunningAndQueuedOperations) {
    auto queue = ns::OperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    auto running = ns::make<AsyncOp>();
    auto queued = ns::make<AsyncOp>();
    std::atomic<int> mainsRun{0};
    auto b = ns::BlockOperation::create([&] { ++mainsRun; });
    auto c = ns::BlockOperation::create([&] { ++mainsRun; });
    for (const ns::Ref<ns::Operation>& op : std::initializer_list<ns::Ref<ns::Operation>>{running, queued, b, c})
        queue->addOperation(op);
    ASSERT_TRUE(runMainUntil([&] { return running->starts == 1; }));
    queue->cancelAllOperations();
    EXPECT_TRUE(running->isCancelled());
    EXPECT_EQ(queue->operationCount(), 4u);
    running->finish(); // an asynchronous operation finishes itself
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(mainsRun, 0);
    // A cancelled asynchronous operation is still started, to finish itself.
    EXPECT_EQ(queued->starts, 1);
    EXPECT_TRUE(queued->startedCancelled);
    EXPECT_TRUE(queued->isFinished());
    EXPECT_TRUE(b->isFinished() && b->isCancelled());
    EXPECT_TRUE(c->isFinished() && c->isCancelled());
}

TEST_F(OperationQueueTest, StateKeysAreAnnouncedOnlyWhenTheyChange) {
    auto op = ns::BlockOperation::create([] {});
    auto observer = ns::make<ns::Object>();
    std::vector<std::string> seen;
    for (const char* key : {"isExecuting", "isFinished", "isCancelled"}) {
        op->addObserver(
            observer, key, [&](const std::string& k) { seen.push_back("did " + k); },
            [&](const std::string& k) { seen.push_back("will " + k); });
    }
    int completions = 0;
    op->setCompletionBlock([&] { ++completions; });
    op->start();
    op->cancel();
    op->cancel();
    op->waitUntilFinished();
    std::vector<std::string> expected{"will isExecuting", "did isExecuting", "will isExecuting", "did isExecuting",
                                      "will isFinished",  "did isFinished",  "will isCancelled", "did isCancelled"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(completions, 1);
}

TEST_F(OperationQueueTest, MainQueueRunsOperationsOnTheMainThread) {
    auto& queue = ns::OperationQueue::mainQueue();
    EXPECT_EQ(queue->maxConcurrentOperationCount(), 1);
    bool onMain = false;
    queue->addOperation([&] { onMain = ns::RunLoop::isMainThread(); });
    EXPECT_EQ(queue->operationCount(), 1u);
    queue->waitUntilAllOperationsAreFinished(); // pumps, since this is the main thread
    EXPECT_TRUE(onMain);
}

} // namespace
