#include "os/foundation/Operation.h"

namespace ns {

namespace {
const std::string IsExecuting = "isExecuting";
const std::string IsFinished = "isFinished";
const std::string IsCancelled = "isCancelled";
} // namespace

Operation::Operation() = default;
Operation::~Operation() = default;

// A cancelled operation becomes finished without running main().
void Operation::start() {
    if (isCancelled()) {
        setFinished(true);
        return;
    }
    setExecuting(true);
    main();
    setExecuting(false);
    setFinished(true);
}

void Operation::cancel() {
    if (cancelRequested_.exchange(true)) return;
    willChangeValueForKey(IsCancelled);
    cancelled_ = true;
    didChangeValueForKey(IsCancelled);
}

void Operation::setExecuting(bool value) {
    if (executing_ == value) return;
    willChangeValueForKey(IsExecuting);
    executing_ = value;
    didChangeValueForKey(IsExecuting);
}

void Operation::setFinished(bool value) {
    if (finished_ == value) return;
    willChangeValueForKey(IsFinished);
    finished_ = value;
    didChangeValueForKey(IsFinished);
}

void Operation::setCompletionBlock(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    completion_ = std::move(block);
}

void Operation::waitUntilFinished() {
    std::unique_lock lock(mutex_);
    finishedCv_.wait(lock, [&] { return isFinished(); });
}

void Operation::didChangeValueForKey(const std::string& key) {
    KeyValueObserving::didChangeValueForKey(key);
    if (key != IsFinished || !isFinished()) return;
    std::function<void()> completion;
    {
        std::lock_guard lock(mutex_);
        if (!completionRan_) {
            completionRan_ = true;
            completion = std::move(completion_);
            completion_ = nullptr;
        }
        finishedCv_.notify_all();
    }
    if (completion) completion();
}

Ref<BlockOperation> BlockOperation::create(std::function<void()> block) {
    auto op = make<BlockOperation>();
    op->addExecutionBlock(std::move(block));
    return op;
}

void BlockOperation::addExecutionBlock(std::function<void()> block) {
    if (!block) return;
    std::lock_guard lock(blocksMutex_);
    blocks_.push_back(std::move(block));
}

void BlockOperation::main() {
    std::vector<std::function<void()>> blocks;
    {
        std::lock_guard lock(blocksMutex_);
        blocks = blocks_;
    }
    for (auto& b : blocks) b();
}

} // namespace ns
