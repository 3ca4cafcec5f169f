#include "os/graphics/Image.h"

#include <cstring>
#include <vector>

namespace cg {

ImageRef Image::Create(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel, size_t bytesPerRow,
                       const ColorSpaceRef& space, uint32_t bitmapInfo, const DataProviderRef& provider,
                       const double* decode, bool shouldInterpolate, ColorRenderingIntent intent) {
    if (width == 0 || height == 0 || !space || !provider || decode) return nullptr;
    auto layout = DescribeFormat(bitsPerComponent, bitsPerPixel, bitmapInfo);
    if (!layout) return nullptr;
    if ((space->model() == ColorSpaceModel::Monochrome) != layout->gray) return nullptr;
    size_t rowUsed = 0, lastRow = 0, needed = 0;
    if (__builtin_mul_overflow(width, size_t(layout->bytesPerPixel), &rowUsed) || bytesPerRow < rowUsed ||
        __builtin_mul_overflow(bytesPerRow, height - 1, &lastRow) || __builtin_add_overflow(lastRow, rowUsed, &needed))
        return nullptr;
    if (provider->size() < needed || !provider->bytes()) return nullptr;
    auto image = ns::make<Image>();
    image->width_ = width;
    image->height_ = height;
    image->bitsPerComponent_ = bitsPerComponent;
    image->bitsPerPixel_ = bitsPerPixel;
    image->bytesPerRow_ = bytesPerRow;
    image->bitmapInfo_ = bitmapInfo;
    image->colorSpace_ = space;
    image->provider_ = provider;
    image->shouldInterpolate_ = shouldInterpolate;
    image->intent_ = intent;
    image->layout_ = *layout;
    return image;
}

ImageRef Image::CreateWithImageInRect(const ImageRef& image, Rect rect) {
    if (!image) return nullptr;
    Rect r = RectIntersection(RectIntegral(rect), RectMake(0, 0, double(image->width_), double(image->height_)));
    if (RectIsEmpty(r)) return nullptr;
    size_t x0 = size_t(r.origin.x), y0 = size_t(r.origin.y);
    size_t w = size_t(r.size.width), h = size_t(r.size.height);
    size_t bpp = size_t(image->layout_.bytesPerPixel);
    size_t rowBytes = w * bpp;
    std::vector<uint8_t> bytes(rowBytes * h);
    for (size_t y = 0; y < h; ++y)
        std::memcpy(bytes.data() + y * rowBytes, image->bytes() + (y0 + y) * image->bytesPerRow_ + x0 * bpp, rowBytes);
    auto provider = DataProvider::CreateWithCFData(ns::Data::make(std::move(bytes)));
    return Create(w, h, image->bitsPerComponent_, image->bitsPerPixel_, rowBytes, image->colorSpace_,
                  image->bitmapInfo_, provider, nullptr, image->shouldInterpolate_, image->intent_);
}

} // namespace cg
