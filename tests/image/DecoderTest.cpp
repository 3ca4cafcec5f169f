// The decoder: accepting data, incremental growth, system formats, and animated PNG composition.

#include "ImageBytes.h"
#include "image/VXImageCoder.h"
#include "image/VXPNGInfo.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

using namespace imagebytes;

namespace {

const Rgba kHalfGreen{0, 255, 0, 128}, kHalfBlue{0, 0, 255, 128};

class ImageDecoder : public vx::test::Environment {};

// Every pixel of a 4 × 4 frame, row by row.
std::vector<Rgba> pixelsOf(const cg::ImageRef& image) {
    std::vector<Rgba> out;
    for (uint32_t y = 0; y < image->height(); ++y)
        for (uint32_t x = 0; x < image->width(); ++x) out.push_back(pixelAt(image, x, y));
    return out;
}

// Frame 0 full red; frame 1 half-transparent green over (1,1)-(2,2); frame 2 half-transparent blue
// replacing (0,0)-(1,1).
std::vector<uint8_t> blendingAPNG() {
    return apng(4, 4, {{0, 0, 4, 4, 1, 10, 0, 0, solid(kRed)},
                       {1, 1, 2, 2, 1, 10, 0, 1, solid(kHalfGreen)},
                       {0, 0, 2, 2, 1, 10, 0, 0, solid(kHalfBlue)}});
}

std::vector<uint8_t> icoWithTwoSizes() {
    const std::vector<uint8_t> big = png(16, 16, solid(kRed)), small = png(8, 8, solid(kBlue));
    std::vector<uint8_t> out = {0, 0, 1, 0, 2, 0};
    uint32_t offset = 6 + 2 * 16;
    for (const auto* entry : {&big, &small}) {
        const uint8_t side = entry == &big ? 16 : 8;
        const uint32_t size = uint32_t(entry->size());
        out.insert(out.end(), {side, side, 0, 0, 1, 0, 32, 0});
        for (uint32_t v : {size, offset}) out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        offset += size;
    }
    out.insert(out.end(), big.begin(), big.end());
    out.insert(out.end(), small.begin(), small.end());
    return out;
}

} // namespace

TEST(ImagePNGInfo, ReadsChunksAndTheFrameTable) {
    const auto plain = png(5, 3, distinct);
    auto info = VXPNGInfoCreate(plain.data(), plain.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 5u);
    EXPECT_EQ(info->height, 3u);
    EXPECT_EQ(info->colorType, 6);
    EXPECT_EQ(info->chunks.front().type, VXPNGChunkType("IHDR"));
    EXPECT_EQ(info->chunks.back().type, VXPNGChunkType("IEND"));
    EXPECT_EQ(info->chunks[info->insertIndex].type, VXPNGChunkType("IDAT"));
    EXPECT_EQ(info->apngFrameCount(), 0u);

    const auto animated = apng(4, 4, {{0, 0, 4, 4, 1, 10, 0, 0, solid(kRed)}, {1, 2, 2, 1, 3, 100, 1, 1, solid(kGreen)}},
                               {true, nullptr, std::nullopt, 5} /* loops */);
    info = VXPNGInfoCreate(animated.data(), animated.size());
    ASSERT_TRUE(info);
    ASSERT_EQ(info->apngFrameCount(), 2u);
    EXPECT_EQ(info->loopCount, 5u);
    EXPECT_TRUE(info->firstFrameIsDefaultImage);
    const VXAPNGFrameInfo& second = info->apngFrames[1];
    EXPECT_EQ(std::tuple(second.sequenceNumber, second.width, second.height, second.offsetX, second.offsetY),
              std::tuple(1u, 2u, 1u, 1u, 2u));
    EXPECT_EQ(std::tuple(second.delayNumerator, second.delayDenominator, second.dispose, second.blend),
              std::tuple(uint16_t(3), uint16_t(100), uint8_t(1), uint8_t(1)));
    EXPECT_EQ(info->chunks[second.chunkIndex].type, VXPNGChunkType("fdAT"));
    EXPECT_EQ(info->sharedChunkCount(), 2u); // IHDR and IEND

    // A sequence number out of order leaves a plain PNG; a chunk running past the end, nothing.
    auto broken = animated;
    const size_t fdat = std::search(broken.begin(), broken.end(), std::begin("fdAT"), std::end("fdAT") - 1) - broken.begin();
    broken[fdat + 7] = 9;
    info = VXPNGInfoCreate(broken.data(), broken.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->apngFrameCount(), 0u);
    auto truncated = animated;
    truncated[8] = 0x7F; // IHDR length far past the end
    EXPECT_EQ(VXPNGInfoCreate(truncated.data(), truncated.size()), nullptr);
    EXPECT_EQ(VXPNGInfoCreate(animated.data(), 31), nullptr);
}

