#pragma once
// The image kit's test pictures on top of the shared image bytes: plain colours, solid-frame GIFs
// and animated PNGs.

#include "image/VXImageDecoder.h"
#include "tests/support/ImageBytes.h"

#include <optional>
#include <vector>

namespace imagebytes {

inline const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

Pixels solid(Rgba colour);
// Distinct colours per pixel (opaque).
Rgba distinct(uint32_t x, uint32_t y);

struct SolidGifFrame {
    int width = 0, height = 0;
    int delay = 10; // centiseconds
    uint8_t index = 0; // palette index filling the frame
};
// Palette: 0 red, 1 green, 2 blue, 3 white.
std::vector<uint8_t> gif(int width, int height, const std::vector<SolidGifFrame>& frames, std::optional<int> loopCount);

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

// A decoder's frame as pixels: on the canvas for display, or as decoded.
inline cg::ImageRef frameImage(const ns::Ref<VXImageDecoder>& decoder, size_t index, bool display = true) {
    auto frame = decoder->frameAtIndex(index, display);
    return frame && frame->image ? frame->image->CGImage() : nullptr;
}

} // namespace imagebytes
