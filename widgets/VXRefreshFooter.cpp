#include "widgets/VXRefreshFooter.h"

namespace {

// Slack for offsets reached through many small drag steps.
constexpr double Tolerance = 0.01;

} // namespace

void VXRefreshFooter::initWithFrame(cg::Rect frame) {
    frame.size.height = Height;
    VXRefreshComponent::initWithFrame(frame);
}

void VXRefreshFooter::didAttachToScrollView() {
    auto scrollView = this->scrollView();
    ui::EdgeInsets inset = scrollView->contentInset();
    inset.bottom += Height;
    scrollView->setContentInset(inset);
    scrollViewContentSizeDidChange();
}

void VXRefreshFooter::willDetachFromScrollView() {
    auto scrollView = this->scrollView();
    ui::EdgeInsets inset = scrollView->contentInset();
    inset.bottom -= Height;
    scrollView->setContentInset(inset);
}

void VXRefreshFooter::setState(VXRefreshState state) {
    if (state == this->state()) return;
    VXRefreshComponent::setState(state);
    if (state == VXRefreshStateRefreshing) executeRefreshingCallback();
}

void VXRefreshFooter::scrollViewContentSizeDidChange() {
    auto scrollView = this->scrollView();
    if (!scrollView) return;
    cg::Rect f = frame();
    setFrame(cg::RectMake(f.origin.x, scrollView->contentSize().height, f.size.width, Height));
}

void VXRefreshFooter::scrollViewContentOffsetDidChange() {
    auto scrollView = this->scrollView();
    if (!scrollView || state() != VXRefreshStateIdle) return;
    ui::EdgeInsets inset = scrollView->adjustedContentInset();
    double contentHeight = scrollView->contentSize().height;
    // Content shorter than the list is handled on release.
    if (inset.top + contentHeight <= scrollView->bounds().size.height) return;
    if (scrollView->contentOffset().y >= scrollView->maximumContentOffset().y - Tolerance) beginRefreshing();
}

void VXRefreshFooter::scrollViewDraggingDidChange() {
    auto scrollView = this->scrollView();
    if (!scrollView || scrollView->isDragging() || state() != VXRefreshStateIdle) return;
    ui::EdgeInsets inset = scrollView->adjustedContentInset();
    double offsetY = scrollView->contentOffset().y;
    if (inset.top + scrollView->contentSize().height <= scrollView->bounds().size.height) {
        // Short content: the finger pushed it up and let go.
        if (offsetY > -inset.top + Tolerance) beginRefreshing();
    } else if (offsetY >= scrollView->maximumContentOffset().y - Tolerance) {
        beginRefreshing();
    }
}
