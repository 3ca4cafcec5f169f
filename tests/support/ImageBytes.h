#pragma once
// Real image bytes made with the codec libraries themselves (PNG, JPEG, GIF) and through the image
// destination, plus pixel access, for the tests of the image layers and their benchmarks.

#include "os/foundation/Data.h"
#include "os/graphics/Image.h"
#include "os/imageio/ImageProperties.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

namespace imagebytes {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgba& p);
bool near(const Rgba& a, const Rgba& b, int tolerance = 1);

using Pixels = std::function<Rgba(uint32_t x, uint32_t y)>;

// Non-premultiplied RGBA (alpha info 3), or RGBX (5) when opaque.
cg::ImageRef makeImage(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha = true);
// Pixel (x, y counted from the top row) as non-premultiplied RGBA, whatever the format.
Rgba pixelAt(const cg::ImageRef& image, uint32_t x, uint32_t y);

ns::DataRef dataOf(const std::vector<uint8_t>& bytes, size_t length = SIZE_MAX);

// Through the image destination; null when it refuses the image.
ns::DataRef encode(const cg::ImageRef& image, const char* type, const imageio::Properties& frame = {});

// Straight from the libraries.
std::vector<uint8_t> png(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha = true,
                         bool interlaced = false, int compressionLevel = -1);
// With an Exif orientation when it is not 0 (behind an image description entry).
std::vector<uint8_t> jpeg(uint32_t width, uint32_t height, const Pixels& pixels, bool progressive = false,
                          int exifOrientation = 0, bool bigEndianExif = true, int quality = 95);

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    int disposal = 0;
    int delay = 0;        // centiseconds
    int transparent = -1; // palette index, -1 for none
    std::vector<uint8_t> indices;
};
// The global colour table is the palette, padded to a power of two.
std::vector<uint8_t> gif(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                         const std::vector<GifFrame>& frames, std::optional<int> loopCount);

} // namespace imagebytes
