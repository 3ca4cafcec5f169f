#include "UIKitTestSupport.h"

#include "os/uikit/Button.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/LayoutConstraint.h"

using namespace uitest;

namespace {

class Target : public ns::Object {
public:
    std::vector<std::string> calls;
    void tapped() { calls.push_back("tapped"); }
    void sender(const ui::ButtonRef& button) { calls.push_back("sender " + button->currentTitle().value_or("")); }
};

class ButtonTest : public UIKitTest {};

TEST_F(ButtonTest, PerStateValuesFallBackToNormal) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    auto normalImage = ns::make<ui::Image>();
    auto selectedImage = ns::make<ui::Image>();
    auto gray = ui::Color::grayColor();
    button->setTitle("获取验证码", ui::ControlStateNormal);
    button->setTitleColor(ui::Color::blackColor(), ui::ControlStateNormal);
    button->setTitleColor(gray, ui::ControlStateDisabled);
    button->setImage(normalImage, ui::ControlStateNormal);
    button->setImage(selectedImage, ui::ControlStateSelected);

    EXPECT_EQ(button->currentTitle(), "获取验证码");
    EXPECT_EQ(button->titleLabel()->text(), "获取验证码");
    button->setSelected(true);
    EXPECT_EQ(button->currentImage(), selectedImage);
    EXPECT_EQ(button->imageView()->image(), selectedImage);
    EXPECT_EQ(button->currentTitle(), "获取验证码") << "no selected title: the normal one";

    // Selected and highlighted together is its own state: without a value it reads normal.
    button->setHighlighted(true);
    EXPECT_EQ(button->state(), ui::ControlStateSelected | ui::ControlStateHighlighted);
    EXPECT_EQ(button->currentImage(), normalImage);
    button->setHighlighted(false);
    button->setSelected(false);

    button->setEnabled(false);
    EXPECT_EQ(button->currentTitleColor(), gray);
    EXPECT_EQ(button->titleLabel()->textColor(), gray);
    button->setTitle("剩余29秒", ui::ControlStateNormal);
    EXPECT_EQ(button->titleLabel()->text(), "剩余29秒") << "a new normal title shows in the disabled state";
}

TEST_F(ButtonTest, EdgeInsetsMoveCentredPartsByHalfTheirDifference) {
    ui::GraphicsBeginImageContextWithOptions({20, 20}, false, 1);
    auto icon = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    auto button = ui::View::create<ui::Button>(cg::RectMake(0, 0, 200, 50));
    button->setImage(icon, ui::ControlStateNormal);
    button->setTitle("OK", ui::ControlStateNormal);
    button->layoutIfNeeded();
    cg::Rect image = button->imageView()->frame();
    cg::Rect title = button->titleLabel()->frame();
    EXPECT_EQ(image.size.width, 20);
    EXPECT_EQ(title.origin.x, image.origin.x + 20) << "the title follows the image";
    EXPECT_EQ(image.origin.x + (20 + title.size.width) / 2, 100) << "the pair is centred";

    button->setImageEdgeInsets({0, 0, 0, 30}); // the floating button's docked-right look
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame().origin.x, image.origin.x - 15);
    EXPECT_EQ(button->titleLabel()->frame().origin.x, title.origin.x);
    button->setContentEdgeInsets({0, 10, 0, 10});
    EXPECT_EQ(button->sizeThatFits({}).width, 20 + title.size.width + 20);

    // A constraint outlet bound to the button's height resizes it.
    auto height = ui::LayoutConstraint::withConstant(44, "btnH");
    height->bindToFrame(button, ui::FrameComponent::Height);
    EXPECT_EQ(button->frame().size.height, 44);
    height->setConstant(0);
    EXPECT_EQ(button->frame().size.height, 0);
}

TEST_F(ButtonTest, TargetsAreWeakAndActionsRunInOrder) {
    auto button = ui::View::create<ui::Button>(cg::RectMake(0, 0, 100, 40));
    button->setTitle("ok", ui::ControlStateNormal);
    auto target = ns::make<Target>();
    button->addTarget(target, &Target::tapped, ui::ControlEventTouchUpInside);
    button->addTarget(target, &Target::sender, ui::ControlEventTouchUpInside);
    button->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(target->calls, (std::vector<std::string>{"tapped", "sender ok"}));

    button->removeTarget(target.get(), ui::ControlEventTouchUpInside);
    button->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(target->calls.size(), 2u);

    ns::Weak<Target> weak = target;
    button->addTarget(target, &Target::tapped, ui::ControlEventTouchUpInside);
    target.reset();
    EXPECT_TRUE(weak.expired()) << "the button does not keep its target";
    button->sendActionsForControlEvents(ui::ControlEventTouchUpInside); // nothing to call, no crash
}

TEST_F(ButtonTest, TrackingEndsInsideWithin70PointsAndOutsideBeyond) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto button = ui::View::create<ui::Button>(cg::RectMake(100, 100, 60, 90));
    root->view()->addSubview(button);
    std::vector<std::string> events;
    button->addAction([&](ui::Control&) { events.push_back("down"); }, ui::ControlEventTouchDown);
    button->addAction([&](ui::Control&) { events.push_back("inside"); }, ui::ControlEventTouchUpInside);
    button->addAction([&](ui::Control&) { events.push_back("outside"); }, ui::ControlEventTouchUpOutside);
    button->addAction([&](ui::Control&) { events.push_back("exit"); }, ui::ControlEventTouchDragExit);

    auto touch = window->beginTouch({130, 145});
    EXPECT_TRUE(button->isHighlighted());
    window->moveTouch(touch, {229, 145}); // 69 points right of the button
    window->endTouch(touch, {229, 145});
    touch = window->beginTouch({130, 145});
    window->moveTouch(touch, {300, 145});
    EXPECT_FALSE(button->isHighlighted());
    window->endTouch(touch, {300, 145});
    EXPECT_EQ(events, (std::vector<std::string>{"down", "inside", "down", "exit", "outside"}));

    // A disabled control takes no touches: they reach the view below it.
    button->setEnabled(false);
    EXPECT_EQ(window->hitTest({130, 145}, nullptr), root->view());
}

} // namespace
