#include "UIKitTestSupport.h"

#include "os/uikit/ViewRendering.h"

#include <cmath>

using namespace uitest;

namespace {

// Captures draw what the player sees at the clock's current time; the model is already final.
class PresentationTest : public UIKitTest {
protected:
    void SetUp() override {
        UIKitTest::SetUp();
        stage = ui::View::create(cg::RectMake(0, 0, 40, 40));
        box = ui::View::create(cg::RectMake(10, 10, 20, 20));
        box->setBackgroundColor(ui::Color::redColor());
        stage->addSubview(box);
    }
    Px at(size_t x, size_t y) { return pixel(ui::renderView(stage, 1), x, y); }

    ui::ViewRef stage, box;
};

TEST_F(PresentationTest, AToastStaysShownThroughItsDelayThenFadesAlongTheCurve) {
    bool removed = false;
    ui::View::animate(2.0, 0.3, ui::AnimationOptionCurveLinear, [&] { box->setAlpha(0); },
                      [&](bool) { removed = true; });
    EXPECT_EQ(box->alpha(), 0) << "the model is final at once";
    EXPECT_FALSE(box->acceptsTouches()) << "touches go by the model";
    EXPECT_EQ(at(20, 20)[3], 255) << "before its delay the toast is fully shown";
    advance(0.3);
    EXPECT_EQ(at(20, 20)[3], 255);
    advance(1.0);
    EXPECT_NEAR(at(20, 20)[3], 128, 2) << "halfway through a linear fade";
    EXPECT_NEAR(at(20, 20)[0], 128, 2) << "red, premultiplied by the alpha";
    advance(1.0);
    EXPECT_TRUE(removed);
    EXPECT_EQ(at(20, 20)[3], 0) << "after the end: the model";

    // The default curve eases in: a quarter of the way it has faded less than a quarter.
    box->setAlpha(1);
    EXPECT_EQ(at(20, 20)[3], 255) << "outside a block a change shows at once";
    ui::View::animate(1.0, [&] { box->setAlpha(0); });
    advance(0.25);
    EXPECT_GT(at(20, 20)[3], 200);
    advance(0.5);
    EXPECT_LT(at(20, 20)[3], 55);
}

TEST_F(PresentationTest, ANewAnimationStartsFromWhatIsShownAndAPlainChangeEndsIt) {
    ui::View::animate(1.0, 0, ui::AnimationOptionCurveLinear, [&] { box->setAlpha(0); });
    advance(0.5);
    ui::View::animate(1.0, 0, ui::AnimationOptionCurveLinear, [&] { box->setAlpha(1); });
    EXPECT_NEAR(at(20, 20)[3], 128, 2) << "the fade back starts where the first one was";
    advance(0.5);
    EXPECT_NEAR(at(20, 20)[3], 191, 2);

    ui::View::animate(1.0, [&] {
        box->setAlpha(0.5);
        ui::View::performWithoutAnimation([&] { box->setAlpha(0); });
    });
    EXPECT_EQ(at(20, 20)[3], 0) << "a change without animation shows at once";
    ui::View::animate(1.0, [&] { box->setAlpha(0); });
    EXPECT_EQ(at(20, 20)[3], 0) << "setting the same value again moves nothing";
}

TEST_F(PresentationTest, FramesTransformsAndColoursMoveToo) {
    ui::View::animate(1.0, 0, ui::AnimationOptionCurveLinear, [&] {
        box->setFrame(cg::RectMake(0, 0, 10, 10));
        box->setBackgroundColor(ui::Color::blueColor());
    });
    EXPECT_EQ(box->frame(), cg::RectMake(0, 0, 10, 10));
    EXPECT_EQ(at(25, 25), (Px{255, 0, 0, 255})) << "the old frame and colour show at the start";
    advance(0.5);
    EXPECT_EQ(at(4, 4)[3], 0) << "halfway the box spans 5..20";
    Px mid = at(18, 18);
    EXPECT_NEAR(mid[0], 128, 2);
    EXPECT_NEAR(mid[2], 128, 2);
    EXPECT_EQ(at(22, 22)[3], 0);
    advance(0.5);
    EXPECT_EQ(at(5, 5), (Px{0, 0, 255, 255}));
    EXPECT_EQ(at(15, 15)[3], 0);

    // A half turn is a quarter turn halfway: a 20 x 4 bar stands upright.
    auto bar = ui::View::create(cg::RectMake(10, 18, 20, 4));
    bar->setBackgroundColor(ui::Color::greenColor());
    stage->addSubview(bar);
    ui::View::animate(1.0, 0, ui::AnimationOptionCurveLinear,
                      [&] { bar->setTransform(cg::AffineTransformMakeRotation(M_PI)); });
    advance(0.5);
    EXPECT_EQ(at(20, 12)[3], 255);
    EXPECT_EQ(at(12, 20)[3], 0);
    advance(0.5);
    EXPECT_EQ(at(12, 20)[3], 255);
}

} // namespace
