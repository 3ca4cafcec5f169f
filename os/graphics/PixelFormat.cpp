#include "os/graphics/PixelFormat.h"

#include <pixman.h>

#include <bit>
#include <cstring>

// Asks gcc to vectorise the per-pixel loops below; clang vectorises at -O2 anyway and has no such
// attribute.
#if defined(__clang__)
#define VX_VECTORIZE
#else
#define VX_VECTORIZE [[gnu::optimize("tree-vectorize")]]
#endif

namespace cg {

static_assert(std::endian::native == std::endian::little, "pixel layouts assume a little-endian host");

std::optional<PixelLayout> DescribeFormat(size_t bitsPerComponent, size_t bitsPerPixel, uint32_t bitmapInfo) {
    if (bitsPerComponent != 8) return std::nullopt;
    if (bitmapInfo & ~(kBitmapAlphaInfoMask | kBitmapByteOrderMask)) return std::nullopt;
    ImageAlphaInfo alpha = AlphaInfoOf(bitmapInfo);
    uint32_t order = bitmapInfo & kBitmapByteOrderMask;
    PixelLayout l;
    if (bitsPerPixel == 8) {
        if (alpha != ImageAlphaNone || order != kBitmapByteOrderDefault) return std::nullopt;
        l.bytesPerPixel = 1;
        l.gray = true;
        return l;
    }
    if (bitsPerPixel == 24) {
        if (alpha != ImageAlphaNone || order != kBitmapByteOrderDefault) return std::nullopt;
        l.bytesPerPixel = 3;
        l.r = 0, l.g = 1, l.b = 2;
        return l;
    }
    if (bitsPerPixel != 32 || alpha < ImageAlphaPremultipliedLast || alpha > ImageAlphaNoneSkipFirst) return std::nullopt;
    if (order != kBitmapByteOrderDefault && order != kBitmapByteOrder32Little && order != kBitmapByteOrder32Big)
        return std::nullopt;
    bool first = alpha == ImageAlphaPremultipliedFirst || alpha == ImageAlphaFirst || alpha == ImageAlphaNoneSkipFirst;
    // Positions in the 32-bit word read big-endian (default order), then mirrored for little.
    int pa = first ? 0 : 3, pr = first ? 1 : 0, pg = first ? 2 : 1, pb = first ? 3 : 2;
    if (order == kBitmapByteOrder32Little) pa = 3 - pa, pr = 3 - pr, pg = 3 - pg, pb = 3 - pb;
    l.r = pr, l.g = pg, l.b = pb;
    l.a = AlphaInfoHasAlpha(alpha) ? pa : -1;
    l.premultiplied = alpha == ImageAlphaPremultipliedLast || alpha == ImageAlphaPremultipliedFirst;
    return l;
}

namespace {

// Pixman's name for a 4-byte layout (premultiplied or opaque only), 0 when it has none.
pixman_format_code_t pixmanFormat(const PixelLayout& l) {
    if (l.bytesPerPixel != 4 || l.gray || (l.a >= 0 && !l.premultiplied)) return pixman_format_code_t(0);
    char word[5] = "xxxx"; // most significant byte first = highest memory offset first
    word[3 - l.r] = 'r';
    word[3 - l.g] = 'g';
    word[3 - l.b] = 'b';
    if (l.a >= 0) word[3 - l.a] = 'a';
    struct Entry { const char* name; pixman_format_code_t code; };
    static const Entry table[] = {
        {"argb", PIXMAN_a8r8g8b8}, {"xrgb", PIXMAN_x8r8g8b8}, {"abgr", PIXMAN_a8b8g8r8}, {"xbgr", PIXMAN_x8b8g8r8},
        {"bgra", PIXMAN_b8g8r8a8}, {"bgrx", PIXMAN_b8g8r8x8}, {"rgba", PIXMAN_r8g8b8a8}, {"rgbx", PIXMAN_r8g8b8x8},
    };
    for (const Entry& e : table)
        if (std::memcmp(e.name, word, 4) == 0) return e.code;
    return pixman_format_code_t(0);
}

bool pixmanConvert(const uint8_t* src, size_t srcRowBytes, const PixelLayout& sl, uint8_t* dst, size_t dstRowBytes,
                   const PixelLayout& dl, size_t width, size_t height) {
    pixman_format_code_t sf = pixmanFormat(sl), df = pixmanFormat(dl);
    if (!sf || !df || src == dst) return false;
    auto aligned = [](const void* p, size_t rowBytes) {
        return reinterpret_cast<uintptr_t>(p) % 4 == 0 && rowBytes % 4 == 0 && rowBytes < (1u << 30);
    };
    if (!aligned(src, srcRowBytes) || !aligned(dst, dstRowBytes) || width > 32767 || height > 32767) return false;
    pixman_image_t* s = pixman_image_create_bits(sf, int(width), int(height),
                                                 reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(src)), int(srcRowBytes));
    pixman_image_t* d = pixman_image_create_bits(df, int(width), int(height), reinterpret_cast<uint32_t*>(dst),
                                                 int(dstRowBytes));
    bool ok = s && d;
    if (ok) pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, int(width), int(height));
    if (s) pixman_image_unref(s);
    if (d) pixman_image_unref(d);
    return ok;
}

