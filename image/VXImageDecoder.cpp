#include "image/VXImageDecoder.h"

#include "image/VXImageCoder.h"
#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "os/graphics/DataProvider.h"
#include "os/uikit/Screen.h"

#include <zlib.h>

#include <cstring>
#include <mutex>

// A decoder frame: the public record plus what composing needs.
class _VXImageDecoderFrame : public VXImageFrame {
public:
    bool hasAlpha = true;
    bool isFullSize = false;   // covers the whole canvas
    size_t blendFromIndex = 0; // earliest frame the canvas is rebuilt from to show this one

    ns::Ref<VXImageFrame> copy() const override {
        auto frame = ns::make<_VXImageDecoderFrame>();
        copyFieldsTo(*frame);
        frame->hasAlpha = hasAlpha;
        frame->isFullSize = isFullSize;
        frame->blendFromIndex = blendFromIndex;
        return frame;
    }
};

namespace {

constexpr const char* kWebPDocumentation = "docs/decisions.md";

// The image source's own limit (256 MiB of pixels).
constexpr uint64_t kMaxCanvasPixels = uint64_t(1) << 26;

constexpr uint32_t kIHDR = VXPNGChunkType("IHDR");
constexpr uint32_t kIDAT = VXPNGChunkType("IDAT");
constexpr uint32_t kfdAT = VXPNGChunkType("fdAT");

void putBE32(std::vector<uint8_t>& out, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out.insert(out.end(), b, b + 4);
}

// A chunk of type and data with its CRC-32 over type and data.
void putChunk(std::vector<uint8_t>& out, uint32_t type, const uint8_t* data, uint32_t length) {
    putBE32(out, length);
    const size_t typeAt = out.size();
    putBE32(out, type);
    out.insert(out.end(), data, data + length);
    uLong crc = crc32(0L, out.data() + typeAt, 4);
    crc = crc32(crc, data, length);
    putBE32(out, static_cast<uint32_t>(crc));
}

// Frame i of an animated PNG as a PNG of its own: the shared chunks with the frame's size in IHDR,
// and the frame's data chunks (fdAT turned into IDAT) where the image data belongs.
std::vector<uint8_t> rebuildAPNGFrame(const VXPNGInfo& info, const VXAPNGFrameInfo& frame, size_t index,
                                      const uint8_t* bytes) {
    const bool keepsIDAT = index == 0 && info.firstFrameIsDefaultImage;
    size_t size = size_t(info.sharedChunkSize) + frame.byteSize + 8;
    if (!keepsIDAT) size -= size_t(4) * frame.chunkCount;
    std::vector<uint8_t> out;
    out.reserve(size);
    static const uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    out.insert(out.end(), signature, signature + 8);

    auto writeFrameData = [&] {
        const size_t end = std::min<size_t>(size_t(frame.chunkIndex) + frame.chunkCount, info.chunks.size());
        for (size_t j = frame.chunkIndex; j < end; ++j) {
            const VXPNGChunk& chunk = info.chunks[j];
            const uint8_t* at = bytes + chunk.offset;
            if (chunk.type == kfdAT && chunk.length >= 4) {
                putChunk(out, kIDAT, at + 12, chunk.length - 4);
            } else if (chunk.type == kIDAT) {
                out.insert(out.end(), at, at + size_t(chunk.length) + 12);
            }
        }
    };

    bool inserted = false;
    for (uint32_t sharedIndex : info.sharedChunkIndexes) {
        if (!inserted && sharedIndex >= info.insertIndex) {
            writeFrameData();
            inserted = true;
        }
        const VXPNGChunk& chunk = info.chunks[sharedIndex];
        const uint8_t* at = bytes + chunk.offset;
        if (chunk.type == kIHDR) {
            uint8_t ihdr[13];
            std::memcpy(ihdr, at + 8, 13);
            const uint32_t w = frame.width, h = frame.height;
            const uint8_t size8[8] = {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w),
                                      uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h)};
            std::memcpy(ihdr, size8, 8);
            putChunk(out, kIHDR, ihdr, 13);
        } else {
            out.insert(out.end(), at, at + size_t(chunk.length) + 12);
        }
    }
    if (!inserted) writeFrameData();
    return out;
}

imageio::Properties cachingOptions(bool forDisplay = false) {
    imageio::Properties options{{imageio::key::SourceShouldCache, true}};
    if (forDisplay) options.set(imageio::key::SourceShouldCacheImmediately, true);
    return options;
}

