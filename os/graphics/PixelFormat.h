#pragma once
// Bitmap-info constants and the memory layout they stand for, plus the one pixel converter that
// contexts, images and vimage share. Host is little-endian (x86-64, arm64).

#include <cstddef>
#include <cstdint>
#include <optional>

namespace cg {

enum ImageAlphaInfo : uint32_t {
    ImageAlphaNone = 0,
    ImageAlphaPremultipliedLast = 1,
    ImageAlphaPremultipliedFirst = 2,
    ImageAlphaLast = 3,
    ImageAlphaFirst = 4,
    ImageAlphaNoneSkipLast = 5,
    ImageAlphaNoneSkipFirst = 6,
    ImageAlphaOnly = 7,
};

inline constexpr uint32_t kBitmapAlphaInfoMask = 0x1F;
inline constexpr uint32_t kBitmapByteOrderMask = 0x7000;
inline constexpr uint32_t kBitmapByteOrderDefault = 0;
inline constexpr uint32_t kBitmapByteOrder32Little = 0x2000;
inline constexpr uint32_t kBitmapByteOrder32Big = 0x4000;
// The display formats: B,G,R,A (premultiplied) and B,G,R,x in memory.
inline constexpr uint32_t kBitmapDisplayAlpha = kBitmapByteOrder32Little | ImageAlphaPremultipliedFirst;  // 0x2002
inline constexpr uint32_t kBitmapDisplayOpaque = kBitmapByteOrder32Little | ImageAlphaNoneSkipFirst;     // 0x2006

inline constexpr ImageAlphaInfo AlphaInfoOf(uint32_t bitmapInfo) {
    return static_cast<ImageAlphaInfo>(bitmapInfo & kBitmapAlphaInfoMask);
}
// Alpha info 1-4: the pixels carry alpha.
inline constexpr bool AlphaInfoHasAlpha(ImageAlphaInfo a) { return a >= ImageAlphaPremultipliedLast && a <= ImageAlphaFirst; }

// Where each channel sits inside one pixel, in memory order.
struct PixelLayout {
    int bytesPerPixel = 4;       // 4 (RGB + alpha or skip byte), 3 (RGB) or 1 (grey)
    int r = 0, g = 0, b = 0;     // byte offsets; grey uses r only
    int a = -1;                  // -1: no alpha (opaque)
    bool gray = false;
    bool premultiplied = false;  // only meaningful with alpha
    bool operator==(const PixelLayout&) const = default;
};

// The layout of an 8-bits-per-component format, or none when it is not one we store:
// 32 bpp RGB with alpha info 1-6 in byte order default, 32-bit little or 32-bit big;
// 24 bpp RGB without alpha; 8 bpp grey without alpha.
std::optional<PixelLayout> DescribeFormat(size_t bitsPerComponent, size_t bitsPerPixel, uint32_t bitmapInfo);

// Converts a w×h block between layouts, in place when src == dst with the same row bytes. Alpha is premultiplied or divided out as the layouts ask;
// dropping alpha composites over the background colour (r, g, b in 0..1; black when null);
// grey output is the luma (0.299, 0.587, 0.114). Rows may overlap only when src == dst.
void ConvertPixels(const uint8_t* src, size_t srcRowBytes, const PixelLayout& srcLayout,
                   uint8_t* dst, size_t dstRowBytes, const PixelLayout& dstLayout,
                   size_t width, size_t height, const double* background = nullptr);

// 8-bit premultiply and its inverse with rounding: c·a/255 and min(255, c·255/a), 0 when a = 0.
inline uint8_t Premultiply8(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }
inline uint8_t Unpremultiply8(uint8_t c, uint8_t a) {
    if (a == 0) return 0;
    unsigned v = (c * 255u + a / 2u) / a;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

} // namespace cg
