#pragma once
// What an image must answer to be played frame by frame by the animated image view.

#include "os/graphics/Geometry.h"
#include "os/uikit/Image.h"

#include <cstddef>

class VXAnimatedImage {
public:
    virtual ~VXAnimatedImage() = default;

    virtual size_t animatedImageFrameCount() const = 0;
    virtual size_t animatedImageLoopCount() const = 0; // 0: endless
    // Memory of one decoded frame; 0 when not known.
    virtual size_t animatedImageBytesPerFrame() const = 0;
    virtual ui::ImageRef animatedImageFrameAtIndex(size_t index) = 0;
    virtual double animatedImageDurationAtIndex(size_t index) const = 0; // seconds

    // Optional: images that show their frames as parts of one picture answer true, and the
    // rectangle (in the image's points) of each frame.
    virtual bool implementsAnimatedImageContentsRect() const { return false; }
    virtual cg::Rect animatedImageContentsRectAtIndex(size_t /*index*/) const { return cg::RectZero; }
};
