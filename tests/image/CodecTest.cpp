// Type sniffing, decoded copies, pixel buffers, warps and orientation fixes, single-image encoding.

#include "ImageBytes.h"
#include "image/VXImageCodec.h"
#include "os/imageio/ImageProperties.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace imagebytes;

namespace {

std::vector<uint8_t> bytesOf(std::initializer_list<uint8_t> lead, size_t length = 16) {
    std::vector<uint8_t> bytes(lead);
    bytes.resize(length, 0xAB);
    return bytes;
}

std::vector<uint8_t> textLead(const std::string& lead, size_t length = 16) {
    std::vector<uint8_t> bytes(lead.begin(), lead.end());
    bytes.resize(length, 0);
    return bytes;
}

VXImageType sniff(const std::vector<uint8_t>& bytes) { return VXImageSniffType(dataOf(bytes)); }

} // namespace

TEST(ImageCodec, SniffingFollowsTheOrderedTests) {
    EXPECT_EQ(sniff(bytesOf({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}, 15)), VXImageTypeUnknown);
    EXPECT_EQ(sniff(bytesOf({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}, 16)), VXImageTypePNG);
    EXPECT_EQ(VXImageSniffType(nullptr), VXImageTypeUnknown);

    EXPECT_EQ(sniff(textLead("icns")), VXImageTypeICNS);
    EXPECT_EQ(sniff(textLead("GIF89a")), VXImageTypeGIF);
    EXPECT_EQ(sniff(textLead(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16))), VXImageTypeWebP);
    EXPECT_EQ(sniff(textLead(std::string("RIFF\x10\0\0\0WAVEfmt ", 16))), VXImageTypeUnknown);
    EXPECT_EQ(sniff(bytesOf({0, 0, 1, 0})), VXImageTypeICO);
    EXPECT_EQ(sniff(bytesOf({0, 0, 2, 0})), VXImageTypeICO);
    EXPECT_EQ(sniff(bytesOf({0x49, 0x49, 0x2A, 0x00})), VXImageTypeTIFF);
    EXPECT_EQ(sniff(bytesOf({0x4D, 0x4D, 0x00, 0x2A})), VXImageTypeTIFF);
    for (const char* pair : {"BA", "BM", "IC", "CI", "PI", "CP"}) EXPECT_EQ(sniff(textLead(pair)), VXImageTypeBMP) << pair;
    EXPECT_EQ(sniff(textLead("PT")), VXImageTypeUnknown);
    EXPECT_EQ(sniff(bytesOf({0xFF, 0x4F, 0xFF, 0x51})), VXImageTypeJPEG2000);
    EXPECT_EQ(sniff(bytesOf({0xFF, 0xD8, 0xFF, 0xE0})), VXImageTypeJPEG);
    EXPECT_EQ(sniff(bytesOf({0xFF, 0xD8, 0xFE, 0xE0})), VXImageTypeUnknown);
    EXPECT_EQ(sniff(bytesOf({0, 0, 0, 12, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A})), VXImageTypeJPEG2000);
    // A PNG lead without the rest of the signature falls through to the JPEG 2000 box test.
    EXPECT_EQ(sniff(bytesOf({0x89, 0x50, 0x4E, 0x47, 0x6A, 0x50, 0x20, 0x20, 0x0D})), VXImageTypeJPEG2000);
    EXPECT_EQ(sniff(bytesOf({0x89, 0x50, 0x4E, 0x47, 0x00, 0x00})), VXImageTypeUnknown);
}

