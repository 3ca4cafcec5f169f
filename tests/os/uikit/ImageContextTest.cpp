// Image contexts (y-down points × scale), oriented drawing, paths and colours of the UI layer.
#include "os/uikit/BezierPath.h"
#include "os/uikit/Color.h"
#include "os/uikit/Device.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Image.h"
#include "os/uikit/Screen.h"
#include "UIKitTestSupport.h"

using namespace ui;
using uitest::pixel;
using uitest::Px;

namespace {

const Px kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

// A 3 × 2 opaque display-format bitmap whose six pixels differ; pixel (x, y) has red 40(x+1), green 100+50y.
cg::ImageRef sixPixels() {
    std::vector<uint8_t> bytes;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bytes.insert(bytes.end(), {7, uint8_t(100 + 50 * y), uint8_t(40 * (x + 1)), 255});
    return cg::Image::Create(3, 2, 8, 32, 12, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha,
                             cg::DataProvider::CreateWithCFData(ns::Data::make(std::move(bytes))));
}

class UIKitTest : public ::testing::Test {
protected:
    void TearDown() override {
        Screen::mainScreen().reset();
        Device::currentDevice().reset();
        while (GraphicsGetCurrentContext()) GraphicsEndImageContext();
    }
};

} // namespace

TEST_F(UIKitTest, ImageContextIsYDownInPointsTimesScale) {
    GraphicsBeginImageContextWithOptions({3, 2}, false, 2);
    cg::Context* c = GraphicsGetCurrentContext();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width(), 6u);
    EXPECT_EQ(c->height(), 4u);
    EXPECT_EQ(c->bitmapInfo(), cg::kBitmapDisplayAlpha);
    EXPECT_EQ(c->GetCTM(), (cg::AffineTransform{2, 0, 0, -2, 0, 4}));
    Color::redColor()->setFill();
    RectFill(cg::RectMake(0, 0, 1, 1)); // the top-left point
    ImageRef img = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    EXPECT_FALSE(GraphicsGetCurrentContext());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->scale(), 2);
    EXPECT_EQ(img->size(), (cg::Size{3, 2}));
    EXPECT_EQ(img->imageOrientation(), ImageOrientation::Up);
    EXPECT_EQ(pixel(img->CGImage(), 0, 0), kRed);
    EXPECT_EQ(pixel(img->CGImage(), 1, 1), kRed);
    EXPECT_EQ(pixel(img->CGImage(), 2, 0), kClear);
    EXPECT_EQ(pixel(img->CGImage(), 0, 2), kClear);
}

TEST_F(UIKitTest, ImageContextStackScaleZeroAndOpaque) {
    Screen::mainScreen().setScale(3);
    GraphicsBeginImageContextWithOptions({1, 1}, true, 0);
    cg::Context* outer = GraphicsGetCurrentContext();
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->width(), 3u);
    EXPECT_EQ(outer->bitmapInfo(), cg::kBitmapDisplayOpaque);
    GraphicsBeginImageContextWithOptions({1.2, 0.5}, false, 1); // rounded up to 2 × 1
    EXPECT_EQ(GraphicsGetCurrentContext()->width(), 2u);
    EXPECT_EQ(GraphicsGetCurrentContext()->height(), 1u);
    GraphicsEndImageContext();
    EXPECT_EQ(GraphicsGetCurrentContext(), outer);
    GraphicsBeginImageContextWithOptions({0, 5}, false, 1); // nothing to draw into
    EXPECT_FALSE(GraphicsGetCurrentContext());
    EXPECT_FALSE(GraphicsGetImageFromCurrentImageContext());
    GraphicsEndImageContext();
    EXPECT_EQ(GraphicsGetCurrentContext(), outer);
    GraphicsEndImageContext();
}

