// The mine page and its panels as a player sees them, on a phone with and without a home
// indicator, compared with their goldens.
#include "platform_sdk/user_center/VXSuBangView.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Graphics.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "server/CouponArea.h"
#include "server/PayArea.h"
#include "tests/platform_sdk/user_center/GoldenImage.h"
#include "tests/platform_sdk/user_center/MineFixture.h"

namespace {

using vx::test::MineTest;
namespace driver = ui::driver;

class MineScreens : public MineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MineTest::SetUp();
        if (GetParam()) {
            ui::DeviceProfile::use(ui::DeviceProfile::notchPortrait());
            window->setFrame(ui::Screen::mainScreen().bounds());
        }
    }
    std::string name(const std::string& screen) const { return screen + (GetParam() ? "-notch" : ""); }
};

TEST_P(MineScreens, FreshAccountAndTheBindPanel) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine"), sandboxPath()));
    ASSERT_NO_FATAL_FAILURE(tapArea("mobile"));
    auto panel = page->bangView();
    ASSERT_TRUE(panel->window());
    driver::typeText(panel->numF.lock(), "13800001234");
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-bind"), sandboxPath()));
}

TEST_P(MineScreens, SubAccountsWithARowExpandedAndTheAddAlert) {
    seedSubAccounts();
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("subname"));
    driver::advance(0.35);
    auto screen = std::dynamic_pointer_cast<VXSuSubNameVC>(nav->topViewController());
    ASSERT_TRUE(screen);
    ASSERT_TRUE(runMainUntil([&] { return screen->dataSource().size() == 2; }));
    auto table = screen->tableView.lock();
    driver::tap(driver::cell<VXSuSuNameCell>(table, ui::IndexPath::forRow(0, 0))->btn.lock());
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-subaccounts"), sandboxPath()));
    screen->addSubName();
    driver::advance(0.3);
    driver::typeIntoAlertField(driver::presentedAlert(window), 0, "新小号");
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-subaccounts-add"), sandboxPath()));
}

// A tile of one colour, as the server hosts the avatar and the title badges.
std::string tilePNG(double w, double h, ui::ColorRef colour) {
    ui::GraphicsBeginImageContextWithOptions({w, h}, false, 2);
    colour->setFill();
    ui::BezierPath::bezierPathWithRoundedRect({{0, 0}, {w, h}}, h / 2)->fill();
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return ui::ImagePNGRepresentation(image)->toString();
}

TEST_P(MineScreens, TheWholeCentreWithTabsMessagesAndBookings) {
    server.serveFile("/a.png", tilePNG(64, 64, ui::Color::colorWithRed(1, 0.6, 0.24, 1)), "image/png");
    server.serveFile("/v.png", tilePNG(50, 18, ui::Color::colorWithRed(0.95, 0.7, 0.1, 1)), "image/png");
    server.serveFile("/p.png", tilePNG(50, 18, ui::Color::colorWithRed(0.38, 0.21, 0.9, 1)), "image/png");
    std::string host = server.host();
    server.withState([host](vx::server::PlatformServer::State& s) {
        s.accounts["player01"].phone = "13800001234";
        s.accounts["player01"].realName = 1;
        auto& p = vx::server::mineArea(s).profiles["player01"];
        p.nickname = "星河旅人", p.avatar = host + "/a.png", p.vippic = host + "/v.png", p.paypic = host + "/p.png";
        auto& w = vx::server::payArea(s).wallet("player01");
        w.ttb = "128", w.djq = "36.50", w.xingbi = "520";
        vx::server::CouponArea::of(s).claim("player01", 7);
        vx::server::CouponArea::of(s).claim("player01", 8);
    });
    window->setRootViewController(ui::ViewController::create());
    window->makeKeyAndVisible();
    VXSuTabBarVC::installAsUserCentre();
    CXRHelperBtn::shared()->doShowHelperVC();
    driver::advance(0.3);
    auto centre = std::dynamic_pointer_cast<VXSuTabBarVC>(window->rootViewController()->presentedViewController());
    ASSERT_TRUE(centre);
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(centre->selectedViewController());
    auto mine = std::dynamic_pointer_cast<VXSuUserVC>(nav->topViewController());
    ASSERT_TRUE(mine);
    ASSERT_TRUE(runMainUntil([&] {
        // The avatar (128 pixels wide, unlike the 120-pixel placeholder) and both badges have arrived.
        auto avatar = mine->iconView.lock()->image();
        return mine->dic().isDictionary() && avatar && avatar->CGImage() && avatar->CGImage()->width() == 128 && mine->vipPic.lock()->image() &&
               mine->payPic.lock()->image();
    }));
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-tab-mine"), sandboxPath()));

    driver::tap(mine->btnsView.lock()->viewWithTag(11));
    driver::advance(0.35);
    auto messages = std::dynamic_pointer_cast<VXUserMsgVC>(nav->topViewController());
    ASSERT_TRUE(messages);
    ASSERT_TRUE(runMainUntil([&] { return messages->dataSource().size() == 4; }));
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-messages"), sandboxPath()));
    nav->popViewControllerAnimated(false);
    driver::advance(0.1);

    driver::tap(mine->btnsView.lock()->viewWithTag(13));
    driver::advance(0.35);
    auto bookings = std::dynamic_pointer_cast<VXSuOrderVC>(nav->topViewController());
    ASSERT_TRUE(bookings);
    ASSERT_TRUE(runMainUntil([&] { return bookings->dataSource().size() == 10; }));
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-bookings"), sandboxPath()));
}

INSTANTIATE_TEST_SUITE_P(Profiles, MineScreens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Notch" : "Plain"; });

} // namespace
