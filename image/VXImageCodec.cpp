#include "image/VXImageCodec.h"

#include "os/graphics/Context.h"
#include "os/graphics/DataProvider.h"
#include "os/imageio/ImageDestination.h"
#include "os/imageio/ImageProperties.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

bool startsWith(const uint8_t* bytes, const char* text, size_t offset = 0) {
    return std::memcmp(bytes + offset, text, std::strlen(text)) == 0;
}

bool bytesEqual(const uint8_t* bytes, std::initializer_list<uint8_t> expected, size_t offset = 0) {
    size_t i = offset;
    for (uint8_t b : expected)
        if (bytes[i++] != b) return false;
    return true;
}

bool alphaInfoIsPremultipliedOrSkip(uint32_t alpha) {
    return alpha == cg::ImageAlphaPremultipliedLast || alpha == cg::ImageAlphaPremultipliedFirst ||
           alpha == cg::ImageAlphaNoneSkipLast || alpha == cg::ImageAlphaNoneSkipFirst;
}

// Where the alpha byte of a 32-bit pixel sits in memory: true for the first byte.
bool alphaIsFirstInMemory(uint32_t bitmapInfo) {
    const uint32_t alpha = bitmapInfo & cg::kBitmapAlphaInfoMask;
    const bool little = (bitmapInfo & cg::kBitmapByteOrderMask) == cg::kBitmapByteOrder32Little;
    const bool first = alpha == cg::ImageAlphaFirst || alpha == cg::ImageAlphaPremultipliedFirst;
    return little ? !first : first;
}

// First way: the any-to-any converter.
bool convertWithConverter(const cg::ImageRef& image, vimage::Buffer* buffer, const vimage::CGImageFormat& destination) {
    if (!vimage::converterAvailable()) return false;
    auto provider = image->dataProvider();
    if (!provider || !provider->bytes()) return false;
    vimage::CGImageFormat source;
    source.bitsPerComponent = static_cast<uint32_t>(image->bitsPerComponent());
    source.bitsPerPixel = static_cast<uint32_t>(image->bitsPerPixel());
    source.colorSpace = image->colorSpace();
    source.bitmapInfo = image->bitmapInfo();
    vimage::Error error = vimage::NoError;
    auto converter = vimage::Converter::CreateWithCGImageFormat(source, destination, nullptr, vimage::NoFlags, &error);
    if (!converter || error != vimage::NoError) return false;

    // The converter only reads the source, so the provider's bytes serve as they are.
    vimage::Buffer src{const_cast<uint8_t*>(provider->bytes()), image->height(), image->width(), image->bytesPerRow()};
    vimage::Buffer dst;
    if (vimage::BufferInit(&dst, image->height(), image->width(), 32, vimage::NoFlags) != vimage::NoError) return false;
    if (vimage::ConvertAnyToAny(*converter, &src, &dst, nullptr, vimage::NoFlags) != vimage::NoError) {
        std::free(dst.data);
        return false;
    }
    *buffer = dst;
    return true;
}

// Second way: draw into a context of the (premultiplied counterpart of the) format.
bool convertWithContext(const cg::ImageRef& image, vimage::Buffer* buffer, uint32_t bitmapInfo) {
    const uint32_t alpha = bitmapInfo & cg::kBitmapAlphaInfoMask;
    const uint32_t order = bitmapInfo & cg::kBitmapByteOrderMask;
    const bool premultipliedOrSkip = alphaInfoIsPremultipliedOrSkip(alpha);
    uint32_t contextInfo = alpha | order;
    if (!premultipliedOrSkip)
        contextInfo = (alpha == cg::ImageAlphaLast ? cg::ImageAlphaPremultipliedLast : cg::ImageAlphaPremultipliedFirst) | order;

    const size_t width = image->width(), height = image->height();
    auto context = cg::Context::CreateBitmap(nullptr, width, height, 8, 0, VXSharedDeviceRGBColorSpace(), contextInfo);
    if (!context) return false;
    context->DrawImage(cg::RectMake(0, 0, double(width), double(height)), image);

    const size_t rowBytes = context->bytesPerRow();
    void* data = std::malloc(rowBytes * height);
    if (!data) return false;
    vimage::Buffer result{data, height, width, rowBytes};
    if (premultipliedOrSkip) {
        std::memcpy(data, context->data(), rowBytes * height);
    } else {
        vimage::Buffer source{context->data(), height, width, rowBytes};
        const vimage::Error error = alphaIsFirstInMemory(bitmapInfo)
                                        ? vimage::UnpremultiplyDataARGB8888(&source, &result, vimage::NoFlags)
                                        : vimage::UnpremultiplyDataRGBA8888(&source, &result, vimage::NoFlags);
        if (error != vimage::NoError) {
            std::free(data);
            return false;
        }
    }
    *buffer = result;
    return true;
}

