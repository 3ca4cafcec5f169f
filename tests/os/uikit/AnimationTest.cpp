#include "UIKitTestSupport.h"

using namespace uitest;

namespace {

class AnimationTest : public UIKitTest {};

TEST_F(AnimationTest, ValuesChangeAtOnceAndCompletionsChainOnTheClock) {
    auto card = ui::View::create(cg::RectMake(0, 0, 300, 270));
    std::vector<std::string> steps;
    ns::Weak<ui::View> weak = card;

    // The login card's steps: slide in, then (on completion) slide out and finish.
    ui::View::animateSpring(0.5, 0, 0.6, 0.8, 0, [&] { card->setTransform(cg::AffineTransformIdentity); },
                            [&, weak](bool finished) {
        steps.push_back(finished ? "in" : "in?");
        ui::View::animateSpring(0.3, 0, 0.75, 0, ui::AnimationOptionCurveEaseIn, [weak] {
            if (auto c = weak.lock()) c->setTransform(cg::AffineTransformMakeTranslation(0, 600));
        }, [&](bool) { steps.push_back("out"); });
    });
    EXPECT_TRUE(cg::AffineTransformIsIdentity(card->transform()));
    advance(0.49);
    EXPECT_TRUE(steps.empty());
    advance(0.01);
    EXPECT_EQ(steps, (std::vector<std::string>{"in"}));
    EXPECT_EQ(card->transform().ty, 600) << "the next step's values are set when it starts";
    advance(0.3);
    EXPECT_EQ(steps, (std::vector<std::string>{"in", "out"}));
}

TEST_F(AnimationTest, DelayAddsToTheDurationAndZeroEndsOnTheNextTurn) {
    auto parent = ui::View::create();
    auto box = ui::View::create();
    parent->addSubview(box);
    // The toast: fade over 2.0 s after 0.3 s, then remove the box.
    ui::View::animate(2.0, 0.3, ui::AnimationOptionAllowUserInteraction, [&] { box->setAlpha(0); },
                      [box](bool) { box->removeFromSuperview(); });
    EXPECT_EQ(box->alpha(), 0);
    advance(2.29);
    EXPECT_EQ(box->superview(), parent);
    advance(0.01);
    EXPECT_EQ(box->superview(), nullptr);

    bool done = false;
    ui::View::performWithoutAnimation([&] {
        EXPECT_FALSE(ui::View::areAnimationsEnabled());
        ui::View::animate(1, [] { EXPECT_EQ(ui::View::currentAnimationDuration(), 0); }, [&](bool) { done = true; });
    });
    EXPECT_TRUE(ui::View::areAnimationsEnabled());
    drainMain();
    EXPECT_FALSE(done) << "the completion still waits for the duration";
    advance(1);
    EXPECT_TRUE(done);

    ui::View::beginAnimations();
    ui::View::setAnimationDuration(0.1);
    EXPECT_EQ(ui::View::currentAnimationDuration(), 0.1);
    box->setCenter({60, 0});
    ui::View::commitAnimations();
    EXPECT_EQ(ui::View::currentAnimationDuration(), 0);
    EXPECT_EQ(box->center().x, 60);
}

} // namespace