TEST_F(ImageDecoder, AcceptsGrowingDataAndFixesTheTypeAtSeventeenBytes) {
    const auto bytes = png(8, 8, distinct);
    auto decoder = VXImageDecoder::initWithScale(2);
    EXPECT_TRUE(decoder->updateData(dataOf(bytes, 16), false));
    EXPECT_EQ(decoder->type(), VXImageTypeUnknown);
    EXPECT_TRUE(decoder->updateData(dataOf(bytes, 17), false));
    EXPECT_EQ(decoder->type(), VXImageTypePNG);
    EXPECT_FALSE(decoder->updateData(dataOf(bytes, 16), false)); // shorter than before
    EXPECT_TRUE(decoder->updateData(dataOf(bytes), true));
    EXPECT_TRUE(decoder->isFinalized());
    EXPECT_FALSE(decoder->updateData(dataOf(bytes), true));
    EXPECT_EQ(decoder->frameCount(), 1u);
    EXPECT_EQ(decoder->width(), 8u);
    auto frame = decoder->frameAtIndex(0, true);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->image->scale(), 2);
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(frame->image));
    EXPECT_EQ(frame->image->CGImage()->bitmapInfo(), 0x2002u);
    EXPECT_EQ(pixelAt(frame->image->CGImage(), 7, 7), distinct(7, 7));
    EXPECT_EQ(decoder->frameAtIndex(1, true), nullptr);
    EXPECT_EQ(VXImageDecoder::init()->scale(), 2); // the main screen's
    EXPECT_EQ(VXImageDecoder::initWithScale(-1)->scale(), 1);

    // A final call of another type is refused but still takes the data and the final flag.
    auto other = VXImageDecoder::initWithScale(1);
    ASSERT_TRUE(other->updateData(dataOf(bytes, 40), false));
    const auto jpegBytes = jpeg(8, 8, distinct);
    EXPECT_FALSE(other->updateData(dataOf(jpegBytes), true));
    EXPECT_TRUE(other->isFinalized());
    EXPECT_EQ(other->data()->length(), jpegBytes.size());
}

