// Geometry, transforms and drawing: placement in the y-up space, snapshots, crop, clips and blends.
#include "tests/os/graphics/Pixels.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace cg;
using pixels::rgba;

namespace {

const std::vector<int> kClear{0, 0, 0, 0}, kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255};

// Display-format (B,G,R,A) bytes of opaque colours, rows from the top.
std::vector<uint8_t> bgra(std::initializer_list<std::vector<int>> px) {
    std::vector<uint8_t> out;
    for (const auto& p : px) out.insert(out.end(), {uint8_t(p[2]), uint8_t(p[1]), uint8_t(p[0]), uint8_t(p[3])});
    return out;
}

} // namespace

TEST(Geometry, RectangleRules) {
    EXPECT_EQ(RectIntegral(RectMake(0.5, 0.2, 1, 1)), RectMake(0, 0, 2, 2));
    EXPECT_EQ(RectStandardize(RectMake(5, 5, -2, -3)), RectMake(3, 2, 2, 3));
    EXPECT_TRUE(RectIsNull(RectIntersection(RectMake(0, 0, 1, 1), RectMake(2, 2, 1, 1))));
    Rect touching = RectIntersection(RectMake(0, 0, 1, 1), RectMake(1, 0, 1, 1));
    EXPECT_FALSE(RectIsNull(touching));
    EXPECT_TRUE(RectIsEmpty(touching));
    EXPECT_EQ(RectUnion(RectNull, RectMake(1, 2, 3, 4)), RectMake(1, 2, 3, 4));
    EXPECT_TRUE(RectIsNull(RectInset(RectMake(0, 0, 4, 4), 3, 0)));
    EXPECT_TRUE(RectContainsPoint(RectMake(0, 0, 2, 2), {0, 0}));
    EXPECT_FALSE(RectContainsPoint(RectMake(0, 0, 2, 2), {2, 1}));
    EXPECT_TRUE(RectEqualToRect(RectNull, RectIntersection(RectZero, RectMake(5, 5, 1, 1))));
    EXPECT_TRUE(RectIsInfinite(RectInfinite));
}

TEST(Geometry, TransformStepsApplyFirst) {
    // Rotate by pi/2, then translate by (0, -h): the translation acts first, giving (h - y, x).
    const double h = 10;
    AffineTransform t = AffineTransformTranslate(AffineTransformRotate(AffineTransformIdentity, M_PI / 2), 0, -h);
    Point p = PointApplyAffineTransform({3, 4}, t);
    EXPECT_NEAR(p.x, h - 4, 1e-12);
    EXPECT_NEAR(p.y, 3, 1e-12);
    AffineTransform s = AffineTransformScale(AffineTransformMakeTranslation(5, 0), 2, 3);
    Point q = PointApplyAffineTransform({1, 1}, s);
    EXPECT_EQ(q, (Point{7, 3}));
    AffineTransform inv = AffineTransformInvert(t);
    Point back = PointApplyAffineTransform(p, inv);
    EXPECT_NEAR(back.x, 3, 1e-12);
    EXPECT_NEAR(back.y, 4, 1e-12);
    Rect box = RectApplyAffineTransform(RectMake(0, 0, 100, 50), AffineTransformMakeRotation(M_PI / 2));
    EXPECT_NEAR(box.size.width, 50, 1e-9);
    EXPECT_NEAR(box.size.height, 100, 1e-9);
}

TEST(Drawing, ImageTopRowLandsAtRectMaxY) {
    auto img = pixels::image(2, 2, kBitmapDisplayAlpha, bgra({kRed, kRed, kBlue, kBlue}));
    auto c = pixels::context(2, 4);
    c->DrawImage(RectMake(0, 2, 2, 2), img); // the upper half in y-up space
    EXPECT_EQ(rgba(*c, 0, 0), kRed);
    EXPECT_EQ(rgba(*c, 1, 1), kBlue);
    EXPECT_EQ(rgba(*c, 0, 2), kClear);
    EXPECT_EQ(rgba(*c, 1, 3), kClear);
    // A frame at (canvas height - frame height) sits top-left; one at x 1, y 1 sits 1 above the bottom.
    auto frame = pixels::image(2, 1, kBitmapDisplayAlpha, bgra({kGreen, kBlue}));
    auto canvas = pixels::context(4, 3);
    canvas->DrawImage(RectMake(0, 3 - 1, 2, 1), frame);
    EXPECT_EQ(rgba(*canvas, 0, 0), kGreen);
    EXPECT_EQ(rgba(*canvas, 1, 0), kBlue);
    EXPECT_EQ(rgba(*canvas, 0, 1), kClear);
    canvas->DrawImage(RectMake(1, 1, 2, 1), frame);
    EXPECT_EQ(rgba(*canvas, 1, 1), kGreen);
    EXPECT_EQ(rgba(*canvas, 2, 1), kBlue);
}

