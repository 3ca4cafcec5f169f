#pragma once
// Real image bytes made by the tests with the codec libraries (PNG, animated PNG, JPEG, GIF) and
// through the image destination (BMP, ICO), plus pixel access.

#include "os/foundation/Data.h"
#include "os/graphics/Image.h"

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
Pixels solid(Rgba colour);
// Distinct colours per pixel (opaque).
Rgba distinct(uint32_t x, uint32_t y);

// Non-premultiplied RGBA (alpha info 3), or RGBX (5) when opaque.
cg::ImageRef makeImage(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha = true);
// Pixel (x, y counted from the top row) as non-premultiplied RGBA, whatever the format.
Rgba pixelAt(const cg::ImageRef& image, uint32_t x, uint32_t y);

ns::DataRef dataOf(const std::vector<uint8_t>& bytes, size_t length = SIZE_MAX);

std::vector<uint8_t> png(uint32_t width, uint32_t height, const Pixels& pixels, bool alpha = true,
                         bool interlaced = false);
std::vector<uint8_t> jpeg(uint32_t width, uint32_t height, const Pixels& pixels, bool progressive = false,
                          int exifOrientation = 0);

struct GifFrame {
    int width = 0, height = 0;
    int delay = 10; // centiseconds
    uint8_t index = 0; // palette index filling the frame
};
// Palette: 0 red, 1 green, 2 blue, 3 white.
std::vector<uint8_t> gif(int width, int height, const std::vector<GifFrame>& frames, std::optional<int> loopCount);

struct ApngFrame {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    uint16_t delayNumerator = 1, delayDenominator = 10;
    uint8_t dispose = 0, blend = 0;
    Pixels pixels; // in frame coordinates
};
struct ApngOptions {
    bool firstFrameIsDefault = true;
    Pixels defaultImage; // canvas-size picture when the first frame is not the default image
    std::optional<uint32_t> acTLFrameCount;
    uint32_t loops = 0;
};
std::vector<uint8_t> apng(uint32_t width, uint32_t height, const std::vector<ApngFrame>& frames,
                          const ApngOptions& options = {});

// Through the image destination.
std::vector<uint8_t> encoded(const cg::ImageRef& image, const char* uti);

} // namespace imagebytes
