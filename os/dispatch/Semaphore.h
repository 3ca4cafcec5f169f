#pragma once
// A counting semaphore handle (copies share the count).

#include <memory>

namespace dispatch {

class Semaphore {
public:
    explicit Semaphore(long value = 0);

    // Increments the count, waking one waiter. Returns whether a waiter was woken.
    bool signal() const;
    // Decrements the count, waiting while it is zero. `timeout` is in real seconds (negative:
    // forever; 0: do not wait). Returns false on time-out.
    bool wait(double timeout = -1) const;

private:
    struct State;
    std::shared_ptr<State> s_;
};

} // namespace dispatch
