#pragma once
// A view that shows a part of a larger content: the content offset is the bounds' origin, the
// content size and insets bound it. Scrolling moves the offset at once (model values) and tells the
// delegate; an animated scroll ends with didEndScrollingAnimation on the clock, but only when the
// offset really changed. A drag (touches, or the driver) goes through willBeginDragging,
// didScroll per move and didEndDragging; a deceleration moves to its resting offset at once and
// ends with didEndDecelerating on the clock. Observers of the keys "contentOffset", "contentSize",
// "contentInset" and "dragging" hear every change (the refresh controls of the widget kit use them).

#include "os/foundation/KeyValueObserving.h"
#include "os/uikit/View.h"

namespace ui {

class ScrollView;
using ScrollViewRef = ns::Ref<ScrollView>;

// Every hook is optional; virtual inheritance lets table and text view delegates share it.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    virtual void didScroll(const ScrollViewRef& /*scrollView*/) {}
    virtual void willBeginDragging(const ScrollViewRef& /*scrollView*/) {}
    virtual void didEndDragging(const ScrollViewRef& /*scrollView*/, bool /*willDecelerate*/) {}
    virtual void didEndDecelerating(const ScrollViewRef& /*scrollView*/) {}
    virtual void didEndScrollingAnimation(const ScrollViewRef& /*scrollView*/) {}
};

enum class ScrollViewContentInsetAdjustmentBehavior : int { Automatic = 0, ScrollableAxes = 1, Never = 2, Always = 3 };

enum class ScrollViewIndicatorStyle : int { Default = 0, Black = 1, White = 2 };

class ScrollView : public View, public ns::KeyValueObserving {
public:
    // Clock time of an animated scroll and of a deceleration.
    static constexpr double ScrollAnimationDuration = 0.3;
    static constexpr double DecelerationDuration = 0.5;

    void initWithFrame(cg::Rect frame) override;

    // --- Content ---
    cg::Size contentSize() const { return contentSize_; }
    virtual void setContentSize(cg::Size size);
    cg::Point contentOffset() const { return bounds().origin; }
    void setContentOffset(cg::Point offset);
    // Animated: the offset is set at once; didEndScrollingAnimation follows after
    // ScrollAnimationDuration on the main queue, unless the offset was already there (then no
    // delegate call at all) or a newer scroll took over.
    void setContentOffset(cg::Point offset, bool animated);
    EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(EdgeInsets inset);
    // The content inset plus, with the Always behaviour, the window's safe-area insets.
    EdgeInsets adjustedContentInset() const;
    ScrollViewContentInsetAdjustmentBehavior contentInsetAdjustmentBehavior() const { return adjustment_; }
    void setContentInsetAdjustmentBehavior(ScrollViewContentInsetAdjustmentBehavior b) { adjustment_ = b; }
    // The smallest and largest offsets at rest (content edges against the inset bounds).
    cg::Point minimumContentOffset() const;
    cg::Point maximumContentOffset() const;
    // The offset brought within those.
    cg::Point clampedOffset(cg::Point offset) const;
    // Scrolls the least needed so that the rectangle (content coordinates) is shown.
    void scrollRectToVisible(cg::Rect rect, bool animated);

    // --- Behaviour ---
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool on) { alwaysBounceVertical_ = on; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool on) { alwaysBounceHorizontal_ = on; }
    bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
    void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontal_ = shows; }
    bool showsVerticalScrollIndicator() const { return showsVertical_; }
    void setShowsVerticalScrollIndicator(bool shows) { showsVertical_ = shows; }
    ScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
    void setIndicatorStyle(ScrollViewIndicatorStyle style) { indicatorStyle_ = style; }
    bool scrollsToTop() const { return scrollsToTop_; }
    void setScrollsToTop(bool on) { scrollsToTop_ = on; }

    ns::Weak<ScrollViewDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- State of a gesture ---
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return decelerating_; }

    // --- Dragging (what a finger does; touches and the driver use these) ---
    // A finger comes down: tracking, and any scroll animation or deceleration stops where it is.
    void beginTracking();
    // The finger moves the content by `translation` (points the content follows the finger, so a
    // drag upwards, negative y, raises the offset). The first move starts the drag. Past the
    // edges the offset follows only when the view bounces; without scrolling enabled nothing moves.
    void dragBy(cg::Point translation);
    // The finger lifts. The resting offset is the nearest page with paging (a velocity in points
    // per second, positive when the finger moved up or left, picks the next page over), else the
    // offset pulled back inside the edges. willDecelerate when it differs from where the finger let go.
    void endDragging(cg::Point velocity = cg::PointZero);

    // --- Touches: a one-finger pan drives the drag above ---
    void touchesBegan(const TouchSet& touches, const EventRef& event) override;
    void touchesMoved(const TouchSet& touches, const EventRef& event) override;
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;
    void touchesCancelled(const TouchSet& touches, const EventRef& event) override;

    void setBounds(cg::Rect bounds) override;

protected:
    // Hooks for subclasses after the offset changed (before the delegate hears didScroll).
    virtual void contentOffsetDidChange() {}
    // Whether the last touch sequence moved the content (a tap otherwise).
    bool touchesMovedContent() const { return touchMoved_; }

private:
    ns::Ref<ScrollViewDelegate> liveDelegate() const { return delegate_.lock(); }
    cg::Point restingOffset(cg::Point velocity) const;
    void setDragging(bool dragging);
    void finishDecelerating(unsigned long generation);
    void notifyScroll();

    cg::Size contentSize_ = cg::SizeZero;
    EdgeInsets contentInset_;
    ScrollViewContentInsetAdjustmentBehavior adjustment_ = ScrollViewContentInsetAdjustmentBehavior::Automatic;
    ScrollViewIndicatorStyle indicatorStyle_ = ScrollViewIndicatorStyle::Default;
    bool scrollEnabled_ = true;
    bool pagingEnabled_ = false;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    bool showsHorizontal_ = true;
    bool showsVertical_ = true;
    bool scrollsToTop_ = true;
    ns::Weak<ScrollViewDelegate> delegate_;

    bool tracking_ = false;
    bool dragging_ = false;
    bool decelerating_ = false;
    // Bumped by every scroll that supersedes a running animation or deceleration.
    unsigned long generation_ = 0;
    bool animating_ = false;
    cg::Point touchLast_ = cg::PointZero;
    double touchTime_ = 0;
    cg::Point touchVelocity_ = cg::PointZero;
    bool touchMoved_ = false;
};

} // namespace ui
