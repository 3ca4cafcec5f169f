#include "widgets/VXRefreshAutoNormalFooter.h"

namespace {

// Space between the spinner and the text.
constexpr double SpinnerGap = 20;

} // namespace

void VXRefreshAutoNormalFooter::initWithFrame(cg::Rect frame) {
    VXRefreshAutoStateFooter::initWithFrame(frame);
    loadingView_ = ui::ActivityIndicatorView::withStyle(ui::ActivityIndicatorViewStyle::Gray);
    addSubview(loadingView_);
}

void VXRefreshAutoNormalFooter::setState(VXRefreshState state) {
    if (state == this->state()) return;
    VXRefreshAutoStateFooter::setState(state);
    if (state == VXRefreshStateRefreshing) loadingView_->startAnimating();
    else loadingView_->stopAnimating();
}

void VXRefreshAutoNormalFooter::layoutSubviews() {
    VXRefreshAutoStateFooter::layoutSubviews();
    cg::Rect b = bounds();
    double centerX = b.size.width / 2;
    if (!stateLabel()->isHidden()) centerX -= stateLabel()->intrinsicContentSize().width / 2 + SpinnerGap;
    loadingView_->setCenter({centerX, b.size.height / 2});
}
