// Images from files and bundles: scale suffixes, encodings, archiving.
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/uikit/Color.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Image.h"
#include "os/uikit/Screen.h"

#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ui;
namespace fs = std::filesystem;

namespace {

// A PNG of a solid colour, w × h pixels.
ns::DataRef solidPNG(size_t w, size_t h, const ColorRef& colour) {
    GraphicsBeginImageContextWithOptions({double(w), double(h)}, false, 1);
    colour->setFill();
    RectFill(cg::RectMake(0, 0, double(w), double(h)));
    auto img = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    return ImagePNGRepresentation(img);
}

class ImageFilesTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(write("icon.png", solidPNG(1, 1, Color::redColor())));
        ASSERT_NO_FATAL_FAILURE(write("icon@2x.png", solidPNG(2, 2, Color::greenColor())));
        ASSERT_NO_FATAL_FAILURE(write("icon@3x.png", solidPNG(3, 3, Color::blueColor())));
        ASSERT_NO_FATAL_FAILURE(write("VOZUV.bundle/close.png", solidPNG(4, 4, Color::whiteColor())));
        ASSERT_NO_FATAL_FAILURE(write("photo.jpg", ImageJPEGRepresentation(Image::imageWithData(solidPNG(8, 4, Color::grayColor())), 0.9)));
    }
    void TearDown() override {
        Screen::mainScreen().reset();
        SandboxTest::TearDown();
    }
    void write(const std::string& name, const ns::DataRef& data) {
        ASSERT_TRUE(data) << name;
        fs::create_directories(fs::path(bundlePath() + "/" + name).parent_path());
        ASSERT_TRUE(data->writeToFile(bundlePath() + "/" + name, false));
    }
};

} // namespace

TEST_F(ImageFilesTest, ImageNamedPrefersTheScreenScaleSuffix) {
    Screen::mainScreen().setScale(2);
    auto two = Image::imageNamed("icon");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->scale(), 2);
    EXPECT_EQ(two->CGImage()->width(), 2u);
    EXPECT_EQ(two->size(), (cg::Size{1, 1}));

    Screen::mainScreen().setScale(3);
    EXPECT_EQ(Image::imageNamed("icon.png")->scale(), 3);
    Screen::mainScreen().setScale(1);
    EXPECT_EQ(Image::imageNamed("icon")->CGImage()->width(), 1u);

    // At scale 2 without the @2x file, @3x comes before the plain one.
    fs::remove(bundlePath() + "/icon@2x.png");
    Screen::mainScreen().setScale(2);
    EXPECT_EQ(Image::imageNamed("icon")->scale(), 3);

    EXPECT_TRUE(Image::imageNamed("VOZUV.bundle/close"));
    EXPECT_TRUE(Image::imageNamed("photo")); // "jpg" is tried after "png"
    EXPECT_FALSE(Image::imageNamed("icon.jpg"));
    EXPECT_FALSE(Image::imageNamed("missing"));
    EXPECT_FALSE(Image::imageNamed(""));
}

TEST_F(ImageFilesTest, FilesDataAndEncodings) {
    auto three = Image::imageWithContentsOfFile(bundlePath() + "/icon@3x.png");
    ASSERT_TRUE(three);
    EXPECT_EQ(three->scale(), 3);
    EXPECT_EQ(Image::imageWithContentsOfFile(bundlePath() + "/icon.png")->scale(), 1);
    EXPECT_FALSE(Image::imageWithContentsOfFile(bundlePath() + "/none.png"));
    EXPECT_FALSE(Image::imageWithData(ns::Data::fromString("not an image at all")));
    EXPECT_FALSE(Image::imageWithData(nullptr));

    auto photo = Image::imageWithContentsOfFile(bundlePath() + "/photo.jpg");
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->size(), (cg::Size{8, 4}));
    EXPECT_FALSE(cg::AlphaInfoHasAlpha(photo->CGImage()->alphaInfo()));

    auto png = ImagePNGRepresentation(three);
    ASSERT_TRUE(png);
    auto again = Image::imageWithData(png, 3);
    EXPECT_EQ(again->size(), (cg::Size{1, 1}));
    EXPECT_FALSE(ImagePNGRepresentation(ns::make<Image>()));

    // Archived and read back with its scale and orientation.
    auto turned = Image::imageWithCGImage(photo->CGImage(), 2, ImageOrientation::Right);
    auto archive = ns::KeyedArchiver::archivedData(ns::Value(turned));
    ASSERT_TRUE(archive);
    auto back = ns::KeyedUnarchiver::unarchiveObject(archive).objectAs<Image>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scale(), 2);
    EXPECT_EQ(back->imageOrientation(), ImageOrientation::Right);
    EXPECT_EQ(back->size(), (cg::Size{2, 4}));
}
