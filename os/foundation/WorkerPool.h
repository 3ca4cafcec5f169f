#pragma once
// The shared pool of background threads under the global dispatch queues and operation queues.
// Jobs of a higher priority are taken first; the pool grows (to a cap) when all workers are busy,
// so work that blocks waiting on other pool work does not starve.

#include <functional>

namespace ns {

class WorkerPool {
public:
    enum class Priority { High = 0, Default = 1, Low = 2, Background = 3 };

    // Thread-safe: queues `job` to run on a worker thread.
    static void post(std::function<void()> job, Priority priority = Priority::Default);
    // Whether no job is waiting or running (test settling).
    static bool isIdle();
    // Waits up to `seconds` of real time until isIdle(); returns isIdle() (test settling).
    static bool waitUntilIdle(double seconds);
    // Whether the calling thread is one of the pool's workers.
    static bool isWorkerThread();
};

} // namespace ns
