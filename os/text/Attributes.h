#pragma once
// What the text layer reads from the objects stored under an attributed string's colour and
// attachment keys. The UI layer's colour and text-attachment classes implement these, so the
// text layer needs nothing from above it.

#include "os/graphics/Context.h"
#include "os/graphics/Geometry.h"
#include "os/graphics/Image.h"

namespace vx::text {

// The value of ns::ForegroundColorAttributeName.
class ColorAttribute {
public:
    virtual ~ColorAttribute() = default;
    virtual cg::Color textColor() const = 0;
};

// The value of ns::AttachmentAttributeName: a picture in place of its character (U+FFFC).
class AttachmentAttribute {
public:
    virtual ~AttachmentAttribute() = default;
    // In points, relative to the baseline with y up: (0, -4, 20, 20) sits 4 points below it.
    virtual cg::Rect attachmentBounds() const = 0;
    // Drawn upright into the bounds; none draws nothing.
    virtual cg::ImageRef attachmentImage() const = 0;
};

} // namespace vx::text