TEST(Drawing, TranslucentImagesBlendExactlyWhenPixelAligned) {
    auto canvas = pixels::context(1, 1);
    auto half = pixels::image(1, 1, kBitmapDisplayAlpha, {0, 0, 100, 128}); // red 100 at alpha 128 (premultiplied)
    canvas->DrawImage(RectMake(0, 0, 1, 1), half);
    EXPECT_EQ(rgba(*canvas, 0, 0), (std::vector<int>{100, 0, 0, 128}));
    canvas->DrawImage(RectMake(0, 0, 1, 1), half);
    EXPECT_EQ(rgba(*canvas, 0, 0), (std::vector<int>{150, 0, 0, 192}));
}

TEST(Drawing, ClearRectAndSnapshotsThatDoNotChange) {
    auto c = pixels::context(2, 2);
    c->SetFillColor({1, 0, 0, 1});
    c->FillRect(RectMake(0, 0, 2, 2));
    auto before = c->CreateImage();
    c->ClearRect(RectMake(0, 0, 1, 1)); // bottom-left pixel in y-up space
    EXPECT_EQ(rgba(*c, 0, 1), kClear);
    EXPECT_EQ(rgba(*c, 0, 0), kRed);
    EXPECT_EQ(rgba(*c, 1, 1), kRed);
    auto p = before->bytes() + before->bytesPerRow();
    EXPECT_EQ((std::vector<int>{p[2], p[1], p[0], p[3]}), kRed);
    EXPECT_EQ(before->bitmapInfo(), kBitmapDisplayAlpha);
    EXPECT_NE(before->bytes(), c->data());
}

TEST(Drawing, CropRectangleHasTopLeftOrigin) {
    // 3 × 2: top row R G B, bottom row G B R.
    auto img = pixels::image(3, 2, kBitmapDisplayAlpha, bgra({kRed, kGreen, kBlue, kGreen, kBlue, kRed}));
    auto crop = Image::CreateWithImageInRect(img, RectMake(1, 0, 2, 1));
    ASSERT_TRUE(crop);
    ASSERT_EQ(crop->width(), 2u);
    ASSERT_EQ(crop->height(), 1u);
    EXPECT_EQ(crop->bytes()[1], 255); // green's G byte
    EXPECT_EQ(crop->bytes()[4], 255); // blue's B byte
    auto bottomRight = Image::CreateWithImageInRect(img, RectMake(2.2, 1.5, 5, 5)); // integral, then intersected
    ASSERT_TRUE(bottomRight);
    EXPECT_EQ(bottomRight->width(), 1u);
    EXPECT_EQ(bottomRight->bytes()[2], 255); // red
    EXPECT_FALSE(Image::CreateWithImageInRect(img, RectMake(3, 0, 1, 1)));
    EXPECT_FALSE(Image::CreateWithImageInRect(img, RectMake(0, 0, 0, 1)));
}

TEST(Drawing, RoundedClipAndEvenOddFill) {
    auto c = pixels::context(20, 20);
    Path rounded;
    rounded.AddRoundedRect(RectMake(0, 0, 20, 20), 8);
    c->AddPath(rounded);
    c->Clip();
    c->SetFillColor({1, 1, 1, 1});
    c->FillRect(RectMake(0, 0, 20, 20));
    EXPECT_EQ(rgba(*c, 0, 0)[3], 0);
    EXPECT_EQ(rgba(*c, 19, 19)[3], 0);
    EXPECT_EQ(rgba(*c, 10, 0)[3], 255);
    EXPECT_EQ(rgba(*c, 10, 10)[3], 255);

    auto d = pixels::context(10, 10);
    Path frame;
    frame.AddRect(RectMake(0, 0, 10, 10));
    frame.AddRect(RectMake(3, 3, 4, 4));
    d->SetFillColor({0, 0, 1, 1});
    d->AddPath(frame);
    d->EOFillPath();
    EXPECT_EQ(rgba(*d, 5, 5), kClear);
    EXPECT_EQ(rgba(*d, 1, 1), kBlue);
    d->AddPath(frame);
    d->FillPath(); // same winding: the hole fills
    EXPECT_EQ(rgba(*d, 5, 5), kBlue);
}