TEST_F(ImageDecoder, IncrementalPNGAndJPEGShowTheirFirstFrameAsTheyGrow) {
    for (bool interlaced : {false, true}) {
        const auto bytes = png(16, 16, distinct, false, interlaced);
        auto decoder = VXImageDecoder::initWithScale(1);
        size_t firstFrameAt = 0;
        for (size_t length = 17; length < bytes.size(); length += 7) {
            ASSERT_TRUE(decoder->updateData(dataOf(bytes, length), false));
            if (decoder->frameCount() == 0) continue;
            firstFrameAt = firstFrameAt ? firstFrameAt : length;
            EXPECT_EQ(decoder->width(), 16u);
        }
        EXPECT_GT(firstFrameAt, 0u);
        // Before the end the bottom-right pixel may be missing, never the picture's size.
        auto partial = frameImage(decoder, 0);
        ASSERT_TRUE(partial);
        EXPECT_EQ(partial->width(), 16u);
        EXPECT_EQ(decoder->framePropertiesAtIndex(0).value()[imageio::key::PNGDictionary][imageio::key::PNGInterlaceType].boolValue(),
                  interlaced);
        ASSERT_TRUE(decoder->updateData(dataOf(bytes), true));
        EXPECT_EQ(pixelAt(frameImage(decoder, 0), 15, 15), distinct(15, 15));
    }

    const auto progressive = jpeg(32, 32, solid(kBlue), true, 6);
    auto decoder = VXImageDecoder::initWithScale(1);
    for (size_t length = 17; length < progressive.size(); length += 64) decoder->updateData(dataOf(progressive, length), false);
    ASSERT_TRUE(decoder->updateData(dataOf(progressive), true));
    EXPECT_EQ(decoder->type(), VXImageTypeJPEG);
    EXPECT_TRUE(decoder->framePropertiesAtIndex(0).value()[imageio::key::JFIFDictionary][imageio::key::JFIFIsProgressive].boolValue());
    auto frame = decoder->frameAtIndex(0, true);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->image->imageOrientation(), ui::ImageOrientation::Right); // EXIF 6
    EXPECT_EQ(frame->image->CGImage()->bitmapInfo(), 0x2006u);
    EXPECT_TRUE(near(pixelAt(frame->image->CGImage(), 5, 5), kBlue, 3));
}

// A JPEG decoded for display comes straight out of the codec in the display order; rows not yet
// received are transparent in it, without a copy or a premultiplying pass.
TEST_F(ImageDecoder, JPEGForDisplayIsDecodedStraightIntoTheDisplayFormat) {
    const auto noisy = [](uint32_t x, uint32_t y) {
        return Rgba{uint8_t((x * 37 + y * 91) % 256), uint8_t((x * x + y * 7) % 256), uint8_t(y * 3), 255};
    };
    const auto bytes = jpeg(64, 64, noisy);
    auto plain = frameImage(VXImageDecoder::decoderWithData(dataOf(bytes), 1), 0, false); // as decoded
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->bitmapInfo(), uint32_t(cg::ImageAlphaNoneSkipLast)); // R,G,B,x

    auto decoder = VXImageDecoder::initWithScale(1);
    ASSERT_TRUE(decoder->updateData(dataOf(bytes, bytes.size() / 2), false));
    auto partial = frameImage(decoder, 0);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->bitmapInfo(), 0x2002u);
    EXPECT_EQ(pixelAt(partial, 5, 2), pixelAt(plain, 5, 2));
    EXPECT_EQ(pixelAt(partial, 5, 63), kClear);

    ASSERT_TRUE(decoder->updateData(dataOf(bytes), true));
    auto whole = frameImage(decoder, 0);
    EXPECT_EQ(whole->bitmapInfo(), 0x2006u);
    EXPECT_EQ(whole->bytesPerRow(), 64u * 4);
    for (uint32_t y = 0; y < 64; y += 9)
        for (uint32_t x = 0; x < 64; x += 7) {
            const uint8_t* p = whole->bytes() + y * whole->bytesPerRow() + x * 4; // B,G,R,x in memory
            const Rgba expected = pixelAt(plain, x, y);
            EXPECT_EQ((Rgba{p[2], p[1], p[0], 255}), expected) << x << "," << y;
        }
}

// Decoded several rows per library call: the bytes are libjpeg-turbo's own, row for row, at sizes
// that end inside a band of blocks, baseline and progressive.
TEST_F(ImageDecoder, JPEGForDisplayHasTheLibrarysBytes) {
    const auto noisy = [](uint32_t x, uint32_t y) {
        return Rgba{uint8_t((x * 37 + y * 91) % 256), uint8_t((x * x + y * 7) % 256), uint8_t(y * 3), 255};
    };
    for (const auto& [width, height, progressive] : {std::tuple{64u, 64u, false}, std::tuple{37u, 53u, false},
                                                      std::tuple{250u, 17u, true}, std::tuple{9u, 1u, false}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << (progressive ? " progressive" : ""));
        const auto bytes = jpeg(width, height, noisy, progressive);
        jpeg_decompress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_mem_src(&c, bytes.data(), bytes.size());
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&c);
        std::vector<uint8_t> expected(size_t(width) * height * 4);
        while (c.output_scanline < c.output_height) {
            JSAMPROW row = expected.data() + size_t(c.output_scanline) * width * 4;
            jpeg_read_scanlines(&c, &row, 1);
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);

        auto image = frameImage(VXImageDecoder::decoderWithData(dataOf(bytes), 1), 0);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->bytesPerRow(), size_t(width) * 4);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image->bytes()));
    }
}

