#include "os/uikit/GestureRecognizer.h"

#include "os/uikit/View.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {
// How far a touch may wander and still be a tap; how far it must go to start a pan.
constexpr double TapSlop = 10;
constexpr double PanHysteresis = 10;

double distance(cg::Point a, cg::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
} // namespace

void GestureRecognizer::addEntry(const void* target, std::function<void(GestureRecognizer&)> call) {
    entries_.push_back({target, std::move(call)});
}

void GestureRecognizer::addAction(std::function<void(GestureRecognizer&)> action) {
    if (action) addEntry(nullptr, std::move(action));
}

void GestureRecognizer::removeTarget(const void* target) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return !target || e.target == target; }),
                   entries_.end());
}

void GestureRecognizer::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled && (state_ == GestureRecognizerState::Began || state_ == GestureRecognizerState::Changed))
        setState(GestureRecognizerState::Cancelled);
}

cg::Point GestureRecognizer::locationInView(const ns::Ref<View>& view) const {
    return touch_ ? touch_->locationInView(view) : cg::PointZero;
}

bool GestureRecognizer::shouldReceiveTouch(const TouchRef& touch) {
    auto d = delegate_.lock();
    return !d || d->shouldReceiveTouch(ref<GestureRecognizer>(), touch);
}

void GestureRecognizer::handleTouches(Touch::Phase phase, const TouchSet& touches, const EventRef& event) {
    if (touches.empty()) return;
    ns::Ref<GestureRecognizer> self = ref<GestureRecognizer>();
    touch_ = touches.front();
    switch (phase) {
    case Touch::Phase::Began: touchesBegan(touches, event); break;
    case Touch::Phase::Moved:
    case Touch::Phase::Stationary: touchesMoved(touches, event); break;
    case Touch::Phase::Ended: touchesEnded(touches, event); break;
    case Touch::Phase::Cancelled: touchesCancelled(touches, event); break;
    }
}

void GestureRecognizer::touchesCancelled(const TouchSet&, const EventRef&) {
    if (state_ == GestureRecognizerState::Began || state_ == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Cancelled);
    else if (state_ == GestureRecognizerState::Possible)
        setState(GestureRecognizerState::Failed);
}

bool GestureRecognizer::isFinished() const {
    return state_ == GestureRecognizerState::Ended || state_ == GestureRecognizerState::Cancelled ||
           state_ == GestureRecognizerState::Failed;
}

bool GestureRecognizer::hasRecognized() const {
    return state_ == GestureRecognizerState::Began || state_ == GestureRecognizerState::Changed ||
           state_ == GestureRecognizerState::Ended;
}

void GestureRecognizer::fail() {
    if (state_ == GestureRecognizerState::Possible) state_ = GestureRecognizerState::Failed;
    else if (state_ == GestureRecognizerState::Began || state_ == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Cancelled);
}

void GestureRecognizer::touchSequenceEnded() {
    state_ = GestureRecognizerState::Possible;
    touch_.reset();
    reset();
}

void GestureRecognizer::setState(GestureRecognizerState state) {
    ns::Ref<GestureRecognizer> self = ref<GestureRecognizer>();
    bool starting = state == GestureRecognizerState::Began ||
                    (state == GestureRecognizerState::Ended && state_ == GestureRecognizerState::Possible);
    if (starting) {
        auto d = delegate_.lock();
        if (d && !d->shouldBegin(self)) {
            state_ = GestureRecognizerState::Failed;
            return;
        }
    }
    state_ = state;
    if (state == GestureRecognizerState::Possible || state == GestureRecognizerState::Failed) return;
    auto entries = entries_;
    for (auto& e : entries) e.call(*this);
}

// --- Tap ---

void TapGestureRecognizer::touchesBegan(const TouchSet&, const EventRef&) { start_ = locationInView(nullptr); }

void TapGestureRecognizer::touchesMoved(const TouchSet&, const EventRef&) {
    if (state() == GestureRecognizerState::Possible && distance(locationInView(nullptr), start_) > TapSlop)
        setState(GestureRecognizerState::Failed);
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const EventRef&) {
    if (state() != GestureRecognizerState::Possible) return;
    bool near = distance(locationInView(nullptr), start_) <= TapSlop;
    bool enoughTaps = touches.front()->tapCount() >= taps_;
    setState(near && enoughTaps ? GestureRecognizerState::Ended : GestureRecognizerState::Failed);
}

// --- Pan ---

void PanGestureRecognizer::touchesBegan(const TouchSet&, const EventRef&) {
    start_ = locationInView(nullptr);
    offset_ = cg::PointZero;
}

void PanGestureRecognizer::touchesMoved(const TouchSet&, const EventRef&) {
    if (state() == GestureRecognizerState::Possible) {
        if (distance(locationInView(nullptr), start_) >= PanHysteresis) setState(GestureRecognizerState::Began);
    } else if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed) {
        setState(GestureRecognizerState::Changed);
    }
}

void PanGestureRecognizer::touchesEnded(const TouchSet&, const EventRef&) {
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Ended);
    else
        setState(GestureRecognizerState::Failed);
}

cg::Point PanGestureRecognizer::translationInView(const ns::Ref<View>&) const {
    cg::Point now = locationInView(nullptr);
    return {now.x - start_.x + offset_.x, now.y - start_.y + offset_.y};
}

void PanGestureRecognizer::setTranslation(cg::Point translation, const ns::Ref<View>&) {
    cg::Point now = locationInView(nullptr);
    offset_ = {translation.x - (now.x - start_.x), translation.y - (now.y - start_.y)};
}

} // namespace ui
