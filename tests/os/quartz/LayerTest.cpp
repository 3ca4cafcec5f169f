// Layer tree, geometry, the display pass on the main run loop and animation records.
#include "os/quartz/Layer.h"
#include "os/quartz/Transaction.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

namespace {

using ca::Layer;

class LayerTest : public vx::test::Environment {};

struct CountingDelegate : ca::LayerDelegate {
    int calls = 0;
    cg::ImageRef image;
    void displayLayer(Layer& layer) override {
        ++calls;
        layer.setContents(image);
    }
};

TEST_F(LayerTest, FrameFollowsPositionAnchorAndTransform) {
    auto layer = Layer::layer();
    layer->setFrame(cg::RectMake(10, 20, 40, 30));
    EXPECT_EQ(layer->bounds(), cg::RectMake(0, 0, 40, 30));
    EXPECT_EQ(layer->position(), (cg::Point{30, 35}));

    layer->setAnchorPoint({0, 0});
    EXPECT_EQ(layer->frame(), cg::RectMake(30, 35, 40, 30));

    layer->setAnchorPoint({0.5, 0.5});
    layer->setAffineTransform(cg::AffineTransformMakeScale(2, 2));
    EXPECT_EQ(layer->frame(), cg::RectMake(-10, 5, 80, 60));
    // With a transform, setting the frame moves the layer and keeps its size.
    layer->setFrame(cg::RectMake(0, 0, 10, 10));
    EXPECT_EQ(layer->frame(), cg::RectMake(0, 0, 80, 60));
}

TEST_F(LayerTest, TreeMovesLayersAndRefusesCycles) {
    auto a = Layer::layer(), b = Layer::layer(), c = Layer::layer(), d = Layer::layer();
    a->addSublayer(b);
    a->addSublayer(c);
    a->insertSublayerBelow(d, c);
    EXPECT_EQ(a->sublayers(), (std::vector<ca::LayerRef>{b, d, c}));
    a->insertSublayerAbove(b, c); // moves within the same superlayer
    EXPECT_EQ(a->sublayers(), (std::vector<ca::LayerRef>{d, c, b}));

    c->addSublayer(b); // taken from a
    EXPECT_EQ(a->sublayers(), (std::vector<ca::LayerRef>{d, c}));
    EXPECT_EQ(b->superlayer(), c);

    b->addSublayer(a); // a is b's ancestor
    EXPECT_TRUE(b->sublayers().empty());
    b->addSublayer(b);
    EXPECT_TRUE(b->sublayers().empty());

    ns::Weak<Layer> weakB = b;
    b->removeFromSuperlayer();
    b.reset();
    EXPECT_TRUE(weakB.expired());
    EXPECT_TRUE(c->sublayers().empty());
}

TEST_F(LayerTest, DisplayPassRunsOnTheMainLoopOncePerMark) {
    auto delegate = std::make_shared<CountingDelegate>();
    auto pixels = cg::Context::CreateBitmap(nullptr, 1, 1, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    delegate->image = pixels->CreateImage();
    auto layer = Layer::layer();
    layer->setDelegate(delegate);

    layer->setNeedsDisplay();
    layer->setNeedsDisplay();
    EXPECT_TRUE(layer->needsDisplay());
    EXPECT_EQ(delegate->calls, 0);
    ca::Transaction::setDisableActions(true);
    drainMain();
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_EQ(layer->contents(), delegate->image);
    EXPECT_FALSE(layer->needsDisplay());
    EXPECT_FALSE(ca::Transaction::disableActions()); // the pass committed the implicit transaction

    // displayIfNeeded displays at once; the pass then finds nothing to do.
    layer->setNeedsDisplay();
    layer->displayIfNeeded();
    EXPECT_EQ(delegate->calls, 2);
    drainMain();
    EXPECT_EQ(delegate->calls, 2);

    // A gone delegate or a gone layer is no error.
    layer->setNeedsDisplay();
    delegate.reset();
    layer.reset();
    drainMain();
}

TEST_F(LayerTest, AnimationsStayUntilTheirDurationHasPassed) {
    auto layer = Layer::layer();
    auto fade = ca::Transition::animation();
    fade->setDuration(0.2);
    fade->setTimingFunction(ca::MediaTimingFunction::functionWithName(ca::kMediaTimingFunctionEaseInEaseOut));
    layer->addAnimation(fade, "VXWebImageFade");
    EXPECT_EQ(layer->animationForKey("VXWebImageFade"), fade);
    advance(0.15);
    EXPECT_EQ(layer->animationForKey("VXWebImageFade"), fade);
    advance(0.1);
    EXPECT_EQ(layer->animationForKey("VXWebImageFade"), nullptr);

    // A new animation under the key replaces the old one, whose end then removes nothing.
    auto first = ca::Transition::animation();
    first->setDuration(0.2);
    auto second = ca::Transition::animation();
    second->setDuration(1.0);
    layer->addAnimation(first, "fade");
    layer->addAnimation(second, "fade");
    advance(0.3);
    EXPECT_EQ(layer->animationForKey("fade"), second);

    auto kept = ca::Animation::animation();
    kept->setRemovedOnCompletion(false);
    layer->addAnimation(kept, "kept");
    advance(5);
    EXPECT_EQ(layer->animationForKey("kept"), kept);
}

} // namespace
