#include "widgets/VXProgressHUD.h"

namespace {

constexpr double BezelSize = 80;

} // namespace

VXProgressHUDRef VXProgressHUD::showHUDAddedTo(const ui::ViewRef& view, bool animated) {
    if (!view) return nullptr;
    auto hud = ui::View::create<VXProgressHUD>(view->bounds());
    hud->setRemoveFromSuperViewOnHide(true);
    view->addSubview(hud);
    hud->showAnimated(animated);
    return hud;
}

VXProgressHUDRef VXProgressHUD::HUDForView(const ui::ViewRef& view) {
    if (!view) return nullptr;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        auto hud = std::dynamic_pointer_cast<VXProgressHUD>(*it);
        if (hud && !hud->hasFinished()) return hud;
    }
    return nullptr;
}

bool VXProgressHUD::hideHUDForView(const ui::ViewRef& view, bool animated) {
    auto hud = HUDForView(view);
    if (!hud) return false;
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hideAnimated(animated);
    return true;
}

void VXProgressHUD::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
    setAlpha(0);
    bezel_ = ui::View::create(cg::RectMake(0, 0, BezelSize, BezelSize));
    bezel_->setBackgroundColor(ui::Color::colorWithWhite(0, 0.8));
    bezel_->layer()->setCornerRadius(5);
    bezel_->setClipsToBounds(true);
    addSubview(bezel_);
    indicator_ = ui::ActivityIndicatorView::withStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    bezel_->addSubview(indicator_);
}

void VXProgressHUD::layoutSubviews() {
    cg::Rect b = bounds();
    bezel_->setCenter({b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2});
    cg::Rect bz = bezel_->bounds();
    indicator_->setCenter({bz.size.width / 2, bz.size.height / 2});
}

void VXProgressHUD::showAnimated(bool animated) {
    ++generation_;
    finished_ = false;
    indicator_->startAnimating();
    setNeedsLayout();
    if (animated) ui::View::animate(AnimationDuration, [this] { setAlpha(1); });
    else setAlpha(1);
}

void VXProgressHUD::hideAnimated(bool animated) {
    finished_ = true;
    if (!animated) {
        setAlpha(0);
        done();
        return;
    }
    unsigned long generation = ++generation_;
    ns::Weak<VXProgressHUD> weak = ref<VXProgressHUD>();
    ui::View::animate(AnimationDuration, [this] { setAlpha(0); }, [weak, generation](bool) {
        // A show after the hide began keeps the HUD.
        if (auto self = weak.lock(); self && self->generation_ == generation) self->done();
    });
}

void VXProgressHUD::done() {
    indicator_->stopAnimating();
    if (removeOnHide_) removeFromSuperview();
}
