// Every writable type: encoded by the destination, sniffed back and decoded by the source.

#include "ImageFixtures.h"

#include "os/imageio/ImageDestination.h"
#include "os/imageio/ImageSource.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace imageio;

namespace {

// Gradient with a transparent top-left quarter, or without it for opaque images.
Rgba sample(uint32_t x, uint32_t y, bool alpha) {
    if (alpha && x < 8 && y < 8) return {0, 0, 0, 0};
    return gradient(x * 4, y * 4);
}

struct Case {
    const char* type;
    bool alpha;          // written with alpha
    uint32_t alphaInfo;  // what the source reports
    int tolerance;       // per channel
};

class RoundTrip : public testing::TestWithParam<Case> {};

TEST_P(RoundTrip, DecodesWhatWasWrittenAndSniffsTheType) {
    const Case c = GetParam();
    const uint32_t size = 16;
    auto image = makeImage(size, size, [&](uint32_t x, uint32_t y) { return sample(x, y, c.alpha); }, c.alpha);
    auto data = encode(image, c.type);
    ASSERT_TRUE(data) << c.type;

    auto source = ImageSource::CreateWithData(data);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->GetType(), c.type);
    EXPECT_EQ(source->GetStatus(), Status::Complete);
    ASSERT_EQ(source->GetCount(), 1u);
    auto properties = source->CopyPropertiesAtIndex(0);
    ASSERT_TRUE(properties);
    EXPECT_EQ((*properties)[key::PixelWidth].intValue(), int(size));
    EXPECT_EQ((*properties)[key::PixelHeight].intValue(), int(size));

    auto decoded = source->CreateImageAtIndex(0);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), size);
    EXPECT_EQ(decoded->alphaInfo(), c.alphaInfo);
    for (uint32_t y = 0; y < size; y += 3)
        for (uint32_t x = 0; x < size; x += 3) {
            const Rgba expected = sample(x, y, c.alpha);
            const Rgba got = pixelAt(decoded, x, y);
            if (expected.a == 0) EXPECT_EQ(got.a, 0) << c.type << " at " << x << "," << y;
            else EXPECT_TRUE(near(got, expected, c.tolerance)) << c.type << " at " << x << "," << y << ": " << got;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Types, RoundTrip,
    testing::Values(Case{uti::PNG, true, cg::ImageAlphaLast, 0}, Case{uti::PNG, false, cg::ImageAlphaNoneSkipLast, 0},
                    Case{uti::JPEG, false, cg::ImageAlphaNoneSkipLast, 24},
                    Case{uti::GIF, true, cg::ImageAlphaLast, 0},
                    Case{uti::TIFF, true, cg::ImageAlphaPremultipliedLast, 0},
                    Case{uti::TIFF, false, cg::ImageAlphaNoneSkipLast, 0},
                    Case{uti::BMP, true, cg::ImageAlphaLast, 0}, Case{uti::BMP, false, cg::ImageAlphaNoneSkipLast, 0},
                    Case{uti::ICO, true, cg::ImageAlphaLast, 0}, Case{uti::AppleICNS, true, cg::ImageAlphaLast, 0},
                    Case{uti::JPEG2000, true, cg::ImageAlphaLast, 0},
                    Case{uti::JPEG2000, false, cg::ImageAlphaNoneSkipLast, 0}),
    [](const testing::TestParamInfo<Case>& info) {
        std::string name = info.param.type;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name + (info.param.alpha ? "_alpha" : "_opaque");
    });

TEST(ImageDestination, TranslucentPixelsSurviveEveryAlphaFormat) {
    const Rgba translucent{200, 100, 50, 128};
    auto image = makeImage(4, 4, [&](uint32_t, uint32_t) { return translucent; }, true);
    for (const char* type : {uti::PNG, uti::TIFF, uti::BMP, uti::ICO, uti::JPEG2000}) {
        auto decoded = ImageSource::CreateWithData(encode(image, type))->CreateImageAtIndex(0);
        ASSERT_TRUE(decoded) << type;
        EXPECT_TRUE(near(pixelAt(decoded, 1, 1), translucent, 2)) << type << ": " << pixelAt(decoded, 1, 1);
    }
}

TEST(ImageDestination, JpegQualityIsClampedToTheUnitRange) {
    auto image = makeImage(32, 32, gradient, false);
    auto withQuality = [&](double q) {
        return encode(image, uti::JPEG, Properties{{key::DestinationLossyCompressionQuality, q}});
    };
    EXPECT_TRUE(withQuality(1.7)->isEqual(*withQuality(1.0)));
    EXPECT_TRUE(withQuality(-0.2)->isEqual(*withQuality(0.0)));
    EXPECT_LT(withQuality(0.1)->length(), withQuality(1.0)->length());
}

