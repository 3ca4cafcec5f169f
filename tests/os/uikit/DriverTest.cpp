#include "UIKitTestSupport.h"

#include "os/dispatch/Queue.h"
#include "os/uikit/Button.h"

using namespace uitest;

namespace {

class DriverTest : public UIKitTest {};

// The reason a tap on the view is refused ("" when it would reach it).
std::string refusal(const ui::ViewRef& view) {
    auto outcome = ui::driver::canTap(view);
    return outcome ? "" : outcome.reason;
}

TEST_F(DriverTest, TapsReachOnlyWhatAPersonCouldTouch) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto panel = ui::View::create(cg::RectMake(20, 100, 300, 200));
    root->view()->addSubview(panel);
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(10, 10, 120, 40));
    button->setTitle("登录", ui::ControlStateNormal);
    int taps = 0;
    button->addAction([&](ui::Control&) { ++taps; }, ui::ControlEventTouchUpInside);
    panel->addSubview(button);

    ui::driver::tap(button);
    ui::driver::tap(button->titleLabel()); // the label takes no touches: the button below gets it
    EXPECT_EQ(taps, 2);
    EXPECT_EQ(ui::driver::findButton(window, "登录"), button);

    auto cover = ui::View::create(cg::RectMake(0, 0, 100, 200));
    panel->addSubview(cover);
    EXPECT_NE(refusal(button).find("is covered by <View"), std::string::npos) << refusal(button);
    EXPECT_THROW(ui::driver::tap(button), ui::driver::Failure);
    cover->setUserInteractionEnabled(false);
    EXPECT_EQ(refusal(button), "") << "a cover that takes no touches lets them through";

    panel->setHidden(true);
    EXPECT_NE(refusal(button).find("hidden (its ancestor"), std::string::npos) << refusal(button);
    panel->setHidden(false);
    button->setEnabled(false);
    EXPECT_NE(refusal(button).find("is disabled"), std::string::npos) << refusal(button);
    button->setEnabled(true);
    panel->setAlpha(0);
    EXPECT_NE(refusal(button).find("transparent"), std::string::npos) << refusal(button);
    panel->setAlpha(1);
    button->setFrame(cg::RectMake(250, 10, 120, 40));
    EXPECT_NE(refusal(button).find("outside its superview's bounds"), std::string::npos) << refusal(button);
    button->removeFromSuperview();
    EXPECT_NE(refusal(button).find("not in a window"), std::string::npos) << refusal(button);
    EXPECT_EQ(taps, 2);
}

// A host's settle replaces the draining around and between due items: it runs before the step, after
// each item at that item's time, and at the end; an empty one restores plain draining.
TEST_F(DriverTest, AdvanceSettlesThroughTheHostsHookAtEachDueItem) {
    const double start = ns::Clock::now();
    std::vector<double> settled, fired;
    ui::driver::setSettle([&] {
        ui::driver::drainMain();
        settled.push_back(ns::Clock::now() - start);
    });
    dispatch::after(0.5, dispatch::Queue::main(), [&] { fired.push_back(ns::Clock::now() - start); });
    dispatch::after(1.25, dispatch::Queue::main(), [&] { fired.push_back(ns::Clock::now() - start); });
    ui::driver::advance(2);
    EXPECT_EQ(fired, (std::vector<double>{0.5, 1.25}));
    EXPECT_EQ(settled, (std::vector<double>{0, 0.5, 1.25, 2}));

    ui::driver::setSettle({});
    dispatch::after(0.5, dispatch::Queue::main(), [&] { fired.push_back(ns::Clock::now() - start); });
    ui::driver::advance(1);
    EXPECT_EQ(fired, (std::vector<double>{0.5, 1.25, 2.5}));
    EXPECT_EQ(settled.size(), 4u);
}

} // namespace
