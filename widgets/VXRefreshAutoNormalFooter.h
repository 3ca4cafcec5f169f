#pragma once
// The auto-loading footer the lists use: the state label with a spinner beside it while loading.

#include "os/uikit/ActivityIndicatorView.h"
#include "widgets/VXRefreshAutoStateFooter.h"

class VXRefreshAutoNormalFooter;
using VXRefreshAutoNormalFooterRef = ns::Ref<VXRefreshAutoNormalFooter>;

class VXRefreshAutoNormalFooter : public VXRefreshAutoStateFooter {
public:
    static VXRefreshAutoNormalFooterRef footerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshAutoNormalFooter>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;

    const ui::ActivityIndicatorViewRef& loadingView() const { return loadingView_; }

    void setState(VXRefreshState state) override;
    void layoutSubviews() override;

private:
    ui::ActivityIndicatorViewRef loadingView_;
};