// Pixels the codec already wrote in the display format (a JPEG decoded for display) need no copy.
bool inDisplayFormat(const cg::ImageRef& image) {
    const uint32_t info = image->bitmapInfo();
    return (info == VXBitmapInfoDisplay || info == VXBitmapInfoDisplayOpaque) && image->bitsPerComponent() == 8 &&
           image->bitsPerPixel() == 32 && image->bytesPerRow() == image->width() * 4 && image->bytes();
}

const ns::Dictionary* gifDictionary(const std::optional<imageio::Properties>& properties) {
    if (!properties) return nullptr;
    return (*properties)[imageio::key::GIFDictionary].dictionaryPtr();
}

} // namespace

// --- Creation -------------------------------------------------------------------------------

VXImageDecoder::VXImageDecoder(double scale) : scale_(scale > 0 ? scale : 1) {}

VXImageDecoder::~VXImageDecoder() = default;

ns::Ref<VXImageDecoder> VXImageDecoder::init() { return initWithScale(ui::Screen::mainScreen().scale()); }

ns::Ref<VXImageDecoder> VXImageDecoder::initWithScale(double scale) { return ns::make<VXImageDecoder>(scale); }

ns::Ref<VXImageDecoder> VXImageDecoder::decoderWithData(const ns::DataRef& data, double scale) {
    if (!data) return nullptr;
    auto decoder = initWithScale(scale);
    decoder->updateData(data, true);
    return decoder->frameCount() > 0 ? decoder : nullptr;
}

ns::DataRef VXImageDecoder::data() const {
    std::lock_guard guard(dataLock_);
    return data_;
}

// --- Accepting data -------------------------------------------------------------------------

bool VXImageDecoder::updateData(const ns::DataRef& data, bool final) {
    std::lock_guard guard(lock_);
    if (finalized_) return false;
    const size_t length = data ? data->length() : 0;
    if (length < (data_ ? data_->length() : 0)) return false;
    finalized_ = final;
    {
        std::lock_guard dataGuard(dataLock_);
        data_ = data;
    }
    const VXImageType sniffed = VXImageSniffType(data);
    if (!typeFixed_) {
        if (length > 16) {
            type_ = sniffed;
            typeFixed_ = true;
            updateSource();
        }
        return true;
    }
    if (sniffed != type_) return false;
    updateSource();
    return true;
}

void VXImageDecoder::updateSource() {
    switch (type_) {
    case VXImageTypeWebP: updateSourceWebP(); break;
    case VXImageTypePNG: updateSourceAPNG(); break;
    default: updateSourceImageIO(); break;
    }
}

void VXImageDecoder::updateSourceWebP() {
    // Once per process (a reset hook lets each test count as a fresh process).
    static std::atomic<bool> logged{false};
    static const bool hooked = [] {
        ns::ResetRegistry::add("image.VXImageDecoder.webPLogged", [] { logged = false; });
        return true;
    }();
    (void)hooked;
    if (logged.exchange(true)) return;
    ns::log("[%s: %d] WebP is not available, check the documentation to see how to install WebP component: %s",
            "-[VXImageDecoder _updateSourceWebP]", 1841, kWebPDocumentation);
}

void VXImageDecoder::setFrames(FrameList frames) {
    framesLock_.wait();
    frames_ = std::move(frames);
    frameCount_ = frames_.size();
    framesLock_.signal();
}

