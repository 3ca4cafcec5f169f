// Animated image classes and the coder category: frames, durations, preloading, coding, named
// resources, decoded copies and the bytes kept for storage.

#include "ImageBytes.h"
#include "image/VXFrameImage.h"
#include "image/VXImage.h"
#include "image/VXImageCoder.h"
#include "image/VXSpriteSheetImage.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Thread.h"
#include "os/uikit/PhotoAlbum.h"
#include "os/uikit/Screen.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <cmath>

#include <filesystem>
#include <fstream>

using namespace imagebytes;

namespace {


class ImageClasses : public vx::test::Environment {
protected:
    void write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(bundlePath() + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::string path(const std::string& name) const { return bundlePath() + "/" + name; }
};

ns::DataRef threeFrameGIF() { return dataOf(gif(6, 4, {{6, 4, 10, 0}, {6, 4, 1, 1}, {6, 4, 20, 2}}, 3)); }

} // namespace

TEST_F(ImageClasses, VXImagePlaysAnAnimatedGIF) {
    const ns::DataRef data = threeFrameGIF();
    auto image = VXImage::imageWithData(data, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->animatedImageType(), VXImageTypeGIF);
    EXPECT_EQ(image->animatedImageData(), data); // the very same data object
    EXPECT_EQ(image->animatedImageFrameCount(), 3u);
    EXPECT_EQ(image->animatedImageLoopCount(), 3u);
    EXPECT_EQ(image->size().width, 3);
    EXPECT_EQ(image->animatedImageBytesPerFrame(), image->CGImage()->bytesPerRow() * 4);
    EXPECT_EQ(image->animatedImageMemorySize(), 3 * image->animatedImageBytesPerFrame());
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(image));
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 0), kRed);
    EXPECT_EQ(pixelAt(image->animatedImageFrameAtIndex(2)->CGImage(), 5, 3), kBlue);
    EXPECT_EQ(image->animatedImageFrameAtIndex(3), nullptr);

    // Delays below 0.011 s play at 0.1 s, in single precision.
    EXPECT_DOUBLE_EQ(image->animatedImageDurationAtIndex(0), 0.1);
    EXPECT_DOUBLE_EQ(image->animatedImageDurationAtIndex(1), double(0.1f));
    EXPECT_DOUBLE_EQ(image->animatedImageDurationAtIndex(2), 0.2);
    auto apngImage = VXImage::imageWithData(
        dataOf(apng(2, 2, {{0, 0, 2, 2, 11, 1000, 0, 0, solid(kRed)}, {0, 0, 2, 2, 1, 100, 0, 0, solid(kGreen)}})), 1);
    ASSERT_TRUE(apngImage);
    EXPECT_DOUBLE_EQ(apngImage->animatedImageDurationAtIndex(0), 0.011);
    EXPECT_DOUBLE_EQ(apngImage->animatedImageDurationAtIndex(1), double(0.1f));

    // A single-frame GIF keeps no decoder and no data; empty data gives nothing.
    auto still = VXImage::imageWithData(dataOf(gif(2, 2, {{2, 2, 10, 1}}, std::nullopt)), 0);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->scale(), 2); // 0 means the main screen's
    EXPECT_EQ(still->animatedImageFrameCount(), 0u);
    EXPECT_EQ(still->animatedImageData(), nullptr);
    EXPECT_EQ(VXImage::imageWithData(ns::Data::make(), 1), nullptr);
}

TEST_F(ImageClasses, PreloadingKeepsFramesUntilSwitchedOff) {
    auto image = VXImage::imageWithData(threeFrameGIF(), 1);
    ASSERT_TRUE(image);
    EXPECT_NE(image->animatedImageFrameAtIndex(1), image->animatedImageFrameAtIndex(1));
    image->setPreloadAllAnimatedImageFrames(true);
    ns::Weak<ui::Image> preloaded = image->animatedImageFrameAtIndex(1);
    EXPECT_EQ(preloaded.lock(), image->animatedImageFrameAtIndex(1));
    image->setPreloadAllAnimatedImageFrames(false);
    EXPECT_TRUE(preloaded.expired());
}

