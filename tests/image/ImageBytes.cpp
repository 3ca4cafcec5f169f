#include "ImageBytes.h"

#include <zlib.h>

#include <cstring>

namespace imagebytes {

Pixels solid(Rgba colour) {
    return [colour](uint32_t, uint32_t) { return colour; };
}

Rgba distinct(uint32_t x, uint32_t y) { return {uint8_t(40 + x * 50), uint8_t(40 + y * 50), uint8_t(200 - x * 20), 255}; }

std::vector<uint8_t> gif(int width, int height, const std::vector<SolidGifFrame>& frames, std::optional<int> loopCount) {
    std::vector<GifFrame> full;
    for (const SolidGifFrame& f : frames)
        full.push_back({0, 0, f.width, f.height, 0, f.delay, -1, std::vector<uint8_t>(size_t(f.width) * f.height, f.index)});
    return gif(width, height, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}, full, loopCount);
}

namespace {

void be32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    be32(out, uint32_t(data.size()));
    const size_t at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    be32(out, uint32_t(crc32(0, out.data() + at, uInt(data.size() + 4))));
}

// The payloads of the IDAT chunks of a PNG.
std::vector<std::vector<uint8_t>> idatPayloads(const std::vector<uint8_t>& png) {
    std::vector<std::vector<uint8_t>> out;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            out.emplace_back(png.begin() + ptrdiff_t(at + 8), png.begin() + ptrdiff_t(at + 8 + length));
        at += length + 12;
    }
    return out;
}

} // namespace

std::vector<uint8_t> apng(uint32_t width, uint32_t height, const std::vector<ApngFrame>& frames, const ApngOptions& options) {
    std::vector<uint8_t> out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    be32(ihdr, width);
    be32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    std::vector<uint8_t> actl;
    be32(actl, options.acTLFrameCount.value_or(uint32_t(frames.size())));
    be32(actl, options.loops);
    chunk(out, "acTL", actl);
    if (!options.firstFrameIsDefault)
        for (const auto& payload : idatPayloads(png(width, height, options.defaultImage))) chunk(out, "IDAT", payload);

    uint32_t sequence = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const ApngFrame& f = frames[i];
        std::vector<uint8_t> fctl;
        be32(fctl, sequence++);
        be32(fctl, f.width);
        be32(fctl, f.height);
        be32(fctl, f.x);
        be32(fctl, f.y);
        fctl.insert(fctl.end(), {uint8_t(f.delayNumerator >> 8), uint8_t(f.delayNumerator),
                                 uint8_t(f.delayDenominator >> 8), uint8_t(f.delayDenominator), f.dispose, f.blend});
        chunk(out, "fcTL", fctl);
        for (const auto& payload : idatPayloads(png(f.width, f.height, f.pixels))) {
            if (i == 0 && options.firstFrameIsDefault) {
                chunk(out, "IDAT", payload);
            } else {
                std::vector<uint8_t> fdat;
                be32(fdat, sequence++);
                fdat.insert(fdat.end(), payload.begin(), payload.end());
                chunk(out, "fdAT", fdat);
            }
        }
    }
    chunk(out, "IEND", {});
    return out;
}

} // namespace imagebytes
