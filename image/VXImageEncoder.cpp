#include "image/VXImageEncoder.h"

#include "image/VXPNGInfo.h"
#include "os/foundation/Error.h"
#include "os/foundation/Log.h"
#include "os/graphics/Context.h"
#include "os/imageio/ImageDestination.h"
#include "os/imageio/ImageSource.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kWebPDocumentation = "docs/decisions.md";

constexpr uint8_t kPNGSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kIDAT = VXPNGChunkType("IDAT");
constexpr uint32_t kacTL = VXPNGChunkType("acTL");
constexpr uint32_t kfcTL = VXPNGChunkType("fcTL");
constexpr uint32_t kfdAT = VXPNGChunkType("fdAT");

void putBE16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void putBE32(std::vector<uint8_t>& out, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out.insert(out.end(), b, b + 4);
}

// Closes the chunk whose length field sits at start: CRC-32 over type and data.
void finishChunk(std::vector<uint8_t>& out, size_t start) {
    const uLong crc = crc32(0L, out.data() + start + 4, uInt(out.size() - start - 4));
    putBE32(out, uint32_t(crc));
}

void putFcTL(std::vector<uint8_t>& out, uint32_t sequence, uint32_t width, uint32_t height, double duration) {
    uint16_t num = 0, den = 0;
    VXImageDelayToFraction(duration, &num, &den);
    const size_t start = out.size();
    putBE32(out, 26);
    putBE32(out, kfcTL);
    putBE32(out, sequence);
    putBE32(out, width);
    putBE32(out, height);
    putBE32(out, 0); // x offset
    putBE32(out, 0); // y offset
    putBE16(out, num);
    putBE16(out, den);
    out.push_back(1); // dispose: background
    out.push_back(0); // blend: source
    finishChunk(out, start);
}

// The picture drawn into the display format with alpha, at the top-left of a width × height canvas.
cg::ImageRef drawOnCanvas(const cg::ImageRef& image, size_t width, size_t height) {
    auto context = cg::Context::CreateBitmap(nullptr, width, height, 8, 0, VXSharedDeviceRGBColorSpace(),
                                             VXBitmapInfoDisplay);
    if (!context) return nullptr;
    context->DrawImage(cg::RectMake(0, double(height) - double(image->height()), double(image->width()),
                                    double(image->height())),
                       image);
    return context->CreateImage();
}

bool hasAlpha(const cg::ImageRef& image) { return cg::AlphaInfoHasAlpha(image->alphaInfo()); }

double clampQuality(double quality) { return std::isnan(quality) ? quality : std::clamp(quality, 0.0, 1.0); }

} // namespace

void VXImageDelayToFraction(double delay, uint16_t* numerator, uint16_t* denominator) {
    constexpr double kMin = 1.0 / 255, kEpsilon = 1.0 / 510;
    if (delay >= 255) {
        *numerator = 255, *denominator = 1;
        return;
    }
    if (!(delay > kMin)) { // NaN too
        *numerator = 1, *denominator = 255;
        return;
    }
    double x = delay, a = std::floor(x);
    uint64_t hPrev = 1, kPrev = 0;
    uint64_t h = uint64_t(a), k = 1;
    for (int term = 0; term < 7 && std::fabs(x - a) >= kEpsilon; ++term) {
        x = 1 / (x - a);
        a = std::floor(x);
        if (!(a < 256)) break; // larger terms overflow the bounds below anyway
        const uint64_t hNext = uint64_t(a) * h + hPrev, kNext = uint64_t(a) * k + kPrev;
        if (hNext > 255 || kNext >= 256) break;
        hPrev = h, kPrev = k, h = hNext, k = kNext;
    }
    if (h == 0 || k == 0) h = 1, k = 100;
    *numerator = uint16_t(h), *denominator = uint16_t(k);
}

VXImageEncoder::VXImageEncoder(VXImageType type)
    : type_(type), lossless_(type != VXImageTypeJPEG && type != VXImageTypeJPEG2000),
      quality_(lossless_ ? 1.0 : 0.9) {}

ns::Ref<VXImageEncoder> VXImageEncoder::init() {
    throw ns::Exception("VXImageEncoder init error",
                        "VXImageEncoder must be initialized with a type. Use 'initWithType:' instead.");
}

ns::Ref<VXImageEncoder> VXImageEncoder::initWithType(VXImageType type) {
    if (type < VXImageTypeJPEG || type > VXImageTypeWebP) {
        ns::log("[%s: %d] Unsupported image type:%d", "-[VXImageEncoder initWithType:]", 2326, int(type));
        return nullptr;
    }
    if (type == VXImageTypeWebP) {
        ns::log("[%s: %d] WebP is not available, check the documentation to see how to install WebP component: %s",
                "-[VXImageEncoder initWithType:]", 2332, kWebPDocumentation);
        return nullptr;
    }
    return ns::make<VXImageEncoder>(type);
}

