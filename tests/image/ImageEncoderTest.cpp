// The encoder: the system path for every writable type, the animated PNG writer, delays as
// fractions, the single- and multi-image rules, and file output.

#include "ImageBytes.h"
#include "image/VXImageEncoder.h"
#include "image/VXPNGInfo.h"
#include "os/foundation/Error.h"
#include "os/imageio/ImageSource.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace imagebytes;

namespace {


class ImageEncoder : public vx::test::Environment {};

ui::ImageRef picture(uint32_t w, uint32_t h, Rgba colour, bool alpha = true) {
    return ui::Image::imageWithCGImage(makeImage(w, h, solid(colour), alpha));
}

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Chunk types in file order, runs of one type written once; the fcTL and fdAT sequence numbers.
std::string layoutOf(const ns::DataRef& png, std::vector<uint32_t>* sequence = nullptr) {
    std::string types;
    auto info = VXPNGInfoCreate(png->bytes(), png->length());
    for (const auto& chunk : info ? info->chunks : std::vector<VXPNGChunk>{}) {
        const uint8_t* at = png->bytes() + chunk.offset;
        const std::string type(reinterpret_cast<const char*>(at + 4), 4);
        if (sequence && (type == "fcTL" || type == "fdAT")) sequence->push_back(be32(at + 8));
        if (types.size() < 4 || types.substr(types.size() - 4) != type) types += (types.empty() ? "" : " ") + type;
    }
    return types;
}

} // namespace

TEST_F(ImageEncoder, EveryWritableTypeDecodesBackAsItself) {
    auto image = ui::Image::imageWithCGImage(makeImage(16, 16, distinct, false));
    for (VXImageType type : {VXImageTypeJPEG, VXImageTypeJPEG2000, VXImageTypeTIFF, VXImageTypeBMP, VXImageTypeICO,
                             VXImageTypeICNS, VXImageTypeGIF, VXImageTypePNG}) {
        auto data = VXImageEncoder::encodeImage(image, type, 1.0);
        ASSERT_TRUE(data) << type;
        EXPECT_EQ(VXImageSniffType(data), type);
        auto decoder = VXImageDecoder::decoderWithData(data, 1);
        ASSERT_TRUE(decoder) << type;
        EXPECT_EQ(decoder->frameCount(), 1u);
        auto pixels = frameImage(decoder, 0);
        ASSERT_TRUE(pixels) << type;
        EXPECT_EQ(pixels->width(), 16u);
        if (type == VXImageTypePNG || type == VXImageTypeBMP || type == VXImageTypeTIFF) {
            EXPECT_EQ(pixelAt(pixels, 15, 3), distinct(15, 3)) << type;
        }
    }
    // An image turned left is written upright: 16 × 8 becomes 8 × 16.
    auto turned = ui::Image::imageWithCGImage(makeImage(16, 8, distinct, false), 1, ui::ImageOrientation::Left);
    auto upright = VXImageDecoder::decoderWithData(VXImageEncoder::encodeImage(turned, VXImageTypePNG, 1), 1);
    EXPECT_EQ(upright->width() * 100 + upright->height(), 816u);
}

TEST_F(ImageEncoder, UnsupportedTypesQualityClampAndUnusableFrames) {
    EXPECT_EQ(VXImageEncoder::initWithType(VXImageTypeUnknown), nullptr);
    EXPECT_EQ(VXImageEncoder::initWithType(VXImageType(10)), nullptr);
    EXPECT_EQ(VXImageEncoder::initWithType(VXImageTypeWebP), nullptr);
    EXPECT_TRUE(logContains("[-[VXImageEncoder initWithType:]: 2326] Unsupported image type:10"));
    EXPECT_TRUE(logContains("[-[VXImageEncoder initWithType:]: 2332] WebP is not available, check the documentation "
                            "to see how to install WebP component: "));
    EXPECT_EQ(VXImageEncoder::encodeImage(picture(4, 4, kRed), VXImageTypeWebP, 1), nullptr);

    auto jpeg = VXImageEncoder::initWithType(VXImageTypeJPEG);
    jpeg->setQuality(1.7);
    EXPECT_DOUBLE_EQ(jpeg->quality(), 1.0);
    jpeg->setQuality(-0.2);
    EXPECT_DOUBLE_EQ(jpeg->quality(), 0.0);
    auto gif = VXImageEncoder::initWithType(VXImageTypeGIF);
    // Frames that cannot be added are ignored, leaving none to write.
    gif->addImage(ui::ImageRef(ns::make<ui::Image>()), 1);
    gif->addImageWithData(ns::Data::make(), 1);
    gif->addImageWithFile("", 1);
    EXPECT_EQ(gif->encode(), nullptr);
}

