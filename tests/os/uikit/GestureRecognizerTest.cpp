#include "UIKitTestSupport.h"

#include "os/uikit/Button.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/ImageView.h"

using namespace uitest;

namespace {

class TouchLog : public ui::View {
public:
    std::vector<std::string> touches;
    void touchesBegan(const ui::TouchSet&, const ui::EventRef&) override { touches.push_back("began"); }
    void touchesEnded(const ui::TouchSet&, const ui::EventRef&) override { touches.push_back("ended"); }
    void touchesCancelled(const ui::TouchSet&, const ui::EventRef&) override { touches.push_back("cancelled"); }
};

class Refuser : public ui::GestureRecognizerDelegate {
public:
    bool receive = true;
    bool shouldReceiveTouch(const ui::GestureRecognizerRef&, const ui::TouchRef&) override { return receive; }
};

class GestureRecognizerTest : public UIKitTest {
protected:
    ui::ViewControllerRef root = ui::ViewController::create();
    ui::WindowRef window;
    void SetUp() override {
        UIKitTest::SetUp();
        window = showWindow(root);
    }
};

TEST_F(GestureRecognizerTest, ATapTakesTheTouchFromTheViewUnlessAControlHoldsIt) {
    auto picture = ui::View::create<TouchLog>(cg::RectMake(0, 0, 200, 200));
    root->view()->addSubview(picture);
    auto tapRecognizer = ns::make<ui::TapGestureRecognizer>();
    int taps = 0;
    tapRecognizer->addAction([&](ui::GestureRecognizer& r) {
        EXPECT_EQ(r.state(), ui::GestureRecognizerState::Ended);
        EXPECT_EQ(r.locationInView(picture).x, 52) << "where the touch ended";
        ++taps;
    });
    picture->addGestureRecognizer(tapRecognizer);
    auto touch = window->beginTouch({50, 50});
    window->endTouch(touch, {52, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(picture->touches, (std::vector<std::string>{"began", "cancelled"}));

    // A touch that wanders is no tap: the view gets its touches.
    picture->touches.clear();
    touch = window->beginTouch({50, 50});
    window->moveTouch(touch, {80, 50});
    window->endTouch(touch, {80, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(picture->touches, (std::vector<std::string>{"began", "ended"}));

    auto button = ui::View::create<ui::Button>(cg::RectMake(10, 10, 40, 40));
    int presses = 0;
    button->addAction([&](ui::Control&) { ++presses; }, ui::ControlEventTouchUpInside);
    picture->addSubview(button);
    tap(button);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(taps, 1);

    auto refuser = std::make_shared<Refuser>();
    refuser->receive = false;
    tapRecognizer->setDelegate(refuser);
    tap(picture);
    EXPECT_EQ(taps, 1);
    refuser->receive = true;
    tapRecognizer->setEnabled(false);
    tap(picture);
    EXPECT_EQ(taps, 1);
}

TEST_F(GestureRecognizerTest, APanBeginsAfterTenPointsAndReportsItsTranslation) {
    auto image = ui::View::create<ui::ImageView>(cg::RectMake(0, 0, 300, 300));
    image->setUserInteractionEnabled(true);
    root->view()->addSubview(image);
    auto pan = ns::make<ui::PanGestureRecognizer>();
    std::vector<std::string> seen;
    pan->addAction([&](ui::GestureRecognizer& r) {
        auto& p = static_cast<ui::PanGestureRecognizer&>(r);
        seen.push_back(std::to_string(static_cast<int>(r.state())) + ":" +
                       ns::numtext::shortest(p.translationInView(image).x));
    });
    image->addGestureRecognizer(pan);
    auto touch = window->beginTouch({100, 100});
    window->moveTouch(touch, {105, 100});
    EXPECT_TRUE(seen.empty());
    window->moveTouch(touch, {112, 100});
    window->moveTouch(touch, {150, 100});
    window->endTouch(touch, {160, 100});
    EXPECT_EQ(seen, (std::vector<std::string>{"1:12", "2:50", "3:60"}));
}

} // namespace