// An image adopting a malloc'd buffer (freed with the image, or here on failure).
cg::ImageRef imageAdoptingBuffer(const vimage::Buffer& buffer, uint32_t bitmapInfo) {
    const size_t length = buffer.rowBytes * buffer.height;
    auto provider = cg::DataProvider::CreateWithData(nullptr, buffer.data, length, VXBitmapReleaseCallback);
    if (!provider) {
        std::free(buffer.data);
        return nullptr;
    }
    return cg::Image::Create(buffer.width, buffer.height, 8, 32, buffer.rowBytes, VXSharedDeviceRGBColorSpace(),
                             bitmapInfo, provider);
}

} // namespace

VXImageType VXImageSniffType(const ns::DataRef& data) {
    if (!data) return VXImageTypeUnknown;
    return VXImageSniffType(data->bytes(), data->length());
}

VXImageType VXImageSniffType(const uint8_t* bytes, size_t length) {
    if (!bytes || length < 16) return VXImageTypeUnknown;
    const bool pngLead = bytesEqual(bytes, {0x89, 0x50, 0x4E, 0x47});
    const bool riff = startsWith(bytes, "RIFF");
    if (pngLead && bytesEqual(bytes, {0x0D, 0x0A, 0x1A, 0x0A}, 4)) return VXImageTypePNG;
    if (!pngLead && !riff) {
        if (startsWith(bytes, "icns")) return VXImageTypeICNS;
        if (startsWith(bytes, "GIF8")) return VXImageTypeGIF;
        if (bytesEqual(bytes, {0, 0, 1, 0}) || bytesEqual(bytes, {0, 0, 2, 0})) return VXImageTypeICO;
        if (bytesEqual(bytes, {0x49, 0x49, 0x2A, 0x00}) || bytesEqual(bytes, {0x4D, 0x4D, 0x00, 0x2A})) return VXImageTypeTIFF;
        for (const char* pair : {"BA", "BM", "IC", "CI", "PI", "CP"})
            if (startsWith(bytes, pair)) return VXImageTypeBMP;
        if (bytesEqual(bytes, {0xFF, 0x4F})) return VXImageTypeJPEG2000;
    }
    if (riff && startsWith(bytes, "WEBP", 8)) return VXImageTypeWebP;
    if (bytesEqual(bytes, {0xFF, 0xD8, 0xFF})) return VXImageTypeJPEG;
    if (bytesEqual(bytes, {0x6A, 0x50, 0x20, 0x20}, 4) && bytes[8] == 0x0D) return VXImageTypeJPEG2000;
    return VXImageTypeUnknown;
}

const char* VXImageTypeToUTI(VXImageType type) {
    switch (type) {
    case VXImageTypeJPEG: return imageio::uti::JPEG;
    case VXImageTypeJPEG2000: return imageio::uti::JPEG2000;
    case VXImageTypeTIFF: return imageio::uti::TIFF;
    case VXImageTypeBMP: return imageio::uti::BMP;
    case VXImageTypeICO: return imageio::uti::ICO;
    case VXImageTypeICNS: return imageio::uti::AppleICNS;
    case VXImageTypeGIF: return imageio::uti::GIF;
    case VXImageTypePNG: return imageio::uti::PNG;
    default: return nullptr;
    }
}

cg::ColorSpaceRef VXSharedDeviceRGBColorSpace() {
    static std::once_flag once;
    static cg::ColorSpaceRef* space = nullptr; // never released
    std::call_once(once, [] { space = new cg::ColorSpaceRef(cg::ColorSpace::CreateDeviceRGB()); });
    return *space;
}

