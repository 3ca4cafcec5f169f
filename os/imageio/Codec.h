#pragma once
// Internal: the interface every format reader and writer implements, and the plain pixel buffer
// they exchange. Sources and destinations wrap these in cg::Image objects.

#include "os/imageio/ImageProperties.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace imageio::detail {

using Bytes = std::span<const uint8_t>;

// Guards every allocation sized by outside bytes: 64 Mpixels (256 MiB of RGBA) at most.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 26;
inline bool sizeAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels;
}

// A small file must not cost memory out of all proportion to what it carries: a canvas of more than
// kFreePixels is made only when it is at most four times what the bytes could hold at the format's
// densest coding (pixelsPerByte), so a truncated or forged header cannot claim rows the data lacks.
inline constexpr uint64_t kFreePixels = uint64_t(1) << 20;
inline bool canvasAffordable(uint64_t width, uint64_t height, size_t bytes, double pixelsPerByte) {
    if (!sizeAllowed(width, height)) return false;
    const uint64_t pixels = width * height;
    return pixels <= kFreePixels || double(pixels) <= 4.0 * pixelsPerByte * double(bytes);
}
// Densest codings: deflate at most 1032:1 over the packed samples, LZW 4096 pixels in a 12-bit
// code, JPEG one bit per 8×8 block, uncompressed rows their samples.
inline double deflatedPixelsPerByte(uint32_t bitsPerPixel) { return 1032.0 * 8 / std::max<uint32_t>(bitsPerPixel, 1); }
inline constexpr double kLzwPixelsPerByte = 4096.0 * 8 / 12;
inline constexpr double kJpegPixelsPerByte = 64.0 * 8;
inline double rawPixelsPerByte(uint32_t bitsPerPixel) { return 8.0 / std::max<uint32_t>(bitsPerPixel, 1); }
// JPEG 2000: a 64×64 code-block a byte; TIFF codings without a bound of their own (fax runs): denser still.
inline constexpr double kJpeg2000PixelsPerByte = 4096;
inline constexpr double kDensePixelsPerByte = 32768;

// Images counted in one file at most; later ones are ignored.
inline constexpr size_t kMaxFrames = 10000;

// Alpha info values of the bitmaps made here (all in R,G,B,A memory order, default byte order).
inline constexpr uint32_t kAlphaPremultipliedLast = 1;
inline constexpr uint32_t kAlphaLast = 3;
inline constexpr uint32_t kAlphaNoneSkipLast = 5;
// The display order: B,G,R,A/x bytes, read as 32-bit little-endian words with alpha first.
inline constexpr uint32_t kAlphaPremultipliedFirst = 2;
inline constexpr uint32_t kAlphaNoneSkipFirst = 6;
inline constexpr uint32_t kByteOrder32Little = 0x2000;

// Decoded pixels: 8-bit R,G,B,A per pixel, rows packed (width × 4 bytes). Pixels not yet
// received are all zero, so they read as transparent.
struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t alphaInfo = kAlphaLast;
    // 0 for R,G,B,A bytes; kByteOrder32Little (with a "first" alpha info) for B,G,R,A/x.
    uint32_t byteOrder = 0;
    std::vector<uint8_t> pixels;

    size_t bytesPerRow() const { return size_t(width) * 4; }
    uint8_t* row(uint32_t y) { return pixels.data() + y * bytesPerRow(); }
    const uint8_t* row(uint32_t y) const { return pixels.data() + y * bytesPerRow(); }
    // A zero-filled bitmap; none when the size is refused or memory runs out.
    static std::optional<Bitmap> make(uint64_t width, uint64_t height, uint32_t alphaInfo = kAlphaLast);
    // Alpha info 3 when any pixel is not opaque, else 5.
    void settleAlpha();
};

// What the bytes seen so far tell, without decoding pixels.
struct Header {
    Status status = Status::ReadingHeader;
    Properties container;
    std::vector<Properties> frames; // one per image whose header has arrived
};

// One reader per source; it may keep state between calls (a GIF keeps its canvas for playback).
class Decoder {
public:
    virtual ~Decoder() = default;
    // Cheap: runs on every update of an incremental source.
    virtual Header parse(Bytes bytes, bool final) = 0;
    // The image at index as far as the bytes go; none when nothing of it is decodable.
    virtual std::optional<Bitmap> decode(size_t index, Bytes bytes, bool final) = 0;

    // Set before decode(): the display order is wanted; a decoder that writes it directly may.
    bool preferDisplayOrder = false;
};

// An image handed to a writer: non-premultiplied RGBA (alpha info 3 or 5) and its properties.
struct EncodeFrame {
    Bitmap bitmap;
    Properties properties;
};
using EncodeFunction = bool (*)(const std::vector<EncodeFrame>& frames, const Properties& container,
                                std::vector<uint8_t>& out);

struct Format {
    const char* uti;
    std::unique_ptr<Decoder> (*makeDecoder)();
    EncodeFunction encode;
};

// The format whose signature starts the bytes; none when unknown or too short to tell.
const Format* sniff(Bytes bytes);
const Format* formatForType(std::string_view uti);
// Bytes needed before sniff() can say "unknown" for sure.
inline constexpr size_t kSniffLength = 12;

// Per-format entry points.
std::unique_ptr<Decoder> makePngDecoder();
std::unique_ptr<Decoder> makeJpegDecoder();
std::unique_ptr<Decoder> makeGifDecoder();
std::unique_ptr<Decoder> makeTiffDecoder();
std::unique_ptr<Decoder> makeJpeg2000Decoder();
std::unique_ptr<Decoder> makeBmpDecoder();
std::unique_ptr<Decoder> makeIcoDecoder();
std::unique_ptr<Decoder> makeIcnsDecoder();
bool encodePng(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeJpeg(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeGif(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeTiff(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeJpeg2000(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeBmp(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeIco(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);
bool encodeIcns(const std::vector<EncodeFrame>&, const Properties&, std::vector<uint8_t>&);

// Shared pieces of the container formats (ICO and ICNS hold PNG, DIB and JPEG 2000 payloads).
std::optional<Bitmap> decodePngImage(Bytes bytes);
bool encodePngImage(const Bitmap& bitmap, std::vector<uint8_t>& out);
std::optional<Bitmap> decodeJpeg2000Image(Bytes bytes);
// A DIB (BITMAPINFOHEADER and pixels, no file header); icoMask: the height counts the AND mask too.
std::optional<Bitmap> decodeDib(Bytes bytes, bool icoMask);
// Size of a DIB from its header, without decoding.
bool dibSize(Bytes bytes, bool icoMask, uint32_t& width, uint32_t& height);
bool pngSize(Bytes bytes, uint32_t& width, uint32_t& height);
bool jpeg2000Size(Bytes bytes, uint32_t& width, uint32_t& height);

// EXIF orientation (1-8) from the payload of an APP1 marker; 0 when absent or unreadable.
int exifOrientation(Bytes app1);

// The lossy compression quality of the first frame, else of the container; none when not a number.
std::optional<double> lossyQuality(const std::vector<EncodeFrame>& frames, const Properties& container);

// The properties every frame carries.
Properties frameProperties(uint32_t width, uint32_t height, bool hasAlpha, const char* colorModel = colormodel::RGB);

// Reading numbers from outside bytes; callers check the bounds.
inline uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t be32(const uint8_t* p) { return uint32_t(be16(p)) << 16 | be16(p + 2); }
inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }
inline void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out.insert(out.end(), b, b + 4);
}
inline void putLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void putLe32(std::vector<uint8_t>& out, uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

} // namespace imageio::detail
