#pragma once
// Real image bytes made in the tests with the codec libraries themselves, and pixel access helpers.

#include "os/foundation/Data.h"
#include "os/graphics/Image.h"
#include "os/imageio/ImageProperties.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace fixtures {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgba& p);
bool near(const Rgba& a, const Rgba& b, int tolerance);

using PixelFunction = std::function<Rgba(uint32_t x, uint32_t y)>;
// Distinct, smooth colours: x and y in red and green.
Rgba gradient(uint32_t x, uint32_t y);

// An image in non-premultiplied RGBA (alpha info 3), or RGBX (5) when opaque.
cg::ImageRef makeImage(uint32_t width, uint32_t height, const PixelFunction& pixel, bool alpha);
// Pixel of any image, as non-premultiplied RGBA.
Rgba pixelAt(const cg::ImageRef& image, uint32_t x, uint32_t y);

ns::DataRef dataOf(const std::vector<uint8_t>& bytes, size_t length = SIZE_MAX);

// Through the destination under test.
ns::DataRef encode(const cg::ImageRef& image, const char* type, const imageio::Properties& frame = {});

// Straight from the libraries.
std::vector<uint8_t> pngBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool interlaced,
                              bool alpha, int compressionLevel = -1);
std::vector<uint8_t> jpegBytes(uint32_t width, uint32_t height, const PixelFunction& pixel, bool progressive,
                               int orientation = 0, bool bigEndianExif = false);

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    int disposal = 0;
    int delay = 0;            // centiseconds
    int transparent = -1;     // palette index, -1 for none
    std::vector<uint8_t> indices;
};
std::vector<uint8_t> gifBytes(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                              const std::vector<GifFrame>& frames, std::optional<int> loopCount);

// Offset of the n-th occurrence (0-based) of the marker bytes, SIZE_MAX when absent.
size_t find(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> marker, int occurrence = 0);

} // namespace fixtures
