#include "os/uikit/Transition.h"

#include "os/dispatch/Queue.h"

#include <vector>

namespace ui {
namespace {

unsigned long& generation() {
    static unsigned long g = 1;
    return g;
}

void later(double seconds, std::function<void()> block) {
    if (seconds > 0) dispatch::after(seconds, dispatch::Queue::main(), std::move(block));
    else dispatch::async(dispatch::Queue::main(), std::move(block));
}

} // namespace

void PendingTransition::invalidateAll() { ++generation(); }

void PendingTransition::start(double seconds, std::function<void()> end) {
    finishNow();
    auto state = std::make_shared<State>();
    state->end = std::move(end);
    state->generation = generation();
    state_ = state;
    std::weak_ptr<State> weak = state;
    later(seconds, [weak] {
        auto s = weak.lock();
        if (!s || !s->end) return;
        auto end = std::move(s->end);
        s->end = nullptr;
        auto after = std::move(s->after);
        s->after.clear();
        if (s->generation != generation()) return; // from before a reset: dropped
        end();
        for (auto& block : after) block();
    });
}

void PendingTransition::finishNow() {
    auto s = state_;
    if (!s || !s->end) return;
    auto end = std::move(s->end);
    s->end = nullptr;
    auto after = std::move(s->after);
    s->after.clear();
    if (s->generation != generation()) return;
    end();
    for (auto& block : after) block();
}

void PendingTransition::whenEnded(std::function<void()> block) {
    if (!block) return;
    if (isRunning()) state_->after.push_back(std::move(block));
    else later(0, std::move(block));
}

} // namespace ui
