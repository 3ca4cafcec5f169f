#pragma once
// The UI layer's current graphics context (a per-thread stack) and image contexts.
// An image context is y-down in points: its initial CTM is [s 0 0 -s 0 heightInPixels].

#include "os/graphics/Context.h"
#include "os/uikit/Image.h"

namespace ui {

// Opens an image context of size points × scale pixels (rounded up) and makes it current.
// scale 0 or less means the main screen's scale; opaque gives B,G,R,x pixels (0x2006), else
// premultiplied B,G,R,A (0x2002). A size without pixels opens nothing (the current context is
// then none until the matching end).
void GraphicsBeginImageContextWithOptions(cg::Size size, bool opaque, double scale);
void GraphicsBeginImageContext(cg::Size size); // not opaque, scale 1
// The image of the current image context (its scale, up orientation); none when the current
// context is not an image context.
ImageRef GraphicsGetImageFromCurrentImageContext();
// Closes the current image context (nothing when the current context is not one).
void GraphicsEndImageContext();

// The context on top of this thread's stack, or none.
cg::Context* GraphicsGetCurrentContext();
// Make any context current for drawing calls (a view renderer does this), and undo it.
void GraphicsPushContext(const cg::ContextRef& context);
void GraphicsPopContext();

// Fills with the current fill colour, replacing the pixels (copy blend mode).
void RectFill(cg::Rect rect);
void RectFillUsingBlendMode(cg::Rect rect, cg::BlendMode mode);

} // namespace ui
