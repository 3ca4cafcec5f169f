#include "os/foundation/WorkerPool.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ns {
namespace {

// Enough threads for the generous operation-queue width plus blocked dispatch work.
constexpr int MaxThreads = 128;

thread_local bool tIsWorker = false;

struct Pool {
    std::mutex m;
    std::condition_variable cv;
    std::condition_variable idleCv; // notified when the last outstanding job ends
    std::array<std::deque<std::function<void()>>, 4> queues;
    size_t queued = 0;
    int threads = 0;
    int idle = 0;
    size_t outstanding = 0; // queued + running
};

// Never destroyed: workers outlive static destruction.
Pool& pool() {
    static Pool* p = new Pool;
    return *p;
}

void worker() {
    tIsWorker = true;
    Pool& p = pool();
    std::unique_lock lock(p.m);
    for (;;) {
        ++p.idle;
        p.cv.wait(lock, [&] { return p.queued > 0; });
        --p.idle;
        std::function<void()> job;
        for (auto& q : p.queues) {
            if (!q.empty()) {
                job = std::move(q.front());
                q.pop_front();
                break;
            }
        }
        --p.queued;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        if (--p.outstanding == 0) p.idleCv.notify_all();
    }
}

} // namespace

void WorkerPool::post(std::function<void()> job, Priority priority) {
    if (!job) return;
    Pool& p = pool();
    std::lock_guard lock(p.m);
    p.queues[static_cast<size_t>(priority)].push_back(std::move(job));
    ++p.queued;
    ++p.outstanding;
    if (p.queued > static_cast<size_t>(p.idle) && p.threads < MaxThreads) {
        ++p.threads;
        std::thread(worker).detach();
    } else {
        p.cv.notify_one();
    }
}

bool WorkerPool::isIdle() {
    Pool& p = pool();
    std::lock_guard lock(p.m);
    return p.outstanding == 0;
}

bool WorkerPool::waitUntilIdle(double seconds) {
    Pool& p = pool();
    std::unique_lock lock(p.m);
    return p.idleCv.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return p.outstanding == 0; });
}

bool WorkerPool::isWorkerThread() { return tIsWorker; }

} // namespace ns
