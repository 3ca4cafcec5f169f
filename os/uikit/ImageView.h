#pragma once
// An image view: an image and a highlighted image (shown while highlighted), and a list of
// animation images played while animating. Not interactive and not opaque by default.
// A finite repeat count stops the animation on the clock after duration × count.

#include "os/uikit/Image.h"
#include "os/uikit/View.h"

#include <vector>

namespace ui {

class ImageView;
using ImageViewRef = ns::Ref<ImageView>;

class ImageView : public View {
public:
    // An image view sized to the image.
    static ImageViewRef withImage(const ImageRef& image, const ImageRef& highlightedImage = nullptr);
    void initWithFrame(cg::Rect frame) override;

    ImageRef image() const { return image_; }
    virtual void setImage(const ImageRef& image);
    ImageRef highlightedImage() const { return highlightedImage_; }
    virtual void setHighlightedImage(const ImageRef& image);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    // The image shown now: the highlighted one while highlighted (when set), else the image.
    ImageRef displayedImage() const;

    const std::vector<ImageRef>& animationImages() const { return animationImages_; }
    virtual void setAnimationImages(std::vector<ImageRef> images) { animationImages_ = std::move(images); }
    // 0: the number of images × 1/30 s.
    double animationDuration() const;
    void setAnimationDuration(double seconds) { animationDuration_ = seconds; }
    long animationRepeatCount() const { return repeatCount_; } // 0: forever
    void setAnimationRepeatCount(long count) { repeatCount_ = count; }
    virtual void startAnimating();
    virtual void stopAnimating();
    virtual bool isAnimating() const { return animating_; }

    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override;

private:
    ImageRef image_;
    ImageRef highlightedImage_;
    bool highlighted_ = false;
    std::vector<ImageRef> animationImages_;
    double animationDuration_ = 0;
    long repeatCount_ = 0;
    bool animating_ = false;
    unsigned long run_ = 0;
};

} // namespace ui
