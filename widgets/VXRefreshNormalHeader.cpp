#include "widgets/VXRefreshNormalHeader.h"

#include "os/uikit/BezierPath.h"
#include "os/uikit/Graphics.h"

#include <numbers>

namespace {

// Space between the arrow (or spinner) and the text.
constexpr double ArrowGap = 20;

// A grey arrow pointing down, drawn once.
ui::ImageRef arrowImage() {
    static ui::ImageRef image = [] {
        cg::Size size{15, 40};
        ui::GraphicsBeginImageContextWithOptions(size, false, 0);
        auto path = ui::BezierPath::bezierPath();
        path->moveToPoint({7.5, 2});
        path->addLineToPoint({7.5, 37});
        path->moveToPoint({1.5, 30});
        path->addLineToPoint({7.5, 37});
        path->addLineToPoint({13.5, 30});
        path->setLineWidth(2);
        path->setLineCapStyle(cg::LineCap::Round);
        path->setLineJoinStyle(cg::LineJoin::Round);
        ui::Color::colorWithWhite(0.5, 1)->setStroke();
        path->stroke();
        ui::ImageRef drawn = ui::GraphicsGetImageFromCurrentImageContext();
        ui::GraphicsEndImageContext();
        return drawn;
    }();
    return image;
}

} // namespace

void VXRefreshNormalHeader::initWithFrame(cg::Rect frame) {
    VXRefreshStateHeader::initWithFrame(frame);
    arrowView_ = ui::ImageView::withImage(arrowImage());
    addSubview(arrowView_);
    loadingView_ = ui::ActivityIndicatorView::withStyle(ui::ActivityIndicatorViewStyle::Gray);
    addSubview(loadingView_);
}

void VXRefreshNormalHeader::setState(VXRefreshState state) {
    if (state == this->state()) return;
    VXRefreshStateHeader::setState(state);
    switch (state) {
    case VXRefreshStatePulling:
        ui::View::animate(FastAnimationDuration, [this] {
            arrowView_->setTransform(cg::AffineTransformMakeRotation(std::numbers::pi));
        });
        break;
    case VXRefreshStateRefreshing:
    case VXRefreshStateWillRefresh:
        arrowView_->setHidden(true);
        loadingView_->startAnimating();
        break;
    default:
        loadingView_->stopAnimating();
        arrowView_->setHidden(false);
        ui::View::animate(FastAnimationDuration, [this] { arrowView_->setTransform(cg::AffineTransformIdentity); });
        break;
    }
}

void VXRefreshNormalHeader::layoutSubviews() {
    VXRefreshStateHeader::layoutSubviews();
    cg::Rect b = bounds();
    double centerX = b.size.width / 2;
    if (double text = textWidth(); text > 0) centerX -= text / 2 + ArrowGap;
    cg::Point center{centerX, b.size.height / 2};
    arrowView_->setCenter(center);
    loadingView_->setCenter(center);
}
