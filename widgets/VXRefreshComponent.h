#pragma once
// Base of the pull-to-refresh controls: a strip that lives inside a scroll view (attached with
// VXRefresh::setVX_header / setVX_footer), watches its offset, content size and dragging, and
// moves through the states below. Entering the refreshing state calls the refreshing block on the
// main queue.

#include "os/uikit/ScrollView.h"

#include <cstdint>
#include <functional>
#include <vector>

enum VXRefreshState : int {
    VXRefreshStateIdle = 1,        // at rest
    VXRefreshStatePulling = 2,     // pulled far enough: releasing refreshes
    VXRefreshStateRefreshing = 3,  // the refreshing block has been called, the load runs
    VXRefreshStateWillRefresh = 4, // asked to refresh before being on screen: refreshes once shown
    VXRefreshStateNoMoreData = 5,  // footers only: everything is loaded, nothing triggers
};

class VXRefreshComponent : public ui::View {
public:
    using RefreshingBlock = std::function<void()>;

    void initWithFrame(cg::Rect frame) override;

    const RefreshingBlock& refreshingBlock() const { return refreshingBlock_; }
    void setRefreshingBlock(RefreshingBlock block) { refreshingBlock_ = std::move(block); }
    VXRefreshState state() const { return state_; }
    // Subclasses override to update their looks; each level ignores a state it already has.
    virtual void setState(VXRefreshState state);
    // The scroll view the control is attached to, or none.
    ui::ScrollViewRef scrollView() const { return scrollView_.lock(); }

    // Refreshing now (waiting for a window first when it has none).
    void beginRefreshing();
    // Back to idle (the header waits for the next main-queue turn).
    virtual void endRefreshing();
    // Refreshing or about to.
    bool isRefreshing() const;

    void willMoveToSuperview(const ui::ViewRef& newSuperview) override;
    void didMoveToWindow() override;

protected:
    // Reactions to the scroll view, for subclasses.
    virtual void scrollViewContentOffsetDidChange() {}
    virtual void scrollViewContentSizeDidChange() {}
    virtual void scrollViewDraggingDidChange() {}
    // After the control was placed in a scroll view; before it leaves it.
    virtual void didAttachToScrollView() {}
    virtual void willDetachFromScrollView() {}
    // The refreshing block, on the next main-queue turn (the state may change in between).
    void executeRefreshingCallback();

    // A new control of class T with the block (what the headerWith…/footerWith… factories do).
    template <class T> static ns::Ref<T> make(RefreshingBlock block) {
        auto control = ui::View::create<T>();
        control->setRefreshingBlock(std::move(block));
        return control;
    }

private:
    void detach();
    // The strip spans the scroll view's width (tables often get their frame after the controls).
    void followWidth();

    RefreshingBlock refreshingBlock_;
    VXRefreshState state_ = VXRefreshStateIdle;
    ns::Weak<ui::ScrollView> scrollView_;
};