void VXImageDecoder::updateSourceImageIO() {
    width_ = 0;
    height_ = 0;
    orientation_ = ui::ImageOrientation::Up;
    loopCount_ = 0;
    setFrames({});

    const ns::DataRef data = this->data();
    if (!source_) {
        if (finalized_) {
            source_ = imageio::ImageSource::CreateWithData(data);
        } else {
            source_ = imageio::ImageSource::CreateIncremental();
            if (source_) source_->UpdateData(data, false);
        }
    } else {
        source_->UpdateData(data, finalized_);
    }
    if (!source_) return;

    size_t count = source_->GetCount();
    if (count == 0) return;
    if (!finalized_ || type_ == VXImageTypePNG) {
        count = 1;
    } else if (type_ == VXImageTypeGIF) {
        if (const ns::Dictionary* gif = gifDictionary(source_->CopyProperties()))
            loopCount_ = static_cast<size_t>(std::max(0LL, (*gif)[imageio::key::GIFLoopCount].integerValue()));
    }

    FrameList frames;
    frames.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        auto frame = ns::make<_VXImageDecoderFrame>();
        frame->index = i;
        frame->blendFromIndex = i;
        frame->hasAlpha = true;
        frame->isFullSize = true;
        const auto properties = source_->CopyPropertiesAtIndex(i);
        if (properties) {
            frame->width = static_cast<size_t>(std::max(0LL, (*properties)[imageio::key::PixelWidth].integerValue()));
            frame->height = static_cast<size_t>(std::max(0LL, (*properties)[imageio::key::PixelHeight].integerValue()));
            if (type_ == VXImageTypeGIF) {
                if (const ns::Dictionary* gif = gifDictionary(properties)) {
                    const ns::Value& unclamped = (*gif)[imageio::key::GIFUnclampedDelayTime];
                    const ns::Value& delay = unclamped.isNil() ? (*gif)[imageio::key::GIFDelayTime] : unclamped;
                    frame->duration = delay.doubleValue();
                }
            }
        }
        if (i == 0) {
            width_ = frame->width;
            height_ = frame->height;
            if (properties) orientation_ = ui::ImageOrientationFromEXIF((*properties)[imageio::key::Orientation].integerValue());
        }
        frames.push_back(std::move(frame));
    }
    setFrames(std::move(frames));
}

void VXImageDecoder::updateSourceAPNG() {
    // The default image first, so that unfinished data shows it progressively.
    apngInfo_.reset();
    updateSourceImageIO();
    if (frameCount_ == 0 || !finalized_) return;

    const ns::DataRef data = this->data();
    auto info = VXPNGInfoCreate(data->bytes(), data->length());
    if (!info || info->apngFrameCount() == 0 || (info->apngFrameCount() == 1 && info->firstFrameIsDefaultImage)) return;

    // A canvas larger than any decoder accepts, or a frame outside the canvas (or empty), breaks
    // the format: the still default image stands.
    if (info->width == 0 || info->height == 0 || uint64_t(info->width) * info->height > kMaxCanvasPixels) return;
    for (const VXAPNGFrameInfo& f : info->apngFrames) {
        if (f.width == 0 || f.height == 0 || uint64_t(f.offsetX) + f.width > info->width ||
            uint64_t(f.offsetY) + f.height > info->height)
            return;
    }

    const size_t canvasWidth = info->width, canvasHeight = info->height;
    FrameList frames;
    frames.reserve(info->apngFrameCount());
    size_t lastBlendIndex = 0;
    bool needBlend = false;
    for (size_t i = 0; i < info->apngFrames.size(); ++i) {
        const VXAPNGFrameInfo& f = info->apngFrames[i];
        auto frame = ns::make<_VXImageDecoderFrame>();
        frame->index = i;
        frame->duration = double(f.delayNumerator) / double(f.delayDenominator == 0 ? 100 : f.delayDenominator);
        frame->hasAlpha = true;
        frame->width = f.width;
        frame->height = f.height;
        frame->offsetX = f.offsetX;
        frame->offsetY = canvasHeight - f.offsetY - f.height;
        frame->isFullSize = f.width == canvasWidth && f.height == canvasHeight && f.offsetX == 0 && f.offsetY == 0;
        frame->dispose = f.dispose == 1 ? VXImageDisposeBackground : f.dispose == 2 ? VXImageDisposePrevious : VXImageDisposeNone;
        frame->blend = f.blend == 1 ? VXImageBlendOver : VXImageBlendSource;
        if (frame->blend == VXImageBlendSource && frame->isFullSize) {
            frame->blendFromIndex = i;
            if (frame->dispose != VXImageDisposePrevious) lastBlendIndex = i;
        } else if (frame->dispose == VXImageDisposeBackground && frame->isFullSize) {
            frame->blendFromIndex = lastBlendIndex;
            lastBlendIndex = i + 1;
        } else {
            frame->blendFromIndex = lastBlendIndex;
        }
        if (frame->blendFromIndex != frame->index) needBlend = true;
        frames.push_back(std::move(frame));
    }

    source_.reset();
    width_ = canvasWidth;
    height_ = canvasHeight;
    loopCount_ = info->loopCount;
    needBlend_ = needBlend;
    apngInfo_ = std::move(info);
    setFrames(std::move(frames));
}

// --- Reading --------------------------------------------------------------------------------

