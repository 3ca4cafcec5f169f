#include "image/VXImage.h"

#include "image/VXImageCoder.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Value.h"
#include "os/uikit/Screen.h"

#include <cfloat>
#include <cmath>
#include <mutex>

namespace {

const bool registered = [] {
    ns::Coding::registerClass("VXImage", [](ns::Coder& coder) -> ns::Ref<ns::Object> { return VXImage::initWithCoder(coder); });
    return true;
}();

// The scales imageNamed tries, fixed from the main screen's scale on first use (a test hook
// forgets them).
std::vector<double> namedScales() {
    static std::mutex mutex;
    static std::vector<double> scales;
    static bool hookAdded = false;
    std::lock_guard guard(mutex);
    if (!hookAdded) {
        hookAdded = true;
        ns::ResetRegistry::add("image.VXImage.namedScales", [] {
            std::lock_guard resetGuard(mutex);
            scales.clear();
        });
    }
    if (scales.empty()) {
        const double screen = ui::Screen::mainScreen().scale();
        if (screen <= 1) scales = {1, 2, 3};
        else if (screen <= 2) scales = {2, 3, 1};
        else scales = {3, 2, 1};
    }
    return scales;
}

// The last path component's extension ("" when none) and the path without it.
void splitExtension(const std::string& path, std::string* base, std::string* extension) {
    const size_t slash = path.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= start || dot + 1 == path.size()) {
        *base = path;
        extension->clear();
        return;
    }
    *base = path.substr(0, dot);
    *extension = path.substr(dot + 1);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether text matches [0-9]+\.?[0-9]*x exactly.
bool isScaleSuffix(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i == 0) return false;
    if (i < text.size() && text[i] == '.') ++i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i + 1 == text.size() && text[i] == 'x';
}

} // namespace

double VXImageScaleFromPath(const std::string& path) {
    double scale = 1;
    if (path.empty() || path.back() == '/') return scale;
    std::string base, extension;
    splitExtension(path, &base, &extension);
    // "@[0-9]+\.?[0-9]*x$" with anchors matching at every line end.
    size_t lineStart = 0;
    while (lineStart <= base.size()) {
        size_t lineEnd = base.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string::npos) lineEnd = base.size();
        const std::string_view line(base.data() + lineStart, lineEnd - lineStart);
        for (size_t at = line.find('@'); at != std::string_view::npos; at = line.find('@', at + 1)) {
            const std::string_view suffix = line.substr(at + 1);
            if (isScaleSuffix(suffix)) {
                scale = ns::numtext::doubleValue(suffix.substr(0, suffix.size() - 1));
                break;
            }
        }
        lineStart = lineEnd + 1;
    }
    return scale;
}

// --- Creation -------------------------------------------------------------------------------

ns::Ref<VXImage> VXImage::imageNamed(const std::string& name) {
    if (name.empty() || name.back() == '/') return nullptr;
    std::string base, extension;
    splitExtension(name, &base, &extension);
    const std::vector<std::string> extensions =
        extension.empty() ? std::vector<std::string>{"", "png", "jpeg", "jpg", "gif", "webp", "apng"}
                          : std::vector<std::string>{extension};
    auto bundle = ns::Bundle::main();
    if (!bundle) return nullptr;
    for (double scale : namedScales()) {
        std::string resource = base;
        if (std::fabs(scale - 1) > FLT_EPSILON && !base.empty() && base.back() != '/')
            resource = base + "@" + ns::numtext::shortest(scale) + "x";
        for (const std::string& type : extensions) {
            if (auto path = bundle->pathForResource(resource, type)) {
                ns::DataRef data = ns::Data::fromFile(*path);
                if (!data || data->length() == 0) return nullptr;
                return imageWithData(data, scale);
            }
        }
    }
    return nullptr;
}

ns::Ref<VXImage> VXImage::imageWithContentsOfFile(const std::string& path) {
    return imageWithData(ns::Data::fromFile(path), VXImageScaleFromPath(path));
}

ns::Ref<VXImage> VXImage::imageWithData(const ns::DataRef& data, double scale) {
    auto image = ns::make<VXImage>();
    return image->initWithAnimatedData(data, scale) ? image : nullptr;
}