TEST_F(ImageDecoder, GIFCountsOneFrameUntilFinalThenAllWithItsLoopCount) {
    const auto bytes = gif(6, 4, {{6, 4, 10, 0}, {6, 4, 20, 1}, {6, 4, 1, 2}}, 3);
    auto decoder = VXImageDecoder::initWithScale(1);
    ASSERT_TRUE(decoder->updateData(dataOf(bytes, bytes.size() - 4), false));
    EXPECT_EQ(decoder->frameCount(), 1u);
    EXPECT_EQ(decoder->frameAtIndex(1, true), nullptr);
    ASSERT_TRUE(decoder->updateData(dataOf(bytes), true));
    EXPECT_EQ(decoder->frameCount(), 3u);
    EXPECT_EQ(decoder->loopCount(), 3u);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(1), 0.2);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(9), 0);
    EXPECT_TRUE(decoder->imageProperties().has_value());
    EXPECT_EQ(pixelAt(frameImage(decoder, 1), 5, 3), kGreen);
    EXPECT_EQ(pixelAt(frameImage(decoder, 2), 0, 0), kBlue);
}

// ICO frames keep their own size when decoded for display (other system formats: ImageEncoderTest).
TEST_F(ImageDecoder, OtherSystemFormats) {
    auto ico = VXImageDecoder::decoderWithData(dataOf(icoWithTwoSizes()), 1);
    ASSERT_TRUE(ico);
    EXPECT_EQ(ico->type(), VXImageTypeICO);
    ASSERT_EQ(ico->frameCount(), 2u);
    EXPECT_EQ(ico->width(), 16u);
    auto small = frameImage(ico, 1);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width(), 8u);
    EXPECT_EQ(small->bitmapInfo(), 0x2002u);
    EXPECT_EQ(pixelAt(small, 0, 0), kBlue);

    EXPECT_EQ(VXImageDecoder::decoderWithData(nullptr, 1), nullptr);
    EXPECT_EQ(VXImageDecoder::decoderWithData(dataOf(std::vector<uint8_t>(40, 7)), 1), nullptr);
}

TEST_F(ImageDecoder, WebPKeepsNoFrameAndLogsOnce) {
    std::string webp("RIFF\x20\0\0\0WEBPVP8 ", 16);
    webp.resize(40, '\x01');
    const std::vector<uint8_t> bytes(webp.begin(), webp.end());
    EXPECT_EQ(VXImageDecoder::decoderWithData(dataOf(bytes), 1), nullptr);
    auto decoder = VXImageDecoder::initWithScale(1);
    EXPECT_TRUE(decoder->updateData(dataOf(bytes), true));
    EXPECT_EQ(decoder->type(), VXImageTypeWebP);
    EXPECT_EQ(decoder->frameCount(), 0u);
    size_t lines = 0;
    for (const auto& line : logLines())
        if (line.find("[-[VXImageDecoder _updateSourceWebP]: 1841] WebP is not available, check the documentation to "
                      "see how to install WebP component: ") == 0)
            ++lines;
    EXPECT_EQ(lines, 1u);
}

