// The whole user centre behind the floating button: tabs in order with lazy views, the mine page
// as the first tab, its back and logout, and the guarded dismissal between them.
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "platform_sdk/user_center/VXSuUserVC.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <filesystem>

namespace {

namespace driver = ui::driver;

class TabBarTest : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle",
                              std::filesystem::copy_options::recursive);
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        window->setRootViewController(ui::ViewController::create());
        window->makeKeyAndVisible();
        server.addAccount("player01", "123456");
        ShareVale::sharedInstance()->setUserName(std::string("player01"));
        VXSuTabBarVC::installAsUserCentre();
        drainMain();
    }
    void TearDown() override {
        CXRHelperBtn::userCentreOpener() = nullptr;
        window = nullptr;
        settle();
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }
    VXSuTabBarVCRef openCentre() {
        CXRHelperBtn::shared()->doShowHelperVC();
        driver::advance(0.3);
        return std::dynamic_pointer_cast<VXSuTabBarVC>(window->rootViewController()->presentedViewController());
    }
    static ui::ViewControllerRef root(const VXSuTabBarVCRef& centre, size_t tab) {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(centre->viewControllers().at(tab));
        return nav ? nav->viewControllers().front() : nullptr;
    }
    ui::WindowRef window;
};

TEST_F(TabBarTest, TheMinePageIsTheFirstTabAndOtherTabsLoadWhenChosen) {
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    auto mine = std::dynamic_pointer_cast<VXSuUserVC>(root(centre, 0));
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->tabBarItem()->title(), std::optional<std::string>("我的"));
    EXPECT_TRUE(mine->tabBarItem()->image());
    EXPECT_EQ(centre->selectedIndex(), 0u);
    EXPECT_FALSE(centre->tabBar()->isHidden());
    EXPECT_TRUE(centre->tabBar()->window());
    EXPECT_EQ(centre->tabBar()->frame().origin.y, 667 - 49);
    EXPECT_EQ(centre->view()->subviews().back(), centre->tabBar()) << "the tab bar lies over the page";
    ASSERT_EQ(centre->tabBar()->itemButtons().size(), centre->viewControllers().size());
    EXPECT_EQ(centre->tabBar()->itemButtons()[0]->currentTitle(), std::optional<std::string>("我的"));
    EXPECT_TRUE(mine->isViewLoaded());
    ASSERT_TRUE(runMainUntil([&] { return mine->dic().isDictionary(); }));
    auto service = std::dynamic_pointer_cast<VXSuWebVC>(root(centre, centre->viewControllers().size() - 1));
    ASSERT_TRUE(service);
    EXPECT_FALSE(service->isViewLoaded()) << "a tab's page loads when the tab is first chosen";
    EXPECT_TRUE(centre->tabBar()->tintColor()->isEqual(*ui::Color::colorWithRed(0x49 / 255.0, 0x88 / 255.0, 0xFD / 255.0, 1)));

    driver::selectTab(centre, centre->viewControllers().size() - 1);
    EXPECT_TRUE(service->isViewLoaded());
    // Back to the mine tab: it appears again and reloads.
    driver::selectTab(centre, 0);
    ASSERT_TRUE(awaitRequests("sdkhome/index", 2));
}

TEST_F(TabBarTest, BackOnTheMinePageClosesTheCentreWhileStrayDismissalsAreIgnored) {
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    auto mine = std::dynamic_pointer_cast<VXSuUserVC>(root(centre, 0));
    centre->dismissViewControllerAnimated(true);
    driver::advance(0.3);
    ASSERT_EQ(window->rootViewController()->presentedViewController(), centre) << "ignored";

    driver::tap(driver::findByAccessibilityId(mine->view(), "back"));
    driver::advance(0.3);
    EXPECT_FALSE(window->rootViewController()->presentedViewController()) << "the root page's back still closes it";
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());
}

TEST_F(TabBarTest, LogoutFromTheMinePageReportsMinusNineAndKeepsTheButtonHidden) {
    std::vector<std::pair<std::string, std::string>> failures;
    CXRHelperBtn::shared()->setFailedBlock([&](const ns::Value& m, const ns::Value& c) {
        failures.emplace_back(m.stringValue().value_or(""), c.stringValue().value_or(""));
    });
    CXRHelperBtn::shared()->startTimer();
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    auto mine = std::dynamic_pointer_cast<VXSuUserVC>(root(centre, 0));
    ASSERT_TRUE(runMainUntil([&] { return mine->dic().isDictionary(); }));
    driver::scrollToEnd(mine->scrollView.lock());
    driver::tap(driver::findByAccessibilityId(mine->view(), "logout"));
    EXPECT_EQ(failures, (std::vector<std::pair<std::string, std::string>>{{"注销", "-9"}}));
    EXPECT_FALSE(CXRHelperBtn::shared()->timer());
    driver::advance(0.3);
    EXPECT_FALSE(window->rootViewController()->presentedViewController());
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
}

} // namespace