cg::ImageRef VXImageCreateDecodedCopy(const cg::ImageRef& image, bool decodeForDisplay) {
    if (!image) return nullptr;
    const size_t width = image->width(), height = image->height();
    if (width == 0 || height == 0) return nullptr;

    if (decodeForDisplay) {
        const uint32_t info = cg::AlphaInfoHasAlpha(image->alphaInfo()) ? VXBitmapInfoDisplay : VXBitmapInfoDisplayOpaque;
        // Drawing a 32-bit image whole into a cleared context of its size is a plain pixel
        // conversion; doing it directly spares the context's storage and its snapshot copy.
        if (image->bitsPerComponent() == 8 && image->bitsPerPixel() == 32 && image->bytes() && !image->layout().gray) {
            const auto layout = cg::DescribeFormat(8, 32, info);
            const size_t rowBytes = width * 4;
            void* pixels = layout ? std::malloc(rowBytes * height) : nullptr;
            if (pixels) {
                cg::ConvertPixels(image->bytes(), image->bytesPerRow(), image->layout(), static_cast<uint8_t*>(pixels),
                                  rowBytes, *layout, width, height);
                return imageAdoptingBuffer({pixels, height, width, rowBytes}, info);
            }
        }
        auto context = cg::Context::CreateBitmap(nullptr, width, height, 8, 0, VXSharedDeviceRGBColorSpace(), info);
        if (!context) return nullptr;
        context->DrawImage(cg::RectMake(0, 0, double(width), double(height)), image);
        return context->CreateImage();
    }

    auto provider = image->dataProvider();
    if (image->bytesPerRow() == 0 || !provider || !provider->bytes() || provider->size() == 0) return nullptr;
    auto copy = cg::DataProvider::CreateWithCopy(provider->bytes(), provider->size());
    if (!copy) return nullptr;
    return cg::Image::Create(width, height, image->bitsPerComponent(), image->bitsPerPixel(), image->bytesPerRow(),
                             image->colorSpace(), image->bitmapInfo(), copy);
}

bool VXImageDecodeToBitmapBuffer(const cg::ImageRef& image, vimage::Buffer* buffer, uint32_t bitmapInfo) {
    if (!image || !buffer || image->width() == 0 || image->height() == 0) return false;
    const uint32_t alpha = bitmapInfo & cg::kBitmapAlphaInfoMask;
    const uint32_t order = bitmapInfo & cg::kBitmapByteOrderMask;
    if (alpha < cg::ImageAlphaPremultipliedLast || alpha > cg::ImageAlphaNoneSkipFirst) return false;
    if (order != cg::kBitmapByteOrderDefault && order != cg::kBitmapByteOrder32Little && order != cg::kBitmapByteOrder32Big)
        return false;

    vimage::CGImageFormat destination;
    destination.bitsPerComponent = 8;
    destination.bitsPerPixel = 32;
    destination.colorSpace = VXSharedDeviceRGBColorSpace();
    destination.bitmapInfo = bitmapInfo;
    if (convertWithConverter(image, buffer, destination)) return true;
    return convertWithContext(image, buffer, bitmapInfo);
}

