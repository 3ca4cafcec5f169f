#pragma once
// The pull-down header the lists use: an arrow that turns over when a release would refresh, a
// spinner while refreshing, and the state and last-updated labels.

#include "os/uikit/ActivityIndicatorView.h"
#include "os/uikit/ImageView.h"
#include "widgets/VXRefreshStateHeader.h"

class VXRefreshNormalHeader;
using VXRefreshNormalHeaderRef = ns::Ref<VXRefreshNormalHeader>;

class VXRefreshNormalHeader : public VXRefreshStateHeader {
public:
    static VXRefreshNormalHeaderRef headerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshNormalHeader>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;

    const ui::ImageViewRef& arrowView() const { return arrowView_; }
    const ui::ActivityIndicatorViewRef& loadingView() const { return loadingView_; }

    void setState(VXRefreshState state) override;
    void layoutSubviews() override;

private:
    ui::ImageViewRef arrowView_;
    ui::ActivityIndicatorViewRef loadingView_;
};
