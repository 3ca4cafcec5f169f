#pragma once
// The pull-down control above a list's content. Pulled past its own height (from the content's
// resting top) it is Pulling; released there it refreshes: the content inset grows by its height
// so it stays in view, and the refreshing block follows once that has settled (0.25 s on the
// clock). Ending a refresh waits for the next main-queue turn, then gives the inset back.

#include "widgets/VXRefreshComponent.h"

#include <optional>

class VXRefreshHeader;
using VXRefreshHeaderRef = ns::Ref<VXRefreshHeader>;

class VXRefreshHeader : public VXRefreshComponent {
public:
    static constexpr double Height = 54;
    static constexpr double FastAnimationDuration = 0.25;
    static constexpr double SlowAnimationDuration = 0.4;

    static VXRefreshHeaderRef headerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshHeader>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;
    void setState(VXRefreshState state) override;
    // Asynchronous: the header is idle after the next main-queue turn.
    void endRefreshing() override;

    // Wall time (seconds since 1970) when a refresh last ended; none before the first.
    std::optional<double> lastUpdatedTime() const { return lastUpdatedTime_; }

protected:
    void scrollViewContentOffsetDidChange() override;
    void scrollViewDraggingDidChange() override;
    void didAttachToScrollView() override;
    void willDetachFromScrollView() override;

private:
    double insetTopBeforeRefreshing_ = 0;
    bool insetAdded_ = false;
    std::optional<double> lastUpdatedTime_;
};