// R,G,B,A to premultiplied B,G,R,A, a whole 32-bit pixel at a time: red and blue are multiplied
// together in two 16-bit lanes (each product + 127 stays below 65536, and so does the rounding
// step), green on its own; x / 255 is (x + 1 + (x >> 8)) >> 8 for every x below 65536. In place
// too (src == dst).
VX_VECTORIZE void premultiplyToDisplayRows(const uint8_t* src, size_t srcRowBytes, uint8_t* dst, size_t dstRowBytes,
                                           size_t width, size_t height) {
    for (size_t y = 0; y < height; ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(src + y * srcRowBytes);
        auto* d = reinterpret_cast<uint32_t*>(dst + y * dstRowBytes);
        for (size_t x = 0; x < width; ++x) {
            const uint32_t p = s[x]; // 0xAABBGGRR
            const uint32_t a = p >> 24;
            uint32_t rb = (p & 0x00FF00FFu) * a + 0x007F007Fu;
            rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
            uint32_t g = ((p >> 8) & 0xFFu) * a + 127u;
            g = (g + 1u + (g >> 8)) >> 8;
            d[x] = a << 24 | (rb & 0xFFu) << 16 | g << 8 | rb >> 16; // 0xAARRGGBB
        }
    }
}

bool premultiplyConvert(const uint8_t* src, size_t srcRowBytes, const PixelLayout& sl, uint8_t* dst, size_t dstRowBytes,
                        const PixelLayout& dl, size_t width, size_t height) {
    if (sl.bytesPerPixel != 4 || dl.bytesPerPixel != 4 || sl.gray || dl.gray || sl.a < 0 || dl.a < 0 ||
        sl.premultiplied || !dl.premultiplied)
        return false;
    if (sl.r == 0 && sl.g == 1 && sl.b == 2 && sl.a == 3 && dl.b == 0 && dl.g == 1 && dl.r == 2 && dl.a == 3 &&
        reinterpret_cast<uintptr_t>(src) % 4 == 0 && reinterpret_cast<uintptr_t>(dst) % 4 == 0 && srcRowBytes % 4 == 0 &&
        dstRowBytes % 4 == 0) {
        premultiplyToDisplayRows(src, srcRowBytes, dst, dstRowBytes, width, height);
        return true;
    }
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* s = src + y * srcRowBytes;
        uint8_t* d = dst + y * dstRowBytes;
        for (size_t x = 0; x < width; ++x, s += 4, d += 4) {
            const uint8_t a = s[sl.a];
            const uint8_t r = Premultiply8(s[sl.r], a), g = Premultiply8(s[sl.g], a), b = Premultiply8(s[sl.b], a);
            d[dl.r] = r, d[dl.g] = g, d[dl.b] = b, d[dl.a] = a;
        }
    }
    return true;
}