cg::ImageRef VXImageCreateWarpedCopy(const cg::ImageRef& image, const cg::AffineTransform& transform,
                                     uint32_t bitmapInfo, double width, double height) {
    if (!image || !(width >= 0.5) || !(height >= 0.5)) return nullptr;
    const double maxSide = double(1u << 26);
    if (width > maxSide || height > maxSide) return nullptr;
    const size_t destWidth = static_cast<size_t>(std::llround(width));
    const size_t destHeight = static_cast<size_t>(std::llround(height));
    if (image->width() == 0 || image->height() == 0) return nullptr;

    // 1. The source in the warp format.
    vimage::Buffer source;
    if (!VXImageDecodeToBitmapBuffer(image, &source, VXBitmapInfoWarp)) return nullptr;

    // 2. Destination rows aligned to 32 bytes.
    vimage::Buffer destination;
    destination.width = destWidth;
    destination.height = destHeight;
    destination.rowBytes = (destWidth * 4 + 31) & ~size_t(31);
    destination.data = std::calloc(destination.rowBytes, destHeight);
    if (!destination.data) {
        std::free(source.data);
        return nullptr;
    }

    // 3. The warp, uncovered pixels transparent.
    const uint8_t background[4] = {0, 0, 0, 0};
    const vimage::Error error =
        vimage::AffineWarpARGB8888(&source, &destination, nullptr, transform, background, vimage::BackgroundColorFill);
    std::free(source.data);
    if (error != vimage::NoError) {
        std::free(destination.data);
        return nullptr;
    }

    // 4. An image on the buffer.
    auto warped = imageAdoptingBuffer(destination, VXBitmapInfoWarp);
    if (!warped) return nullptr;

    // 5. Already in the requested format, or converted once more.
    const uint32_t alpha = bitmapInfo & cg::kBitmapAlphaInfoMask;
    const uint32_t order = bitmapInfo & cg::kBitmapByteOrderMask;
    if (alpha == cg::ImageAlphaFirst && order != cg::kBitmapByteOrder32Little) return warped;
    vimage::Buffer converted;
    if (!VXImageDecodeToBitmapBuffer(warped, &converted, bitmapInfo)) return nullptr;
    return imageAdoptingBuffer(converted, bitmapInfo);
}

cg::ImageRef VXImageCreateOrientedCopy(const cg::ImageRef& image, ui::ImageOrientation orientation, uint32_t bitmapInfo) {
    if (!image) return nullptr;
    const int o = static_cast<int>(orientation);
    if (o < 1 || o > 7) return image;

    const double w = double(image->width()), h = double(image->height());
    cg::AffineTransform t = cg::AffineTransformIdentity;
    bool swap = false;
    switch (orientation) {
    case ui::ImageOrientation::Down:
        t = cg::AffineTransformRotate(t, M_PI);
        t = cg::AffineTransformTranslate(t, -w, -h);
        break;
    case ui::ImageOrientation::Left:
        t = cg::AffineTransformRotate(t, M_PI_2);
        t = cg::AffineTransformTranslate(t, 0, -h);
        swap = true;
        break;
    case ui::ImageOrientation::Right:
        t = cg::AffineTransformRotate(t, -M_PI_2);
        t = cg::AffineTransformTranslate(t, -w, 0);
        swap = true;
        break;
    case ui::ImageOrientation::UpMirrored:
        t = cg::AffineTransformTranslate(t, w, 0);
        t = cg::AffineTransformScale(t, -1, 1);
        break;
    case ui::ImageOrientation::DownMirrored:
        t = cg::AffineTransformTranslate(t, 0, h);
        t = cg::AffineTransformScale(t, 1, -1);
        break;
    case ui::ImageOrientation::LeftMirrored:
        t = cg::AffineTransformRotate(t, -M_PI_2);
        t = cg::AffineTransformScale(t, 1, -1);
        t = cg::AffineTransformTranslate(t, -w, -h);
        swap = true;
        break;
    case ui::ImageOrientation::RightMirrored:
        t = cg::AffineTransformRotate(t, M_PI_2);
        t = cg::AffineTransformScale(t, 1, -1);
        swap = true;
        break;
    default: break;
    }
    if (cg::AffineTransformIsIdentity(t)) return image;
    return swap ? VXImageCreateWarpedCopy(image, t, bitmapInfo, h, w) : VXImageCreateWarpedCopy(image, t, bitmapInfo, w, h);
}

ns::DataRef VXImageEncodeSingle(const cg::ImageRef& image, VXImageType type, double quality) {
    if (!image || type == VXImageTypeWebP) return nullptr;
    const char* uti = VXImageTypeToUTI(type);
    if (!uti) return nullptr;
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, uti, 1);
    if (!destination) return nullptr;
    // NaN stays NaN through the clamp; the destination then uses its default quality.
    const double clamped = std::isnan(quality) ? quality : std::clamp(quality, 0.0, 1.0);
    imageio::Properties properties{{imageio::key::DestinationLossyCompressionQuality, clamped}};
    destination->AddImage(image, &properties);
    if (!destination->Finalize() || data->length() == 0) return nullptr;
    return data;
}

bool VXImageWebPAvailable() { return false; }

void VXBitmapReleaseCallback(void* info, const void* data, size_t size) { std::free(const_cast<void*>(data)); }
