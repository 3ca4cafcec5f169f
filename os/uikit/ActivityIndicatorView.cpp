#include "os/uikit/ActivityIndicatorView.h"

namespace ui {

ActivityIndicatorViewRef ActivityIndicatorView::withStyle(ActivityIndicatorViewStyle style) {
    auto view = ns::make<ActivityIndicatorView>();
    view->style_ = style;
    view->initWithFrame(cg::RectZero);
    cg::Size size = view->sizeThatFits(cg::SizeZero);
    view->setFrame(cg::RectMake(0, 0, size.width, size.height));
    return view;
}

void ActivityIndicatorView::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    setOpaque(false);
    setHidden(true);
}

ColorRef ActivityIndicatorView::color() const {
    if (color_) return color_;
    bool white = style_ == ActivityIndicatorViewStyle::White || style_ == ActivityIndicatorViewStyle::WhiteLarge;
    return white ? Color::whiteColor() : Color::grayColor();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (hides && !animating_) setHidden(true);
}

void ActivityIndicatorView::startAnimating() {
    animating_ = true;
    if (hidesWhenStopped_) setHidden(false);
    setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
    animating_ = false;
    if (hidesWhenStopped_) setHidden(true);
    setNeedsDisplay();
}

cg::Size ActivityIndicatorView::sizeThatFits(cg::Size) const {
    bool large = style_ == ActivityIndicatorViewStyle::WhiteLarge || style_ == ActivityIndicatorViewStyle::Large;
    return large ? cg::Size{37, 37} : cg::Size{20, 20};
}

} // namespace ui
