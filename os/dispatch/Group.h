#pragma once
// A dispatch group handle: tracks outstanding work and notifies when all of it is done.

#include "os/dispatch/Queue.h"

#include <functional>
#include <memory>

namespace dispatch {

class Group {
public:
    Group();

    void enter() const;
    void leave() const;
    // Queues `block` on `queue` as part of the group.
    void async(const Queue& queue, std::function<void()> block) const;
    // Queues `block` on `queue` once the group is empty (at once if it is empty now).
    void notify(const Queue& queue, std::function<void()> block) const;
    // Waits until the group is empty; `timeout` in real seconds (negative: forever).
    // Returns false on time-out.
    bool wait(double timeout = -1) const;

private:
    struct State;
    std::shared_ptr<State> s_;
};

} // namespace dispatch
