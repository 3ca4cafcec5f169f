#include "os/graphics/VImage.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace vimage {

namespace {

std::atomic<bool> gConverterAvailable{true};

std::optional<cg::PixelLayout> layoutOf(const CGImageFormat& f) {
    auto l = cg::DescribeFormat(f.bitsPerComponent, f.bitsPerPixel, f.bitmapInfo);
    if (!l) return std::nullopt;
    bool gray = f.colorSpace && f.colorSpace->model() == cg::ColorSpaceModel::Monochrome;
    if (gray != l->gray) return std::nullopt;
    return l;
}

uint8_t* row(const Buffer* b, size_t y) { return static_cast<uint8_t*>(b->data) + y * b->rowBytes; }

bool sameSize(const Buffer* a, const Buffer* b) { return a->width == b->width && a->height == b->height; }

Error check4(const Buffer* src, const Buffer* dst) {
    if (!src || !dst || !src->data || !dst->data) return NullPointerArgument;
    if (src->rowBytes < src->width * 4 || dst->rowBytes < dst->width * 4) return InvalidRowBytes;
    return NoError;
}

uint8_t clampByte(long long v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// Nearest integer of num / den (den > 0), halves rounded up.
long long roundDiv(long long num, long long den) {
    long long n = 2 * num + den, d = 2 * den;
    long long q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return q;
}

Error premultiplyLoop(const Buffer* src, const Buffer* dst, int alphaOffset, bool premultiply) {
    if (Error e = check4(src, dst)) return e;
    if (!sameSize(src, dst)) return BufferSizeMismatch;
    for (size_t y = 0; y < src->height; ++y) {
        const uint8_t* s = row(src, y);
        uint8_t* d = row(dst, y);
        for (size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
            uint8_t a = s[alphaOffset];
            uint8_t px[4];
            for (int c = 0; c < 4; ++c)
                px[c] = c == alphaOffset ? a : premultiply ? cg::Premultiply8(s[c], a) : cg::Unpremultiply8(s[c], a);
            std::memcpy(d, px, 4);
        }
    }
    return NoError;
}

} // namespace

bool converterAvailable() { return gConverterAvailable.load(); }
void setConverterAvailable(bool available) { gConverterAvailable.store(available); }

// --- Buffers --------------------------------------------------------------------------------

Error BufferInit(Buffer* buffer, size_t height, size_t width, uint32_t bitsPerPixel, Flags flags) {
    if (!buffer) return NullPointerArgument;
    if (height == 0 || width == 0 || bitsPerPixel == 0) return InvalidParameter;
    size_t bits = 0;
    if (__builtin_mul_overflow(width, size_t(bitsPerPixel), &bits)) return MemoryAllocationError;
    size_t rowBytes = ((bits + 7) / 8 + 31) & ~size_t(31);
    size_t total = 0;
    if (__builtin_mul_overflow(rowBytes, height, &total)) return MemoryAllocationError;
    buffer->height = height;
    buffer->width = width;
    buffer->rowBytes = rowBytes;
    if (flags & NoAllocate) return NoError;
    buffer->data = std::malloc(total);
    if (!buffer->data) return MemoryAllocationError;
    return NoError;
}

Error BufferInitWithCGImage(Buffer* buffer, const CGImageFormat& format, const double* background,
                            const cg::ImageRef& image, Flags flags) {
    if (!buffer || !image) return NullPointerArgument;
    auto layout = layoutOf(format);
    if (!layout) return InvalidImageFormat;
    Buffer b;
    if (Error e = BufferInit(&b, image->height(), image->width(), format.bitsPerPixel, NoFlags)) return e;
    cg::ConvertPixels(image->bytes(), image->bytesPerRow(), image->layout(), static_cast<uint8_t*>(b.data), b.rowBytes,
                      *layout, image->width(), image->height(), background);
    *buffer = b;
    return NoError;
}

cg::ImageRef CreateCGImageFromBuffer(const Buffer& buffer, const CGImageFormat& format,
                                     void (*cleanup)(void* userData, void* data), void* userData, Flags flags,
                                     Error* error) {
    auto fail = [&](Error e) -> cg::ImageRef {
        if (error) *error = e;
        return nullptr;
    };
    if (!buffer.data) return fail(NullPointerArgument);
    auto layout = layoutOf(format);
    if (!layout) return fail(InvalidImageFormat);
    cg::ColorSpaceRef space = format.colorSpace ? format.colorSpace : cg::ColorSpace::CreateDeviceRGB();
    size_t size = buffer.rowBytes * buffer.height;
    cg::DataProviderRef provider;
    // Ownership of the memory passes to the image only once it exists; a refused buffer stays the caller's.
    struct Handover {
        void (*cleanup)(void*, void*);
        void* userData;
        bool armed;
    };
    Handover* handover = nullptr;
    if (flags & NoAllocate) {
        handover = new Handover{cleanup, userData, false};
        provider = cg::DataProvider::CreateWithData(handover, buffer.data, size, [](void* info, const void* data, size_t) {
            auto* h = static_cast<Handover*>(info);
            if (h->armed) {
                if (h->cleanup) h->cleanup(h->userData, const_cast<void*>(data));
                else std::free(const_cast<void*>(data));
            }
            delete h;
        });
    } else {
        provider = cg::DataProvider::CreateWithCopy(buffer.data, size);
    }
    auto image = cg::Image::Create(buffer.width, buffer.height, format.bitsPerComponent, format.bitsPerPixel,
                                   buffer.rowBytes, space, format.bitmapInfo, provider);
    if (!image) return fail(InvalidParameter);
    if (handover) handover->armed = true;
    if (error) *error = NoError;
    return image;
}

// --- Conversion -----------------------------------------------------------------------------

std::shared_ptr<Converter> Converter::CreateWithCGImageFormat(const CGImageFormat& src, const CGImageFormat& dst,
                                                              const double* background, Flags flags, Error* error) {
    auto fail = [&](Error e) -> std::shared_ptr<Converter> {
        if (error) *error = e;
        return nullptr;
    };
    if (!converterAvailable()) return fail(UnsupportedConversion);
    auto s = layoutOf(src), d = layoutOf(dst);
    if (!s || !d) return fail(InvalidImageFormat);
    auto c = std::make_shared<Converter>();
    c->source = *s;
    c->destination = *d;
    if (background) {
        c->hasBackground = true;
        std::copy(background, background + 3, c->background);
    }
    if (error) *error = NoError;
    return c;
}

Error ConvertAnyToAny(const Converter& converter, const Buffer* src, const Buffer* dst, void* temp, Flags flags) {
    if (!src || !dst || !src->data || !dst->data) return NullPointerArgument;
    if (!sameSize(src, dst)) return BufferSizeMismatch;
    const cg::PixelLayout &sl = converter.source, &dl = converter.destination;
    if (src->rowBytes < src->width * size_t(sl.bytesPerPixel) || dst->rowBytes < dst->width * size_t(dl.bytesPerPixel))
        return InvalidRowBytes;
    if (src->data == dst->data && sl.bytesPerPixel != dl.bytesPerPixel) return OutOfPlaceOperationRequired;
    cg::ConvertPixels(static_cast<const uint8_t*>(src->data), src->rowBytes, sl, static_cast<uint8_t*>(dst->data),
                      dst->rowBytes, dl, src->width, src->height,
                      converter.hasBackground ? converter.background : nullptr);
    return NoError;
}

Error UnpremultiplyDataRGBA8888(const Buffer* src, const Buffer* dst, Flags) { return premultiplyLoop(src, dst, 3, false); }
Error UnpremultiplyDataARGB8888(const Buffer* src, const Buffer* dst, Flags) { return premultiplyLoop(src, dst, 0, false); }
Error PremultiplyDataRGBA8888(const Buffer* src, const Buffer* dst, Flags) { return premultiplyLoop(src, dst, 3, true); }
Error PremultiplyDataARGB8888(const Buffer* src, const Buffer* dst, Flags) { return premultiplyLoop(src, dst, 0, true); }

// --- Affine warp ----------------------------------------------------------------------------

Error AffineWarpARGB8888(const Buffer* src, const Buffer* dst, void* temp, const cg::AffineTransform& transform,
                         const uint8_t background[4], Flags flags) {
    if (Error e = check4(src, dst)) return e;
    if (src->data == dst->data) return OutOfPlaceOperationRequired;
    bool edge = flags & EdgeExtend, fill = flags & BackgroundColorFill;
    if (edge == fill) return InvalidEdgeStyle;
    const uint8_t zero[4] = {0, 0, 0, 0};
    const uint8_t* bg = background ? background : zero;
    double det = transform.a * transform.d - transform.b * transform.c;
    if (!(std::isfinite(det) && det != 0)) return InvalidParameter;
    cg::AffineTransform inv = cg::AffineTransformInvert(transform);
    const long sw = long(src->width), sh = long(src->height);

    auto fetch = [&](long x, long y) -> const uint8_t* {
        if (x < 0 || y < 0 || x >= sw || y >= sh) {
            if (!edge) return bg;
            x = std::clamp(x, 0L, sw - 1);
            y = std::clamp(y, 0L, sh - 1);
        }
        return row(src, size_t(y)) + size_t(x) * 4;
    };
    auto snap = [](double v) {
        double r = std::round(v);
        return std::fabs(v - r) < 1e-6 ? r : v;
    };

    for (size_t yd = 0; yd < dst->height; ++yd) {
        uint8_t* out = row(dst, yd);
        // Destination pixel centre in y-up coordinates.
        double Y = double(dst->height) - double(yd) - 0.5;
        for (size_t xd = 0; xd < dst->width; ++xd, out += 4) {
            cg::Point s = cg::PointApplyAffineTransform({double(xd) + 0.5, Y}, inv);
            // Source position in pixel indices: column from the left, row from the top.
            double fx = snap(s.x - 0.5), fy = snap(double(sh) - s.y - 0.5);
            if (!std::isfinite(fx) || !std::isfinite(fy) || std::fabs(fx) > 1e9 || std::fabs(fy) > 1e9) {
                std::memcpy(out, bg, 4);
                continue;
            }
            double x0 = std::floor(fx), y0 = std::floor(fy);
            double wx = fx - x0, wy = fy - y0;
            long ix = long(x0), iy = long(y0);
            if (wx == 0 && wy == 0) {
                std::memcpy(out, fetch(ix, iy), 4);
                continue;
            }
            const uint8_t* p00 = fetch(ix, iy);
            const uint8_t* p10 = fetch(ix + 1, iy);
            const uint8_t* p01 = fetch(ix, iy + 1);
            const uint8_t* p11 = fetch(ix + 1, iy + 1);
            for (int c = 0; c < 4; ++c) {
                double top = p00[c] + (p10[c] - p00[c]) * wx;
                double bottom = p01[c] + (p11[c] - p01[c]) * wx;
                out[c] = clampByte(std::lround(top + (bottom - top) * wy));
            }
        }
    }
    return NoError;
}

// --- Box convolve ---------------------------------------------------------------------------

Error BoxConvolveARGB8888(const Buffer* src, const Buffer* dst, void* temp, size_t roiX, size_t roiY,
                          uint32_t kernelHeight, uint32_t kernelWidth, const uint8_t* background, Flags flags) {
    if (kernelHeight == 0 || kernelWidth == 0 || kernelHeight % 2 == 0 || kernelWidth % 2 == 0)
        return InvalidKernelSize;
    bool edge = flags & EdgeExtend, fill = flags & BackgroundColorFill;
    if (edge == fill) return InvalidEdgeStyle;
    if (!dst) return NullPointerArgument;
    // Horizontal sums of every source row the destination needs, one 32-bit sum per channel.
    size_t rows = dst->height + kernelHeight - 1;
    size_t needed = 0;
    if (__builtin_mul_overflow(rows, dst->width * 4 * sizeof(uint32_t), &needed)) return MemoryAllocationError;
    if (flags & GetTempBufferSize) return Error(std::max<size_t>(needed, 1));
    if (Error e = check4(src, dst)) return e;
    if (src->data == dst->data) return OutOfPlaceOperationRequired;
    if (roiX + dst->width > src->width || roiY + dst->height > src->height) return RoiLargerThanInputBuffer;
    const uint8_t zero[4] = {0, 0, 0, 0};
    const uint8_t* bg = background ? background : zero;

    std::vector<uint32_t> own;
    uint32_t* sums = static_cast<uint32_t*>(temp);
    if (!sums) {
        own.resize(needed / sizeof(uint32_t));
        sums = own.data();
    }
    const long sw = long(src->width), sh = long(src->height);
    const long hw = long(kernelWidth / 2), hh = long(kernelHeight / 2);
    const size_t w = dst->width;

    for (size_t r = 0; r < rows; ++r) {
        long sy = long(roiY) + long(r) - hh;
        uint32_t* out = sums + r * w * 4;
        if (!edge && (sy < 0 || sy >= sh)) {
            for (size_t x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) out[x * 4 + c] = bg[c] * kernelWidth;
            continue;
        }
        const uint8_t* line = row(src, size_t(std::clamp(sy, 0L, sh - 1)));
        auto px = [&](long x) -> const uint8_t* {
            if (x < 0 || x >= sw) {
                if (!edge) return bg;
                x = std::clamp(x, 0L, sw - 1);
            }
            return line + size_t(x) * 4;
        };
        uint32_t acc[4] = {0, 0, 0, 0};
        for (long i = -hw; i <= hw; ++i)
            for (int c = 0; c < 4; ++c) acc[c] += px(long(roiX) + i)[c];
        for (size_t x = 0; x < w; ++x) {
            std::memcpy(out + x * 4, acc, sizeof acc);
            long leaving = long(roiX) + long(x) - hw, entering = long(roiX) + long(x) + hw + 1;
            for (int c = 0; c < 4; ++c) acc[c] += px(entering)[c] - px(leaving)[c];
        }
    }

    const uint64_t n = uint64_t(kernelWidth) * kernelHeight;
    std::vector<uint64_t> acc(w * 4, 0);
    for (size_t r = 0; r < kernelHeight; ++r)
        for (size_t i = 0; i < w * 4; ++i) acc[i] += sums[r * w * 4 + i];
    for (size_t y = 0; y < dst->height; ++y) {
        uint8_t* out = row(dst, y);
        for (size_t i = 0; i < w * 4; ++i) out[i] = uint8_t((acc[i] + n / 2) / n);
        if (y + 1 == dst->height) break;
        const uint32_t* leaving = sums + y * w * 4;
        const uint32_t* entering = sums + (y + kernelHeight) * w * 4;
        for (size_t i = 0; i < w * 4; ++i) acc[i] += uint64_t(entering[i]) - leaving[i];
    }
    return NoError;
}

// --- Colour matrix --------------------------------------------------------------------------

Error MatrixMultiplyARGB8888(const Buffer* src, const Buffer* dst, const int16_t matrix[16], int32_t divisor,
                             const int16_t* preBias, const int32_t* postBias, Flags flags) {
    if (Error e = check4(src, dst)) return e;
    if (!matrix) return NullPointerArgument;
    if (!sameSize(src, dst)) return BufferSizeMismatch;
    if (divisor == 0) return InvalidParameter;
    long long div = divisor;
    for (size_t y = 0; y < src->height; ++y) {
        const uint8_t* s = row(src, y);
        uint8_t* d = row(dst, y);
        for (size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
            long long in[4];
            for (int i = 0; i < 4; ++i) in[i] = s[i] + (preBias ? preBias[i] : 0);
            uint8_t px[4];
            for (int j = 0; j < 4; ++j) {
                long long sum = postBias ? postBias[j] : 0;
                for (int i = 0; i < 4; ++i) sum += in[i] * matrix[i * 4 + j];
                px[j] = clampByte(div > 0 ? roundDiv(sum, div) : roundDiv(-sum, -div));
            }
            std::memcpy(d, px, 4);
        }
    }
    return NoError;
}

// --- Reflections ----------------------------------------------------------------------------

Error VerticalReflectARGB8888(const Buffer* src, const Buffer* dst, Flags) {
    if (Error e = check4(src, dst)) return e;
    if (!sameSize(src, dst)) return BufferSizeMismatch;
    size_t n = src->width * 4, h = src->height;
    std::vector<uint8_t> tmp(n);
    for (size_t y = 0; y < (h + 1) / 2; ++y) {
        uint8_t* top = row(src, y);
        uint8_t* bottom = row(src, h - 1 - y);
        std::memcpy(tmp.data(), top, n);
        std::memcpy(row(dst, y), bottom, n);
        std::memcpy(row(dst, h - 1 - y), tmp.data(), n);
    }
    return NoError;
}

Error HorizontalReflectARGB8888(const Buffer* src, const Buffer* dst, Flags) {
    if (Error e = check4(src, dst)) return e;
    if (!sameSize(src, dst)) return BufferSizeMismatch;
    size_t w = src->width;
    for (size_t y = 0; y < src->height; ++y) {
        uint8_t* s = row(src, y);
        uint8_t* d = row(dst, y);
        for (size_t x = 0; x < (w + 1) / 2; ++x) {
            uint8_t left[4], right[4];
            std::memcpy(left, s + x * 4, 4);
            std::memcpy(right, s + (w - 1 - x) * 4, 4);
            std::memcpy(d + x * 4, right, 4);
            std::memcpy(d + (w - 1 - x) * 4, left, 4);
        }
    }
    return NoError;
}

} // namespace vimage
