#pragma once
// The main screen: bounds in points and scale (pixels per point). Both are device settings that
// tests and device profiles change at run time.

#include "os/graphics/Geometry.h"

#include <mutex>

namespace ui {

class Screen {
public:
    static Screen& mainScreen();

    cg::Rect bounds() const;
    void setBounds(cg::Rect bounds);
    double scale() const;
    void setScale(double scale); // values of 0 or less are ignored
    // Back to the default phone: 375 × 667 points at scale 2.
    void reset();

private:
    Screen() = default;
    mutable std::mutex mutex_;
    cg::Rect bounds_ = cg::RectMake(0, 0, 375, 667);
    double scale_ = 2;
};

} // namespace ui
