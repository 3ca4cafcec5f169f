#pragma once
// The UI layer's image: a bitmap with a scale (pixels per point) and an orientation, or a list of
// animation images. Subclasses (the image kit's animated images) use the protected init steps.

#include "os/foundation/Bundle.h"
#include "os/foundation/Coder.h"
#include "os/foundation/Data.h"
#include "os/graphics/Context.h"
#include "os/graphics/Image.h"
#include "os/uikit/Geometry.h"

#include <string>
#include <vector>

namespace ui {

class Image;
using ImageRef = ns::Ref<Image>;

// How the stored pixels are turned for display (the platform's values).
enum class ImageOrientation : int {
    Up = 0,            // as stored
    Down = 1,          // turned 180°
    Left = 2,          // turned 90° counter-clockwise
    Right = 3,         // turned 90° clockwise
    UpMirrored = 4,    // mirrored left-right
    DownMirrored = 5,  // mirrored top-bottom
    LeftMirrored = 6,  // mirrored, then turned 90° counter-clockwise (transpose)
    RightMirrored = 7, // mirrored, then turned 90° clockwise (transverse)
};

// The orientation an EXIF orientation value (1-8) stands for; anything else is Up.
ImageOrientation ImageOrientationFromEXIF(long exif);

enum class ImageResizingMode : int { Tile = 0, Stretch = 1 };

// Automatic and original draw the pixels as stored; a template draws only their shape, filled with
// the tint colour of the image view that shows it.
enum class ImageRenderingMode : int { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

class Image : public ns::Object, public ns::Coding {
public:
    // None when cgImage is none.
    static ImageRef imageWithCGImage(const cg::ImageRef& cgImage, double scale = 1,
                                     ImageOrientation orientation = ImageOrientation::Up);
    // The first image of the data, oriented as its EXIF orientation says; none when undecodable.
    // A scale of 0 or less counts as 1.
    static ImageRef imageWithData(const ns::DataRef& data, double scale = 1);
    // The file's first image; the scale comes from an "@2x"-style suffix of the file's base name.
    static ImageRef imageWithContentsOfFile(const std::string& path);
    // A resource of the bundle (the main bundle when none). A name without extension tries "png",
    // "jpg", then no extension. Scales are tried in the order of the main screen's scale: at most 1:
    // 1, 2, 3; at most 2: 2, 3, 1; else 3, 2, 1; scale s looks for "name@sx". None when not found.
    static ImageRef imageNamed(const std::string& name, const ns::Ref<ns::Bundle>& bundle = nullptr);
    // An image that shows the images in turn; it has no bitmap of its own.
    static ImageRef animatedImageWithImages(std::vector<ImageRef> images, double duration);

    // The bitmap, or none (an empty or animated image).
    cg::ImageRef CGImage() const { return cgImage_; }
    double scale() const { return scale_; }
    ImageOrientation imageOrientation() const { return orientation_; }
    // Points: pixels / scale, width and height swapped for the left and right orientations.
    cg::Size size() const;
    const std::vector<ImageRef>& images() const { return images_; }
    double duration() const { return duration_; }

    // A copy that draws its cap areas unscaled and stretches the middle (tiling is drawn stretched).
    ImageRef resizableImageWithCapInsets(EdgeInsets insets, ImageResizingMode mode = ImageResizingMode::Tile) const;
    EdgeInsets capInsets() const { return capInsets_; }
    ImageResizingMode resizingMode() const { return resizingMode_; }
    // A copy that renders in the mode.
    ImageRef imageWithRenderingMode(ImageRenderingMode mode) const;
    ImageRenderingMode renderingMode() const { return renderingMode_; }

    // Drawing into the current graphics context, turned as the orientation says.
    void drawInRect(cg::Rect rect) const;
    void drawInRect(cg::Rect rect, cg::BlendMode mode, double alpha) const;
    void drawAtPoint(cg::Point point) const;
    void drawAtPoint(cg::Point point, cg::BlendMode mode, double alpha) const;

    // Coding: the PNG bytes of the bitmap, the scale and the orientation.
    std::string classNameForCoder() const override { return "UIImage"; }
    void encodeWithCoder(ns::Coder& coder) const override;
    static ImageRef initWithCoder(ns::Coder& coder);

    std::string description() const override;

    Image() = default; // an empty image: no bitmap, scale 1

protected:
    // Init steps for subclasses; they answer false (leaving the image empty) when nothing fits.
    bool initWithCGImage(const cg::ImageRef& cgImage, double scale, ImageOrientation orientation);
    bool initWithData(const ns::DataRef& data, double scale);
    bool initWithContentsOfFile(const std::string& path);

private:
    cg::ImageRef cgImage_;
    double scale_ = 1;
    ImageOrientation orientation_ = ImageOrientation::Up;
    std::vector<ImageRef> images_;
    double duration_ = 0;
    EdgeInsets capInsets_;
    ImageResizingMode resizingMode_ = ImageResizingMode::Tile;
    ImageRenderingMode renderingMode_ = ImageRenderingMode::Automatic;
};

// Encoded bytes of the image's bitmap (orientation is not applied); none without a bitmap.
ns::DataRef ImagePNGRepresentation(const ImageRef& image);
// quality is clamped to 0..1.
ns::DataRef ImageJPEGRepresentation(const ImageRef& image, double quality);

} // namespace ui
