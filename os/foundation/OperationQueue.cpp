#include "os/foundation/OperationQueue.h"

#include "os/foundation/RunLoop.h"
#include "os/foundation/WorkerPool.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace ns {

// Also the observer object of the "isFinished" notifications of its operations.
struct OperationQueue::State : Object {
    mutable std::mutex m;
    std::condition_variable cv;
    bool main = false;
    std::string name;
    int maxCount = -1;
    QualityOfService qos = QualityOfService::Default;
    std::deque<Ref<Operation>> waiting;
    // Started operations holding a slot, with the id of the queue's state observer on each.
    std::vector<std::pair<Ref<Operation>, uint64_t>> running;

    int width() const {
        if (main) return 1;
        return maxCount < 0 ? DefaultMaxConcurrentOperationCount : std::max(maxCount, 1);
    }

    WorkerPool::Priority priority() const {
        switch (qos) {
        case QualityOfService::UserInteractive:
        case QualityOfService::UserInitiated: return WorkerPool::Priority::High;
        case QualityOfService::Default: return WorkerPool::Priority::Default;
        case QualityOfService::Utility: return WorkerPool::Priority::Low;
        case QualityOfService::Background: return WorkerPool::Priority::Background;
        }
        return WorkerPool::Priority::Default;
    }

    // Starts waiting operations, in order, while slots are free.
    void pump() {
        std::vector<Ref<Operation>> launch;
        {
            std::lock_guard lock(m);
            while (static_cast<int>(running.size()) < width() && !waiting.empty()) {
                launch.push_back(waiting.front());
                waiting.pop_front();
                running.emplace_back(launch.back(), 0);
            }
        }
        for (auto& op : launch) launchOne(op);
    }

    void launchOne(const Ref<Operation>& op) {
        auto self = ref<State>();
        std::weak_ptr<State> weak = self;
        Operation* raw = op.get();
        // The slot is released when the operation reports isFinished, from whatever thread.
        uint64_t id = op->addObserver(self, "isFinished", [weak, raw](const std::string&) {
            if (!raw->isFinished()) return;
            if (auto s = weak.lock()) s->release(*raw);
        });
        {
            std::lock_guard lock(m);
            for (auto& r : running) {
                if (r.first == op) r.second = id;
            }
        }
        auto job = [self, op] {
            op->start();
            if (op->isFinished()) self->release(*op);
        };
        if (main) RunLoop::main().perform(job);
        else WorkerPool::post(job, priority());
    }

    void release(Operation& op) {
        Ref<Operation> held;
        uint64_t observer = 0;
        {
            std::lock_guard lock(m);
            auto it = std::find_if(running.begin(), running.end(), [&](auto& r) { return r.first.get() == &op; });
            if (it == running.end()) return;
            held = it->first;
            observer = it->second;
            running.erase(it);
            cv.notify_all();
        }
        held->removeObserver(observer);
        pump();
    }

    bool empty() const {
        std::lock_guard lock(m);
        return waiting.empty() && running.empty();
    }
};

OperationQueue::OperationQueue() : OperationQueue(false) {}

OperationQueue::OperationQueue(bool main) : s_(std::make_shared<State>()) { s_->main = main; }

OperationQueue::~OperationQueue() = default;

Ref<OperationQueue> OperationQueue::create() { return make<OperationQueue>(); }

const Ref<OperationQueue>& OperationQueue::mainQueue() {
    static auto* queue = new Ref<OperationQueue>(new OperationQueue(true));
    return *queue;
}

const std::string& OperationQueue::name() const { return s_->name; }

void OperationQueue::setName(std::string name) {
    std::lock_guard lock(s_->m);
    s_->name = std::move(name);
}

int OperationQueue::maxConcurrentOperationCount() const {
    std::lock_guard lock(s_->m);
    return s_->main ? 1 : s_->maxCount;
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
    {
        std::lock_guard lock(s_->m);
        if (s_->main) return;
        s_->maxCount = count;
    }
    s_->pump();
}

QualityOfService OperationQueue::qualityOfService() const {
    std::lock_guard lock(s_->m);
    return s_->qos;
}

void OperationQueue::setQualityOfService(QualityOfService qos) {
    std::lock_guard lock(s_->m);
    s_->qos = qos;
}

size_t OperationQueue::operationCount() const {
    std::lock_guard lock(s_->m);
    return s_->waiting.size() + s_->running.size();
}

void OperationQueue::addOperation(const Ref<Operation>& op) {
    if (!op || op->isFinished()) return;
    {
        std::lock_guard lock(s_->m);
        // An operation belongs to one queue once.
        if (std::find(s_->waiting.begin(), s_->waiting.end(), op) != s_->waiting.end()) return;
        for (auto& r : s_->running) {
            if (r.first == op) return;
        }
        s_->waiting.push_back(op);
    }
    s_->pump();
}

void OperationQueue::addOperation(std::function<void()> block) {
    if (block) addOperation(BlockOperation::create(std::move(block)));
}

void OperationQueue::cancelAllOperations() {
    std::vector<Ref<Operation>> ops;
    {
        std::lock_guard lock(s_->m);
        for (auto& r : s_->running) ops.push_back(r.first);
        ops.insert(ops.end(), s_->waiting.begin(), s_->waiting.end());
    }
    for (auto& op : ops) op->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
    if (s_->main && RunLoop::isMainThread()) {
        // The main queue's operations run here: pump instead of blocking.
        while (!s_->empty()) RunLoop::main().runOnce(0.01);
        return;
    }
    std::unique_lock lock(s_->m);
    s_->cv.wait(lock, [&] { return s_->waiting.empty() && s_->running.empty(); });
}

} // namespace ns
