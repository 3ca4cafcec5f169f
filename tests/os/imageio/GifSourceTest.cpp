// GIF frames come out composited on the whole canvas, with offsets, transparency and disposal.

#include "ImageFixtures.h"

#include "os/imageio/ImageSource.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace imageio;

namespace {

const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255}, kClear{};
const std::vector<std::array<uint8_t, 3>> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

// 4×4 canvas:
// 0: all red, keep (1).
// 1: green 2×2 at (1,1), dispose to background (2).
// 2: blue 2×2 at (0,0) whose first pixel is transparent, dispose to previous (3).
// 3: white 1×1 at (3,3), unspecified (0).
std::vector<uint8_t> disposalGif() {
    return gifBytes(4, 4, kPalette,
                    {{0, 0, 4, 4, 1, 10, -1, std::vector<uint8_t>(16, 0)},
                     {1, 1, 2, 2, 2, 1, -1, {1, 1, 1, 1}},
                     {0, 0, 2, 2, 3, 0, 3, {3, 2, 2, 2}},
                     {3, 3, 1, 1, 0, 25, -1, {3}}},
                    0);
}

// Expected canvas of each frame, row by row.
std::vector<std::vector<Rgba>> expectedFrames() {
    const Rgba R = kRed, G = kGreen, B = kBlue, W = kWhite, _ = kClear;
    return {
        {R, R, R, R, R, R, R, R, R, R, R, R, R, R, R, R},
        {R, R, R, R, R, G, G, R, R, G, G, R, R, R, R, R},
        {R, B, R, R, B, B, _, R, R, _, _, R, R, R, R, R}, // frame 1's square was cleared
        {R, R, R, R, R, _, _, R, R, _, _, R, R, R, R, W}, // frame 2 undone
    };
}

void expectCanvas(const cg::ImageRef& image, const std::vector<Rgba>& expected, size_t frame) {
    ASSERT_TRUE(image) << "frame " << frame;
    ASSERT_EQ(image->width(), 4u);
    ASSERT_EQ(image->height(), 4u);
    EXPECT_EQ(image->alphaInfo(), cg::ImageAlphaLast);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(pixelAt(image, i % 4, i / 4), expected[i]) << "frame " << frame << " pixel " << i % 4 << "," << i / 4;
}

TEST(GifSource, CompositesFramesWithDisposalInAnyOrder) {
    auto source = ImageSource::CreateWithData(dataOf(disposalGif()));
    ASSERT_EQ(source->GetType(), uti::GIF);
    ASSERT_EQ(source->GetCount(), 4u);
    const auto expected = expectedFrames();
    for (size_t i = 0; i < 4; ++i) ASSERT_NO_FATAL_FAILURE(expectCanvas(source->CreateImageAtIndex(i), expected[i], i));
    // Out of order: rebuilt from the start, same pictures.
    for (size_t i : {3, 1, 2, 0, 3}) ASSERT_NO_FATAL_FAILURE(expectCanvas(source->CreateImageAtIndex(i), expected[i], i));
    EXPECT_FALSE(source->CreateImageAtIndex(4));
}

TEST(GifSource, ReportsDelaysAndLoopCount) {
    auto source = ImageSource::CreateWithData(dataOf(disposalGif()));
    const double unclamped[4] = {0.1, 0.01, 0, 0.25}, clamped[4] = {0.1, 0.1, 0.1, 0.25};
    for (size_t i = 0; i < 4; ++i) {
        const Properties p = *source->CopyPropertiesAtIndex(i);
        EXPECT_EQ(p[key::PixelWidth].intValue(), 4); // the canvas, not the frame
        EXPECT_DOUBLE_EQ(p[key::GIFDictionary][key::GIFUnclampedDelayTime].doubleValue(), unclamped[i]);
        EXPECT_DOUBLE_EQ(p[key::GIFDictionary][key::GIFDelayTime].doubleValue(), clamped[i]);
    }
    const Properties container = *source->CopyProperties();
    EXPECT_TRUE(container[key::GIFDictionary].dictionaryPtr()->contains(key::GIFLoopCount));
    EXPECT_EQ(container[key::GIFDictionary][key::GIFLoopCount].intValue(), 0);
    EXPECT_EQ(container[key::FileSize].intValue(), int(disposalGif().size()));

    auto once = ImageSource::CreateWithData(dataOf(gifBytes(1, 1, kPalette, {{0, 0, 1, 1, 0, 0, -1, {0}}}, std::nullopt)));
    EXPECT_FALSE((*once->CopyProperties())[key::GIFDictionary].dictionaryPtr()->contains(key::GIFLoopCount));
}

TEST(GifSource, PartialDataCountsArrivedFramesAndDrawsArrivedRows) {
    // Two 64×64 frames; the second, noisy (several data sub-blocks), is drawn over the first.
    const GifFrame first{0, 0, 64, 64, 1, 5, -1, std::vector<uint8_t>(64 * 64, 0)};
    GifFrame second{0, 0, 64, 64, 1, 5, -1, std::vector<uint8_t>(64 * 64)};
    uint32_t noise = 1;
    for (uint8_t& index : second.indices) {
        noise = noise * 1103515245 + 12345;
        index = uint8_t(1 + (noise >> 16) % 2);
    }
    const auto bytes = gifBytes(64, 64, kPalette, {first, second}, std::nullopt);
    // Where the second frame starts: the one-frame file's trailer, then an 8-byte control block.
    const size_t secondImage = gifBytes(64, 64, kPalette, {first}, std::nullopt).size() - 1 + 8;
    ASSERT_EQ(bytes[secondImage], 0x2C);

    auto source = ImageSource::CreateIncremental();
    source->UpdateData(dataOf(bytes, secondImage + 5), false);
    EXPECT_EQ(source->GetCount(), 1u);
    EXPECT_EQ(source->GetStatus(), Status::Incomplete);
    EXPECT_EQ(pixelAt(source->CreateImageAtIndex(0), 63, 63), kRed);

    source->UpdateData(dataOf(bytes, secondImage + 10 + 1 + 256), false); // its first data sub-block
    ASSERT_EQ(source->GetCount(), 2u);
    auto partial = source->CreateImageAtIndex(1);
    ASSERT_TRUE(partial);
    EXPECT_NE(pixelAt(partial, 0, 0), kRed);
    EXPECT_EQ(pixelAt(partial, 63, 63), kRed); // still the frame below

    source->UpdateData(dataOf(bytes), true);
    EXPECT_EQ(source->GetStatus(), Status::Complete);
    EXPECT_NE(pixelAt(source->CreateImageAtIndex(1), 63, 63), kRed);
}

} // namespace
