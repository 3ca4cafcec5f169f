// Thread rules: a decoder fed from one thread and read from others, and animated images whose
// frames are asked in the background while durations are read elsewhere (run under the sanitizers).

#include "ImageBytes.h"
#include "image/VXImage.h"
#include "image/VXImageDecoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace imagebytes;

namespace {

std::vector<uint8_t> animatedPNG() {
    std::vector<ApngFrame> frames;
    for (uint32_t i = 0; i < 6; ++i) {
        const uint8_t level = uint8_t(40 * i);
        frames.push_back({i % 2, i % 3, 8 - i % 2, 8 - i % 3, 1, 20, uint8_t(i % 3), uint8_t(i % 2),
                          solid({level, uint8_t(255 - level), 0, 200})});
    }
    frames[0] = {0, 0, 8, 8, 1, 20, 0, 0, solid({9, 9, 9, 255})};
    return apng(8, 8, frames);
}

} // namespace

TEST(ImageDecoderThreads, FedFromOneThreadAndReadFromOthers) {
    for (const auto& bytes : {animatedPNG(), gif(8, 8, {{8, 8, 5, 0}, {8, 8, 5, 1}, {8, 8, 5, 2}, {8, 8, 5, 3}}, 0)}) {
        auto decoder = VXImageDecoder::initWithScale(1);
        std::atomic<bool> fed{false};
        std::thread feeder([&] {
            for (size_t length = 8; length < bytes.size(); length += 13) decoder->updateData(dataOf(bytes, length), false);
            decoder->updateData(dataOf(bytes), true);
            fed = true;
        });
        std::vector<std::thread> readers;
        std::atomic<size_t> images{0};
        for (int r = 0; r < 3; ++r)
            readers.emplace_back([&, r] {
                // Until the data is complete, then 20 rounds more.
                for (size_t i = r, after = 0; after < 20; ++i) {
                    if (fed) ++after;
                    const size_t count = decoder->frameCount();
                    decoder->frameDurationAtIndex(i % 7);
                    decoder->framePropertiesAtIndex(0);
                    if (count > 0 && decoder->frameAtIndex(i % count, r != 1)) ++images;
                    (void)decoder->data();
                }
            });
        feeder.join();
        for (auto& reader : readers) reader.join();
        EXPECT_GT(images.load(), 0u);
        ASSERT_TRUE(decoder->isFinalized());
        EXPECT_GE(decoder->frameCount(), 4u);
        // The shared canvas still composes correctly after the concurrent use.
        auto fresh = VXImageDecoder::decoderWithData(dataOf(bytes), 1);
        for (size_t i = 0; i < fresh->frameCount(); ++i) {
            auto a = decoder->frameAtIndex(i, true), b = fresh->frameAtIndex(i, true);
            ASSERT_TRUE(a && b);
            for (uint32_t y = 0; y < 8; ++y)
                for (uint32_t x = 0; x < 8; ++x)
                    ASSERT_EQ(pixelAt(a->image->CGImage(), x, y), pixelAt(b->image->CGImage(), x, y)) << i;
        }
    }
}

TEST(ImageDecoderThreads, AnimatedImageFramesInTheBackground) {
    auto image = VXImage::imageWithData(dataOf(animatedPNG()), 1);
    ASSERT_TRUE(image);
    std::atomic<bool> done{false};
    std::thread background([&] {
        for (int pass = 0; pass < 4; ++pass)
            for (size_t i = 0; i < image->animatedImageFrameCount(); ++i) EXPECT_TRUE(image->animatedImageFrameAtIndex(i));
        done = true;
    });
    std::thread preloader([&] {
        for (int pass = 0; pass < 4; ++pass) image->setPreloadAllAnimatedImageFrames(pass % 2 == 0);
    });
    double total = 0;
    do {
        for (size_t i = 0; i < image->animatedImageFrameCount(); ++i) total += image->animatedImageDurationAtIndex(i);
    } while (!done);
    background.join();
    preloader.join();
    EXPECT_GT(total, 0);
}
