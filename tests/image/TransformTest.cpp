// Image transforms, checked pixel by pixel (±1 where the drawing rounds).

#include "ImageBytes.h"
#include "image/UIImage+VXWebImage.h"
#include "image/VXImageCodec.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Graphics.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace imagebytes;
using namespace VXWebImage;

namespace {


class ImageTransforms : public vx::test::Environment {};

ui::ImageRef imageOf(uint32_t w, uint32_t h, const Pixels& pixels, double scale = 1, bool alpha = true) {
    return ui::Image::imageWithCGImage(makeImage(w, h, pixels, alpha), scale);
}

Rgba at(const ui::ImageRef& image, uint32_t x, uint32_t y) { return pixelAt(image->CGImage(), x, y); }

// Box means with clamped edges, rounded, `passes` times: the expected blur of an opaque grey picture.
std::vector<int> boxBlur(std::vector<int> v, int w, int h, int box, int passes) {
    const int r = box / 2;
    for (int p = 0; p < passes; ++p) {
        std::vector<int> out(v.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sum = 0;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx)
                        sum += v[size_t(std::clamp(y + dy, 0, h - 1) * w + std::clamp(x + dx, 0, w - 1))];
                out[size_t(y * w + x)] = (sum + box * box / 2) / (box * box);
            }
        v = out;
    }
    return v;
}

Rgba spike(uint32_t x, uint32_t y) { return x == 4 && y == 4 ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255}; }

void expectBlurred(const ui::ImageRef& blurred, int box, int passes) {
    ASSERT_TRUE(blurred);
    std::vector<int> grey(81);
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 9; ++x) grey[y * 9 + x] = spike(x, y).r;
    const std::vector<int> expected = boxBlur(grey, 9, 9, box, passes);
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            EXPECT_NEAR(at(blurred, x, y).g, expected[y * 9 + x], 1) << "box " << box << " passes " << passes << " at " << x << "," << y;
}

} // namespace

TEST_F(ImageTransforms, ImagesMadeFromScratch) {
    auto colour = VX_imageWithColor(ui::Color::colorWithRed(0, 0, 1, 1), {2, 1});
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->scale(), 2); // the screen's
    EXPECT_EQ(colour->CGImage()->width(), 4u);
    EXPECT_EQ(at(colour, 3, 1), kBlue);
    EXPECT_EQ(VX_imageWithColor(ui::Color::colorWithWhite(1, 1))->size(), cg::SizeMake(1, 1));
    EXPECT_EQ(VX_imageWithColor(nullptr, {2, 2}), nullptr);
    EXPECT_EQ(VX_imageWithColor(ui::Color::redColor(), {0, 2}), nullptr);

    auto drawn = VX_imageWithSize({4, 4}, [](cg::Context* context) {
        context->SetFillColor({1, 0, 0, 1});
        context->FillRect(cg::RectMake(0, 0, 2, 4)); // the left half, in points (y down)
    });
    ASSERT_TRUE(drawn);
    EXPECT_EQ(at(drawn, 1, 7), kRed);
    EXPECT_EQ(at(drawn, 6, 0), kClear);
    EXPECT_EQ(VX_imageWithSize({4, 4}, nullptr), nullptr);
    EXPECT_TRUE(VX_hasAlphaChannel(drawn));
    EXPECT_FALSE(VX_hasAlphaChannel(imageOf(2, 2, distinct, 1, false)));
}

