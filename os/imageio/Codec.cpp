#include "os/imageio/Codec.h"

#include <cmath>
#include <new>

namespace imageio::detail {

std::optional<Bitmap> Bitmap::make(uint64_t width, uint64_t height, uint32_t alphaInfo) {
    if (!sizeAllowed(width, height)) return std::nullopt;
    Bitmap b;
    b.width = uint32_t(width);
    b.height = uint32_t(height);
    b.alphaInfo = alphaInfo;
    try {
        b.pixels.assign(size_t(width) * size_t(height) * 4, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return b;
}

void Bitmap::settleAlpha() {
    for (size_t i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] != 0xFF) {
            alphaInfo = alphaInfo == kAlphaPremultipliedLast ? kAlphaPremultipliedLast : kAlphaLast;
            return;
        }
    }
    alphaInfo = kAlphaNoneSkipLast;
}

namespace {

bool startsWith(Bytes bytes, std::initializer_list<uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    size_t i = 0;
    for (uint8_t b : prefix)
        if (bytes[i++] != b) return false;
    return true;
}

const Format kFormats[] = {
    {uti::PNG, makePngDecoder, encodePng},
    {uti::JPEG, makeJpegDecoder, encodeJpeg},
    {uti::GIF, makeGifDecoder, encodeGif},
    {uti::TIFF, makeTiffDecoder, encodeTiff},
    {uti::JPEG2000, makeJpeg2000Decoder, encodeJpeg2000},
    {uti::BMP, makeBmpDecoder, encodeBmp},
    {uti::ICO, makeIcoDecoder, encodeIco},
    {uti::AppleICNS, makeIcnsDecoder, encodeIcns},
};
enum FormatIndex { Png, Jpeg, Gif, Tiff, Jpeg2000, Bmp, Ico, Icns };

} // namespace

const Format* sniff(Bytes b) {
    if (startsWith(b, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return &kFormats[Png];
    if (startsWith(b, {0xFF, 0xD8, 0xFF})) return &kFormats[Jpeg];
    if (startsWith(b, {'G', 'I', 'F', '8', '7', 'a'}) || startsWith(b, {'G', 'I', 'F', '8', '9', 'a'}))
        return &kFormats[Gif];
    if (startsWith(b, {'I', 'I', 42, 0}) || startsWith(b, {'M', 'M', 0, 42})) return &kFormats[Tiff];
    if (startsWith(b, {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A}) ||
        startsWith(b, {0xFF, 0x4F, 0xFF, 0x51}))
        return &kFormats[Jpeg2000];
    if (startsWith(b, {'B', 'M'})) return &kFormats[Bmp];
    if ((startsWith(b, {0, 0, 1, 0}) || startsWith(b, {0, 0, 2, 0})) && b.size() >= 6 && le16(&b[4]) > 0)
        return &kFormats[Ico];
    if (startsWith(b, {'i', 'c', 'n', 's'})) return &kFormats[Icns];
    return nullptr;
}

const Format* formatForType(std::string_view type) {
    for (const Format& f : kFormats)
        if (type == f.uti) return &f;
    return nullptr;
}

std::optional<double> lossyQuality(const std::vector<EncodeFrame>& frames, const Properties& container) {
    for (const Properties* p : {frames.empty() ? nullptr : &frames.front().properties, &container}) {
        const ns::Value* q = p ? p->find(key::DestinationLossyCompressionQuality) : nullptr;
        if (q && q->isNumber() && !std::isnan(q->doubleValue())) return q->doubleValue();
    }
    return std::nullopt;
}

Properties frameProperties(uint32_t width, uint32_t height, bool hasAlpha, const char* colorModel) {
    Properties p;
    p.set(key::PixelWidth, width);
    p.set(key::PixelHeight, height);
    p.set(key::Depth, 8);
    p.set(key::ColorModel, colorModel);
    p.set(key::HasAlpha, hasAlpha);
    return p;
}

} // namespace imageio::detail