TEST_F(ImageDecoder, APNGComposesFramesOnOneCanvas) {
    auto decoder = VXImageDecoder::decoderWithData(dataOf(blendingAPNG()), 1);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(decoder->frameCount(), 3u);
    EXPECT_FALSE(decoder->framePropertiesAtIndex(0).has_value()); // no system source
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(0), 0.1);

    auto f0 = frameImage(decoder, 0), f1 = frameImage(decoder, 1), f2 = frameImage(decoder, 2);
    ASSERT_TRUE(f0 && f1 && f2);
    EXPECT_EQ(pixelAt(f0, 1, 1), kRed);
    // Over: half green on red.
    EXPECT_TRUE(near(pixelAt(f1, 1, 1), {127, 128, 0, 255}, 2)) << pixelAt(f1, 1, 1);
    EXPECT_EQ(pixelAt(f1, 0, 0), kRed);
    EXPECT_EQ(pixelAt(f1, 3, 3), kRed);
    // Source: half blue replaces its rectangle, the rest stays as frame 1 left it.
    EXPECT_TRUE(near(pixelAt(f2, 0, 0), kHalfBlue, 2)) << pixelAt(f2, 0, 0);
    EXPECT_TRUE(near(pixelAt(f2, 1, 1), kHalfBlue, 2));
    EXPECT_TRUE(near(pixelAt(f2, 2, 2), {127, 128, 0, 255}, 2));
    EXPECT_EQ(pixelAt(f2, 3, 3), kRed);

    auto frame = decoder->frameAtIndex(1, true);
    EXPECT_EQ(frame->width, 4u); // extended to the canvas
    EXPECT_EQ(frame->offsetX, 0u);
    EXPECT_EQ(frame->blend, VXImageBlendSource);
    auto raw = decoder->frameAtIndex(1, false);
    EXPECT_EQ(raw->width, 2u);
    EXPECT_EQ(raw->offsetY, 1u); // from the canvas's bottom edge
    EXPECT_EQ(raw->blend, VXImageBlendOver);

    // Random access rebuilds from blendFromIndex and gives the same picture.
    auto fresh = VXImageDecoder::decoderWithData(dataOf(blendingAPNG()), 1);
    EXPECT_EQ(pixelsOf(frameImage(fresh, 2)), pixelsOf(f2));
    fresh->frameAtIndex(0, true);
    EXPECT_EQ(pixelsOf(frameImage(fresh, 2)), pixelsOf(f2));
    EXPECT_EQ(pixelsOf(frameImage(fresh, 1)), pixelsOf(f1));
}

TEST_F(ImageDecoder, APNGDisposeOperations) {
    // Background: a full frame cleared after showing, then a small green one on an empty canvas.
    auto background = VXImageDecoder::decoderWithData(
        dataOf(apng(4, 4, {{0, 0, 4, 4, 1, 10, 1, 0, solid(kRed)}, {2, 2, 2, 2, 1, 10, 0, 1, solid(kGreen)}})), 1);
    ASSERT_TRUE(background);
    EXPECT_EQ(pixelAt(frameImage(background, 0), 0, 0), kRed);
    auto shown = frameImage(background, 1);
    EXPECT_EQ(pixelAt(shown, 0, 0), kClear);
    EXPECT_EQ(pixelAt(shown, 3, 3), kGreen);

    // Previous: the green frame is taken back before the blue one.
    const auto bytes = apng(4, 4, {{0, 0, 4, 4, 1, 10, 0, 0, solid(kRed)},
                                   {0, 0, 2, 2, 1, 10, 2, 1, solid(kGreen)},
                                   {2, 2, 2, 2, 1, 10, 0, 1, solid(kBlue)}});
    auto previous = VXImageDecoder::decoderWithData(dataOf(bytes), 1);
    ASSERT_TRUE(previous);
    EXPECT_EQ(pixelAt(frameImage(previous, 1), 0, 0), kGreen);
    auto last = frameImage(previous, 2);
    EXPECT_EQ(pixelAt(last, 0, 0), kRed);
    EXPECT_EQ(pixelAt(last, 3, 3), kBlue);
    auto random = VXImageDecoder::decoderWithData(dataOf(bytes), 1);
    EXPECT_EQ(pixelsOf(frameImage(random, 2)), pixelsOf(last));
}

