#include "os/uikit/Screen.h"

namespace ui {

Screen& Screen::mainScreen() {
    static Screen screen;
    return screen;
}

cg::Rect Screen::bounds() const {
    std::lock_guard lock(mutex_);
    return bounds_;
}

void Screen::setBounds(cg::Rect bounds) {
    std::lock_guard lock(mutex_);
    bounds_ = bounds;
}

double Screen::scale() const {
    std::lock_guard lock(mutex_);
    return scale_;
}

void Screen::setScale(double scale) {
    if (!(scale > 0)) return;
    std::lock_guard lock(mutex_);
    scale_ = scale;
}

void Screen::reset() {
    std::lock_guard lock(mutex_);
    bounds_ = cg::RectMake(0, 0, 375, 667);
    scale_ = 2;
}

} // namespace ui