TEST(Drawing, ClipToMaskUsesGreyOrAlpha) {
    auto greyMask = Image::Create(2, 1, 8, 8, 2, ColorSpace::CreateDeviceGray(), ImageAlphaNone,
                                  DataProvider::CreateWithCopy("\xff\x00", 2));
    ASSERT_TRUE(greyMask);
    auto c = pixels::context(2, 1);
    c->SaveGState();
    c->ClipToMask(RectMake(0, 0, 2, 1), greyMask);
    c->SetFillColor({1, 0, 0, 1});
    c->FillRect(RectMake(0, 0, 2, 1));
    c->RestoreGState();
    EXPECT_EQ(rgba(*c, 0, 0), kRed);
    EXPECT_EQ(rgba(*c, 1, 0), kClear);
    c->FillRect(RectMake(0, 0, 2, 1)); // the mask went with the restored state
    EXPECT_EQ(rgba(*c, 1, 0)[3], 255);

    auto alphaMask = pixels::image(1, 2, kBitmapDisplayAlpha, {0, 0, 0, 0, 0, 0, 0, 255}); // top clear, bottom opaque
    auto d = pixels::context(1, 2);
    d->ClipToMask(RectMake(0, 0, 1, 2), alphaMask);
    d->SetFillColor({0, 0, 1, 1});
    d->FillRect(RectMake(0, 0, 1, 2));
    EXPECT_EQ(rgba(*d, 0, 0), kClear);
    EXPECT_EQ(rgba(*d, 0, 1), kBlue);
}

TEST(Drawing, DestinationInStaysInsideTheImageRect) {
    auto c = pixels::context(2, 1);
    c->SetFillColor({1, 0, 0, 1});
    c->FillRect(RectMake(0, 0, 2, 1));
    auto half = pixels::image(1, 1, kBitmapDisplayAlpha, {0, 0, 0, 128});
    c->SetBlendMode(BlendMode::DestinationIn);
    c->DrawImage(RectMake(0, 0, 1, 1), half);
    EXPECT_EQ(rgba(*c, 0, 0), (std::vector<int>{128, 0, 0, 128}));
    EXPECT_EQ(rgba(*c, 1, 0), kRed);
}

TEST(Drawing, CTMRotationPositiveIsCounterClockwise) {
    auto img = pixels::image(2, 1, kBitmapDisplayAlpha, bgra({kRed, kBlue}));
    auto c = pixels::context(1, 2);
    c->TranslateCTM(0.5, 1);
    c->RotateCTM(M_PI / 2);
    c->DrawImage(RectMake(-1, -0.5, 2, 1), img);
    // Turned left: the image's right end (blue) is now on top.
    EXPECT_EQ(rgba(*c, 0, 0), kBlue);
    EXPECT_EQ(rgba(*c, 0, 1), kRed);
    AffineTransform ctm = c->GetCTM();
    EXPECT_NEAR(ctm.b, 1, 1e-12);
    EXPECT_NEAR(ctm.tx, 0.5, 1e-12);
}

TEST(Drawing, StateSaveRestoreAndAlpha) {
    auto c = pixels::context(2, 1);
    c->SaveGState();
    c->TranslateCTM(1, 0);
    c->ClipToRect(RectMake(0, 0, 1, 1));
    c->SetFillColor({0, 1, 0, 1});
    c->SetAlpha(0.5);
    c->FillRect(RectMake(-1, 0, 2, 1));
    c->RestoreGState();
    EXPECT_EQ(rgba(*c, 0, 0), kClear);
    EXPECT_NEAR(rgba(*c, 1, 0)[1], 128, 1);
    EXPECT_NEAR(rgba(*c, 1, 0)[3], 128, 1);
    c->FillRect(RectMake(0, 0, 1, 1)); // black, opaque, no clip, no translation
    EXPECT_EQ(rgba(*c, 0, 0), (std::vector<int>{0, 0, 0, 255}));
    c->ScaleCTM(0, 0); // a singular CTM draws nothing and does not break the context
    c->FillRect(RectMake(0, 0, 2, 1));
    EXPECT_NEAR(rgba(*c, 1, 0)[1], 128, 1);
}