// A full-canvas frame blended over and disposed to background leaves nothing behind: the next
// frame's replay starts after it, so that frame stands alone and, asked for without decoding for
// display, keeps its own size.
TEST_F(ImageDecoder, APNGFullCanvasFrameDisposedToBackgroundStartsTheNextReplayAfterIt) {
    const auto bytes = apng(4, 4, {{0, 0, 4, 4, 1, 10, 1, 1, solid(kRed)}, {2, 2, 2, 2, 1, 10, 0, 1, solid(kGreen)}});
    auto decoder = VXImageDecoder::decoderWithData(dataOf(bytes), 1);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(decoder->frameCount(), 2u);

    auto own = decoder->frameAtIndex(1, false);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->width, 2u);
    EXPECT_EQ(own->height, 2u);
    EXPECT_EQ(own->image->CGImage()->width(), 2u);
    EXPECT_EQ(own->image->CGImage()->height(), 2u);
    EXPECT_EQ(pixelAt(own->image->CGImage(), 0, 0), kGreen);

    auto shown = decoder->frameAtIndex(1, true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->image->CGImage()->width(), 4u); // drawn on the canvas for display
    EXPECT_EQ(pixelAt(shown->image->CGImage(), 0, 0), kClear);
    EXPECT_EQ(pixelAt(shown->image->CGImage(), 3, 3), kGreen);
    EXPECT_EQ(pixelAt(frameImage(decoder, 0), 0, 0), kRed);
}

TEST_F(ImageDecoder, APNGRuleBreaksAndSingleFrames) {
    // acTL counts 3 but there are 2 fcTL chunks: the still default image.
    auto miscounted = VXImageDecoder::decoderWithData(
        dataOf(apng(4, 4, {{0, 0, 4, 4, 1, 10, 0, 0, solid(kRed)}, {0, 0, 4, 4, 1, 10, 0, 0, solid(kGreen)}},
                    {true, nullptr, 3, 0} /* acTL count */)),
        1);
    ASSERT_TRUE(miscounted);
    EXPECT_EQ(miscounted->frameCount(), 1u);
    EXPECT_EQ(pixelAt(frameImage(miscounted, 0), 0, 0), kRed);

    // One frame that is the default image: the system source, which has properties.
    auto single = VXImageDecoder::decoderWithData(dataOf(apng(4, 4, {{0, 0, 4, 4, 1, 0, 0, 0, solid(kRed)}})), 1);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->frameCount(), 1u);
    EXPECT_TRUE(single->framePropertiesAtIndex(0).has_value());

    // One frame that is not the default image: decoded as the animation's only frame.
    auto hidden = VXImageDecoder::decoderWithData(
        dataOf(apng(4, 4, {{0, 0, 4, 4, 1, 0, 0, 0, solid(kGreen)}}, {false, solid(kRed), std::nullopt, 0})),
        1);
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->frameCount(), 1u);
    EXPECT_FALSE(hidden->framePropertiesAtIndex(0).has_value());
    EXPECT_EQ(pixelAt(frameImage(hidden, 0), 0, 0), kGreen);
    EXPECT_DOUBLE_EQ(hidden->frameDurationAtIndex(0), 0.01); // 1/0 counts as 1/100

    auto zero = VXImageDecoder::decoderWithData(
        dataOf(apng(4, 4, {{0, 0, 4, 4, 0, 0, 0, 0, solid(kRed)}, {0, 0, 4, 4, 1, 10, 0, 0, solid(kGreen)}})), 1);
    EXPECT_DOUBLE_EQ(zero->frameDurationAtIndex(0), 0);

    // A frame reaching past the canvas breaks the format: the still default image stands.
    auto outside = VXImageDecoder::decoderWithData(
        dataOf(apng(4, 4, {{0, 0, 4, 4, 1, 10, 0, 0, solid(kRed)}, {3, 3, 2, 2, 1, 10, 0, 1, solid(kGreen)}})), 1);
    ASSERT_TRUE(outside);
    EXPECT_EQ(outside->frameCount(), 1u);
}