TEST(ImageCodec, DecodedCopies) {
    auto withAlpha = makeImage(4, 3, [](uint32_t x, uint32_t y) { return Rgba{200, 100, 50, uint8_t(x == 0 ? 128 : 255)}; });
    auto opaque = makeImage(4, 3, distinct, false);

    auto display = VXImageCreateDecodedCopy(withAlpha, true);
    ASSERT_TRUE(display);
    EXPECT_EQ(display->bitmapInfo(), 0x2002u);
    EXPECT_TRUE(near(pixelAt(display, 0, 1), {200, 100, 50, 128}, 2));
    auto displayOpaque = VXImageCreateDecodedCopy(opaque, true);
    ASSERT_TRUE(displayOpaque);
    EXPECT_EQ(displayOpaque->bitmapInfo(), 0x2006u);
    EXPECT_EQ(pixelAt(displayOpaque, 3, 2), distinct(3, 2));

    // Without display decoding the format is kept and the copy owns its bytes.
    auto copy = VXImageCreateDecodedCopy(withAlpha, false);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->bitmapInfo(), withAlpha->bitmapInfo());
    EXPECT_EQ(copy->bytesPerRow(), withAlpha->bytesPerRow());
    EXPECT_NE(copy->bytes(), withAlpha->bytes());
    EXPECT_EQ(0, std::memcmp(copy->bytes(), withAlpha->bytes(), withAlpha->bytesPerRow() * 3));
    EXPECT_EQ(VXImageCreateDecodedCopy(nullptr, true), nullptr);
}

TEST(ImageCodec, BitmapBufferConversionBothWays) {
    const Rgba half{200, 100, 40, 128};
    auto source = makeImage(3, 2, [&](uint32_t x, uint32_t y) { return x == 1 && y == 1 ? half : distinct(x, y); });
    for (bool converter : {true, false}) {
        vimage::setConverterAvailable(converter);
        for (uint32_t alpha = 1; alpha <= 6; ++alpha)
            for (uint32_t order : {0u, 0x2000u, 0x4000u}) {
                const uint32_t info = alpha | order;
                vimage::Buffer buffer;
                ASSERT_TRUE(VXImageDecodeToBitmapBuffer(source, &buffer, info)) << info << " converter " << converter;
                EXPECT_EQ(buffer.width, 3u);
                EXPECT_EQ(buffer.height, 2u);
                auto image = cg::Image::Create(3, 2, 8, 32, buffer.rowBytes, VXSharedDeviceRGBColorSpace(), info,
                                               cg::DataProvider::CreateWithCopy(buffer.data, buffer.rowBytes * 2));
                std::free(buffer.data);
                ASSERT_TRUE(image);
                EXPECT_EQ(pixelAt(image, 2, 0), distinct(2, 0)) << info;
                const bool skip = alpha >= 5;
                const Rgba expected = skip ? Rgba{100, 50, 20, 255} : half; // dropped alpha: over black
                EXPECT_TRUE(near(pixelAt(image, 1, 1), expected, 2)) << info << " " << pixelAt(image, 1, 1);
            }
    }
    vimage::setConverterAvailable(true);
    vimage::Buffer buffer;
    EXPECT_FALSE(VXImageDecodeToBitmapBuffer(source, &buffer, 0));
    EXPECT_FALSE(VXImageDecodeToBitmapBuffer(source, &buffer, 7));
    EXPECT_FALSE(VXImageDecodeToBitmapBuffer(source, &buffer, 0x1002));
    EXPECT_FALSE(VXImageDecodeToBitmapBuffer(source, nullptr, 2));
    EXPECT_FALSE(VXImageDecodeToBitmapBuffer(nullptr, &buffer, 2));
}

// Where the displayed picture's pixel (x, y) comes from in a w × h stored picture.
struct Source {
    uint32_t x, y;
};
Source displayedFrom(ui::ImageOrientation o, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    switch (o) {
    case ui::ImageOrientation::Down: return {w - 1 - x, h - 1 - y};
    case ui::ImageOrientation::Left: return {w - 1 - y, x};
    case ui::ImageOrientation::Right: return {y, h - 1 - x};
    case ui::ImageOrientation::UpMirrored: return {w - 1 - x, y};
    case ui::ImageOrientation::DownMirrored: return {x, h - 1 - y};
    case ui::ImageOrientation::LeftMirrored: return {y, x};
    case ui::ImageOrientation::RightMirrored: return {w - 1 - y, h - 1 - x};
    default: return {x, y};
    }
}

