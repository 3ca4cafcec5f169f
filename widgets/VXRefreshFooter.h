#pragma once
// The auto-loading control below a list's content. The content inset grows by its height so that
// it shows at the end; it refreshes when the list is scrolled to its end (the footer fully in
// view), or, for content shorter than the list, when a drag upwards is released. In the
// no-more-data state nothing triggers it. Ending a refresh takes effect at once.

#include "widgets/VXRefreshComponent.h"

class VXRefreshFooter;
using VXRefreshFooterRef = ns::Ref<VXRefreshFooter>;

class VXRefreshFooter : public VXRefreshComponent {
public:
    static constexpr double Height = 44;

    static VXRefreshFooterRef footerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshFooter>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;
    void setState(VXRefreshState state) override;

    // The no-more-data state (5): the state-5 title shows and nothing triggers.
    void endRefreshingWithNoMoreData() { setState(VXRefreshStateNoMoreData); }
    // Back to idle (1).
    void resetNoMoreData() { setState(VXRefreshStateIdle); }

protected:
    void scrollViewContentOffsetDidChange() override;
    void scrollViewContentSizeDidChange() override;
    void scrollViewDraggingDidChange() override;
    void didAttachToScrollView() override;
    void willDetachFromScrollView() override;
};
