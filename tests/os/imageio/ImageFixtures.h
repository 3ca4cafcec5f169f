#pragma once
// The image I/O tests' pictures and byte helpers, on top of the shared image bytes.

#include "tests/support/ImageBytes.h"

#include <initializer_list>

namespace fixtures {

using imagebytes::dataOf;
using imagebytes::encode;
using imagebytes::GifFrame;
using imagebytes::makeImage;
using imagebytes::near;
using imagebytes::pixelAt;
using imagebytes::Rgba;
using PixelFunction = imagebytes::Pixels;

// Distinct, smooth colours: x and y in red and green.
Rgba gradient(uint32_t x, uint32_t y);

// Straight from the libraries.
inline std::vector<uint8_t> pngBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool interlaced,
                                     bool alpha, int compressionLevel = -1) {
    return imagebytes::png(width, height, pixel, alpha, interlaced, compressionLevel);
}
inline std::vector<uint8_t> jpegBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool progressive,
                                      int orientation = 0, bool bigEndianExif = false) {
    return imagebytes::jpeg(width, height, pixel, progressive, orientation, bigEndianExif, 90);
}
// With a full 256-entry colour table.
std::vector<uint8_t> gifBytes(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                              const std::vector<GifFrame>& frames, std::optional<int> loopCount);

// Offset of the n-th occurrence (0-based) of the marker bytes, SIZE_MAX when absent.
size_t find(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> marker, int occurrence = 0);

} // namespace fixtures