TEST(ImageCodec, OrientationFixesAllEightPixelByPixel) {
    const uint32_t w = 3, h = 2;
    auto stored = makeImage(w, h, distinct);
    for (int o = 0; o <= 7; ++o) {
        const auto orientation = static_cast<ui::ImageOrientation>(o);
        for (uint32_t info : {0x2002u, 4u, 3u}) {
            auto upright = VXImageCreateOrientedCopy(stored, orientation, info);
            ASSERT_TRUE(upright) << o;
            if (o == 0) {
                EXPECT_EQ(upright, stored);
                continue;
            }
            EXPECT_EQ(upright->bitmapInfo(), info);
            const bool swap = o == 2 || o == 3 || o == 6 || o == 7;
            ASSERT_EQ(upright->width(), swap ? h : w) << o;
            ASSERT_EQ(upright->height(), swap ? w : h) << o;
            for (uint32_t y = 0; y < upright->height(); ++y)
                for (uint32_t x = 0; x < upright->width(); ++x) {
                    const Source s = displayedFrom(orientation, x, y, w, h);
                    EXPECT_TRUE(near(pixelAt(upright, x, y), distinct(s.x, s.y)))
                        << "orientation " << o << " at " << x << "," << y << ": " << pixelAt(upright, x, y);
                }
        }
    }
    EXPECT_EQ(VXImageCreateOrientedCopy(stored, static_cast<ui::ImageOrientation>(8), 0x2002), stored);

    auto wide = makeImage(30, 10, distinct);
    for (auto o : {ui::ImageOrientation::Left, ui::ImageOrientation::Right}) {
        auto turned = VXImageCreateOrientedCopy(wide, o, 0x2002);
        ASSERT_TRUE(turned);
        EXPECT_EQ(turned->width(), 10u);
        EXPECT_EQ(turned->height(), 30u);
    }
}

TEST(ImageCodec, WarpFillsUncoveredPixelsAndAlignsRows) {
    auto stored = makeImage(3, 2, distinct);
    // One pixel to the right: the left column is uncovered.
    auto shifted = VXImageCreateWarpedCopy(stored, cg::AffineTransformMakeTranslation(1, 0), 4, 3, 2);
    ASSERT_TRUE(shifted);
    EXPECT_EQ(shifted->bitmapInfo(), 4u);
    EXPECT_EQ(shifted->bytesPerRow() % 32, 0u);
    EXPECT_EQ(pixelAt(shifted, 0, 0).a, 0);
    EXPECT_TRUE(near(pixelAt(shifted, 1, 0), distinct(0, 0)));
    EXPECT_EQ(VXImageCreateWarpedCopy(stored, cg::AffineTransformIdentity, 4, 0, 2), nullptr);
}

TEST(ImageCodec, SingleImageEncoding) {
    auto image = makeImage(8, 8, distinct, false);
    auto png = VXImageEncodeSingle(image, VXImageTypePNG, 1);
    ASSERT_TRUE(png);
    EXPECT_EQ(VXImageSniffType(png), VXImageTypePNG);
    auto bmp = VXImageEncodeSingle(image, VXImageTypeBMP, 1);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(VXImageSniffType(bmp), VXImageTypeBMP);

    // The quality reaches the writer (which clamps it: tests/os/imageio).
    auto best = VXImageEncodeSingle(image, VXImageTypeJPEG, 1.0), worst = VXImageEncodeSingle(image, VXImageTypeJPEG, 0.0);
    ASSERT_TRUE(best && worst);
    EXPECT_LT(worst->length(), best->length());

    EXPECT_EQ(VXImageEncodeSingle(image, VXImageTypeWebP, 1), nullptr);
    EXPECT_EQ(VXImageEncodeSingle(image, VXImageTypeUnknown, 1), nullptr);
    EXPECT_EQ(VXImageEncodeSingle(nullptr, VXImageTypePNG, 1), nullptr);
}
