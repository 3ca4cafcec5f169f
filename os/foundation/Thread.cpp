#include "os/foundation/Thread.h"

#include <pthread.h>

#include <mutex>
#include <thread>

namespace ns {
namespace {
thread_local std::string tName;
} // namespace

struct Thread::State {
    std::mutex m;
    bool started = false;
    bool cancelled = false;
    bool finished = false;
};

Thread::Thread(std::string name, std::function<void()> entry)
    : name_(std::move(name)), entry_(std::move(entry)), loop_(RunLoop::makeShared()),
      state_(std::make_shared<State>()) {}

Thread::~Thread() = default;

Ref<Thread> Thread::create(std::string name, std::function<void()> entry) {
    return make<Thread>(std::move(name), std::move(entry));
}

bool Thread::isStarted() const {
    std::lock_guard lock(state_->m);
    return state_->started;
}

bool Thread::isCancelled() const {
    std::lock_guard lock(state_->m);
    return state_->cancelled;
}

bool Thread::isFinished() const {
    std::lock_guard lock(state_->m);
    return state_->finished;
}

void Thread::start() {
    {
        std::lock_guard lock(state_->m);
        if (state_->started) return;
        state_->started = true;
    }
    // The thread owns a reference to itself until its entry returns.
    auto self = ref<Thread>();
    std::thread([self] {
        tName = self->name_;
        // The kernel keeps 15 bytes of a thread name.
        pthread_setname_np(pthread_self(), self->name_.substr(0, 15).c_str());
        RunLoop::bindCurrent(self->loop_);
        if (self->entry_) {
            self->entry_();
        } else {
            while (!self->isCancelled()) self->loop_->run();
        }
        std::lock_guard lock(self->state_->m);
        self->state_->finished = true;
    }).detach();
}

void Thread::perform(std::function<void()> fn) { loop_->perform(std::move(fn)); }

void Thread::cancel() {
    {
        std::lock_guard lock(state_->m);
        state_->cancelled = true;
    }
    loop_->stop();
}

std::string Thread::currentName() {
    if (tName.empty() && isMainThread()) return "main";
    return tName;
}

bool Thread::isMainThread() { return RunLoop::isMainThread(); }

} // namespace ns
