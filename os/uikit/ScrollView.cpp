#include "os/uikit/ScrollView.h"

#include "os/dispatch/Queue.h"
#include "os/uikit/Window.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// A release faster than this (points per second) turns the page in the direction of the swipe.
constexpr double PageFlickVelocity = 300;

bool samePoint(cg::Point a, cg::Point b) { return a.x == b.x && a.y == b.y; }

} // namespace

void ScrollView::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    setClipsToBounds(true);
}

// --- Content ---

void ScrollView::setContentSize(cg::Size size) {
    if (size == contentSize_) return;
    willChangeValueForKey("contentSize");
    contentSize_ = size;
    didChangeValueForKey("contentSize");
    setNeedsLayout();
}

void ScrollView::setBounds(cg::Rect bounds) {
    cg::Point old = contentOffset();
    View::setBounds(bounds);
    if (!samePoint(old, contentOffset())) notifyScroll();
}

void ScrollView::notifyScroll() {
    ScrollViewRef keep = ref<ScrollView>();
    // The offset is already in place; observers hear the key as changed.
    willChangeValueForKey("contentOffset");
    didChangeValueForKey("contentOffset");
    contentOffsetDidChange();
    if (auto d = liveDelegate()) d->didScroll(keep);
}

void ScrollView::setContentOffset(cg::Point offset) {
    ++generation_;
    animating_ = false;
    cg::Rect b = bounds();
    b.origin = offset;
    setBounds(b);
}

void ScrollView::setContentOffset(cg::Point offset, bool animated) {
    if (!animated) {
        setContentOffset(offset);
        return;
    }
    // Scrolling to where the view already is animates nothing, so nothing ends either.
    if (samePoint(offset, contentOffset())) return;
    setContentOffset(offset);
    animating_ = true;
    unsigned long generation = generation_;
    ns::Weak<ScrollView> weak = ref<ScrollView>();
    dispatch::after(ScrollAnimationDuration, dispatch::Queue::main(), [weak, generation] {
        auto self = weak.lock();
        if (!self || self->generation_ != generation || !self->animating_) return;
        self->animating_ = false;
        if (auto d = self->liveDelegate()) d->didEndScrollingAnimation(self);
    });
}

void ScrollView::setContentInset(EdgeInsets inset) {
    if (inset == contentInset_) return;
    willChangeValueForKey("contentInset");
    contentInset_ = inset;
    didChangeValueForKey("contentInset");
}

EdgeInsets ScrollView::adjustedContentInset() const {
    EdgeInsets inset = contentInset_;
    if (adjustment_ != ScrollViewContentInsetAdjustmentBehavior::Always) return inset;
    auto w = window();
    if (!w) return inset;
    // The part of the window's safe-area insets that overlaps this view.
    EdgeInsets safe = w->safeAreaInsets();
    cg::Rect r = convertRectToView(bounds(), w.get());
    cg::Rect wb = w->bounds();
    inset.top += std::max(0.0, safe.top - r.origin.y);
    inset.left += std::max(0.0, safe.left - r.origin.x);
    inset.bottom += std::max(0.0, cg::RectGetMaxY(r) - (cg::RectGetMaxY(wb) - safe.bottom));
    inset.right += std::max(0.0, cg::RectGetMaxX(r) - (cg::RectGetMaxX(wb) - safe.right));
    return inset;
}

cg::Point ScrollView::minimumContentOffset() const {
    EdgeInsets i = adjustedContentInset();
    return {0.0 - i.left, 0.0 - i.top}; // never -0
}

cg::Point ScrollView::maximumContentOffset() const {
    EdgeInsets i = adjustedContentInset();
    cg::Size b = bounds().size;
    cg::Point min = minimumContentOffset();
    return {std::max(min.x, contentSize_.width + i.right - b.width),
            std::max(min.y, contentSize_.height + i.bottom - b.height)};
}

cg::Point ScrollView::clampedOffset(cg::Point offset) const {
    cg::Point min = minimumContentOffset(), max = maximumContentOffset();
    return {std::clamp(offset.x, min.x, max.x), std::clamp(offset.y, min.y, max.y)};
}

void ScrollView::scrollRectToVisible(cg::Rect rect, bool animated) {
    cg::Point offset = contentOffset();
    cg::Size size = bounds().size;
    if (rect.origin.x < offset.x) offset.x = rect.origin.x;
    else if (cg::RectGetMaxX(rect) > offset.x + size.width) offset.x = cg::RectGetMaxX(rect) - size.width;
    if (rect.origin.y < offset.y) offset.y = rect.origin.y;
    else if (cg::RectGetMaxY(rect) > offset.y + size.height) offset.y = cg::RectGetMaxY(rect) - size.height;
    setContentOffset(clampedOffset(offset), animated);
}

