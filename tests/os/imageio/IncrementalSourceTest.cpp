// Sources fed with growing data: header properties before the pixels, partial images whose
// missing area is transparent, interlaced PNG and progressive JPEG.

#include "ImageFixtures.h"

#include "os/imageio/ImageSource.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace imageio;

namespace {

ImageSourceRef partialSource(const std::vector<uint8_t>& bytes, size_t length) {
    auto source = ImageSource::CreateIncremental();
    source->UpdateData(dataOf(bytes, length), false);
    return source;
}

TEST(IncrementalSource, PngHeaderPropertiesArriveBeforeThePixels) {
    const auto bytes = pngBytes(16, 12, gradient, true, false);
    auto source = partialSource(bytes, 10); // not even the whole signature
    EXPECT_EQ(source->GetType(), "");
    EXPECT_EQ(source->GetStatus(), Status::ReadingHeader);
    EXPECT_EQ(source->GetCount(), 0u);
    EXPECT_FALSE(source->CopyProperties());
    source->UpdateData(dataOf(bytes, 33), false); // signature and IHDR
    EXPECT_EQ(source->GetType(), uti::PNG);
    EXPECT_EQ(source->GetStatus(), Status::Incomplete);
    ASSERT_EQ(source->GetCount(), 1u);
    const Properties p = *source->CopyPropertiesAtIndex(0);
    EXPECT_EQ(p[key::PixelWidth].intValue(), 16);
    EXPECT_EQ(p[key::PixelHeight].intValue(), 12);
    EXPECT_EQ(p[key::PNGDictionary][key::PNGInterlaceType].intValue(), 1);
    EXPECT_FALSE(source->CreateImageAtIndex(0));
}

TEST(IncrementalSource, PlainPngShowsTheRowsReceived) {
    // Stored (level 0) deflate: raw rows of 1 filter byte + 48 bytes after 2 + 5 header bytes.
    const auto bytes = pngBytes(16, 16, gradient, false, false, 0);
    const size_t pixels = find(bytes, {'I', 'D', 'A', 'T'}) + 4 + 2 + 5;
    auto image = partialSource(bytes, pixels + 49 * 8 + 10)->CreateImageAtIndex(0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->alphaInfo(), cg::ImageAlphaLast);
    EXPECT_EQ(pixelAt(image, 15, 7), gradient(15, 7));
    EXPECT_EQ(pixelAt(image, 0, 8).a, 0);
    EXPECT_EQ(pixelAt(image, 15, 15).a, 0);

    auto complete = ImageSource::CreateWithData(dataOf(bytes))->CreateImageAtIndex(0);
    EXPECT_EQ(complete->alphaInfo(), cg::ImageAlphaNoneSkipLast);
    EXPECT_EQ(pixelAt(complete, 15, 15), gradient(15, 15));
}

TEST(IncrementalSource, InterlacedPngFillsAdam7BlocksPassByPass) {
    // 16×16 RGB, stored deflate: passes 1 and 2 take 2 rows of 7 bytes each.
    const auto bytes = pngBytes(16, 16, gradient, true, false, 0);
    const size_t pixels = find(bytes, {'I', 'D', 'A', 'T'}) + 4 + 2 + 5;
    auto image = partialSource(bytes, pixels + 28 + 3)->CreateImageAtIndex(0);
    ASSERT_TRUE(image);
    // The whole picture is covered, in blocks: pass 1 pixels span 8×8, pass 2 pixels 4×8.
    EXPECT_EQ(pixelAt(image, 1, 1), gradient(0, 0));
    EXPECT_EQ(pixelAt(image, 3, 15), gradient(0, 8));
    EXPECT_EQ(pixelAt(image, 5, 3), gradient(4, 0));
    EXPECT_EQ(pixelAt(image, 15, 15), gradient(12, 8));
}

// Decoding straight into the display order is checked through the image kit's decoder (tests/image).
TEST(IncrementalSource, BaselineJpegShowsTheRowsDecoded) {
    const auto bytes = jpegBytes(64, 64, gradient, false);
    const size_t scan = find(bytes, {0xFF, 0xDA});
    auto source = partialSource(bytes, scan + (bytes.size() - scan) / 2);
    EXPECT_FALSE((*source->CopyPropertiesAtIndex(0))[key::JFIFDictionary][key::JFIFIsProgressive].boolValue());
    auto image = source->CreateImageAtIndex(0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->alphaInfo(), cg::ImageAlphaLast);
    EXPECT_TRUE(near(pixelAt(image, 0, 0), gradient(0, 0), 12)) << pixelAt(image, 0, 0);
    EXPECT_EQ(pixelAt(image, 63, 63).a, 0);
}

TEST(IncrementalSource, ProgressiveJpegShowsTheLastCompleteScan) {
    const auto bytes = jpegBytes(64, 64, gradient, true);
    const size_t firstScan = find(bytes, {0xFF, 0xDA}), secondScan = find(bytes, {0xFF, 0xDA}, 1);
    ASSERT_NE(secondScan, SIZE_MAX);

    auto early = partialSource(bytes, firstScan + 20);
    ASSERT_EQ(early->GetCount(), 1u);
    EXPECT_TRUE((*early->CopyPropertiesAtIndex(0))[key::JFIFDictionary][key::JFIFIsProgressive].boolValue());
    EXPECT_FALSE(early->CreateImageAtIndex(0)); // no scan complete yet

    auto coarse = partialSource(bytes, secondScan + 2)->CreateImageAtIndex(0);
    ASSERT_TRUE(coarse);
    EXPECT_EQ(pixelAt(coarse, 63, 63).a, 255); // the bottom-right pixel has arrived
    EXPECT_TRUE(near(pixelAt(coarse, 32, 32), gradient(32, 32), 40)) << pixelAt(coarse, 32, 32);

    auto complete = ImageSource::CreateWithData(dataOf(bytes))->CreateImageAtIndex(0);
    EXPECT_EQ(complete->alphaInfo(), cg::ImageAlphaNoneSkipLast);
    EXPECT_TRUE(near(pixelAt(complete, 32, 32), gradient(32, 32), 12)) << pixelAt(complete, 32, 32);
}

TEST(IncrementalSource, TruncatedFinalDataGivesAnErrorStatusAndWhatArrived) {
    const auto bytes = pngBytes(16, 16, gradient, false, true, 0);
    auto source = ImageSource::CreateWithData(dataOf(bytes, bytes.size() / 2));
    EXPECT_EQ(source->GetStatus(), Status::UnexpectedEOF);
    auto image = source->CreateImageAtIndex(0);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(image, 0, 0), gradient(0, 0));
    EXPECT_EQ(pixelAt(image, 15, 15).a, 0);
}

} // namespace