void VXImageEncoder::setQuality(double quality) { quality_ = clampQuality(quality); }

void VXImageEncoder::addImage(const ui::ImageRef& image, double duration) {
    if (!image || !image->CGImage()) return;
    frames_.push_back({image, nullptr, nullptr, std::max(duration, 0.0)});
}

void VXImageEncoder::addImageWithData(const ns::DataRef& data, double duration) {
    if (!data || data->length() == 0) return;
    frames_.push_back({nullptr, nullptr, data, std::max(duration, 0.0)});
}

void VXImageEncoder::addImageWithFile(const std::string& path, double duration) {
    if (path.empty()) return;
    auto url = ns::URL::fileURLWithPath(path);
    if (!url) return;
    frames_.push_back({nullptr, url, nullptr, std::max(duration, 0.0)});
}

bool VXImageEncoder::systemPathServes() const {
    if (frames_.empty()) return false;
    if (type_ >= VXImageTypeJPEG && type_ <= VXImageTypeGIF) return true;
    return type_ == VXImageTypePNG && frames_.size() == 1;
}

ns::DataRef VXImageEncoder::encode() {
    if (frames_.empty()) return nullptr;
    if (systemPathServes()) {
        auto data = ns::MutableData::make();
        return encodeWithImageIO(data, {}) ? data : nullptr;
    }
    if (type_ == VXImageTypePNG) return encodeAPNG();
    return nullptr;
}

bool VXImageEncoder::encodeToFile(const std::string& path) {
    if (frames_.empty() || path.empty()) return false;
    if (systemPathServes()) return encodeWithImageIO(nullptr, path);
    auto data = encode();
    return data && data->writeToFile(path, true);
}

// Into data, or (data null) into the file at path.
bool VXImageEncoder::encodeWithImageIO(const ns::MutableDataRef& data, const std::string& path) {
    const char* uti = VXImageTypeToUTI(type_);
    if (!uti) return false;
    const bool gif = type_ == VXImageTypeGIF;
    const size_t count = gif ? frames_.size() : 1; // other types keep the first frame only
    imageio::ImageDestinationRef destination;
    if (data) {
        destination = imageio::ImageDestination::CreateWithData(data, uti, count);
    } else if (auto url = ns::URL::fileURLWithPath(path)) {
        destination = imageio::ImageDestination::CreateWithURL(*url, uti, count);
    }
    if (!destination) return false;
    if (gif) {
        destination->SetProperties(imageio::Properties{
            {imageio::key::GIFDictionary, imageio::Properties{{imageio::key::GIFLoopCount, loopCount_}}}});
    }
    for (size_t i = 0; i < count; ++i) {
        const Frame& frame = frames_[i];
        const imageio::Properties properties =
            gif && count > 1
                ? imageio::Properties{{imageio::key::GIFDictionary,
                                       imageio::Properties{{imageio::key::GIFDelayTime, frame.duration}}}}
                : imageio::Properties{{imageio::key::DestinationLossyCompressionQuality, quality_}};
        if (frame.image) {
            cg::ImageRef bitmap = frame.image->CGImage();
            if (frame.image->imageOrientation() != ui::ImageOrientation::Up) {
                bitmap = VXImageCreateOrientedCopy(bitmap, frame.image->imageOrientation(), bitmap->bitmapInfo());
            }
            destination->AddImage(bitmap, &properties);
        } else {
            auto source = frame.url ? imageio::ImageSource::CreateWithURL(*frame.url)
                                    : imageio::ImageSource::CreateWithData(frame.data);
            if (source) destination->AddImageFromSource(source, 0, &properties);
        }
    }
    if (!destination->Finalize()) return false;
    return !data || data->length() > 0;
}

// The frame's pixels upright and owning their bytes; none when it cannot be read.
cg::ImageRef VXImageEncoder::newBitmapForFrame(const Frame& frame) const {
    ui::ImageRef image = frame.image;
    if (!image && frame.url) image = ui::Image::imageWithContentsOfFile(frame.url->path());
    if (!image && frame.data) image = ui::Image::imageWithData(frame.data);
    if (!image || !image->CGImage()) return nullptr;
    if (image->imageOrientation() != ui::ImageOrientation::Up) {
        return VXImageCreateOrientedCopy(image->CGImage(), image->imageOrientation(), VXBitmapInfoDisplay);
    }
    return VXImageCreateDecodedCopy(image->CGImage(), true);
}