TEST(ImageDestination, GifCarriesLoopCountDelaysAndEveryFrame) {
    const Rgba colors[3] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    const double delays[3] = {0.1, 0.25, 0.5};
    auto data = ns::MutableData::make();
    auto destination = ImageDestination::CreateWithData(data, uti::GIF, 3);
    ASSERT_TRUE(destination);
    destination->SetProperties(Properties{{key::GIFDictionary, Properties{{key::GIFLoopCount, 3}}}});
    for (int i = 0; i < 3; ++i) {
        const Properties frame{{key::GIFDictionary, Properties{{key::GIFDelayTime, delays[i]}}}};
        destination->AddImage(makeImage(8, 8, [&](uint32_t, uint32_t) { return colors[i]; }, false), &frame);
    }
    ASSERT_TRUE(destination->Finalize());
    EXPECT_FALSE(destination->Finalize());

    auto source = ImageSource::CreateWithData(data);
    ASSERT_EQ(source->GetCount(), 3u);
    EXPECT_EQ((*source->CopyProperties())[key::GIFDictionary][key::GIFLoopCount].intValue(), 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ((*source->CopyPropertiesAtIndex(i))[key::GIFDictionary][key::GIFUnclampedDelayTime].doubleValue(),
                         delays[i]);
        EXPECT_EQ(pixelAt(source->CreateImageAtIndex(i), 4, 4), colors[i]);
    }
}

TEST(ImageDestination, GifQuantisesRichImagesAndKeepsTransparency) {
    auto pixel = [](uint32_t x, uint32_t y) {
        return x == y ? Rgba{0, 0, 0, 0} : Rgba{uint8_t(x * 4), uint8_t(y * 4), uint8_t((x * y) % 256), 255};
    };
    auto source = ImageSource::CreateWithData(encode(makeImage(64, 64, pixel, true), uti::GIF));
    auto image = source->CreateImageAtIndex(0);
    ASSERT_TRUE(image);
    for (uint32_t i = 0; i < 64; i += 7) {
        EXPECT_EQ(pixelAt(image, i, i).a, 0);
        EXPECT_TRUE(near(pixelAt(image, i, 63 - i), pixel(i, 63 - i), 48)) << pixelAt(image, i, 63 - i);
    }
}

TEST(ImageDestination, SingleImageTypesKeepTheFirstImage) {
    auto data = ns::MutableData::make();
    auto destination = ImageDestination::CreateWithData(data, uti::JPEG, 3);
    for (int i = 0; i < 3; ++i) destination->AddImage(makeImage(8 + i, 8, gradient, false));
    ASSERT_TRUE(destination->Finalize());
    auto source = ImageSource::CreateWithData(data);
    ASSERT_EQ(source->GetCount(), 1u);
    EXPECT_EQ(source->CreateImageAtIndex(0)->width(), 8u);
}

TEST(ImageDestination, IconWritersKeepToIconSizes) {
    auto icns = ns::MutableData::make();
    auto destination = ImageDestination::CreateWithData(icns, uti::AppleICNS, 2);
    destination->AddImage(makeImage(16, 16, gradient, true));
    destination->AddImage(makeImage(32, 32, gradient, true));
    ASSERT_TRUE(destination->Finalize());
    auto source = ImageSource::CreateWithData(icns);
    EXPECT_EQ(source->GetType(), uti::AppleICNS);
    ASSERT_EQ(source->GetCount(), 2u);
    EXPECT_EQ(source->CreateImageAtIndex(1)->width(), 32u);

    EXPECT_FALSE(encode(makeImage(20, 20, gradient, true), uti::AppleICNS));
    EXPECT_FALSE(encode(makeImage(300, 10, gradient, true), uti::ICO));
    EXPECT_FALSE(ImageDestination::CreateWithData(ns::MutableData::make(), uti::PNG, 1)->Finalize()); // nothing added
    EXPECT_FALSE(ImageDestination::CreateWithData(ns::MutableData::make(), "public.webp", 1));
}

TEST(ImageDestination, AddsImagesFromASourceAndWritesFiles) {
    auto gif = ImageSource::CreateWithData(dataOf(gifBytes(
        2, 1, {{255, 0, 0}}, {{0, 0, 2, 1, 0, 7, -1, {0, 0}}}, std::nullopt)));
    vx::test::ScratchDir scratch;
    const std::string path = scratch.file("imageio_from_source.gif");
    auto url = ns::URL::fileURLWithPath(path);
    auto destination = ImageDestination::CreateWithURL(*url, uti::GIF, 1);
    destination->AddImageFromSource(gif, 0);
    ASSERT_TRUE(destination->Finalize());
    auto copy = ImageSource::CreateWithURL(*url);
    ASSERT_TRUE(copy);
    EXPECT_DOUBLE_EQ((*copy->CopyPropertiesAtIndex(0))[key::GIFDictionary][key::GIFUnclampedDelayTime].doubleValue(),
                     0.07);
}

} // namespace