// --- Dragging ---

void ScrollView::setDragging(bool dragging) {
    if (dragging == dragging_) return;
    willChangeValueForKey("dragging");
    dragging_ = dragging;
    didChangeValueForKey("dragging");
}

void ScrollView::beginTracking() {
    if (!scrollEnabled_) return;
    tracking_ = true;
    ++generation_; // a running animation or deceleration stops where it is
    animating_ = false;
    decelerating_ = false;
}

void ScrollView::dragBy(cg::Point translation) {
    if (!scrollEnabled_) return;
    ScrollViewRef keep = ref<ScrollView>();
    if (!tracking_) beginTracking();
    if (!dragging_) {
        setDragging(true);
        if (auto d = liveDelegate()) d->willBeginDragging(keep);
    }
    cg::Point min = minimumContentOffset(), max = maximumContentOffset();
    cg::Size size = bounds().size;
    EdgeInsets inset = adjustedContentInset();
    // An axis moves when its content is larger than the view, or when it always bounces.
    bool movesX = contentSize_.width + inset.left + inset.right > size.width || alwaysBounceHorizontal_;
    bool movesY = contentSize_.height + inset.top + inset.bottom > size.height || alwaysBounceVertical_;
    cg::Point offset = contentOffset();
    if (movesX) offset.x -= translation.x;
    if (movesY) offset.y -= translation.y;
    if (!bounces_) offset = {std::clamp(offset.x, min.x, max.x), std::clamp(offset.y, min.y, max.y)};
    cg::Rect b = bounds();
    b.origin = offset;
    setBounds(b);
}

cg::Point ScrollView::restingOffset(cg::Point velocity) const {
    cg::Point offset = contentOffset();
    cg::Size size = bounds().size;
    if (pagingEnabled_ && size.width > 0 && size.height > 0) {
        auto page = [](double at, double pageSize, double v) {
            double index = at / pageSize;
            if (v > PageFlickVelocity) index = std::ceil(index);
            else if (v < -PageFlickVelocity) index = std::floor(index);
            else index = std::round(index);
            return index * pageSize;
        };
        offset = {page(offset.x, size.width, velocity.x), page(offset.y, size.height, velocity.y)};
    }
    return clampedOffset(offset);
}

void ScrollView::endDragging(cg::Point velocity) {
    ScrollViewRef keep = ref<ScrollView>();
    tracking_ = false;
    if (!dragging_) return;
    setDragging(false);
    cg::Point rest = restingOffset(velocity);
    bool decelerate = !samePoint(rest, contentOffset());
    if (auto d = liveDelegate()) d->didEndDragging(keep, decelerate);
    if (!decelerate) return;
    decelerating_ = true;
    unsigned long generation = ++generation_;
    cg::Rect b = bounds();
    b.origin = rest;
    setBounds(b);
    ns::Weak<ScrollView> weak = keep;
    dispatch::after(DecelerationDuration, dispatch::Queue::main(), [weak, generation] {
        if (auto self = weak.lock()) self->finishDecelerating(generation);
    });
}

void ScrollView::finishDecelerating(unsigned long generation) {
    if (generation != generation_ || !decelerating_) return;
    decelerating_ = false;
    if (auto d = liveDelegate()) d->didEndDecelerating(ref<ScrollView>());
}

// --- Touches ---

void ScrollView::touchesBegan(const TouchSet& touches, const EventRef& event) {
    if (!scrollEnabled_ || touches.empty()) return View::touchesBegan(touches, event);
    beginTracking();
    touchLast_ = touches.front()->locationInView(nullptr);
    touchTime_ = touches.front()->timestamp();
    touchVelocity_ = cg::PointZero;
    touchMoved_ = false;
}

void ScrollView::touchesMoved(const TouchSet& touches, const EventRef& event) {
    if (!tracking_ || touches.empty()) return View::touchesMoved(touches, event);
    cg::Point at = touches.front()->locationInView(nullptr);
    cg::Point delta{at.x - touchLast_.x, at.y - touchLast_.y};
    double dt = std::max(touches.front()->timestamp() - touchTime_, 1.0 / 60);
    touchVelocity_ = {-delta.x / dt, -delta.y / dt};
    touchLast_ = at;
    touchTime_ = touches.front()->timestamp();
    if (delta.x != 0 || delta.y != 0) touchMoved_ = true;
    dragBy(delta);
}

void ScrollView::touchesEnded(const TouchSet& touches, const EventRef& event) {
    if (!tracking_) return View::touchesEnded(touches, event);
    endDragging(touchVelocity_);
}

void ScrollView::touchesCancelled(const TouchSet& touches, const EventRef& event) {
    if (!tracking_) return View::touchesCancelled(touches, event);
    endDragging();
}

} // namespace ui