TEST_F(ImageTransforms, SmallGIFBecomesAnAnimatedImage) {
    auto animated = VX_imageWithSmallGIFData(dataOf(gif(3, 3, {{3, 3, 10, 0}, {3, 3, 20, 2}}, 0)), 2);
    ASSERT_TRUE(animated);
    ASSERT_EQ(animated->images().size(), 3u); // 5 and 10 frames of 0.02 s, divided by 5
    EXPECT_EQ(animated->images()[1], animated->images()[2]);
    EXPECT_NEAR(animated->duration(), 0.3, 1e-9);
    EXPECT_EQ(animated->images()[0]->scale(), 2);
    EXPECT_EQ(at(animated->images()[1], 0, 0), kBlue);

    auto fast = VX_imageWithSmallGIFData(dataOf(gif(3, 3, {{3, 3, 1, 0}, {3, 3, 20, 2}}, 0)), 1);
    ASSERT_TRUE(fast);
    EXPECT_NEAR(fast->duration(), 0.3, 1e-9); // 0.01 s counts as 0.1 s
    auto still = VX_imageWithSmallGIFData(dataOf(gif(3, 3, {{3, 3, 10, 0}}, std::nullopt)), 1);
    ASSERT_TRUE(still);
    EXPECT_TRUE(still->images().empty());
    EXPECT_TRUE(still->CGImage());
    EXPECT_EQ(VX_imageWithSmallGIFData(nullptr, 1), nullptr);
}

TEST_F(ImageTransforms, ResizeWithContentModesCropAndInsets) {
    auto small = imageOf(2, 2, distinct);
    auto stretched = VX_imageByResizeToSize(small, {8, 8});
    ASSERT_TRUE(stretched);
    EXPECT_EQ(stretched->CGImage()->width(), 8u);
    EXPECT_TRUE(near(at(stretched, 0, 0), distinct(0, 0), 2));
    EXPECT_TRUE(near(at(stretched, 7, 7), distinct(1, 1), 2));
    EXPECT_EQ(VX_imageByResizeToSize(small, {0, 8}), nullptr);

    // Aspect fit of 100 × 50 into 50 × 50 draws 50 × 25, centred.
    auto wide = imageOf(100, 50, solid(kRed));
    auto fitted = VX_imageByResizeToSize(wide, {50, 50}, ui::ContentMode::ScaleAspectFit);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(at(fitted, 25, 11).a, 0);
    EXPECT_EQ(at(fitted, 25, 13), kRed);
    EXPECT_EQ(at(fitted, 25, 36), kRed);
    EXPECT_EQ(at(fitted, 25, 38).a, 0);
    auto filled = VX_imageByResizeToSize(wide, {50, 50}, ui::ContentMode::ScaleAspectFill);
    EXPECT_EQ(at(filled, 0, 0), kRed);
    auto corner = VX_imageByResizeToSize(small, {6, 6}, ui::ContentMode::BottomRight);
    EXPECT_EQ(at(corner, 5, 5), distinct(1, 1));
    EXPECT_EQ(at(corner, 3, 3).a, 0);

    // Crop: points times the scale, from the top-left.
    auto detailed = imageOf(8, 8, [](uint32_t x, uint32_t y) { return Rgba{uint8_t(x * 30), uint8_t(y * 30), 0, 255}; }, 2);
    auto cropped = VX_imageByCropToRect(detailed, cg::RectMake(1, 1, 2, 2));
    ASSERT_TRUE(cropped);
    EXPECT_EQ(cropped->scale(), 2);
    EXPECT_EQ(cropped->CGImage()->width(), 4u);
    EXPECT_EQ(at(cropped, 0, 0), (Rgba{60, 60, 0, 255}));
    EXPECT_EQ(VX_imageByCropToRect(detailed, cg::RectMake(1, 1, 0, 2)), nullptr);

    // Insets: negative ones widen the canvas and the colour fills the margin.
    auto framed = VX_imageByInsetEdge(imageOf(2, 2, solid(kRed)), {-1, -1, -1, -1}, ui::Color::colorWithRed(0, 0, 1, 1));
    ASSERT_TRUE(framed);
    EXPECT_EQ(framed->CGImage()->width(), 4u);
    EXPECT_EQ(at(framed, 0, 0), kBlue);
    EXPECT_EQ(at(framed, 1, 1), kRed);
    EXPECT_EQ(at(framed, 3, 2), kBlue);
    EXPECT_EQ(VX_imageByInsetEdge(small, {0, 1, 0, 1}, nullptr), nullptr);
}