double VXImageDecoder::frameDurationAtIndex(size_t index) const {
    framesLock_.wait();
    const double duration = index < frames_.size() ? frames_[index]->duration : 0;
    framesLock_.signal();
    return duration;
}

std::optional<imageio::Properties> VXImageDecoder::framePropertiesAtIndex(size_t index) {
    std::lock_guard guard(lock_);
    if (!source_) return std::nullopt;
    return source_->CopyPropertiesAtIndex(index);
}

std::optional<imageio::Properties> VXImageDecoder::imageProperties() {
    std::lock_guard guard(lock_);
    if (!source_) return std::nullopt;
    return source_->CopyProperties();
}

ns::Ref<VXImageFrame> VXImageDecoder::frameAtIndex(size_t index, bool decodeForDisplay) {
    std::lock_guard guard(lock_);
    return frameAtIndexLocked(index, decodeForDisplay);
}

cg::Rect VXImageDecoder::frameRect(const _VXImageDecoderFrame& frame) {
    return cg::RectMake(double(frame.offsetX), double(frame.offsetY), double(frame.width), double(frame.height));
}

// Frames are replaced only under lock_, so the locked paths read frames_ directly.
ns::Ref<VXImageFrame> VXImageDecoder::frameAtIndexLocked(size_t index, bool decodeForDisplay) {
    const FrameList& frames = frames_;
    if (index >= frames.size()) return nullptr;
    auto frame = std::static_pointer_cast<_VXImageDecoderFrame>(frames[index]->copy());
    const bool extendToCanvas = decodeForDisplay && type_ != VXImageTypeICO;

    if (!needBlend_) {
        bool decoded = false;
        cg::ImageRef image = newUnblendedImageAtIndex(index, extendToCanvas, &decoded);
        if (!image) return nullptr;
        if (decodeForDisplay && !decoded) {
            if (auto copy = VXImageCreateDecodedCopy(image, true)) {
                image = copy;
                decoded = true;
            }
        }
        auto uiImage = ui::Image::imageWithCGImage(image, scale_, orientation_);
        if (!uiImage) return nullptr;
        VXImageCoder::setVX_isDecodedForDisplay(uiImage, decoded);
        frame->image = uiImage;
        return frame;
    }

    // Blending: one canvas, kept between calls.
    if (!blendCanvas_) {
        blendCanvas_ = cg::Context::CreateBitmap(nullptr, width_, height_, 8, 0, VXSharedDeviceRGBColorSpace(),
                                                 VXBitmapInfoDisplay);
        if (!blendCanvas_) return nullptr;
    }
    const cg::Rect canvasRect = cg::RectMake(0, 0, double(width_), double(height_));
    cg::ImageRef image;
    if (blendFrameIndex_ && *blendFrameIndex_ + 1 == frame->index) {
        image = newBlendedImageWithFrame(*frame);
    } else {
        blendFrameIndex_.reset();
        blendCanvas_->ClearRect(canvasRect);
        if (frame->blendFromIndex == frame->index) {
            bool unused = false;
            if (auto unblended = newUnblendedImageAtIndex(index, false, &unused))
                blendCanvas_->DrawImage(frameRect(*frame), unblended);
            image = blendCanvas_->CreateImage();
            if (frame->dispose == VXImageDisposeBackground) blendCanvas_->ClearRect(frameRect(*frame));
            else if (frame->dispose == VXImageDisposePrevious) blendCanvas_->ClearRect(canvasRect);
        } else {
            for (size_t i = frame->blendFromIndex; i < frame->index; ++i) blendFrameOntoCanvas(*frames[i]);
            image = newBlendedImageWithFrame(*frame);
        }
    }
    blendFrameIndex_ = index;
    if (!image) return nullptr;
    auto uiImage = ui::Image::imageWithCGImage(image, scale_, orientation_);
    if (!uiImage) return nullptr;
    VXImageCoder::setVX_isDecodedForDisplay(uiImage, true);
    frame->image = uiImage;
    if (extendToCanvas) {
        frame->width = width_;
        frame->height = height_;
        frame->offsetX = 0;
        frame->offsetY = 0;
        frame->dispose = VXImageDisposeNone;
        frame->blend = VXImageBlendSource;
    }
    return frame;
}

