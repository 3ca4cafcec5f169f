#pragma once
// A unit of work run by an OperationQueue (or started directly), with the state keys
// "isExecuting", "isFinished" and "isCancelled" reported through will/did change notifications.

#include "os/foundation/KeyValueObserving.h"
#include "os/foundation/Object.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ns {

class Operation : public Object, public KeyValueObserving {
public:
    // A plain operation: start() runs main() unless cancelled, then reports finished.
    // An asynchronous one overrides start() and the state getters, keeps its own state, sends
    // the will/did notifications itself, and holds its queue slot until it reports isFinished.
    virtual void start();
    virtual void main() {}
    // Sets the cancelled flag (once set it never clears). A queued operation is still started.
    virtual void cancel();

    virtual bool isReady() const { return true; }
    virtual bool isExecuting() const { return executing_; }
    virtual bool isFinished() const { return finished_; }
    virtual bool isCancelled() const { return cancelled_; }
    virtual bool isAsynchronous() const { return false; }

    // Runs once after the operation finishes, on the thread that reports it finished.
    void setCompletionBlock(std::function<void()> block);
    // Blocks the calling thread until the operation has finished.
    void waitUntilFinished();

    // Key-value notifications of the state keys (observers through KeyValueObserving).
    // Subclasses keeping their own state call these around each change, only when it changes;
    // "isFinished" turning true runs the completion block and wakes waiters.
    void didChangeValueForKey(const std::string& key) override;

    Operation();
    ~Operation() override;

protected:
    // The base state with notifications sent only when the value changes.
    void setExecuting(bool value);
    void setFinished(bool value);

private:
    std::atomic<bool> executing_{false}, finished_{false}, cancelled_{false}, cancelRequested_{false};
    std::mutex mutex_;
    std::condition_variable finishedCv_;
    std::function<void()> completion_;
    bool completionRan_ = false;
};

// An operation that runs its blocks, in order, on the thread that starts it.
class BlockOperation : public Operation {
public:
    static Ref<BlockOperation> create(std::function<void()> block);
    void addExecutionBlock(std::function<void()> block);
    void main() override;

private:
    std::mutex blocksMutex_;
    std::vector<std::function<void()>> blocks_;
};

} // namespace ns