TEST_F(ImageClasses, CodingRoundTrips) {
    auto animated = VXImage::imageWithData(threeFrameGIF(), 2);
    auto archived = ns::KeyedArchiver::archivedData(ns::Value(animated));
    ASSERT_TRUE(archived);
    auto back = ns::KeyedUnarchiver::unarchiveObject(archived).objectAs<VXImage>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scale(), 2);
    EXPECT_EQ(back->animatedImageFrameCount(), 3u);
    EXPECT_TRUE(back->animatedImageData()->isEqual(*animated->animatedImageData()));

    // Without data the platform image's own keys carry the picture.
    auto still = VXImage::imageWithData(dataOf(png(3, 2, distinct)), 3);
    archived = ns::KeyedArchiver::archivedData(ns::Value(still));
    back = ns::KeyedUnarchiver::unarchiveObject(archived).objectAs<VXImage>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scale(), 3);
    EXPECT_EQ(pixelAt(back->CGImage(), 2, 1), distinct(2, 1));
}

TEST_F(ImageClasses, ImageNamedSearchesScalesThenExtensions) {
    write("icon.png", png(1, 1, solid(kRed)));
    write("icon@3x.png", png(3, 3, solid(kBlue)));
    write("icon@2x.png", png(2, 2, solid(kGreen)));
    auto image = VXImage::imageNamed("icon"); // main screen scale 2: 2, 3, 1
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 0), kGreen);
    std::filesystem::remove(path("icon@2x.png"));
    EXPECT_EQ(VXImage::imageNamed("icon")->scale(), 3);
    std::filesystem::remove(path("icon@3x.png"));
    EXPECT_EQ(VXImage::imageNamed("icon.png")->scale(), 1);

    // Every extension at one scale before the next scale; a given extension is the only one tried.
    write("anim@2x.apng", png(2, 2, solid(kGreen)));
    write("anim@3x.png", png(3, 3, solid(kBlue)));
    EXPECT_EQ(VXImage::imageNamed("anim")->scale(), 2);
    EXPECT_EQ(VXImage::imageNamed("anim.png")->scale(), 3);
    write("only.gif", gif(2, 2, {{2, 2, 10, 0}}, std::nullopt));
    EXPECT_EQ(VXImage::imageNamed("only.png"), nullptr);
    EXPECT_TRUE(VXImage::imageNamed("only"));
    EXPECT_EQ(VXImage::imageNamed(""), nullptr);
    EXPECT_EQ(VXImage::imageNamed("dir/"), nullptr);

    // The order is fixed once per process from the screen (a reset forgets it).
    ns::ResetRegistry::resetAll();
    ui::Screen::mainScreen().setScale(3);
    EXPECT_EQ(VXImage::imageNamed("anim")->scale(), 3);
    ui::Screen::mainScreen().setScale(2);
    EXPECT_EQ(VXImage::imageNamed("anim")->scale(), 3);
    ns::ResetRegistry::resetAll();

    write("photo@1.5x.png", png(3, 3, solid(kRed)));
    write("ab@2x.png", png(2, 2, solid(kRed)));
    EXPECT_DOUBLE_EQ(VXImage::imageWithContentsOfFile(path("photo@1.5x.png"))->scale(), 1.5);
    EXPECT_DOUBLE_EQ(VXImage::imageWithContentsOfFile(path("ab@2x.png"))->scale(), 2);
    EXPECT_DOUBLE_EQ(VXImageScaleFromPath("dir@2x/icon.png"), 1);
    EXPECT_EQ(VXImage::imageWithContentsOfFile(path("missing.png")), nullptr);
}

