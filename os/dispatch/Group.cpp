#include "os/dispatch/Group.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace dispatch {

struct Group::State {
    std::mutex m;
    std::condition_variable cv;
    long count = 0;
    std::vector<std::pair<Queue, std::function<void()>>> notifies;
};

Group::Group() : s_(std::make_shared<State>()) {}

void Group::enter() const {
    std::lock_guard lock(s_->m);
    ++s_->count;
}

void Group::leave() const {
    std::vector<std::pair<Queue, std::function<void()>>> notifies;
    {
        std::lock_guard lock(s_->m);
        if (s_->count == 0) {
            std::fprintf(stderr, "dispatch: Group::leave without a matching enter\n");
            std::abort();
        }
        if (--s_->count > 0) return;
        notifies.swap(s_->notifies);
        s_->cv.notify_all();
    }
    for (auto& [queue, block] : notifies) dispatch::async(queue, std::move(block));
}

void Group::async(const Queue& queue, std::function<void()> block) const {
    if (!queue || !block) return;
    enter();
    auto s = *this;
    dispatch::async(queue, [s, block = std::move(block)] {
        block();
        s.leave();
    });
}

void Group::notify(const Queue& queue, std::function<void()> block) const {
    if (!queue || !block) return;
    {
        std::lock_guard lock(s_->m);
        if (s_->count > 0) {
            s_->notifies.emplace_back(queue, std::move(block));
            return;
        }
    }
    dispatch::async(queue, std::move(block));
}

bool Group::wait(double timeout) const {
    std::unique_lock lock(s_->m);
    auto empty = [&] { return s_->count == 0; };
    if (timeout < 0) {
        s_->cv.wait(lock, empty);
        return true;
    }
    return s_->cv.wait_for(lock, std::chrono::duration<double>(timeout), empty);
}

} // namespace dispatch