TEST_F(ImageTransforms, RoundedCornersAndBorders) {
    auto square = imageOf(40, 40, solid(kRed));
    auto rounded = VX_imageByRoundCornerRadius(square, 10);
    ASSERT_TRUE(rounded);
    EXPECT_EQ(at(rounded, 0, 0).a, 0);
    EXPECT_EQ(at(rounded, 39, 39).a, 0);
    EXPECT_EQ(at(rounded, 20, 20), kRed);
    EXPECT_EQ(at(rounded, 20, 0), kRed);

    // Only the top-left corner, as seen in the picture.
    auto one = VX_imageByRoundCornerRadius(square, 10, ui::RectCornerTopLeft, 0, nullptr, cg::LineJoin::Miter);
    EXPECT_EQ(at(one, 0, 0).a, 0);
    EXPECT_EQ(at(one, 39, 0), kRed);
    EXPECT_EQ(at(one, 0, 39), kRed);
    EXPECT_EQ(at(one, 39, 39), kRed);

    auto bordered = VX_imageByRoundCornerRadius(square, 10, 2, ui::Color::colorWithRed(0, 0, 1, 1));
    EXPECT_TRUE(near(at(bordered, 20, 2), kBlue, 2)) << at(bordered, 20, 2);
    EXPECT_EQ(at(bordered, 20, 0).a, 0);
    EXPECT_EQ(at(bordered, 20, 20), kRed);

    auto empty = VX_imageByRoundCornerRadius(imageOf(40, 20, solid(kRed)), 4, 10, ui::Color::redColor());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->CGImage()->width(), 40u);
    EXPECT_EQ(at(empty, 20, 10), kClear);
}

TEST_F(ImageTransforms, RotationAndFlips) {
    const uint32_t w = 4, h = 2;
    auto stored = imageOf(w, h, distinct, 2);
    auto left = VX_imageByRotateLeft90(stored);
    ASSERT_TRUE(left);
    ASSERT_EQ(left->CGImage()->width(), h);
    ASSERT_EQ(left->CGImage()->height(), w);
    EXPECT_EQ(left->scale(), 2);
    auto right = VX_imageByRotateRight90(stored);
    for (uint32_t y = 0; y < w; ++y)
        for (uint32_t x = 0; x < h; ++x) {
            EXPECT_TRUE(near(at(left, x, y), distinct(w - 1 - y, x))) << x << "," << y << " " << at(left, x, y);
            EXPECT_TRUE(near(at(right, x, y), distinct(y, h - 1 - x))) << x << "," << y << " " << at(right, x, y);
        }
    auto upsideDown = VX_imageByRotate180(stored);
    auto vertical = VX_imageByFlipVertical(stored);
    auto horizontal = VX_imageByFlipHorizontal(stored);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            EXPECT_EQ(at(upsideDown, x, y), distinct(w - 1 - x, h - 1 - y));
            EXPECT_EQ(at(vertical, x, y), distinct(x, h - 1 - y));
            EXPECT_EQ(at(horizontal, x, y), distinct(w - 1 - x, y));
        }

    auto big = imageOf(100, 50, solid(kRed));
    auto fitted = VX_imageByRotate(big, M_PI_2, true);
    EXPECT_EQ(fitted->CGImage()->width(), 50u);
    EXPECT_EQ(fitted->CGImage()->height(), 100u);
    auto cut = VX_imageByRotate(big, M_PI_2, false);
    EXPECT_EQ(cut->CGImage()->width(), 100u);
    EXPECT_EQ(at(cut, 0, 25).a, 0); // the corners are cut off
    EXPECT_EQ(at(cut, 50, 25), kRed);
    EXPECT_EQ(VX_imageByRotate(ui::Image::animatedImageWithImages({big}, 1), 1, true), nullptr);
}

TEST_F(ImageTransforms, TintTakesTheImagesAlpha) {
    auto shape = imageOf(2, 1, [](uint32_t x, uint32_t) { return x == 0 ? Rgba{10, 200, 30, 255} : Rgba{10, 200, 30, 0}; });
    auto tinted = VX_imageByTintColor(shape, ui::Color::colorWithRed(0, 0, 1, 1));
    ASSERT_TRUE(tinted);
    EXPECT_EQ(at(tinted, 0, 0), kBlue);
    EXPECT_EQ(at(tinted, 1, 0).a, 0);
}

