#pragma once
// A bitmap drawing context with the platform's conventions: origin at the bottom left, y up,
// one unit per pixel (until the CTM says otherwise). Pixels are stored in the declared format,
// so data() shows the bytes in that format's memory order.
//
// Drawing goes through cairo. Contexts whose format is cairo's own (B,G,R,A premultiplied and
// B,G,R,x on this host: bitmap info 0x2002 and 0x2006) let cairo draw straight into the storage;
// the others are copied into a cairo surface and back around each drawing operation.

#include "os/graphics/AffineTransform.h"
#include "os/graphics/ColorSpace.h"
#include "os/graphics/Image.h"
#include "os/graphics/Path.h"
#include "os/graphics/PixelFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace cg {

class Context;
using ContextRef = ns::Ref<Context>;

// A device RGB colour, components 0..1, not premultiplied.
struct Color {
    double r = 0, g = 0, b = 0, a = 1;
    bool operator==(const Color&) const = default;
};

enum class BlendMode : int {
    Normal = 0, Multiply, Screen, Overlay, Darken, Lighten, ColorDodge, ColorBurn, SoftLight, HardLight,
    Difference, Exclusion, Hue, Saturation, Color, Luminosity,
    Clear = 16, Copy, SourceIn, SourceOut, SourceAtop, DestinationOver, DestinationIn, DestinationOut,
    DestinationAtop, XOR, PlusDarker, PlusLighter,
};
enum class LineJoin : int { Miter = 0, Round = 1, Bevel = 2 };
enum class LineCap : int { Butt = 0, Round = 1, Square = 2 };
enum class InterpolationQuality : int { Default = 0, None = 1, Low = 2, High = 3, Medium = 4 };

class Context : public ns::Object {
public:
    // Bitmap contexts: 8 bits per component, device RGB with alpha info 1, 2, 5 or 6 in byte order
    // default, 32-bit little or 32-bit big (32 bpp); or device grey without alpha (8 bpp).
    // Anything else (alpha info 0, 3, 4, 7 for RGB) gives none, as on the platform.
    // data may be null (the context owns zeroed storage); bytesPerRow 0 picks it.
    static ContextRef CreateBitmap(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, const ColorSpaceRef& space, uint32_t bitmapInfo);

    // Bitmap properties.
    void* data() { return storage_; }
    const void* data() const { return storage_; }
    size_t width() const { return width_; }
    size_t height() const { return height_; }
    size_t bitsPerComponent() const { return 8; }
    size_t bitsPerPixel() const { return layout_.bytesPerPixel * 8; }
    size_t bytesPerRow() const { return bytesPerRow_; }
    uint32_t bitmapInfo() const { return bitmapInfo_; }
    ImageAlphaInfo alphaInfo() const { return AlphaInfoOf(bitmapInfo_); }
    ColorSpaceRef colorSpace() const { return colorSpace_; }

    // A new image holding a copy of the pixels as they are now.
    ImageRef CreateImage() const;

    // Graphics state.
    void SaveGState();
    void RestoreGState();
    void TranslateCTM(double tx, double ty);
    void ScaleCTM(double sx, double sy);
    void RotateCTM(double angle);
    void ConcatCTM(const AffineTransform& t);
    AffineTransform GetCTM() const;
    void SetFillColor(Color c);
    void SetStrokeColor(Color c);
    Color fillColor() const;
    Color strokeColor() const;
    void SetLineWidth(double w);
    void SetLineJoin(LineJoin j);
    void SetLineCap(LineCap c);
    void SetBlendMode(BlendMode m);
    BlendMode blendMode() const;
    void SetAlpha(double a);
    double alpha() const;
    void SetShouldAntialias(bool on);
    void SetAllowsAntialiasing(bool on);
    void SetInterpolationQuality(InterpolationQuality q);
    InterpolationQuality interpolationQuality() const;

    // The current path (points are fixed by the CTM when added, as on the platform).
    void BeginPath();
    void MoveToPoint(Point p);
    void AddLineToPoint(Point p);
    void AddCurveToPoint(Point c1, Point c2, Point end);
    void AddArc(Point centre, double radius, double startAngle, double endAngle, bool clockwise);
    void AddRect(Rect r);
    void AddPath(const Path& path);
    void ClosePath();

    // Clipping: intersects the clip; the path is consumed.
    void Clip();
    void EOClip();
    void ClipToRect(Rect r);
    // The mask image placed like DrawImage gives coverage: alpha for images with alpha, the grey
    // level otherwise (white paints). Outside rect nothing is painted.
    void ClipToMask(Rect rect, const ImageRef& mask);

    // Painting. Fill and stroke consume the current path.
    void FillPath();
    void EOFillPath();
    void StrokePath();
    void FillRect(Rect r);
    void StrokeRect(Rect r);
    // Makes the rectangle transparent (black in opaque formats), ignoring blend mode and alpha.
    void ClearRect(Rect r);
    // The image fills rect, its top row at the rect's top (max y in user space).
    void DrawImage(Rect rect, const ImageRef& image);
    // The same in a y-down user space (the UI layer's): the top row at the rect's top, min y.
    void DrawImageUpright(Rect rect, const ImageRef& image);

    // For the text layer: the cairo context to draw into, with the cairo matrix set to the user
    // space (the CTM composed with the y flip of the device), the clip, antialiasing and the
    // blend mode in place; source colour and global alpha are the caller's to apply
    // (fillColor(), alpha()). In an image context of the UI layer user space is y-down, so text
    // comes out upright. Every call must be paired with finishDrawing(), which writes the result
    // back into the storage (and applies a mask clip). Do not keep the pointer.
    cairo_t* cairoForDrawing();
    void finishDrawing();

    Context();
    ~Context() override;

private:
    struct GState;
    struct Impl;
    bool setUp(void* data, size_t width, size_t height, size_t bytesPerRow, const ColorSpaceRef& space,
               uint32_t bitmapInfo, const PixelLayout& layout);
    cairo_t* begin();
    void end();
    void fillPath(bool evenOdd);
    void syncMatrix();
    GState& state();
    const GState& state() const;

    void* storage_ = nullptr;
    std::vector<uint8_t> owned_;
    size_t width_ = 0, height_ = 0, bytesPerRow_ = 0;
    uint32_t bitmapInfo_ = 0;
    PixelLayout layout_;
    ColorSpaceRef colorSpace_;
    std::unique_ptr<Impl> impl_;
};

} // namespace cg
