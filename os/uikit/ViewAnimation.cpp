// Block animations of View: the animations run at once (model values change immediately) and the
// completion is delivered on the main queue when delay + duration have passed on the clock. The
// changes are recorded on the layers with the block's timing, so captures draw them in motion.

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/uikit/View.h"
#include "os/uikit/ViewAnimation.h"

#include <vector>

namespace ui {
namespace {

struct AnimationFrame {
    double duration = 0;
    double delay = 0;
    unsigned options = 0;
};

ca::AnimationCurve curveOf(unsigned options) {
    switch ((options >> 16) & 0xF) {
    case 1: return ca::AnimationCurve::EaseIn;
    case 2: return ca::AnimationCurve::EaseOut;
    case 3: return ca::AnimationCurve::Linear;
    default: return ca::AnimationCurve::EaseInOut;
    }
}

std::vector<AnimationFrame>& running() {
    static std::vector<AnimationFrame> stack;
    return stack;
}

std::vector<AnimationFrame>& pendingBlocks() {
    static std::vector<AnimationFrame> stack;
    return stack;
}

int withoutAnimation = 0;

void finishLater(ns::TimeDelta delay, View::Completion completion) {
    if (!completion) return;
    auto fire = [completion = std::move(completion)] { completion(true); };
    if (delay.isPositive()) dispatch::after(delay, dispatch::Queue::main(), std::move(fire));
    else dispatch::async(dispatch::Queue::main(), std::move(fire));
}

void run(double duration, double delay, unsigned options, const View::Animations& animations,
         View::Completion completion) {
    if (duration < 0) duration = 0;
    if (delay < 0) delay = 0;
    if (animations) {
        running().push_back({withoutAnimation ? 0 : duration, delay, options});
        animations();
        running().pop_back();
    }
    // Each converted on its own, so the end falls exactly where advancing by the delay and then
    // by the duration lands.
    finishLater(ns::TimeDelta::fromSeconds(delay) + ns::TimeDelta::fromSeconds(duration), std::move(completion));
}

} // namespace

namespace detail {
std::optional<ca::AnimationTiming> runningAnimationTiming() {
    if (running().empty() || !(running().back().duration > 0)) return std::nullopt;
    const AnimationFrame& frame = running().back();
    return ca::AnimationTiming{ns::Clock::now() + frame.delay, frame.duration, curveOf(frame.options)};
}
} // namespace detail

void View::animate(double duration, Animations animations, Completion completion) {
    run(duration, 0, AnimationOptionNone, animations, std::move(completion));
}

void View::animate(double duration, double delay, unsigned options, Animations animations, Completion completion) {
    run(duration, delay, options, animations, std::move(completion));
}

// A spring is drawn as an ease-out (it settles without overshooting).
void View::animateSpring(double duration, double delay, double, double, unsigned, Animations animations,
                         Completion completion) {
    run(duration, delay, AnimationOptionCurveEaseOut, animations, std::move(completion));
}

void View::performWithoutAnimation(const Animations& actions) {
    ++withoutAnimation;
    running().push_back({0, 0});
    if (actions) actions();
    running().pop_back();
    --withoutAnimation;
}

bool View::areAnimationsEnabled() { return withoutAnimation == 0; }

void View::beginAnimations() {
    pendingBlocks().push_back({0.2, 0});
    running().push_back(pendingBlocks().back());
}

void View::setAnimationDuration(double duration) {
    if (pendingBlocks().empty()) return;
    pendingBlocks().back().duration = duration;
    running().back().duration = withoutAnimation ? 0 : duration;
}

void View::setAnimationDelay(double delay) {
    if (pendingBlocks().empty()) return;
    pendingBlocks().back().delay = delay;
    running().back().delay = delay;
}

void View::setAnimationCurve(unsigned curveOption) {
    if (pendingBlocks().empty()) return;
    pendingBlocks().back().options = curveOption;
    running().back().options = curveOption;
}

void View::commitAnimations() {
    if (pendingBlocks().empty()) return;
    pendingBlocks().pop_back();
    running().pop_back();
}

double View::currentAnimationDuration() { return running().empty() ? 0 : running().back().duration; }

} // namespace ui