cg::ImageRef VXImageDecoder::newUnblendedImageAtIndex(size_t index, bool extendToCanvas, bool* decoded) {
    *decoded = false;
    if (!finalized_ && index > 0) return nullptr;
    if (index >= frames_.size()) return nullptr;
    const _VXImageDecoderFrame& frame = *frames_[index];

    if (source_) {
        const imageio::Properties options = cachingOptions(extendToCanvas);
        cg::ImageRef image = source_->CreateImageAtIndex(index, &options);
        if (!image || !extendToCanvas) return image;
        const size_t canvasWidth = width_, canvasHeight = height_;
        if (image->width() == canvasWidth && image->height() == canvasHeight) {
            if (inDisplayFormat(image)) {
                *decoded = true;
                return image;
            }
            if (auto copy = VXImageCreateDecodedCopy(image, true)) {
                *decoded = true;
                return copy;
            }
            return image;
        }
        auto context = cg::Context::CreateBitmap(nullptr, canvasWidth, canvasHeight, 8, 0, VXSharedDeviceRGBColorSpace(),
                                                 VXBitmapInfoDisplay);
        if (!context) return image;
        context->DrawImage(cg::RectMake(0, double(canvasHeight) - double(image->height()), double(image->width()),
                                        double(image->height())),
                           image);
        if (auto copy = context->CreateImage()) {
            *decoded = true;
            return copy;
        }
        return image;
    }

    if (apngInfo_) {
        cg::ImageRef image = newImageFromAPNGFrame(frame, index);
        if (!image || !extendToCanvas) return image;
        auto context = cg::Context::CreateBitmap(nullptr, width_, height_, 8, 0, VXSharedDeviceRGBColorSpace(),
                                                 VXBitmapInfoDisplay);
        if (!context) return nullptr;
        context->DrawImage(frameRect(frame), image);
        image = context->CreateImage();
        if (image) *decoded = true;
        return image;
    }
    return nullptr;
}

cg::ImageRef VXImageDecoder::newImageFromAPNGFrame(const _VXImageDecoderFrame& frame, size_t index) {
    const ns::DataRef data = this->data();
    if (!data || index >= apngInfo_->apngFrames.size()) return nullptr;
    std::vector<uint8_t> png = rebuildAPNGFrame(*apngInfo_, apngInfo_->apngFrames[index], index, data->bytes());
    auto provider = cg::DataProvider::CreateWithCFData(ns::make<ns::Data>(std::move(png)));
    if (!provider) return nullptr;
    auto source = imageio::ImageSource::CreateWithDataProvider(provider);
    if (!source) return nullptr;
    const imageio::Properties options = cachingOptions();
    return source->CreateImageAtIndex(0, &options);
}

// Draws the frame onto the canvas as it stands and returns the picture; leaves the canvas ready
// for the next frame.
cg::ImageRef VXImageDecoder::newBlendedImageWithFrame(const _VXImageDecoderFrame& frame) {
    const cg::Rect rect = frameRect(frame);
    bool unused = false;
    cg::ImageRef unblended = newUnblendedImageAtIndex(frame.index, false, &unused);
    cg::ImageRef previous;
    if (frame.dispose == VXImageDisposePrevious) previous = blendCanvas_->CreateImage();
    if (frame.blend == VXImageBlendSource) blendCanvas_->ClearRect(rect);
    if (unblended) blendCanvas_->DrawImage(rect, unblended);
    cg::ImageRef image = blendCanvas_->CreateImage();
    if (frame.dispose == VXImageDisposeBackground) {
        blendCanvas_->ClearRect(rect);
    } else if (frame.dispose == VXImageDisposePrevious) {
        const cg::Rect canvasRect = cg::RectMake(0, 0, double(width_), double(height_));
        blendCanvas_->ClearRect(canvasRect);
        if (previous) blendCanvas_->DrawImage(canvasRect, previous);
    }
    return image;
}

// One frame of a catch-up: only what it leaves on the canvas for the frames after it.
void VXImageDecoder::blendFrameOntoCanvas(const _VXImageDecoderFrame& frame) {
    const cg::Rect rect = frameRect(frame);
    if (frame.dispose == VXImageDisposePrevious) return;
    if (frame.dispose == VXImageDisposeBackground) {
        blendCanvas_->ClearRect(rect);
        return;
    }
    bool unused = false;
    if (auto unblended = newUnblendedImageAtIndex(frame.index, false, &unused)) {
        if (frame.blend == VXImageBlendSource) blendCanvas_->ClearRect(rect);
        blendCanvas_->DrawImage(rect, unblended);
    }
}
