#include "os/dispatch/Semaphore.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace dispatch {

struct Semaphore::State {
    std::mutex m;
    std::condition_variable cv;
    long value = 0;
    long waiters = 0;
};

Semaphore::Semaphore(long value) : s_(std::make_shared<State>()) { s_->value = value; }

bool Semaphore::signal() const {
    std::lock_guard lock(s_->m);
    ++s_->value;
    s_->cv.notify_one();
    return s_->waiters > 0;
}

bool Semaphore::wait(double timeout) const {
    std::unique_lock lock(s_->m);
    auto ready = [&] { return s_->value > 0; };
    ++s_->waiters;
    bool ok = timeout < 0 ? (s_->cv.wait(lock, ready), true)
                          : s_->cv.wait_for(lock, std::chrono::duration<double>(timeout), ready);
    --s_->waiters;
    if (!ok) return false;
    --s_->value;
    return true;
}

} // namespace dispatch