TEST_F(UIKitTest, AnimatedImagesTakeTheSizeOfTheirFrames) {
    auto animated = Image::animatedImageWithImages({Image::imageWithCGImage(sixPixels(), 2)}, 0.5);
    EXPECT_FALSE(animated->CGImage());
    EXPECT_EQ(animated->size(), (cg::Size{1.5, 1}));
    EXPECT_FALSE(Image::imageWithCGImage(nullptr));
}

TEST_F(UIKitTest, DrawInRectShowsEveryOrientationUpright) {
    // Where stored pixel (x, y) of a 3 × 2 bitmap is shown, per the orientation's definition.
    struct Case {
        ImageOrientation o;
        std::pair<int, int> (*shown)(int x, int y);
    };
    const Case cases[] = {
        {ImageOrientation::Up, [](int x, int y) { return std::pair{x, y}; }},
        {ImageOrientation::Down, [](int x, int y) { return std::pair{2 - x, 1 - y}; }},
        {ImageOrientation::Left, [](int x, int y) { return std::pair{y, 2 - x}; }},
        {ImageOrientation::Right, [](int x, int y) { return std::pair{1 - y, x}; }},
        {ImageOrientation::UpMirrored, [](int x, int y) { return std::pair{2 - x, y}; }},
        {ImageOrientation::DownMirrored, [](int x, int y) { return std::pair{x, 1 - y}; }},
        {ImageOrientation::LeftMirrored, [](int x, int y) { return std::pair{y, x}; }},
        {ImageOrientation::RightMirrored, [](int x, int y) { return std::pair{1 - y, 2 - x}; }},
    };
    auto bitmap = sixPixels();
    for (const Case& k : cases) {
        auto img = Image::imageWithCGImage(bitmap, 1, k.o);
        GraphicsBeginImageContextWithOptions(img->size(), false, 1);
        img->drawAtPoint({0, 0});
        auto shown = GraphicsGetImageFromCurrentImageContext()->CGImage();
        GraphicsEndImageContext();
        ASSERT_EQ(shown->height(), (int(k.o) & 2) ? 3u : 2u) << "sideways sizes swap: " << int(k.o);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                auto [sx, sy] = k.shown(x, y);
                EXPECT_EQ(pixel(shown, size_t(sx), size_t(sy)), pixel(bitmap, size_t(x), size_t(y)))
                    << "orientation " << int(k.o) << " stored (" << x << ", " << y << ")";
            }
    }
}

TEST_F(UIKitTest, DrawWithDestinationInTintsByAlpha) {
    // A half-transparent image used as the shape of a colour, the tint recipe.
    std::vector<uint8_t> bytes{0, 0, 0, 128, 0, 0, 0, 0};
    auto shape = Image::imageWithCGImage(cg::Image::Create(2, 1, 8, 32, 8, cg::ColorSpace::CreateDeviceRGB(),
                                                           cg::kBitmapDisplayAlpha,
                                                           cg::DataProvider::CreateWithCopy(bytes.data(), 8)));
    GraphicsBeginImageContextWithOptions({2, 1}, false, 1);
    Color::blueColor()->setFill();
    RectFill(cg::RectMake(0, 0, 2, 1));
    shape->drawAtPoint({0, 0}, cg::BlendMode::DestinationIn, 1);
    auto out = GraphicsGetImageFromCurrentImageContext()->CGImage();
    GraphicsEndImageContext();
    EXPECT_EQ(pixel(out, 0, 0), (Px{0, 0, 128, 128}));
    EXPECT_EQ(pixel(out, 1, 0), kClear);
}