TEST_F(ImageClasses, FrameAndSpriteSheetImages) {
    write("f0@2x.png", png(4, 4, solid(kRed)));
    write("f1@2x.png", png(4, 4, solid(kGreen)));
    write("f2@2x.png", png(4, 4, solid(kBlue)));
    const std::vector<std::string> paths = {path("f0@2x.png"), path("f1@2x.png"), path("f2@2x.png")};
    EXPECT_EQ(VXFrameImage::initWithImagePaths(paths, std::vector<double>{0.1, 0.2}, 0), nullptr);
    EXPECT_EQ(VXFrameImage::initWithImagePaths({}, 0.1, 0), nullptr);
    auto frames = VXFrameImage::initWithImagePaths(paths, 0.25, 2);
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->scale(), 2);
    EXPECT_EQ(frames->animatedImageFrameCount(), 3u);
    EXPECT_EQ(frames->animatedImageLoopCount(), 2u);
    EXPECT_EQ(frames->animatedImageBytesPerFrame(), frames->CGImage()->bytesPerRow() * 4);
    EXPECT_DOUBLE_EQ(frames->animatedImageDurationAtIndex(2), 0.25);
    EXPECT_DOUBLE_EQ(frames->animatedImageDurationAtIndex(3), 0);
    auto second = frames->animatedImageFrameAtIndex(1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->scale(), 2);
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(second));
    EXPECT_EQ(pixelAt(second->CGImage(), 0, 0), kGreen);
    EXPECT_EQ(frames->animatedImageFrameAtIndex(3), nullptr);
    auto fromData = VXFrameImage::initWithImageDataArray({dataOf(png(2, 2, solid(kRed))), dataOf(png(2, 2, solid(kBlue)))},
                                                         std::vector<double>{0.1, 0.3}, 0);
    ASSERT_TRUE(fromData);
    EXPECT_EQ(fromData->animatedImageFrameAtIndex(1)->scale(), 2); // the main screen's
    EXPECT_EQ(pixelAt(fromData->animatedImageFrameAtIndex(1)->CGImage(), 1, 1), kBlue);

    auto sheetImage = ui::Image::imageWithCGImage(makeImage(40, 20, distinct), 2); // 20 × 10 points
    EXPECT_EQ(VXSpriteSheetImage::initWithSpriteSheetImage(sheetImage, {{{0, 0}, {10, 10}}}, {}, 0), nullptr);
    auto sheet = VXSpriteSheetImage::initWithSpriteSheetImage(
        sheetImage, {{{0, 0}, {10, 10}}, {{10, 5}, {20, 10}}, {{30, 30}, {5, 5}}}, {0.1, 0.2, 0.3}, 1);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->animatedImageFrameCount(), 3u);
    EXPECT_EQ(sheet->animatedImageFrameAtIndex(2), sheet);
    EXPECT_TRUE(sheet->implementsAnimatedImageContentsRect());
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(sheet));
    EXPECT_EQ(sheet->contentsRectForCALayerAtIndex(0), cg::RectMake(0, 0, 0.5, 1));
    EXPECT_EQ(sheet->contentsRectForCALayerAtIndex(1), cg::RectMake(0.5, 0.5, 0.5, 0.5)); // clipped to the unit square
    EXPECT_EQ(sheet->contentsRectForCALayerAtIndex(2), cg::UnitRect); // wholly outside
    EXPECT_EQ(sheet->contentsRectForCALayerAtIndex(3), cg::UnitRect);
    EXPECT_EQ(sheet->animatedImageContentsRectAtIndex(3), cg::RectZero);
    // A rectangle with a NaN or infinite side (from a hostile description) is none of the sheet's.
    const double nan = std::nan("");
    auto odd = VXSpriteSheetImage::initWithSpriteSheetImage(
        sheetImage, {{{0, 0}, {10, nan}}, {{nan, 0}, {5, 5}}, {{0, 0}, {INFINITY, 5}}}, {0.1, 0.1, 0.1}, 0);
    ASSERT_TRUE(odd);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(odd->contentsRectForCALayerAtIndex(i), cg::UnitRect) << i;
}

