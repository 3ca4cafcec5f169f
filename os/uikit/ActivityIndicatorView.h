#pragma once
// A spinning activity indicator: started and stopped in code, hidden while stopped unless told
// otherwise (so a new one is hidden until it starts). Its style gives its size and default colour.

#include "os/uikit/View.h"

namespace ui {

class ActivityIndicatorView;
using ActivityIndicatorViewRef = ns::Ref<ActivityIndicatorView>;

enum class ActivityIndicatorViewStyle : int { WhiteLarge = 0, White = 1, Gray = 2, Medium = 100, Large = 101 };

class ActivityIndicatorView : public View {
public:
    // Sized for the style (37 points for the large styles, else 20).
    static ActivityIndicatorViewRef withStyle(ActivityIndicatorViewStyle style);
    void initWithFrame(cg::Rect frame) override; // the white style

    ActivityIndicatorViewStyle style() const { return style_; }
    void setStyle(ActivityIndicatorViewStyle style) { style_ = style; }
    // The style's colour (white, or grey for the grey and medium/large styles) unless one is set.
    ColorRef color() const;
    void setColor(ColorRef color) { color_ = std::move(color); }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }

    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override { return sizeThatFits(cg::SizeZero); }

private:
    ActivityIndicatorViewStyle style_ = ActivityIndicatorViewStyle::White;
    ColorRef color_;
    bool hidesWhenStopped_ = true;
    bool animating_ = false;
};

} // namespace ui
