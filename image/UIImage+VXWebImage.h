#pragma once
// New images made from an existing one (or from a colour, a drawing or small GIF data): resizing
// with content modes, cropping, insets, rounded corners, rotation, flips, tint and blur. Every
// operation leaves the receiver unchanged; sizes and rectangles are in points.

#include "os/foundation/Data.h"
#include "os/graphics/Context.h"
#include "os/uikit/Color.h"
#include "os/uikit/Geometry.h"
#include "os/uikit/Image.h"
#include "os/uikit/View.h"

#include <functional>

namespace VXWebImage {

// Made from scratch, at the screen's scale, not opaque. Null without a colour or a positive size.
ui::ImageRef VX_imageWithColor(const ui::ColorRef& color);
ui::ImageRef VX_imageWithColor(const ui::ColorRef& color, cg::Size size);
// What the block draws into a context of that size; null without a block.
ui::ImageRef VX_imageWithSize(cg::Size size, const std::function<void(cg::Context* context)>& drawBlock);
// All frames of a GIF held in memory as an animated image (a plain image for one frame).
ui::ImageRef VX_imageWithSmallGIFData(const ns::DataRef& data, double scale);

bool VX_hasAlphaChannel(const ui::ImageRef& image);

// Draws into the current context at rect fitted by the content mode, optionally clipped to rect.
void VX_drawInRect(const ui::ImageRef& image, cg::Rect rect, ui::ContentMode contentMode, bool clipsToBounds);

ui::ImageRef VX_imageByResizeToSize(const ui::ImageRef& image, cg::Size size);
ui::ImageRef VX_imageByResizeToSize(const ui::ImageRef& image, cg::Size size, ui::ContentMode contentMode);
ui::ImageRef VX_imageByCropToRect(const ui::ImageRef& image, cg::Rect rect);
// Negative insets widen the canvas; the colour (may be null) fills what the image does not cover.
ui::ImageRef VX_imageByInsetEdge(const ui::ImageRef& image, ui::EdgeInsets insets, const ui::ColorRef& color);

ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius);
ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius, double borderWidth,
                                         const ui::ColorRef& borderColor);
// corners: ui::RectCorner bits. A border of half the smaller side or more gives a transparent image.
ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius, unsigned corners,
                                         double borderWidth, const ui::ColorRef& borderColor,
                                         cg::LineJoin borderLineJoin);

// Radians, counter-clockwise; with fitSize the bitmap grows to hold the whole turned picture.
ui::ImageRef VX_imageByRotate(const ui::ImageRef& image, double radians, bool fitSize);
ui::ImageRef VX_imageByRotateLeft90(const ui::ImageRef& image);
ui::ImageRef VX_imageByRotateRight90(const ui::ImageRef& image);
ui::ImageRef VX_imageByRotate180(const ui::ImageRef& image);
ui::ImageRef VX_imageByFlipVertical(const ui::ImageRef& image);
ui::ImageRef VX_imageByFlipHorizontal(const ui::ImageRef& image);

// The colour where the image is, with the image's alpha.
ui::ImageRef VX_imageByTintColor(const ui::ImageRef& image, const ui::ColorRef& color);

ui::ImageRef VX_imageByGrayscale(const ui::ImageRef& image);
ui::ImageRef VX_imageByBlurSoft(const ui::ImageRef& image);
ui::ImageRef VX_imageByBlurLight(const ui::ImageRef& image);
ui::ImageRef VX_imageByBlurExtraLight(const ui::ImageRef& image);
ui::ImageRef VX_imageByBlurDark(const ui::ImageRef& image);
ui::ImageRef VX_imageByBlurWithTint(const ui::ImageRef& image, const ui::ColorRef& tintColor);
// Box blur approximating a Gaussian of radius points, then a saturation matrix, then the tint
// (drawn with tintMode) and the mask. Logs and answers null for unusable input.
ui::ImageRef VX_imageByBlurRadius(const ui::ImageRef& image, double blurRadius, const ui::ColorRef& tintColor,
                                  cg::BlendMode tintMode, double saturation, const ui::ImageRef& maskImage);

} // namespace VXWebImage