TEST_F(ImageClasses, DecodedCopiesAndTheMark) {
    auto plain = ui::Image::imageWithCGImage(makeImage(3, 3, distinct, false), 2, ui::ImageOrientation::Down);
    EXPECT_FALSE(VXImageCoder::VX_isDecodedForDisplay(plain));
    auto decoded = VXImageCoder::VX_imageByDecoded(plain);
    ASSERT_NE(decoded, plain);
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(decoded));
    EXPECT_EQ(decoded->CGImage()->bitmapInfo(), 0x2006u);
    EXPECT_EQ(decoded->scale(), 2);
    EXPECT_EQ(decoded->imageOrientation(), ui::ImageOrientation::Down);
    EXPECT_EQ(VXImageCoder::VX_imageByDecoded(decoded), decoded);

    // A copy keeps the receiver's class.
    auto unmarked = VXImage::imageWithCGImage(makeImage(2, 2, distinct));
    EXPECT_TRUE(ns::as<VXImage>(VXImageCoder::VX_imageByDecoded(unmarked)));
    auto animation = ui::Image::animatedImageWithImages({plain, plain}, 1);
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(animation));
    EXPECT_EQ(VXImageCoder::VX_imageByDecoded(nullptr), nullptr);
}

TEST_F(ImageClasses, DataRepresentationForStorage) {
    auto opaque = ui::Image::imageWithData(dataOf(jpeg(8, 8, distinct)));
    EXPECT_EQ(VXImageSniffType(VXImageCoder::VX_imageDataRepresentation(opaque)), VXImageTypeJPEG);
    auto withAlpha = ui::Image::imageWithCGImage(makeImage(4, 4, solid({1, 2, 3, 100})));
    EXPECT_EQ(VXImageSniffType(VXImageCoder::VX_imageDataRepresentation(withAlpha)), VXImageTypePNG);

    const ns::DataRef gifData = threeFrameGIF();
    EXPECT_EQ(VXImageCoder::VX_imageDataRepresentation(VXImage::imageWithData(gifData, 1)), gifData);
    const ns::DataRef apngData =
        dataOf(apng(2, 2, {{0, 0, 2, 2, 1, 10, 0, 0, solid(kRed)}, {0, 0, 2, 2, 1, 10, 0, 0, solid(kGreen)}}));
    EXPECT_EQ(VXImageCoder::VX_imageDataRepresentation(VXImage::imageWithData(apngData, 1)), apngData);

    // A right-oriented picture is stored upright: 3 × 2 stored becomes 2 × 3.
    auto turned = ui::Image::imageWithCGImage(makeImage(3, 2, distinct), 1, ui::ImageOrientation::Right);
    auto stored = ui::Image::imageWithData(VXImageCoder::VX_imageDataRepresentation(turned));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->CGImage()->width(), 2u);
    EXPECT_EQ(stored->CGImage()->height(), 3u);
    EXPECT_TRUE(near(pixelAt(stored->CGImage(), 1, 0), distinct(0, 0), 1)); // top-left went to top-right
}

TEST_F(ImageClasses, SavingToTheAlbum) {
    const ns::DataRef gifData = threeFrameGIF();
    ns::Ref<ns::URL> url;
    ns::Ref<ns::Error> error;
    bool called = false, onMain = false;
    VXImageCoder::VX_saveToAlbumWithCompletionBlock(VXImage::imageWithData(gifData, 1),
                                                    [&](const ns::Ref<ns::URL>& u, const ns::Ref<ns::Error>& e) {
                                                        url = u, error = e, called = true;
                                                        onMain = ns::Thread::isMainThread();
                                                    });
    ASSERT_TRUE(runMainUntil([&] { return called; }));
    EXPECT_TRUE(onMain);
    EXPECT_FALSE(error);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString().rfind("assets-library://asset/asset.GIF?", 0), 0u);
    ASSERT_EQ(ui::PhotoAlbum::shared().savedImageData().size(), 1u);
    EXPECT_EQ(ui::PhotoAlbum::shared().savedImageData().front(), gifData);

    ui::PhotoAlbum::shared().setSavingAllowed(false);
    called = false;
    VXImageCoder::VX_saveToAlbumWithCompletionBlock(ui::Image::imageWithCGImage(makeImage(2, 2, distinct)),
                                                    [&](const ns::Ref<ns::URL>& u, const ns::Ref<ns::Error>& e) {
                                                        url = u, error = e, called = true;
                                                    });
    ASSERT_TRUE(runMainUntil([&] { return called; }));
    EXPECT_FALSE(url);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ui::AssetsLibraryDataUnavailableError);
}