TEST_F(ImageEncoder, DelaysBecomeSmallFractions) {
    auto fraction = [](double delay) {
        uint16_t num = 0, den = 0;
        VXImageDelayToFraction(delay, &num, &den);
        return std::pair<int, int>(num, den);
    };
    EXPECT_EQ(fraction(0.1), std::make_pair(1, 10));
    EXPECT_EQ(fraction(0.04), std::make_pair(1, 25));
    EXPECT_EQ(fraction(1.0 / 3), std::make_pair(1, 3));
    EXPECT_EQ(fraction(300), std::make_pair(255, 1));
    EXPECT_EQ(fraction(0.001), std::make_pair(1, 255));
    EXPECT_EQ(fraction(M_PI), std::make_pair(22, 7)); // the next convergent, 333/106, passes 255
}

TEST_F(ImageEncoder, SystemPathWritesAllGIFFramesButOneOfOtherTypes) {
    auto gif = VXImageEncoder::initWithType(VXImageTypeGIF);
    gif->setLoopCount(4);
    gif->addImage(picture(6, 4, kRed, false), 0.1);
    gif->addImageWithData(ns::Data::make(png(6, 4, solid(kGreen))), 0.2);
    gif->addImage(picture(6, 4, kBlue, false), -3);
    auto decoder = VXImageDecoder::decoderWithData(gif->encode(), 1);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(decoder->frameCount(), 3u);
    EXPECT_EQ(decoder->loopCount(), 4u);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(1), 0.2);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(2), 0);
    EXPECT_EQ(pixelAt(frameImage(decoder, 1), 5, 3), kGreen);

    auto first = makeImage(8, 8, distinct, false);
    auto jpeg = VXImageEncoder::initWithType(VXImageTypeJPEG);
    jpeg->setQuality(0.3);
    for (int i = 0; i < 3; ++i) jpeg->addImage(ui::Image::imageWithCGImage(first), 0.1);
    auto data = jpeg->encode();
    ASSERT_TRUE(data);
    EXPECT_EQ(imageio::ImageSource::CreateWithData(data)->GetCount(), 1u);
    EXPECT_TRUE(data->isEqual(*VXImageEncodeSingle(first, VXImageTypeJPEG, 0.3)));

    // One PNG frame stays a plain PNG.
    auto single = VXImageEncoder::initWithType(VXImageTypePNG);
    single->addImage(picture(4, 4, kRed), 1);
    EXPECT_EQ(layoutOf(single->encode()), "IHDR IDAT IEND");
}

TEST_F(ImageEncoder, AnimatedPNGDecodesBackFrameByFrame) {
    const std::string file = sandboxPath() + "/blue.png";
    ASSERT_TRUE(ns::Data::make(png(8, 6, solid(kBlue)))->writeToFile(file, false));
    auto encoder = VXImageEncoder::initWithType(VXImageTypePNG);
    encoder->setLoopCount(2);
    encoder->addImage(picture(8, 6, kRed), 0.1);
    encoder->addImageWithData(ns::Data::make(png(8, 6, solid(kGreen), false)), 0.04); // opaque among alpha
    encoder->addImageWithFile(file, 1.0 / 3);
    auto data = encoder->encode();
    ASSERT_TRUE(data);

    std::vector<uint32_t> sequence;
    EXPECT_EQ(layoutOf(data, &sequence), "IHDR acTL fcTL IDAT fcTL fdAT fcTL fdAT IEND");
    for (size_t i = 0; i < sequence.size(); ++i) EXPECT_EQ(sequence[i], i);

    auto decoder = VXImageDecoder::decoderWithData(data, 1);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->type(), VXImageTypePNG);
    ASSERT_EQ(decoder->frameCount(), 3u);
    EXPECT_EQ(decoder->loopCount(), 2u);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(0), 0.1);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(1), 0.04);
    EXPECT_DOUBLE_EQ(decoder->frameDurationAtIndex(2), 1.0 / 3);
    const Rgba colours[] = {kRed, kGreen, kBlue};
    for (size_t i = 0; i < 3; ++i) {
        auto image = frameImage(decoder, i);
        ASSERT_TRUE(image) << i;
        EXPECT_EQ(pixelAt(image, 7, 5), colours[i]) << i;
    }
}

