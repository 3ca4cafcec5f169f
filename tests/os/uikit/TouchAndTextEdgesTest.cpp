// Where a finger or a caret stops counting: the tap's slop, the back swipe's edge and distance,
// and edit ranges that reach past the text.
#include "UIKitTestSupport.h"

#include "os/foundation/Format.h"
#include "os/uikit/Button.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/TextField.h"

using namespace uitest;

namespace {

class EdgesTest : public UIKitTest {};

TEST_F(EdgesTest, ATapCountsWhenItEndsWithinTenPointsEvenWithoutAMove) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto picture = ui::View::create(cg::RectMake(0, 0, 300, 300));
    root->view()->addSubview(picture);
    auto recognizer = ns::make<ui::TapGestureRecognizer>();
    int taps = 0;
    recognizer->addAction([&](ui::GestureRecognizer&) { ++taps; });
    picture->addGestureRecognizer(recognizer);

    const std::pair<cg::Point, bool> ends[] = {{{100, 100}, true}, {{110, 100}, true},  {{106, 108}, true},
                                               {{111, 100}, false}, {{100, 115}, false}, {{108, 108}, false}};
    for (const auto& [end, counts] : ends) {
        int before = taps;
        auto touch = window->beginTouch({100, 100});
        window->endTouch(touch, end);
        EXPECT_EQ(taps - before, counts ? 1 : 0) << end.x << "," << end.y;
    }
}

TEST_F(EdgesTest, TheBackSwipeStartsAtTheLeftEdgeAndPopsPastAThirdOfTheWidth) {
    struct Case {
        double startX, distance; // distance as a share of the width
        bool pops;
    };
    const Case cases[] = {{5, 0.25, false}, {5, 0.29, false}, {5, 0.36, true}, {20, 0.5, true}, {25, 0.5, false}};
    for (const auto& c : cases) {
        auto nav = ui::NavigationController::createWithRoot(ui::ViewController::create());
        auto window = showWindow(nav);
        auto second = ui::ViewController::create();
        nav->pushViewController(second, false);
        advance(0.4);
        double width = nav->view()->bounds().size.width;
        auto touch = window->beginTouch({c.startX, 300});
        for (double x = c.startX + 5; x <= c.startX + c.distance * width; x += 5) window->moveTouch(touch, {x, 300});
        window->endTouch(touch, {c.startX + c.distance * width, 300});
        advance(0.4);
        EXPECT_EQ(nav->topViewController() != second, c.pops) << "from " << c.startX << " by " << c.distance;
        EXPECT_EQ(nav->viewControllers().size(), c.pops ? 1u : 2u);
    }
}

// Offers the ranges it is asked about, and allows them.
class Offers : public ui::TextFieldDelegate {
public:
    std::vector<std::string> offered;
    bool shouldChangeCharacters(const ui::TextFieldRef&, ns::Range range, const std::string& text) override {
        offered.push_back(ns::format("%lu,%lu %@", range.location, range.length, text));
        return true;
    }
};

TEST_F(EdgesTest, EditRangesPastTheTextAreCutAtItsEnd) {
    struct Case {
        ns::Range range;
        std::string offered, text;
        ns::Range caret;
    };
    // "ab界d": four UTF-16 units.
    const Case cases[] = {
        {{1, 99}, "1,3 X", "aX", {2, 0}},     {{4, 5}, "4,0 X", "ab界dX", {5, 0}}, {{10, 5}, "4,0 X", "ab界dX", {5, 0}},
        {{2, 2}, "2,2 X", "abX", {3, 0}},     {{0, 4}, "0,4 X", "X", {1, 0}},
    };
    for (const auto& c : cases) {
        auto field = ui::View::create<ui::TextField>(cg::RectMake(0, 0, 200, 40));
        auto offers = std::make_shared<Offers>();
        field->setDelegate(offers);
        field->setText("ab界d");
        EXPECT_TRUE(field->replaceCharacters(c.range, "X"));
        EXPECT_EQ(offers->offered, std::vector<std::string>{c.offered}) << c.offered;
        EXPECT_EQ(field->text(), c.text) << c.offered;
        EXPECT_EQ(field->selectedRange().location, c.caret.location) << c.offered;
    }
    auto field = ui::View::create<ui::TextField>(cg::RectMake(0, 0, 200, 40));
    field->setText("abcd");
    field->setSelectedRange({2, 50});
    EXPECT_EQ(field->selectedRange().location, 2u);
    EXPECT_EQ(field->selectedRange().length, 2u);
    field->setSelectedRange({9, 1});
    EXPECT_EQ(field->selectedRange().location, 4u);
    EXPECT_EQ(field->selectedRange().length, 0u);
}

TEST_F(EdgesTest, ASecureFieldShowsOneBulletPerCharacterAndThePlaceholderWhenEmpty) {
    auto field = ui::View::create<ui::TextField>(cg::RectMake(0, 0, 200, 30));
    field->setPlaceholder(std::string("请输入密码"));
    field->setSecureTextEntry(true);
    EXPECT_EQ(field->displayText(), "请输入密码");
    field->setText("密码ab");
    EXPECT_EQ(field->displayText(), "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2");
    // The show-password buttons turn the secure entry off: the text itself is shown.
    field->setSecureTextEntry(false);
    EXPECT_EQ(field->displayText(), "密码ab");
}

TEST_F(EdgesTest, OnlyASecondTapInARowCountsAsARepeatedTouch) {
    auto root = ui::ViewController::create();
    auto window = showWindow(root);
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(50, 50, 100, 40));
    root->view()->addSubview(button);
    int downs = 0, repeats = 0;
    button->addAction([&](ui::Control&) { ++downs; }, ui::ControlEventTouchDown);
    button->addAction([&](ui::Control&) { ++repeats; }, ui::ControlEventTouchDownRepeat);
    for (int tapCount : {1, 2, 3}) {
        auto touch = window->beginTouch({100, 70}, tapCount);
        window->endTouch(touch, {100, 70});
        EXPECT_EQ(downs, tapCount);
        EXPECT_EQ(repeats, tapCount - 1);
    }
}

} // namespace
