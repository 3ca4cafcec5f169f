#include "ImageFixtures.h"

#include <algorithm>

namespace fixtures {

Rgba gradient(uint32_t x, uint32_t y) {
    return {uint8_t(x * 255 / 63), uint8_t(y * 255 / 63), uint8_t((x + y) * 2), 255};
}

std::vector<uint8_t> gifBytes(int width, int height, const std::vector<std::array<uint8_t, 3>>& palette,
                              const std::vector<GifFrame>& frames, std::optional<int> loopCount) {
    std::vector<std::array<uint8_t, 3>> full = palette;
    full.resize(std::max<size_t>(palette.size(), 256));
    return imagebytes::gif(width, height, full, frames, loopCount);
}

size_t find(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> marker, int occurrence) {
    const std::vector<uint8_t> m(marker);
    for (size_t i = 0; i + m.size() <= bytes.size(); ++i)
        if (std::equal(m.begin(), m.end(), bytes.begin() + ptrdiff_t(i)) && occurrence-- == 0) return i;
    return SIZE_MAX;
}

} // namespace fixtures
