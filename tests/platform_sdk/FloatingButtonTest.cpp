// The floating button: docking, dragging and snapping, the tap into the user centre, and the
// online-time timer against the stand-in server, ending in the game-over notice.

#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/VXGameOverView.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VorlixSDK.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class FloatingButtonTest : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ui::Application::shared().reset();
        vx::test::copySdkPictures(bundlePath());
    }
    void TearDown() override {
        CXRHelperBtn::userCentreOpener() = nullptr;
        ui::Application::shared().reset();
        ui::DeviceProfile::reset();
        PlatformTest::TearDown();
    }
    // The game's window on the device, with a button of the game in the middle; then the SDK button.
    CXRHelperBtnRef open(const ui::DeviceProfile& profile = ui::DeviceProfile::plainPhone()) {
        ui::DeviceProfile::use(profile);
        window = vx::test::showKeyWindow();
        game = ui::Button::buttonWithType(ui::ButtonType::Custom);
        game->setFrame(cg::RectMake(100, 200, 100, 44));
        window->addSubview(game);
        drainMain();
        return CXRHelperBtn::shared();
    }
    // A finger put on the button's visible part, moved to `to` and lifted there.
    void dragTo(cg::Point to) {
        auto b = CXRHelperBtn::shared();
        cg::Rect s = window->bounds();
        cg::Point start{std::clamp(b->center().x, 5.0, s.size.width - 5), std::clamp(b->center().y, 5.0, s.size.height - 5)};
        auto touch = window->beginTouch(start);
        ASSERT_TRUE(touch);
        window->moveTouch(touch, start);
        window->moveTouch(touch, to);
        window->endTouch(touch, to);
    }
    size_t reports() const { return server.requests("login/setTime").size(); }

    ui::WindowRef window;
    ui::ButtonRef game;
};

TEST_F(FloatingButtonTest, DocksRightThenDragsAndSnapsToTheNearestEdge) {
    auto b = open(); // 375 x 667, portrait
    EXPECT_EQ(b->superview(), window);
    EXPECT_EQ(b->frame(), cg::RectMake(375 - 30, 30, 60, 90)); // half outside the right edge
    EXPECT_EQ(b->alpha(), 0.5);
    EXPECT_EQ(b->imageEdgeInsets(), (ui::EdgeInsets{0, 0, 0, 30}));
    EXPECT_EQ(b->status(), 0);
    CXRHelperBtn::hide();
    EXPECT_TRUE(b->isHidden());
    CXRHelperBtn::show();
    EXPECT_FALSE(b->isHidden());

    ASSERT_NO_FATAL_FAILURE(dragTo({200, 300}));
    EXPECT_EQ(b->center(), (cg::Point{200, 300})); // far from every edge: stays, fully shown
    EXPECT_EQ(b->alpha(), 0.51);
    EXPECT_EQ(b->status(), 1);
    EXPECT_EQ(b->btnAnimations(), CXRHelperBtn::None);
    EXPECT_FALSE(b->isMoving());

    ASSERT_NO_FATAL_FAILURE(dragTo({30, 300}));
    EXPECT_EQ(b->center(), (cg::Point{0, 300}));
    EXPECT_EQ(b->imageEdgeInsets(), (ui::EdgeInsets{0, 30, 0, 0}));
    EXPECT_EQ(b->alpha(), 0.5);
    EXPECT_EQ(b->status(), 0);

    ASSERT_NO_FATAL_FAILURE(dragTo({320, 40})); // near the right edge, above the distance to it: top, kept 60 pt inside in portrait
    EXPECT_EQ(b->center(), (cg::Point{320, 60}));
    EXPECT_EQ(b->status(), 1);

    ASSERT_NO_FATAL_FAILURE(dragTo({315, 300})); // exactly 60 pt from the right edge
    EXPECT_EQ(b->center(), (cg::Point{375, 300}));
    EXPECT_EQ(b->btnAnimations(), CXRHelperBtn::Right);

    ASSERT_NO_FATAL_FAILURE(dragTo({200, 640}));
    EXPECT_EQ(b->center(), (cg::Point{200, 667}));
    EXPECT_EQ(b->btnAnimations(), CXRHelperBtn::Bottom);
}

TEST_F(FloatingButtonTest, ADragStartsAtAMoveOfExactlyThirtyPointsFromTheCentre) {
    auto b = open();
    ASSERT_EQ(b->center(), (cg::Point{375, 75}));
    auto touch = window->beginTouch({360, 75});
    window->moveTouch(touch, {360, 75}); // the first move only arms
    window->moveTouch(touch, {346, 75}); // 29 pt from the centre
    EXPECT_FALSE(b->isMoving());
    EXPECT_EQ(b->center(), (cg::Point{375, 75}));
    window->moveTouch(touch, {345, 75}); // 30 pt
    EXPECT_TRUE(b->isMoving());
    EXPECT_EQ(b->center(), (cg::Point{345, 75}));
    window->endTouch(touch, {345, 75});
    EXPECT_FALSE(b->isMoving());
}

