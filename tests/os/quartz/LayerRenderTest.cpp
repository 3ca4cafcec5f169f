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

// Shadows on a white-backed 20 x 20 layer at (20, 20): black, radius 4 (a Gaussian of 2 px
// deviation at one pixel per point), offset 6 down. Values are premultiplied alpha.
struct ShadowScene {
    Canvas canvas{80, 80};
    ca::LayerRef root = layerWithFrame(cg::RectMake(0, 0, 80, 80));
    ca::LayerRef card = layerWithFrame(cg::RectMake(20, 20, 20, 20));
    ShadowScene() {
        card->setBackgroundColor(cg::Color{1, 1, 1, 1});
        card->setShadowOpacity(1);
        card->setShadowRadius(4);
        card->setShadowOffset({0, 6});
        root->addSublayer(card);
    }
    int alphaAt(int x, int y) {
        root->renderInContext(*canvas.context);
        return canvas.rgba(x, y)[3];
    }
};

TEST(LayerRender, ShadowIsTheBlurredShapeMovedByTheOffsetUnderTheLayer) {
    ShadowScene scene;
    scene.root->renderInContext(*scene.canvas.context);
    auto& c = scene.canvas;
    const std::array<int, 4> white{255, 255, 255, 255};
    EXPECT_EQ(c.rgba(30, 30), white) << "drawn under the layer";
    EXPECT_EQ(c.rgba(30, 39), white);
    // Below the layer the moved shape is 4.5 px from its edge: nearly full.
    EXPECT_EQ(c.rgba(30, 41)[0], 0);
    EXPECT_NEAR(c.rgba(30, 41)[3], 251, 3);
    // Across the moved shape's bottom edge (y = 46) the coverage falls through a half.
    EXPECT_NEAR(c.rgba(30, 45)[3], 153, 6);
    EXPECT_NEAR(c.rgba(30, 46)[3], 102, 6);
    EXPECT_NEAR(c.rgba(41, 35)[3], 58, 6) << "beside the layer, 1.5 px out";
    // Beyond three deviations nothing; above the layer the offset took the shadow away.
    EXPECT_EQ(c.rgba(30, 53)[3], 0);
    EXPECT_EQ(c.rgba(30, 19)[3], 0);
    EXPECT_EQ(c.rgba(47, 35)[3], 0);
}

TEST(LayerRender, ShadowTakesItsColourOpacityRadiusAndScale) {
    struct Case {
        const char* name;
        cg::Color color;
        double opacity, radius, scale;
        int x, y;
        std::array<int, 4> expected;
        int tolerance;
    };
    const Case cases[] = {
        // Hard edge, no blur: half-opacity red inside the moved shape, nothing one pixel out.
        {"hard half red inside", {1, 0, 0, 1}, 0.5, 0, 1, 30, 44, {128, 0, 0, 128}, 1},
        {"hard half red outside", {1, 0, 0, 1}, 0.5, 0, 1, 30, 46, {0, 0, 0, 0}, 0},
        {"colour alpha counts", {0, 0, 1, 0.5}, 1, 0, 1, 30, 44, {0, 0, 128, 128}, 1},
        {"no opacity, no shadow", {0, 0, 0, 1}, 0, 4, 1, 30, 44, {0, 0, 0, 0}, 0},
        // At two pixels per point the edge at y = 46 pt is row 92, the blur twice as wide.
        {"scaled edge", {0, 0, 0, 1}, 1, 4, 2, 60, 92, {0, 0, 0, 115}, 6},
        {"scaled beyond", {0, 0, 0, 1}, 1, 4, 2, 60, 105, {0, 0, 0, 0}, 0},
    };
    for (const auto& k : cases) {
        ShadowScene scene;
        scene.card->setBackgroundColor(std::nullopt);
        cg::Path path;
        path.AddRect(cg::RectMake(0, 0, 20, 20));
        scene.card->setShadowPath(path);
        scene.card->setShadowColor(k.color);
        scene.card->setShadowOpacity(k.opacity);
        scene.card->setShadowRadius(k.radius);
        Canvas canvas(static_cast<int>(80 * k.scale), static_cast<int>(80 * k.scale));
        canvas.context->ScaleCTM(k.scale, k.scale);
        scene.root->renderInContext(*canvas.context);
        auto got = canvas.rgba(k.x, k.y);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], k.expected[i], k.tolerance) << k.name << " channel " << i;
    }
}

TEST(LayerRender, ShadowFollowsTheShapeRoundedCornersSublayersAndPath) {
    // Rounded corners: past the bounds' corner the round shape is far off, past a side it is near.
    ShadowScene round;
    round.card->setFrame(cg::RectMake(20, 20, 40, 40));
    round.card->setCornerRadius(10);
    round.card->setShadowOffset({0, 0});
    round.card->setShadowRadius(2);
    EXPECT_NEAR(round.alphaAt(19, 40), 79, 8);
    EXPECT_LE(round.alphaAt(19, 19), 2);

    // A layer that draws nothing itself casts the shadow of its sublayer, wherever that lies.
    ShadowScene hollow;
    hollow.card->setBackgroundColor(std::nullopt);
    auto inner = layerWithFrame(cg::RectMake(25, 0, 10, 10)); // sticks out to the right
    inner->setBackgroundColor(kGreen);
    hollow.card->addSublayer(inner);
    hollow.card->setShadowRadius(0);
    EXPECT_EQ(hollow.alphaAt(50, 33), 255);
    EXPECT_EQ(hollow.alphaAt(30, 35), 0);

    // A shadow path replaces the shape: the shadow lies where the path says, even off the layer.
    ShadowScene pathed;
    cg::Path path;
    path.AddRect(cg::RectMake(-20, 0, 10, 10));
    pathed.card->setShadowPath(path);
    pathed.card->setShadowRadius(0);
    EXPECT_EQ(pathed.alphaAt(5, 30), 255);
    EXPECT_EQ(pathed.alphaAt(30, 42), 0);
}

TEST(LayerRender, MaskingToBoundsClipsTheShadowAndOpacityFadesIt) {
    ShadowScene masked;
    masked.card->setMasksToBounds(true);
    EXPECT_EQ(masked.alphaAt(30, 41), 0);
    EXPECT_EQ(masked.alphaAt(30, 30), 255);

    ShadowScene faded;
    faded.card->setOpacity(0.5);
    EXPECT_NEAR(faded.alphaAt(30, 43), 114, 4); // 2.5 px inside the edge, faded with the layer
}

} // namespace
