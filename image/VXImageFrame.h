#pragma once
// One frame of an image: its picture and where and how long it shows on the canvas.

#include "os/foundation/Object.h"
#include "os/uikit/Image.h"

#include <cstddef>

// What happens to the frame's area before the next frame is drawn.
enum VXImageDisposeMethod : unsigned {
    VXImageDisposeNone = 0,       // the canvas stays as it is
    VXImageDisposeBackground = 1, // the frame's rectangle is cleared to transparent
    VXImageDisposePrevious = 2,   // the canvas goes back to what it was before the frame
};

// How the frame is drawn onto the canvas.
enum VXImageBlendOperation : unsigned {
    VXImageBlendSource = 0, // the rectangle is cleared and the frame replaces it
    VXImageBlendOver = 1,   // the frame is drawn over the canvas with alpha
};

class VXImageFrame : public ns::Object {
public:
    size_t index = 0;
    size_t width = 0;   // pixels
    size_t height = 0;  // pixels
    size_t offsetX = 0; // left edge on the canvas
    size_t offsetY = 0; // bottom edge, counted up from the canvas's bottom edge
    double duration = 0; // seconds
    VXImageDisposeMethod dispose = VXImageDisposeNone;
    VXImageBlendOperation blend = VXImageBlendSource;
    ui::ImageRef image;

    static ns::Ref<VXImageFrame> frameWithImage(const ui::ImageRef& image);
    // Every field copied; images are immutable, so the copy shares the picture.
    virtual ns::Ref<VXImageFrame> copy() const;

protected:
    void copyFieldsTo(VXImageFrame& other) const;
};