ns::Ref<VXImage> VXImage::imageWithCGImage(const cg::ImageRef& cgImage, double scale, ui::ImageOrientation orientation) {
    auto image = ns::make<VXImage>();
    return image->initWithCGImage(cgImage, scale, orientation) ? image : nullptr;
}

bool VXImage::initWithAnimatedData(const ns::DataRef& data, double scale) {
    if (!data || data->length() == 0) return false;
    if (scale <= 0) scale = ui::Screen::mainScreen().scale();
    auto decoder = VXImageDecoder::decoderWithData(data, scale);
    if (!decoder) return false;
    auto frame = decoder->frameAtIndex(0, true);
    if (!frame || !frame->image) return false;
    const cg::ImageRef bitmap = frame->image->CGImage();
    if (!initWithCGImage(bitmap, decoder->scale(), frame->image->imageOrientation())) return false;
    animatedImageType_ = decoder->type();
    if (decoder->frameCount() > 1) {
        decoder_ = decoder;
        bytesPerFrame_ = bitmap->bytesPerRow() * bitmap->height();
        animatedImageMemorySize_ = bytesPerFrame_ * decoder->frameCount();
    }
    VXImageCoder::setVX_isDecodedForDisplay(ref<VXImage>(), true);
    return true;
}

// --- Frames ---------------------------------------------------------------------------------

ns::DataRef VXImage::animatedImageData() const { return decoder_ ? decoder_->data() : nullptr; }

size_t VXImage::animatedImageFrameCount() const { return decoder_ ? decoder_->frameCount() : 0; }

size_t VXImage::animatedImageLoopCount() const { return decoder_ ? decoder_->loopCount() : 0; }

ui::ImageRef VXImage::animatedImageFrameAtIndex(size_t index) {
    if (index >= animatedImageFrameCount()) return nullptr;
    preloadedLock_.wait();
    const bool preloaded = index < preloadedFrames_.size();
    ui::ImageRef image = preloaded ? preloadedFrames_[index] : nullptr;
    preloadedLock_.signal();
    if (preloaded) return image;
    auto frame = decoder_->frameAtIndex(index, true);
    return frame ? frame->image : nullptr;
}

double VXImage::animatedImageDurationAtIndex(size_t index) const {
    const double duration = decoder_ ? decoder_->frameDurationAtIndex(index) : 0;
    // Browsers play very short delays at 0.1 s; so do we (in single precision, as the values are).
    if (duration < double(0.011f)) return double(0.100f);
    return duration;
}

void VXImage::setPreloadAllAnimatedImageFrames(bool preload) {
    if (preload == preloadAllAnimatedImageFrames_) return;
    preloadAllAnimatedImageFrames_ = preload;
    std::vector<ui::ImageRef> frames;
    if (preload && decoder_ && decoder_->frameCount() > 0) {
        const size_t count = decoder_->frameCount();
        frames.reserve(count);
        for (size_t i = 0; i < count; ++i) frames.push_back(animatedImageFrameAtIndex(i));
    }
    preloadedLock_.wait();
    preloadedFrames_.swap(frames);
    preloadedLock_.signal();
}

// --- Coding ---------------------------------------------------------------------------------

void VXImage::encodeWithCoder(ns::Coder& coder) const {
    ns::DataRef data = animatedImageData();
    if (data && data->length() > 0) {
        coder.encodeObject(ns::Value(scale()), "VXImageScale");
        coder.encodeObject(data, "VXImageData");
    } else {
        ui::Image::encodeWithCoder(coder);
    }
}

ns::Ref<VXImage> VXImage::initWithCoder(ns::Coder& coder) {
    ns::DataRef data = coder.decodeObject("VXImageData").data();
    if (data && data->length() > 0) return imageWithData(data, coder.decodeObject("VXImageScale").doubleValue());
    ui::ImageRef base = ui::Image::initWithCoder(coder);
    if (!base) return nullptr;
    return imageWithCGImage(base->CGImage(), base->scale(), base->imageOrientation());
}
