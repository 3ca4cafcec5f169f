// Rendering layer trees into bitmaps: backgrounds, corners, borders, contents, sublayers, opacity.
#include "os/quartz/Layer.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using ca::Layer;

constexpr cg::Color kRed{1, 0, 0, 1}, kGreen{0, 1, 0, 1}, kBlue{0, 0, 1, 1};

struct Canvas {
    cg::ContextRef context;

    Canvas(int w, int h) {
        context = cg::Context::CreateBitmap(nullptr, w, h, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
        context->TranslateCTM(0, h); // y-down, as the UI layer renders
        context->ScaleCTM(1, -1);
    }
    // R, G, B, A of the pixel in row y from the top.
    std::array<int, 4> rgba(int x, int y) const {
        auto* p = static_cast<const uint8_t*>(context->data()) + static_cast<size_t>(y) * context->bytesPerRow() + x * 4;
        return {p[2], p[1], p[0], p[3]};
    }
};

const std::array<int, 4> kClear{0, 0, 0, 0}, kOpaqueRed{255, 0, 0, 255}, kOpaqueGreen{0, 255, 0, 255},
    kOpaqueBlue{0, 0, 255, 255};

// An image whose pixels are given row by row from the top.
cg::ImageRef imageOf(int w, int h, const std::vector<cg::Color>& topDown) {
    auto c = cg::Context::CreateBitmap(nullptr, w, h, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            c->SetFillColor(topDown[static_cast<size_t>(y * w + x)]);
            c->FillRect(cg::RectMake(x, h - 1 - y, 1, 1)); // the context itself is y-up
        }
    return c->CreateImage();
}

ca::LayerRef layerWithFrame(cg::Rect frame) {
    auto layer = Layer::layer();
    layer->setFrame(frame);
    return layer;
}

// Masking with rounded corners is checked through views in ViewRenderingTest.BorderedRoundedViewWithALabelAndAnImage.
TEST(LayerRender, SublayersArePlacedByFrameAndDrawnBeyondTheirParentUnlessItMasks) {
    Canvas open(40, 40);
    auto parent = layerWithFrame(cg::RectMake(0, 0, 20, 20));
    auto child = layerWithFrame(cg::RectMake(10, 10, 20, 20));
    child->setBackgroundColor(kGreen);
    parent->addSublayer(child);
    parent->renderInContext(*open.context);
    EXPECT_EQ(open.rgba(9, 9), kClear);
    EXPECT_EQ(open.rgba(15, 15), kOpaqueGreen);
    EXPECT_EQ(open.rgba(25, 25), kOpaqueGreen);
}

TEST(LayerRender, ContentsAreUprightShowTheirContentsRectAndKeepTheirSizeByGravity) {
    // Left column red, right column blue; top row light, bottom row full.
    auto image = imageOf(2, 2, {kRed, kBlue, kGreen, kGreen});
    Canvas whole(20, 20);
    auto layer = layerWithFrame(cg::RectMake(0, 0, 20, 20));
    layer->setContents(image);
    layer->renderInContext(*whole.context);
    EXPECT_EQ(whole.rgba(2, 2), kOpaqueRed);
    EXPECT_EQ(whole.rgba(17, 2), kOpaqueBlue);
    EXPECT_EQ(whole.rgba(10, 17), kOpaqueGreen);

    // The right half of the top row only: the layer is all blue.
    Canvas part(20, 20);
    layer->setContentsRect(cg::RectMake(0.5, 0, 0.5, 0.5));
    layer->renderInContext(*part.context);
    EXPECT_EQ(part.rgba(1, 1), kOpaqueBlue);
    EXPECT_EQ(part.rgba(18, 18), kOpaqueBlue);

    // Gravity keeps the contents' size by scale.
    layer->setContents(imageOf(4, 4, std::vector<cg::Color>(16, kBlue)));
    layer->setContentsRect(cg::RectMake(0, 0, 1, 1));
    layer->setContentsGravity(ca::kGravityCenter);
    layer->setContentsScale(0.5); // 4 pixels are 8 points
    Canvas center(20, 20);
    layer->renderInContext(*center.context);
    EXPECT_EQ(center.rgba(10, 10), kOpaqueBlue);
    EXPECT_EQ(center.rgba(6, 6), kOpaqueBlue);
    EXPECT_EQ(center.rgba(5, 5), kClear);
    EXPECT_EQ(center.rgba(14, 14), kClear);

    layer->setContentsGravity(ca::kGravityResizeAspect);
    layer->setBounds(cg::RectMake(0, 0, 20, 10));
    layer->setPosition({10, 5});
    Canvas aspect(20, 20);
    layer->renderInContext(*aspect.context);
    EXPECT_EQ(aspect.rgba(10, 5), kOpaqueBlue);
    EXPECT_EQ(aspect.rgba(2, 5), kClear); // a 10 × 10 square in the middle
}

TEST(LayerRender, OpacityHiddenAndMask) {
    auto parent = layerWithFrame(cg::RectMake(0, 0, 20, 20));
    parent->setBackgroundColor(kRed);
    auto child = layerWithFrame(cg::RectMake(0, 0, 20, 20));
    child->setBackgroundColor(kRed);
    parent->addSublayer(child);
    parent->setOpacity(0.5);
    Canvas faded(20, 20);
    parent->renderInContext(*faded.context);
    // One picture at half opacity, not two overlapping half-transparent ones.
    EXPECT_NEAR(faded.rgba(10, 10)[3], 128, 1);

    parent->setOpacity(1);
    child->setHidden(true);
    child->setBackgroundColor(kGreen);
    Canvas hidden(20, 20);
    parent->renderInContext(*hidden.context);
    EXPECT_EQ(hidden.rgba(10, 10), kOpaqueRed);

    auto mask = layerWithFrame(cg::RectMake(0, 0, 10, 20));
    mask->setBackgroundColor(kBlue); // only its alpha counts
    parent->setMask(mask);
    Canvas masked(20, 20);
    parent->renderInContext(*masked.context);
    EXPECT_EQ(masked.rgba(5, 10), kOpaqueRed);
    EXPECT_EQ(masked.rgba(15, 10), kClear);
}

} // namespace
