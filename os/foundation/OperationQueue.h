#pragma once
// Runs operations on the shared worker pool, at most maxConcurrentOperationCount at a time.
// An operation holds its slot until it reports isFinished; cancelled operations are still started.

#include "os/foundation/Object.h"
#include "os/foundation/Operation.h"
#include "os/foundation/Thread.h"

#include <functional>
#include <memory>
#include <string>

namespace ns {

class OperationQueue : public Object {
public:
    // Width used when none is set: generous, because an asynchronous operation occupies its slot
    // for its whole life (a download), and a width of the core count would serialise them.
    static constexpr int DefaultMaxConcurrentOperationCount = 64;

    static Ref<OperationQueue> create();
    // The queue whose operations run on the main run loop, one at a time.
    static const Ref<OperationQueue>& mainQueue();

    const std::string& name() const;
    void setName(std::string name);
    // -1 (the default) means DefaultMaxConcurrentOperationCount.
    int maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(int count);
    // Recorded only.
    QualityOfService qualityOfService() const;
    void setQualityOfService(QualityOfService qos);

    // Operations waiting or executing (not yet finished).
    size_t operationCount() const;

    void addOperation(const Ref<Operation>& op);
    void addOperation(std::function<void()> block);
    // Cancels every operation in the queue; they still run their start() and finish.
    void cancelAllOperations();
    // Blocks until the queue is empty (do not call it on a thread the operations need).
    void waitUntilAllOperationsAreFinished();

    OperationQueue();
    ~OperationQueue() override;

private:
    struct State;
    explicit OperationQueue(bool main);
    std::shared_ptr<State> s_;
};

} // namespace ns