ns::DataRef VXImageEncoder::encodeAPNG() {
    const size_t frameCount = frames_.size();
    std::vector<cg::ImageRef> bitmaps(frameCount);
    size_t canvasWidth = 0, canvasHeight = 0;
    bool anyAlpha = false, anyOpaque = false;
    for (size_t i = 0; i < frameCount; ++i) {
        bitmaps[i] = newBitmapForFrame(frames_[i]);
        if (!bitmaps[i] || bitmaps[i]->width() == 0 || bitmaps[i]->height() == 0) return nullptr;
        canvasWidth = std::max(canvasWidth, bitmaps[i]->width());
        canvasHeight = std::max(canvasHeight, bitmaps[i]->height());
        (hasAlpha(bitmaps[i]) ? anyAlpha : anyOpaque) = true;
    }
    // Frame 0 is the default image and fixes the canvas size.
    if (canvasWidth > bitmaps[0]->width() || canvasHeight > bitmaps[0]->height()) {
        bitmaps[0] = drawOnCanvas(bitmaps[0], canvasWidth, canvasHeight);
        if (!bitmaps[0]) return nullptr;
        anyAlpha = true;
    }
    // Every frame's data must share the first IHDR's pixel format, so opaque frames among
    // transparent ones are written with alpha too.
    if (anyAlpha && anyOpaque) {
        for (auto& bitmap : bitmaps) {
            if (hasAlpha(bitmap)) continue;
            bitmap = drawOnCanvas(bitmap, bitmap->width(), bitmap->height());
            if (!bitmap) return nullptr;
        }
    }
    std::vector<ns::DataRef> pngs(frameCount);
    for (size_t i = 0; i < frameCount; ++i) {
        pngs[i] = VXImageEncodeSingle(bitmaps[i], VXImageTypePNG, 1.0);
        if (!pngs[i]) return nullptr;
    }

    const ns::DataRef& first = pngs[0];
    auto info = VXPNGInfoCreate(first->bytes(), first->length());
    if (!info) return nullptr;

    std::vector<uint8_t> out(std::begin(kPNGSignature), std::end(kPNGSignature));
    uint32_t sequence = 0;
    bool inFirstRun = false, firstRunDone = false;

    // The further frames: an fcTL each, their IDAT chunks as fdAT.
    auto writeFurtherFrames = [&]() -> bool {
        for (size_t i = 1; i < frameCount; ++i) {
            const ns::DataRef& png = pngs[i];
            auto frameInfo = VXPNGInfoCreate(png->bytes(), png->length());
            if (!frameInfo || frameInfo->bitDepth != info->bitDepth || frameInfo->colorType != info->colorType ||
                frameInfo->interlaceMethod != info->interlaceMethod) {
                return false;
            }
            putFcTL(out, sequence++, frameInfo->width, frameInfo->height, frames_[i].duration);
            for (const VXPNGChunk& chunk : frameInfo->chunks) {
                if (chunk.type != kIDAT) continue;
                const size_t start = out.size();
                putBE32(out, chunk.length + 4);
                putBE32(out, kfdAT);
                putBE32(out, sequence++);
                const uint8_t* data = png->bytes() + chunk.offset + 8;
                out.insert(out.end(), data, data + chunk.length);
                finishChunk(out, start);
            }
        }
        return true;
    };

    for (const VXPNGChunk& chunk : info->chunks) {
        if (chunk.type == kIDAT && !inFirstRun && !firstRunDone) {
            const size_t start = out.size();
            putBE32(out, 8);
            putBE32(out, kacTL);
            putBE32(out, uint32_t(frameCount));
            putBE32(out, uint32_t(loopCount_));
            finishChunk(out, start);
            putFcTL(out, sequence++, info->width, info->height, frames_[0].duration);
            inFirstRun = true;
        } else if (chunk.type != kIDAT && inFirstRun) {
            inFirstRun = false;
            firstRunDone = true;
            if (!writeFurtherFrames()) return nullptr;
        }
        const uint8_t* bytes = first->bytes() + chunk.offset;
        out.insert(out.end(), bytes, bytes + chunk.length + 12);
    }
    if (inFirstRun && !writeFurtherFrames()) return nullptr; // no chunk after the image data
    if (!inFirstRun && !firstRunDone) return nullptr;         // no image data at all
    return ns::Data::make(std::move(out));
}

ns::DataRef VXImageEncoder::encodeImage(const ui::ImageRef& image, VXImageType type, double quality) {
    auto encoder = initWithType(type);
    if (!encoder) return nullptr;
    encoder->setQuality(quality);
    encoder->addImage(image, 0);
    return encoder->encode();
}

ns::DataRef VXImageEncoder::encodeImageWithDecoder(const ns::Ref<VXImageDecoder>& decoder, VXImageType type,
                                                   double quality) {
    if (!decoder || decoder->frameCount() == 0) return nullptr;
    auto encoder = initWithType(type);
    if (!encoder) return nullptr;
    encoder->setQuality(quality);
    for (size_t i = 0; i < decoder->frameCount(); ++i) {
        auto frame = decoder->frameAtIndex(i, true);
        if (!frame || !frame->image) continue;
        encoder->addImageWithData(ui::ImagePNGRepresentation(frame->image), decoder->frameDurationAtIndex(i));
    }
    return encoder->encode();
}
