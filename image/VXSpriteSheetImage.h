#pragma once
// An animated image whose frames are rectangles of one sprite sheet; the view shows each through
// its layer's contents rectangle.

#include "image/VXAnimatedImage.h"
#include "os/graphics/Geometry.h"
#include "os/uikit/Image.h"

#include <vector>

class VXSpriteSheetImage : public ui::Image, public VXAnimatedImage {
public:
    // Null without a bitmap, with no rectangles (in the sheet's points) or durations of another count.
    static ns::Ref<VXSpriteSheetImage> initWithSpriteSheetImage(const ui::ImageRef& image,
                                                                const std::vector<cg::Rect>& contentRects,
                                                                const std::vector<double>& frameDurations,
                                                                size_t loopCount);

    const std::vector<cg::Rect>& contentRects() const { return contentRects_; }
    const std::vector<double>& frameDurations() const { return frameDurations_; }
    size_t loopCount() const { return loopCount_; }

    // The frame's rectangle in unit coordinates of the image, clipped to it; the unit rectangle
    // out of range, for a tiny image or a rectangle outside the sheet.
    cg::Rect contentsRectForCALayerAtIndex(size_t index) const;

    // VXAnimatedImage: every frame is the sheet itself.
    size_t animatedImageFrameCount() const override { return contentRects_.size(); }
    size_t animatedImageLoopCount() const override { return loopCount_; }
    size_t animatedImageBytesPerFrame() const override { return 0; }
    ui::ImageRef animatedImageFrameAtIndex(size_t index) override;
    double animatedImageDurationAtIndex(size_t index) const override;
    bool implementsAnimatedImageContentsRect() const override { return true; }
    cg::Rect animatedImageContentsRectAtIndex(size_t index) const override;

    VXSpriteSheetImage() = default;

private:
    std::vector<cg::Rect> contentRects_;
    std::vector<double> frameDurations_;
    size_t loopCount_ = 0;
};
