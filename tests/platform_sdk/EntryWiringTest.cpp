// A game's view of the SDK: it links the SDK and calls the entry only, before and without launch.
// The login window, the floating button's user centre and the payment centre are there with no
// other call.
#include "os/uikit/Application.h"
#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "platform_sdk/testing/TestPlayer.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class EntryWiringTest : public vx::test::LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        server.addAccount("player01", "secret1");
        server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.askRealName = false; });
        ShareVale::sharedInstance()->setIsNotAutoLogin(true);
    }
    void TearDown() override {
        CXRHelperBtn::shared()->stopTimer();
        LoginTest::TearDown();
    }
    VXLoginVCRef loginWindow() { return ui::driver::shownRootController<VXLoginVC>(game); }
    void until(const std::function<bool()>& done) {
        EXPECT_TRUE(runMainUntil(done));
        settle();
    }

    std::vector<Value> successes;
    std::vector<std::pair<long, Value>> failures;
};

} // namespace

TEST_F(EntryWiringTest, ALoginBeforeLaunchEndsInAButtonThatOpensTheUserCentre) {
    VorlixSDK::loadLoginViewResultSuccess(
        [&](const Value&, const Value& userName, const Value&, const Value&) { successes.push_back(userName); },
        [&](long code, const Value& message) { failures.emplace_back(code, message); });
    settle();
    auto screen = loginWindow();
    ASSERT_TRUE(screen) << "the login window opens without launch";
    driver::advance(0.5);

    // Account and password, then the picker with one new sub-account.
    driver::tap(screen->btnsView.lock()->viewWithTag(11));
    auto panel = screen->pwdView();
    driver::typeText(panel->nameF.lock(), "player01");
    driver::typeText(panel->pwdF.lock(), "secret1");
    driver::tap(driver::findButton(panel, "登录"));
    until([&] { return screen->step() == VXLoginVC::Step::Waiting; });
    driver::advance(1);
    // The server's notice, then the sub-account picker.
    until([&] { return vx::TestPlayer::noticeOn(screen) || screen->step() == VXLoginVC::Step::Picker; });
    if (auto notice = vx::TestPlayer::noticeOn(screen)) driver::tap(driver::findButton(notice->view(), "我知道了"));
    until([&] { return screen->step() == VXLoginVC::Step::Picker; });
    vx::TestPlayer player;
    ASSERT_TRUE(player.addSubAccount("小号1")) << player.failure();
    settle();
    driver::selectRow(screen->subNameView()->tableView.lock(), ui::IndexPath::forRow(0, 0));
    until([&] { return screen->step() == VXLoginVC::Step::Slide; });
    driver::advance(0.3);
    driver::advance(0.3);
    screen.reset();
    ASSERT_EQ(successes.size(), 1u);
    EXPECT_TRUE(failures.empty());

    // The floating button on the game: a tap brings the user centre over the game's screen.
    auto button = CXRHelperBtn::shared();
    ASSERT_FALSE(button->isHidden());
    // Docked on the right edge, half of it on screen: the finger goes on that half.
    driver::tapAt(game, {button->frame().origin.x + 15, button->center().y});
    driver::advance(0.3);
    auto centre = std::dynamic_pointer_cast<VXSuTabBarVC>(game->rootViewController()->presentedViewController());
    ASSERT_TRUE(centre) << "the user centre opens from the button";
    EXPECT_FALSE(logContains("the user centre is not available"));

    // Its logout reaches the game through the login's failure block.
    centre->logoutStep()();
    driver::advance(0.3);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], std::make_pair(-9L, Value("注销")));
    EXPECT_FALSE(game->rootViewController()->presentedViewController());
}

TEST_F(EntryWiringTest, APaymentBeforeLaunchOpensThePaymentCentre) {
    ShareVale::sharedInstance()->setUserName(std::string("player01"));
    ShareVale::sharedInstance()->setIsLoggedIn(true);
    VorlixSDK::loadToPayVCWithroleid("r1", "6.00", "s1", "钻石", "60钻石", "cp-1", nullptr, nullptr);
    driver::advance(0.5);
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(game->rootViewController()->presentedViewController());
    ASSERT_TRUE(nav && !nav->viewControllers().empty());
    EXPECT_TRUE(std::dynamic_pointer_cast<VXNewPayVC>(nav->viewControllers()[0]));
    EXPECT_TRUE(awaitRequests("pay/getPayWayios"));
}
