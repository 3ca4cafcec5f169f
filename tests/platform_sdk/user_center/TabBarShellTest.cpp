// The user-centre tab bar shell: opened by the floating button, its guarded dismissal, its logout
// reported as (-9, "注销"), and the signed task-page address.
#include "foundation/URLEncode.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <filesystem>

namespace {

namespace driver = ui::driver;

class TabBarShellTest : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle", std::filesystem::copy_options::recursive);
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        window->setRootViewController(ui::ViewController::create());
        window->makeKeyAndVisible();
        ShareVale::sharedInstance()->setUserName(std::string("player01"));
        VXSuTabBarVC::installAsUserCentre();
        drainMain();
    }
    void TearDown() override {
        CXRHelperBtn::userCentreOpener() = nullptr;
        window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }
    VXSuTabBarVCRef openCentre() {
        CXRHelperBtn::shared()->doShowHelperVC();
        driver::advance(0.3);
        return std::dynamic_pointer_cast<VXSuTabBarVC>(window->rootViewController()->presentedViewController());
    }
    ui::WindowRef window;
};

TEST_F(TabBarShellTest, TheButtonOpensItFullScreenWithTheWebTabs) {
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
    EXPECT_EQ(centre->modalPresentationStyle(), ui::ModalPresentationStyle::FullScreen);
    EXPECT_FALSE(centre->shouldAutorotate());
    EXPECT_EQ(centre->preferredInterfaceOrientationForPresentation(), ui::InterfaceOrientation::Portrait);
    std::vector<std::string> titles;
    for (const auto& tab : centre->viewControllers()) {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tab);
        ASSERT_TRUE(nav);
        titles.push_back(nav->viewControllers().front()->tabBarItem()->title().value_or(""));
        auto item = nav->viewControllers().front()->tabBarItem();
        ASSERT_TRUE(item->image() && item->selectedImage());
        // Drawn as stored, not tinted by the bar.
        EXPECT_EQ(item->image()->renderingMode(), ui::ImageRenderingMode::AlwaysOriginal);
        EXPECT_EQ(item->selectedImage()->renderingMode(), ui::ImageRenderingMode::AlwaysOriginal);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"我的", "福利", "任务", "攻略", "客服"}));
    ASSERT_EQ(centre->tabBar()->itemButtons().size(), 5u);
    EXPECT_EQ(centre->tabBar()->itemButtons()[4]->currentTitle(), "客服") << "the bar shows the pages' items";
    auto service = std::dynamic_pointer_cast<VXSuWebVC>(
        std::dynamic_pointer_cast<ui::NavigationController>(centre->viewControllers().back())->viewControllers().front());
    ASSERT_TRUE(service);
    EXPECT_EQ(service->url(), server.host() + "/sdkapicoupon2/sdkservicesdk/sdk_kefu_index?username=player01&type=ios"
                                               "&cpsId=agent9&appid=app7");
}

TEST_F(TabBarShellTest, DismissalIsIgnoredUntilLogoutAndLogoutReportsMinusNine) {
    std::vector<std::pair<std::string, std::string>> failures;
    CXRHelperBtn::shared()->setFailedBlock([&](const ns::Value& m, const ns::Value& c) {
        failures.emplace_back(m.stringValue().value_or(""), c.stringValue().value_or(""));
    });
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    centre->dismissViewControllerAnimated(true);
    driver::advance(0.3);
    EXPECT_EQ(window->rootViewController()->presentedViewController(), centre) << "nothing over it, no logout: ignored";

    centre->logoutStep()();
    EXPECT_TRUE(centre->isShouldDismiss());
    EXPECT_EQ(failures, (std::vector<std::pair<std::string, std::string>>{{"注销", "-9"}}));
    driver::advance(0.3);
    EXPECT_FALSE(window->rootViewController()->presentedViewController());
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden()) << "a logout shows no button again";
}

TEST_F(TabBarShellTest, TheTaskPageIsSignedWithTheTimeItOpened) {
    std::string first = VXSuTabBarVC::taskPageURL();
    driver::advance(1);
    std::string second = VXSuTabBarVC::taskPageURL();
    EXPECT_NE(first, second);
    auto at = first.find("logintime=");
    ASSERT_NE(at, std::string::npos);
    std::string time = first.substr(at + 10, first.find('&', at) - at - 10);
    std::string sign = URLEncode::md5String("username=player01&appkey=tondrel@!kit&logintime=" + time);
    EXPECT_NE(first.find("/sdkapicoupon2/Agreement/rw?username=player01&device=ios&imel="), std::string::npos);
    EXPECT_NE(first.find("&gameid=1001&logintime=" + time + "&sign=" + sign), std::string::npos) << first;
}

} // namespace