TEST_F(ImageTransforms, BlurSaturationTintAndMask) {
    // Saturation 0 of pure red: a grey of about 0.2126 × 255.
    auto grey = VX_imageByGrayscale(imageOf(1, 1, solid(kRed)));
    ASSERT_TRUE(grey);
    EXPECT_NEAR(at(grey, 0, 0).r, 54, 1);
    EXPECT_NEAR(at(grey, 0, 0).g, 54, 1);
    EXPECT_NEAR(at(grey, 0, 0).b, 54, 1);

    // Nothing to do: the receiver's own bitmap at scale 1.
    auto source = imageOf(9, 9, spike, 2);
    auto same = VX_imageByBlurRadius(source, 0, nullptr, cg::BlendMode::Normal, 1, nullptr);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->CGImage(), source->CGImage());
    EXPECT_EQ(same->scale(), 1);

    // Box size and passes from the radius in pixels.
    ASSERT_NO_FATAL_FAILURE(expectBlurred(VX_imageByBlurRadius(source, 0.1, nullptr, cg::BlendMode::Normal, 1, nullptr), 3, 1));
    ASSERT_NO_FATAL_FAILURE(expectBlurred(VX_imageByBlurRadius(source, 0.6, nullptr, cg::BlendMode::Normal, 1, nullptr), 3, 2));
    ASSERT_NO_FATAL_FAILURE(expectBlurred(VX_imageByBlurRadius(source, 1, nullptr, cg::BlendMode::Normal, 1, nullptr), 3, 3));
    ASSERT_NO_FATAL_FAILURE(expectBlurred(VX_imageByBlurRadius(imageOf(9, 9, spike), 5, nullptr, cg::BlendMode::Normal, 1, nullptr), 5, 3));

    // A tint is laid over the effect; a mask limits the effect to where it is opaque.
    auto white = imageOf(2, 2, solid({255, 255, 255, 255}), 1);
    auto tinted = VX_imageByBlurRadius(white, 0, ui::Color::colorWithWhite(0, 0.5), cg::BlendMode::Normal, 1, nullptr);
    ASSERT_TRUE(tinted);
    EXPECT_NEAR(at(tinted, 1, 1).r, 128, 1);
    auto red = imageOf(4, 2, solid(kRed));
    auto mask = imageOf(4, 2, [](uint32_t x, uint32_t) { return x < 2 ? Rgba{0, 0, 0, 255} : kClear; });
    auto masked = VX_imageByBlurRadius(red, 0, nullptr, cg::BlendMode::Normal, 0, mask);
    ASSERT_TRUE(masked);
    EXPECT_NEAR(at(masked, 0, 0).r, 54, 1);
    EXPECT_EQ(at(masked, 3, 1), kRed);
    auto soft = VX_imageByBlurSoft(imageOf(16, 16, distinct));
    ASSERT_TRUE(soft);
    EXPECT_EQ(soft->CGImage()->width(), 16u);

    // Unusable input logs and gives nothing.
    EXPECT_EQ(VX_imageByBlurRadius(ui::Image::animatedImageWithImages({red}, 1), 1, nullptr, cg::BlendMode::Normal, 1, nullptr),
              nullptr);
    EXPECT_TRUE(logContains("UIImage+VXAdd error: inputImage must be backed by a CGImage: "));
    EXPECT_EQ(VX_imageByBlurRadius(imageOf(1, 1, solid(kRed), 2), 1, nullptr, cg::BlendMode::Normal, 1, nullptr), nullptr);
    EXPECT_TRUE(logContains("UIImage+VXAdd error: invalid size: (0.50 x 0.50). Both dimensions must be >= 1: "));
    EXPECT_EQ(VX_imageByBlurRadius(red, 1, nullptr, cg::BlendMode::Normal, 1, std::make_shared<ui::Image>()), nullptr);
    EXPECT_TRUE(logContains("UIImage+VXAdd error: effectMaskImage must be backed by a CGImage: "));
}