// Opaque R,G,B,x to opaque B,G,R,x (pixman does it between two buffers, not in place).
VX_VECTORIZE void swapOpaqueRows(const uint8_t* src, size_t srcRowBytes, uint8_t* dst, size_t dstRowBytes,
                                 size_t width, size_t height) {
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* s = src + y * srcRowBytes;
        uint8_t* d = dst + y * dstRowBytes;
        for (size_t x = 0; x < width * 4; x += 4) {
            const uint8_t r = s[x], g = s[x + 1], b = s[x + 2];
            d[x] = b, d[x + 1] = g, d[x + 2] = r, d[x + 3] = 0xFF;
        }
    }
}

} // namespace

void ConvertPixels(const uint8_t* src, size_t srcRowBytes, const PixelLayout& sl, uint8_t* dst, size_t dstRowBytes,
                   const PixelLayout& dl, size_t width, size_t height, const double* background) {
    if (width == 0 || height == 0) return;
    bool srcAlpha = sl.a >= 0, dstAlpha = dl.a >= 0;
    bool sameLayout = sl == dl || (!srcAlpha && !dstAlpha && sl.bytesPerPixel == dl.bytesPerPixel && sl.r == dl.r &&
                                   sl.g == dl.g && sl.b == dl.b && sl.gray == dl.gray);
    if (sameLayout) {
        if (src == dst && srcRowBytes == dstRowBytes) return;
        for (size_t y = 0; y < height; ++y)
            std::memmove(dst + y * dstRowBytes, src + y * srcRowBytes, width * size_t(sl.bytesPerPixel));
        return;
    }
    if (!(srcAlpha && !dstAlpha && background) && pixmanConvert(src, srcRowBytes, sl, dst, dstRowBytes, dl, width, height))
        return;
    if (premultiplyConvert(src, srcRowBytes, sl, dst, dstRowBytes, dl, width, height)) return;
    if (sl.bytesPerPixel == 4 && dl.bytesPerPixel == 4 && !sl.gray && !dl.gray && !srcAlpha && !dstAlpha && sl.r == 0 &&
        sl.g == 1 && sl.b == 2 && dl.b == 0 && dl.g == 1 && dl.r == 2) {
        swapOpaqueRows(src, srcRowBytes, dst, dstRowBytes, width, height);
        return;
    }

    unsigned bg[3] = {0, 0, 0};
    if (background)
        for (int i = 0; i < 3; ++i) {
            double v = background[i] < 0 ? 0 : background[i] > 1 ? 1 : background[i];
            bg[i] = unsigned(v * 255 + 0.5);
        }
    int dstSkip = (dl.bytesPerPixel == 4 && !dstAlpha) ? 6 - dl.r - dl.g - dl.b : -1;
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* s = src + y * srcRowBytes;
        uint8_t* d = dst + y * dstRowBytes;
        for (size_t x = 0; x < width; ++x, s += sl.bytesPerPixel, d += dl.bytesPerPixel) {
            uint8_t c[3], a = 255;
            if (sl.gray) c[0] = c[1] = c[2] = s[0];
            else c[0] = s[sl.r], c[1] = s[sl.g], c[2] = s[sl.b];
            if (srcAlpha) a = s[sl.a];
            if (srcAlpha && dstAlpha && sl.premultiplied != dl.premultiplied) {
                for (uint8_t& v : c) v = dl.premultiplied ? Premultiply8(v, a) : Unpremultiply8(v, a);
            } else if (srcAlpha && !dstAlpha) {
                for (int i = 0; i < 3; ++i) {
                    unsigned p = sl.premultiplied ? c[i] : Premultiply8(c[i], a);
                    unsigned v = p + (bg[i] * (255u - a) + 127) / 255;
                    c[i] = uint8_t(v > 255 ? 255 : v);
                }
                a = 255;
            }
            if (dl.gray) {
                d[0] = uint8_t((299u * c[0] + 587u * c[1] + 114u * c[2] + 500) / 1000);
                continue;
            }
            d[dl.r] = c[0], d[dl.g] = c[1], d[dl.b] = c[2];
            if (dstAlpha) d[dl.a] = a;
            else if (dstSkip >= 0) d[dstSkip] = 0xFF;
        }
    }
}

} // namespace cg