TEST_F(UIKitTest, RoundedRectCornerMaskAndEvenOddInset) {
    GraphicsBeginImageContextWithOptions({10, 10}, false, 1);
    Color::redColor()->setFill();
    BezierPath::bezierPathWithRoundedRect(cg::RectMake(0, 0, 10, 10), RectCornerTopLeft, {5, 99})->fill();
    auto out = GraphicsGetImageFromCurrentImageContext()->CGImage();
    EXPECT_EQ(pixel(out, 0, 0), kClear);   // top left rounded
    EXPECT_EQ(pixel(out, 9, 0), kRed);     // top right square
    EXPECT_EQ(pixel(out, 0, 9), kRed);     // bottom left square
    EXPECT_EQ(pixel(out, 9, 9), kRed);

    // Even-odd difference of the canvas and an inner rectangle fills only the margin.
    auto margin = BezierPath::bezierPathWithRect(cg::RectMake(0, 0, 10, 10));
    margin->appendPath(*BezierPath::bezierPathWithRect(cg::RectMake(2, 2, 6, 6)));
    margin->setUsesEvenOddFillRule(true);
    GraphicsBeginImageContextWithOptions({10, 10}, false, 1);
    Color::blueColor()->setFill();
    margin->fill();
    out = GraphicsGetImageFromCurrentImageContext()->CGImage();
    GraphicsEndImageContext();
    GraphicsEndImageContext();
    EXPECT_EQ(pixel(out, 1, 1), kBlue);
    EXPECT_EQ(pixel(out, 5, 5), kClear);
}

TEST_F(UIKitTest, ClippedScaledDrawingAndStroke) {
    // A card: an icon drawn scaled inside a rounded clip, then the card's border stroked.
    GraphicsBeginImageContextWithOptions({3, 3}, false, 1);
    Color::blueColor()->setFill();
    RectFill(cg::RectMake(0, 0, 3, 3));
    Color::redColor()->setFill();
    RectFill(cg::RectMake(0, 0, 3, 1)); // a red top band shows a flipped drawing
    auto icon = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    GraphicsBeginImageContextWithOptions({40, 40}, false, 2);
    auto card = BezierPath::bezierPathWithRoundedRect(cg::RectMake(0, 0, 40, 40), 12);
    GraphicsGetCurrentContext()->SaveGState();
    card->addClip();
    icon->drawInRect(cg::RectMake(0, 0, 30, 30));
    GraphicsGetCurrentContext()->RestoreGState();
    card->setLineWidth(4);
    Color::greenColor()->setStroke();
    card->stroke();
    auto out = GraphicsGetImageFromCurrentImageContext()->CGImage();
    GraphicsEndImageContext();
    EXPECT_EQ(pixel(out, 2, 2), kClear) << "the rounded corner clips the icon";
    EXPECT_EQ(pixel(out, 40, 8), kRed) << "upright: the band is on top";
    EXPECT_EQ(pixel(out, 40, 40), kBlue);
    EXPECT_EQ(pixel(out, 64, 30), kClear) << "scaled to its rectangle only";
    EXPECT_EQ(pixel(out, 40, 1), (Px{0, 255, 0, 255})) << "the border along the top edge";
    EXPECT_EQ(pixel(out, 78, 40), (Px{0, 255, 0, 255}));
}

TEST_F(UIKitTest, ColoursAndSystemVersions) {
    double w = -1, a = -1, r, g, b;
    EXPECT_TRUE(Color::lightGrayColor()->getWhite(&w, &a));
    EXPECT_NEAR(w, 2.0 / 3, 1e-12);
    EXPECT_FALSE(Color::redColor()->getWhite(&w, &a));
    EXPECT_TRUE(Color::grayColor()->getRed(&r, &g, &b, &a));
    EXPECT_EQ(g, 0.5);
    EXPECT_TRUE(Color::clearColor()->isEqual(*Color::colorWithWhite(0, 0)));
    EXPECT_FALSE(Color::whiteColor()->isEqual(*Color::colorWithRed(1, 1, 1, 1)));

    Device& d = Device::currentDevice();
    d.setSystemVersion("12.4"); // versions compare by number, part by part
    EXPECT_TRUE(d.systemVersionAtLeast("8.0"));
    EXPECT_TRUE(d.systemVersionAtLeast("12.4.0"));
    EXPECT_FALSE(d.systemVersionAtLeast("12.10"));
}
