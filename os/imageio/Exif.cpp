// The one EXIF field the platform reads: IFD0's Orientation tag (0x0112).

#include "os/imageio/Codec.h"

namespace imageio::detail {

int exifOrientation(Bytes app1) {
    static constexpr uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < 6 + 8 || std::memcmp(app1.data(), kExif, 6) != 0) return 0;
    const Bytes tiff = app1.subspan(6);
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M') little = false;
    else return 0;
    auto u16 = [&](size_t at) { return little ? le16(&tiff[at]) : be16(&tiff[at]); };
    auto u32 = [&](size_t at) { return little ? le32(&tiff[at]) : be32(&tiff[at]); };
    if (u16(2) != 42) return 0;

    const size_t ifd = u32(4);
    if (ifd > tiff.size() || tiff.size() - ifd < 2) return 0;
    const size_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + i * 12;
        if (entry + 12 > tiff.size()) return 0;
        if (u16(entry) != 0x0112) continue;
        // SHORT, one value, stored in the first two bytes of the value field.
        if (u16(entry + 2) != 3 || u32(entry + 4) != 1) return 0;
        const int value = u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 0;
    }
    return 0;
}

} // namespace imageio::detail
