// BMP, our own: BITMAPCOREHEADER to BITMAPV5HEADER, 1/4/8/16/24/32 bits, BI_RGB and BI_BITFIELDS,
// bottom-up and top-down. The DIB reader also serves ICO entries (with their AND mask).

#include "os/imageio/Codec.h"

#include <algorithm>
#include <bit>

namespace imageio::detail {
namespace {

constexpr uint32_t kRgb = 0, kBitfields = 3, kAlphaBitfields = 6;

struct Dib {
    uint32_t width = 0, height = 0; // height without the ICO mask
    bool topDown = false;
    uint32_t bitsPerPixel = 0, compression = kRgb;
    uint32_t masks[4] = {0, 0, 0, 0}; // R, G, B, A
    size_t paletteOffset = 0, paletteEntry = 4, paletteCount = 0;
    size_t pixelOffset = 0; // from the start of the DIB
};

// Reads the DIB header at the start of the bytes; false when it is broken or unsupported.
bool readDib(Bytes b, bool icoMask, Dib& d) {
    if (b.size() < 4) return false;
    const uint32_t headerSize = le32(&b[0]);
    int64_t height = 0;
    if (headerSize == 12) {
        if (b.size() < 12) return false;
        d.width = le16(&b[4]);
        height = le16(&b[6]);
        d.bitsPerPixel = le16(&b[10]);
        d.paletteEntry = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 || headerSize == 108 ||
               headerSize == 124) {
        if (b.size() < headerSize) return false;
        const int32_t w = int32_t(le32(&b[4]));
        height = int32_t(le32(&b[8]));
        if (w <= 0) return false;
        d.width = uint32_t(w);
        d.bitsPerPixel = le16(&b[14]);
        d.compression = le32(&b[16]);
        d.paletteCount = le32(&b[32]);
        if (headerSize >= 52)
            for (int i = 0; i < 3; ++i) d.masks[i] = le32(&b[40 + 4 * i]);
        if (headerSize >= 56) d.masks[3] = le32(&b[52]);
    } else {
        return false;
    }
    d.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (icoMask) height /= 2;
    if (height <= 0 || height > int64_t(kMaxPixels) || !sizeAllowed(d.width, uint64_t(height))) return false;
    d.height = uint32_t(height);

    size_t offset = headerSize;
    if (d.compression == kBitfields || d.compression == kAlphaBitfields) {
        if (d.bitsPerPixel != 16 && d.bitsPerPixel != 32) return false;
        if (headerSize == 40) { // the masks follow the header
            const size_t count = d.compression == kAlphaBitfields ? 4 : 3;
            if (b.size() < offset + 4 * count) return false;
            for (size_t i = 0; i < count; ++i) d.masks[i] = le32(&b[offset + 4 * i]);
            offset += 4 * count;
        }
    } else if (d.compression == kRgb) {
        d.masks[0] = d.masks[1] = d.masks[2] = 0;
        if (!icoMask || d.bitsPerPixel != 32) d.masks[3] = 0;
        if (d.bitsPerPixel == 16) {
            d.masks[0] = 0x7C00, d.masks[1] = 0x03E0, d.masks[2] = 0x001F;
        } else if (d.bitsPerPixel == 32) {
            d.masks[0] = 0xFF0000, d.masks[1] = 0xFF00, d.masks[2] = 0xFF;
            if (icoMask) d.masks[3] = 0xFF000000;
        }
    } else {
        return false; // RLE and embedded JPEG/PNG are not read
    }
    const uint32_t bpp = d.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (bpp <= 8) {
        const size_t max = size_t(1) << bpp;
        d.paletteCount = d.paletteCount == 0 || d.paletteCount > max ? max : d.paletteCount;
        d.paletteOffset = offset;
        offset += d.paletteCount * d.paletteEntry;
    } else {
        d.paletteCount = 0;
    }
    d.pixelOffset = offset;
    return true;
}

size_t strideOf(uint64_t width, uint32_t bpp) { return size_t((width * bpp + 31) / 32 * 4); }

uint8_t scaleMasked(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    return uint8_t(uint64_t((pixel & mask) >> shift) * 255 / max);
}

// Decodes rows as far as the bytes go. pixels: the start of the pixel rows inside b.
std::optional<Bitmap> decodeRows(Bytes b, const Dib& d, size_t pixelStart, bool icoMask) {
    if (!canvasAffordable(d.width, d.height, b.size(), rawPixelsPerByte(d.bitsPerPixel))) return std::nullopt;
    std::optional<Bitmap> bitmap = Bitmap::make(d.width, d.height);
    if (!bitmap) return std::nullopt;
    const size_t stride = strideOf(d.width, d.bitsPerPixel);
    const uint8_t* palette = d.paletteCount ? b.data() + d.paletteOffset : nullptr;
    const size_t paletteAvailable =
        palette ? std::min(d.paletteCount, (b.size() - std::min(b.size(), d.paletteOffset)) / d.paletteEntry) : 0;
    const bool alphaChannel = d.masks[3] != 0;
    uint32_t rowsDone = 0;
    for (uint32_t stored = 0; stored < d.height; ++stored) {
        const size_t at = pixelStart + size_t(stored) * stride;
        if (at > b.size() || b.size() - at < stride) break;
        const uint8_t* in = b.data() + at;
        uint8_t* out = bitmap->row(d.topDown ? stored : d.height - 1 - stored);
        for (uint32_t x = 0; x < d.width; ++x, out += 4) {
            const uint32_t bpp = d.bitsPerPixel;
            if (bpp <= 8) {
                const size_t bit = size_t(x) * bpp;
                const uint32_t index = (in[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                if (index < paletteAvailable) {
                    const uint8_t* c = palette + index * d.paletteEntry;
                    out[0] = c[2], out[1] = c[1], out[2] = c[0];
                }
                out[3] = 0xFF;
            } else if (bpp == 24) {
                const uint8_t* p = in + size_t(x) * 3;
                out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 0xFF;
            } else {
                const uint32_t v = bpp == 16 ? le16(in + size_t(x) * 2) : le32(in + size_t(x) * 4);
                out[0] = scaleMasked(v, d.masks[0]);
                out[1] = scaleMasked(v, d.masks[1]);
                out[2] = scaleMasked(v, d.masks[2]);
                out[3] = alphaChannel ? scaleMasked(v, d.masks[3]) : 0xFF;
            }
        }
        ++rowsDone;
    }
    if (rowsDone == 0) return std::nullopt;

    bool anyAlpha = false;
    if (alphaChannel)
        for (size_t i = 3; i < bitmap->pixels.size() && !anyAlpha; i += 4) anyAlpha = bitmap->pixels[i] != 0;
    if (icoMask) {
        // An icon whose alpha bytes are all zero, or that has none, takes its transparency from the AND mask.
        if (alphaChannel && !anyAlpha)
            for (size_t i = 3; i < bitmap->pixels.size(); i += 4) bitmap->pixels[i] = 0xFF;
        const size_t maskStart = pixelStart + size_t(d.height) * stride, maskStride = strideOf(d.width, 1);
        if (!alphaChannel || !anyAlpha) {
            for (uint32_t stored = 0; stored < d.height; ++stored) {
                const size_t at = maskStart + size_t(stored) * maskStride;
                if (at > b.size() || b.size() - at < maskStride) break;
                uint8_t* out = bitmap->row(d.topDown ? stored : d.height - 1 - stored);
                for (uint32_t x = 0; x < d.width; ++x)
                    if (b[at + x / 8] & (0x80 >> (x % 8))) std::memset(out + size_t(x) * 4, 0, 4);
            }
        }
        bitmap->alphaInfo = kAlphaLast;
    } else if (alphaChannel && !anyAlpha) {
        for (size_t i = 3; i < bitmap->pixels.size(); i += 4) bitmap->pixels[i] = 0xFF; // an unused alpha byte
        bitmap->alphaInfo = kAlphaNoneSkipLast;
    } else {
        bitmap->alphaInfo = alphaChannel ? kAlphaLast : kAlphaNoneSkipLast;
    }
    if (rowsDone < d.height) {
        // Rows never received stay transparent.
        for (uint32_t stored = rowsDone; stored < d.height; ++stored)
            std::memset(bitmap->row(d.topDown ? stored : d.height - 1 - stored), 0, bitmap->bytesPerRow());
        bitmap->alphaInfo = kAlphaLast;
    }
    return bitmap;
}

class BmpDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        Header h;
        Dib d;
        if (b.size() < 18) {
            h.status = final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        if (!readDib(b.subspan(14), false, d)) {
            // A known header that has not fully arrived yet (with room for bit masks after it).
            const bool waiting = !final && b.size() < 14 + size_t(std::min(le32(&b[14]), 124u)) + 16;
            h.status = waiting ? Status::ReadingHeader : Status::InvalidData;
            return h;
        }
        h.frames.push_back(frameProperties(d.width, d.height, d.masks[3] != 0));
        const size_t end = size_t(le32(&b[10])) + strideOf(d.width, d.bitsPerPixel) * d.height;
        h.status = b.size() >= end ? Status::Complete : final ? Status::UnexpectedEOF : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes b, bool) override {
        Dib d;
        if (index != 0 || b.size() < 18 || !readDib(b.subspan(14), false, d)) return std::nullopt;
        const size_t pixels = le32(&b[10]);
        // The palette sits after the DIB header, counted from the start of the file.
        d.paletteOffset += 14;
        return decodeRows(b, d, pixels, false);
    }
};

void putBmpRow(std::vector<uint8_t>& out, const uint8_t* row, uint32_t width, bool alpha) {
    const size_t start = out.size();
    for (uint32_t x = 0; x < width; ++x, row += 4) {
        out.push_back(row[2]);
        out.push_back(row[1]);
        out.push_back(row[0]);
        if (alpha) out.push_back(row[3]);
    }
    while ((out.size() - start) % 4) out.push_back(0);
}

} // namespace

std::unique_ptr<Decoder> makeBmpDecoder() { return std::make_unique<BmpDecoder>(); }

std::optional<Bitmap> decodeDib(Bytes bytes, bool icoMask) {
    Dib d;
    if (!readDib(bytes, icoMask, d)) return std::nullopt;
    return decodeRows(bytes, d, d.pixelOffset, icoMask);
}

bool dibSize(Bytes bytes, bool icoMask, uint32_t& width, uint32_t& height) {
    Dib d;
    if (!readDib(bytes, icoMask, d)) return false;
    width = d.width;
    height = d.height;
    return true;
}

// 32-bit BITMAPV4HEADER with an alpha mask for images with alpha, else 24-bit BITMAPINFOHEADER.
bool encodeBmp(const std::vector<EncodeFrame>& frames, const Properties&, std::vector<uint8_t>& out) {
    if (frames.empty()) return false;
    const Bitmap& bitmap = frames.front().bitmap;
    const bool alpha = bitmap.alphaInfo != kAlphaNoneSkipLast;
    const uint32_t headerSize = alpha ? 108 : 40;
    const size_t stride = strideOf(bitmap.width, alpha ? 32 : 24);
    const uint64_t imageSize = uint64_t(stride) * bitmap.height;
    if (imageSize + 14 + headerSize > 0xFFFFFFFFu) return false;

    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(imageSize) + 14 + headerSize);
    bytes.push_back('B');
    bytes.push_back('M');
    putLe32(bytes, uint32_t(14 + headerSize + imageSize));
    putLe32(bytes, 0);
    putLe32(bytes, 14 + headerSize);
    putLe32(bytes, headerSize);
    putLe32(bytes, bitmap.width);
    putLe32(bytes, bitmap.height); // bottom-up
    putLe16(bytes, 1);
    putLe16(bytes, alpha ? 32 : 24);
    putLe32(bytes, alpha ? kBitfields : kRgb);
    putLe32(bytes, uint32_t(imageSize));
    putLe32(bytes, 2835); // 72 dpi
    putLe32(bytes, 2835);
    putLe32(bytes, 0);
    putLe32(bytes, 0);
    if (alpha) {
        for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) putLe32(bytes, mask);
        putLe32(bytes, 0x73524742); // 'sRGB'
        bytes.resize(bytes.size() + 36 + 12, 0); // endpoints and gamma, unused with sRGB
    }
    for (uint32_t y = bitmap.height; y-- > 0;) putBmpRow(bytes, bitmap.row(y), bitmap.width, alpha);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

} // namespace imageio::detail