TEST_F(ImageEncoder, AnimatedPNGCanvasIsTheLargestFrame) {
    auto encoder = VXImageEncoder::initWithType(VXImageTypePNG);
    encoder->addImage(picture(10, 10, kRed, false), 0.1); // opaque, but its canvas is not
    encoder->addImage(picture(20, 5, kGreen, false), 0.1);
    auto data = encoder->encode();
    ASSERT_TRUE(data);
    auto info = VXPNGInfoCreate(data->bytes(), data->length());
    ASSERT_TRUE(info);
    ASSERT_EQ(info->apngFrameCount(), 2u);
    EXPECT_EQ(info->apngFrames[0].width * 100 + info->apngFrames[0].height, 2010u); // frame 0 is the canvas
    EXPECT_EQ(info->apngFrames[1].width * 100 + info->apngFrames[1].height, 2005u);

    auto decoder = VXImageDecoder::decoderWithData(data, 1);
    ASSERT_TRUE(decoder);
    auto first = frameImage(decoder, 0);
    EXPECT_EQ(pixelAt(first, 9, 9), kRed);    // drawn at the top-left
    EXPECT_EQ(pixelAt(first, 10, 0), kClear); // the rest transparent
    EXPECT_EQ(pixelAt(frameImage(decoder, 1), 19, 4), kGreen);
}

TEST_F(ImageEncoder, ReencodesEveryFrameOfADecoder) {
    auto decoder = VXImageDecoder::decoderWithData(dataOf(gif(5, 5, {{5, 5, 10, 0}, {5, 5, 20, 1}, {5, 5, 5, 2}}, 0)), 1);
    ASSERT_TRUE(decoder);
    auto data = VXImageEncoder::encodeImageWithDecoder(decoder, VXImageTypePNG, 1);
    ASSERT_TRUE(data);
    EXPECT_EQ(VXPNGInfoCreate(data->bytes(), data->length())->apngFrameCount(), 3u);
    std::vector<uint32_t> sequence;
    layoutOf(data, &sequence);
    ASSERT_EQ(sequence.size(), 5u); // 3 fcTL, 2 fdAT (frame 0 is the IDAT)
    for (size_t i = 0; i < sequence.size(); ++i) EXPECT_EQ(sequence[i], i);
    EXPECT_DOUBLE_EQ(VXImageDecoder::decoderWithData(data, 1)->frameDurationAtIndex(1), 0.2);

    EXPECT_EQ(VXImageEncoder::encodeImageWithDecoder(VXImageDecoder::initWithScale(1), VXImageTypePNG, 1), nullptr);
}

TEST_F(ImageEncoder, FilesAreWrittenWhole) {
    const std::string folder = sandboxPath() + "/encoded";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/out.png";
    auto encoder = VXImageEncoder::initWithType(VXImageTypePNG);
    encoder->addImage(picture(4, 4, kRed), 0.1);
    encoder->addImage(picture(4, 4, kGreen), 0.1);
    EXPECT_FALSE(encoder->encodeToFile(""));
    ASSERT_TRUE(encoder->encodeToFile(path));
    auto written = ns::Data::fromFile(path);
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->isEqual(*encoder->encode()));

    // A frame that cannot be read fails the whole file and leaves the old one in place.
    encoder->addImageWithFile(folder + "/missing.png", 0.1);
    EXPECT_FALSE(encoder->encodeToFile(path));
    EXPECT_TRUE(ns::Data::fromFile(path)->isEqual(*written));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 1u); // no temporary left behind

    const std::string jpegPath = folder + "/out.jpg";
    auto jpeg = VXImageEncoder::initWithType(VXImageTypeJPEG);
    EXPECT_FALSE(jpeg->encodeToFile(jpegPath)); // no frame
    jpeg->addImage(picture(4, 4, kRed, false), 0);
    ASSERT_TRUE(jpeg->encodeToFile(jpegPath));
    EXPECT_EQ(VXImageSniffType(ns::Data::fromFile(jpegPath)), VXImageTypeJPEG);
}
