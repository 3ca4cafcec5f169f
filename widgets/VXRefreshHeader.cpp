#include "widgets/VXRefreshHeader.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"

void VXRefreshHeader::initWithFrame(cg::Rect frame) {
    frame.size.height = Height;
    VXRefreshComponent::initWithFrame(frame);
}

void VXRefreshHeader::didAttachToScrollView() {
    cg::Rect f = frame();
    setFrame(cg::RectMake(f.origin.x, -Height, f.size.width, Height));
}

void VXRefreshHeader::willDetachFromScrollView() {
    auto scrollView = this->scrollView();
    if (!scrollView || !insetAdded_) return;
    insetAdded_ = false;
    ui::EdgeInsets inset = scrollView->contentInset();
    inset.top = insetTopBeforeRefreshing_;
    scrollView->setContentInset(inset);
}

void VXRefreshHeader::setState(VXRefreshState state) {
    VXRefreshState old = this->state();
    if (state == old) return;
    VXRefreshComponent::setState(state);
    auto scrollView = this->scrollView();
    if (state == VXRefreshStateIdle && old == VXRefreshStateRefreshing) {
        lastUpdatedTime_ = ns::Clock::wallNow();
        if (!scrollView || !insetAdded_) return;
        insetAdded_ = false;
        double top = insetTopBeforeRefreshing_;
        ui::View::animate(SlowAnimationDuration, [scrollView, top] {
            ui::EdgeInsets inset = scrollView->contentInset();
            inset.top = top;
            scrollView->setContentInset(inset);
            cg::Point offset = scrollView->contentOffset();
            if (!scrollView->isDragging() && offset.y < -top) scrollView->setContentOffset({offset.x, -top});
        });
    } else if (state == VXRefreshStateRefreshing) {
        ns::Weak<VXRefreshHeader> weak = ref<VXRefreshHeader>();
        auto callback = [weak](bool) {
            if (auto self = weak.lock()) self->executeRefreshingCallback();
        };
        if (!scrollView) {
            callback(true);
            return;
        }
        // Room for the header above the content while the load runs.
        if (!insetAdded_) {
            insetTopBeforeRefreshing_ = scrollView->contentInset().top;
            insetAdded_ = true;
        }
        double top = insetTopBeforeRefreshing_ + Height;
        ui::View::animate(FastAnimationDuration, [scrollView, top] {
            ui::EdgeInsets inset = scrollView->contentInset();
            inset.top = top;
            scrollView->setContentInset(inset);
            scrollView->setContentOffset({scrollView->contentOffset().x, -top});
        }, callback);
    }
}

void VXRefreshHeader::endRefreshing() {
    ns::Weak<VXRefreshHeader> weak = ref<VXRefreshHeader>();
    dispatch::async(dispatch::Queue::main(), [weak] {
        if (auto self = weak.lock()) self->setState(VXRefreshStateIdle);
    });
}

void VXRefreshHeader::scrollViewContentOffsetDidChange() {
    auto scrollView = this->scrollView();
    if (!scrollView || isRefreshing()) return;
    // The content's resting top, and the offset past which a release refreshes.
    double restingY = -scrollView->adjustedContentInset().top;
    double pullingY = restingY - Height;
    double offsetY = scrollView->contentOffset().y;
    if (!scrollView->isDragging()) return;
    if (state() == VXRefreshStateIdle && offsetY < pullingY) setState(VXRefreshStatePulling);
    else if (state() == VXRefreshStatePulling && offsetY >= pullingY) setState(VXRefreshStateIdle);
}

void VXRefreshHeader::scrollViewDraggingDidChange() {
    auto scrollView = this->scrollView();
    if (!scrollView || scrollView->isDragging()) return;
    // The finger lifted while pulled far enough.
    if (state() == VXRefreshStatePulling) beginRefreshing();
}
