// The image classes above the decoder on hostile bytes: VXImage (frames, preloading, coding),
// VXFrameImage (the bytes cut into frames), VXSpriteSheetImage (rectangles and durations from the
// bytes) and the image coder category. No crash, leak or hang; contents rectangles stay in the unit
// square. The first byte picks a signature put in front of the rest (0: the bytes as they are).

#include "fuzz/SignedInput.h"
#include "image/VXFrameImage.h"
#include "image/VXImage.h"
#include "image/VXImageCoder.h"
#include "image/VXSpriteSheetImage.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const std::vector<std::vector<uint8_t>> kSignatures = {
    {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
    {0xFF, 0xD8, 0xFF},
    {'G', 'I', 'F', '8', '9', 'a'},
    {'I', 'I', 42, 0},
    {'B', 'M'},
};

// Durations decoded from the bytes are numbers; a sprite sheet's are the caller's own.
void exercise(VXAnimatedImage& image, bool decodedDurations = true) {
    const size_t count = image.animatedImageFrameCount();
    for (size_t i = 0; i <= count; ++i) {
        if (i >= 3 && i + 2 < count) continue;
        image.animatedImageFrameAtIndex(i);
        const double duration = image.animatedImageDurationAtIndex(i);
        if (decodedDurations && std::isnan(duration)) std::abort();
        if (image.implementsAnimatedImageContentsRect()) image.animatedImageContentsRectAtIndex(i);
    }
    image.animatedImageLoopCount();
    image.animatedImageBytesPerFrame();
}

double readDouble(const uint8_t*& p, const uint8_t* end) {
    double d = 0;
    if (end - p >= 8) {
        std::memcpy(&d, p, 8);
        p += 8;
    }
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> bytes = signedInput(kSignatures, data, size);
    auto encoded = ns::Data::make(bytes.data(), bytes.size());
    const double scale = double(data[0] >> 4) / 4; // 0 (the screen's) to 3.75

    auto image = VXImage::imageWithData(encoded, scale);
    if (image) {
        exercise(*image);
        image->setPreloadAllAnimatedImageFrames(true);
        exercise(*image);
        image->setPreloadAllAnimatedImageFrames(false);
        // Coding keeps the data, so the image comes back from an archive.
        auto archived = ns::KeyedArchiver::archivedData(ns::Value(ns::Ref<ns::Object>(image)));
        if (archived) (void)ns::KeyedUnarchiver::unarchiveObject(archived);
        ui::ImageRef decoded = VXImageCoder::VX_imageByDecoded(image);
        (void)VXImageCoder::VX_isDecodedForDisplay(decoded);
        (void)VXImageCoder::VX_imageDataRepresentation(image);

        // The same picture as a sprite sheet, cut by rectangles the bytes give.
        std::vector<cg::Rect> rects;
        std::vector<double> durations;
        const uint8_t* p = data + 1;
        const uint8_t* end = data + std::min<size_t>(size, 1 + 5 * 40);
        while (end - p >= 40) {
            const double x = readDouble(p, end), y = readDouble(p, end), w = readDouble(p, end), h = readDouble(p, end);
            rects.push_back(cg::Rect{{x, y}, {w, h}});
            durations.push_back(readDouble(p, end));
        }
        if (rects.empty()) rects.push_back(cg::Rect{{0, 0}, {1, 1}}), durations.push_back(0.1);
        if (auto sheet = VXSpriteSheetImage::initWithSpriteSheetImage(image, rects, durations, data[0])) {
            exercise(*sheet, false);
            for (size_t i = 0; i <= rects.size(); ++i) {
                const cg::Rect r = sheet->contentsRectForCALayerAtIndex(i);
                if (!(r.origin.x >= 0 && r.origin.y >= 0 && r.size.width >= 0 && r.size.height >= 0 &&
                      r.origin.x + r.size.width <= 1 + 1e-9 && r.origin.y + r.size.height <= 1 + 1e-9))
                    std::abort();
            }
        }
    }

    // The bytes cut into up to three frames of a frame image.
    std::vector<ns::DataRef> frames;
    const size_t third = bytes.size() / 3 + 1;
    for (size_t at = 0; at < bytes.size(); at += third)
        frames.push_back(ns::Data::make(bytes.data() + at, std::min(third, bytes.size() - at)));
    frames.insert(frames.begin(), encoded);
    if (auto frameImage = VXFrameImage::initWithImageDataArray(frames, 1.0 / (1 + data[0]), data[0] % 3)) {
        exercise(*frameImage);
        (void)VXImageCoder::VX_imageDataRepresentation(frameImage);
    }
    return 0;
}