TEST_F(FloatingButtonTest, LeftSnapInLandscapeBesideAHomeIndicatorStaysVisible) {
    auto b = open(ui::DeviceProfile::notchLandscape()); // 812 x 375
    EXPECT_EQ(b->screenFlag(), 0);
    ASSERT_NO_FATAL_FAILURE(dragTo({30, 200}));
    EXPECT_EQ(b->center(), (cg::Point{60, 200}));
    EXPECT_EQ(b->status(), 1);
    ASSERT_NO_FATAL_FAILURE(dragTo({400, 20})); // top in landscape: half outside
    EXPECT_EQ(b->center(), (cg::Point{400, 0}));

    restart();
    b = open(ui::DeviceProfile::plainPhone().withLandscape(true));
    ASSERT_NO_FATAL_FAILURE(dragTo({30, 200}));
    EXPECT_EQ(b->center(), (cg::Point{0, 200}));
    EXPECT_EQ(b->status(), 0);
}

TEST_F(FloatingButtonTest, TapOpensTheUserCentre) {
    auto b = open();
    // Nothing installed yet: the button stays and the game hears why nothing opened.
    std::vector<std::pair<Value, Value>> told;
    b->setFailedBlock([&](const Value& message, const Value& code) { told.emplace_back(message, code); });
    driver::tapAt(window, {360, 75});
    EXPECT_TRUE(logContains("CXRHelperBtn: the user centre cannot be shown"));
    EXPECT_FALSE(b->isHidden());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], std::make_pair(Value("无法显示用户中心"), Value("603")));
    b->setFailedBlock(nullptr);

    std::function<void()> logout;
    CXRHelperBtn::userCentreOpener() = [&](std::function<void()> l) {
        logout = std::move(l);
        return true;
    };
    // A short move after the first move event is still a tap.
    auto touch = window->beginTouch({360, 75});
    window->moveTouch(touch, {350, 75});
    window->moveTouch(touch, {350, 90});
    window->endTouch(touch, {350, 90});
    EXPECT_EQ(b->center(), (cg::Point{375, 75}));
    ASSERT_TRUE(logout);
    EXPECT_TRUE(b->isHidden());

    // A drag whose touch is cancelled still snaps, and the next tap is a tap again.
    CXRHelperBtn::show();
    logout = nullptr;
    touch = window->beginTouch({360, 75});
    window->moveTouch(touch, {360, 75});
    window->moveTouch(touch, {200, 300});
    window->cancelTouch(touch);
    EXPECT_EQ(b->center(), (cg::Point{200, 300}));
    EXPECT_FALSE(b->isMoving());
    EXPECT_EQ(b->status(), 1);
    driver::tap(b);
    EXPECT_TRUE(logout); // what the logout step does: user_center's TabBarTest and TabBarShellTest
}

TEST_F(FloatingButtonTest, OnlineTimeReportsUntilTheDayIsUsedUp) {
    auto b = open();
    ASSERT_NO_FATAL_FAILURE(signIn("kid01"));
    bool minor = false;
    VXLoginAPI::postRealNameToServerWithRealName(
        "小明", "110101201501011234", [&](const auto&) { minor = true; }, [](const Value&) {});
    ASSERT_TRUE(runMainUntil([&] { return minor; }));
    server.setMinorDailyLimit(240);
    server.scriptNext("login/setTime", reply(ns::Dictionary{{"z", -1}, {"b", "ignored"}}));

    b->startTimer();
    EXPECT_TRUE(logContains("开启定时器"));
    settle();
    EXPECT_EQ(reports(), 0u); // the tick at the start sends nothing
    advance(119);
    EXPECT_EQ(reports(), 0u);
    advance(1);
    ASSERT_TRUE(awaitRequests("login/setTime", 1));
    settle();
    EXPECT_TRUE(b->timer()); // -1 changes nothing
    advance(120);
    ASSERT_TRUE(awaitRequests("login/setTime", 2));
    settle();
    EXPECT_EQ(server.requests("login/setTime").back().params, Value(ns::Dictionary{{"n", "kid01"}, {"g", "1001"}}));
    EXPECT_TRUE(driver::canTap(game));

    advance(120); // 240 s online: the server answers -2
    ASSERT_TRUE(runMainUntil([&] { return driver::find<VXGameOverView>(window) != nullptr; }));
    auto over = driver::find<VXGameOverView>(window);
    EXPECT_FALSE(b->timer());
    EXPECT_EQ(over->frame(), window->bounds());
    auto card = over->subviews().at(0);
    EXPECT_TRUE(driver::findLabel(card, "防沉迷提示"));
    EXPECT_TRUE(driver::findLabel(card, "根据国家规定，未成年玩家每日在线时间受限。您今天的游戏时间已经到达上限。"));
    EXPECT_FALSE(driver::canTap(game));
    EXPECT_EQ(driver::tapAt(window, {150, 222}), card);

    advance(600);
    EXPECT_EQ(reports(), 3u);
}

TEST_F(FloatingButtonTest, LoginOutHidesTheButtonAndStopsTheTimer) {
    auto b = open();
    b->startTimer();
    b->startTimer(); // a second start replaces the first timer rather than doubling the reports
    advance(120);
    ASSERT_TRUE(awaitRequests("login/setTime", 1));
    settle();
    EXPECT_EQ(reports(), 1u);
    VorlixSDK::LoginOut();
    EXPECT_TRUE(b->isHidden());
    EXPECT_FALSE(b->timer());
    advance(600);
    EXPECT_EQ(reports(), 1u);
}

} // namespace
