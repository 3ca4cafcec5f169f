#pragma once
// An immutable bitmap: size, pixel format, colour space and the provider of its bytes.

#include "os/graphics/ColorSpace.h"
#include "os/graphics/DataProvider.h"
#include "os/graphics/Geometry.h"
#include "os/graphics/PixelFormat.h"

#include <cstddef>
#include <cstdint>

namespace cg {

class Image;
using ImageRef = ns::Ref<Image>;

enum class ColorRenderingIntent : int { Default = 0, AbsoluteColorimetric, RelativeColorimetric, Perceptual, Saturation };

class Image : public ns::Object {
public:
    // None when the format is not one DescribeFormat knows, a size is 0, the row bytes are too
    // small, the colour space does not match the format or the provider holds too few bytes.
    // Decode arrays are not supported (must be null).
    static ImageRef Create(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                           size_t bytesPerRow, const ColorSpaceRef& space, uint32_t bitmapInfo,
                           const DataProviderRef& provider, const double* decode = nullptr,
                           bool shouldInterpolate = false, ColorRenderingIntent intent = ColorRenderingIntent::Default);

    // Copy of the pixels inside rect, given in pixels with the origin at the image's TOP-LEFT
    // (unlike drawing). The rect is made integral and intersected with the image; none when empty.
    static ImageRef CreateWithImageInRect(const ImageRef& image, Rect rect);

    size_t width() const { return width_; }
    size_t height() const { return height_; }
    size_t bitsPerComponent() const { return bitsPerComponent_; }
    size_t bitsPerPixel() const { return bitsPerPixel_; }
    size_t bytesPerRow() const { return bytesPerRow_; }
    uint32_t bitmapInfo() const { return bitmapInfo_; }
    ImageAlphaInfo alphaInfo() const { return AlphaInfoOf(bitmapInfo_); }
    ColorSpaceRef colorSpace() const { return colorSpace_; }
    DataProviderRef dataProvider() const { return provider_; }
    bool shouldInterpolate() const { return shouldInterpolate_; }
    ColorRenderingIntent renderingIntent() const { return intent_; }

    // Direct read access to the pixels (the provider's bytes) and their layout.
    const uint8_t* bytes() const { return provider_->bytes(); }
    const PixelLayout& layout() const { return layout_; }

    Image() = default;

private:
    size_t width_ = 0, height_ = 0, bitsPerComponent_ = 0, bitsPerPixel_ = 0, bytesPerRow_ = 0;
    uint32_t bitmapInfo_ = 0;
    ColorSpaceRef colorSpace_;
    DataProviderRef provider_;
    bool shouldInterpolate_ = false;
    ColorRenderingIntent intent_ = ColorRenderingIntent::Default;
    PixelLayout layout_;
};

} // namespace cg
