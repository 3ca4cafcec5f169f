#pragma once
// Transitions of the controllers: push and pop take 0.35 s, present and dismiss 0.3 s on the
// clock; without animation they end on the next main-queue turn. A container runs one transition
// at a time: starting another ends the running one at once. Resetting the application drops
// transitions still waiting (their end never runs).

#include <functional>
#include <memory>
#include <vector>

namespace ui {

inline constexpr double PushTransitionDuration = 0.35;
inline constexpr double PresentTransitionDuration = 0.3;

class PendingTransition {
public:
    // Ends the running transition first; end runs after `seconds` (next main turn for 0).
    void start(double seconds, std::function<void()> end);
    // Runs the end of the running transition now, if any.
    void finishNow();
    bool isRunning() const { return state_ && state_->end; }
    // Also runs `block` when the running transition ends (on the next main turn when none runs).
    void whenEnded(std::function<void()> block);

    // Forgets every waiting transition (application reset).
    static void invalidateAll();

private:
    struct State {
        std::function<void()> end;
        std::vector<std::function<void()>> after;
        unsigned long generation = 0;
    };
    std::shared_ptr<State> state_;
};

} // namespace ui
