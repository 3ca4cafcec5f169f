// The whole user centre behind the floating button: tabs in order with lazy views, the mine page
// as the first tab, its back and logout, the guarded dismissal, and the signed task page.
#include "foundation/URLEncode.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "tests/platform_sdk/user_center/GoldenImage.h"
#include "tests/platform_sdk/user_center/MineFixture.h"

namespace {

namespace driver = ui::driver;

class TabBarTest : public vx::test::MineTest {
protected:
    void SetUp() override {
        MineTest::SetUp();
        window->setRootViewController(ui::ViewController::create());
        window->makeKeyAndVisible();
        VXSuTabBarVC::installAsUserCentre();
        drainMain();
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
    // The task tab chosen with its page fetched over the network; its web view, or null.
    ui::WebViewRef chooseTaskTab(const VXSuTabBarVCRef& centre) {
        auto task = std::dynamic_pointer_cast<VXSuWebVC>(root(centre, 2));
        if (!task) return nullptr;
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
        driver::selectTab(centre, 2);
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
        return task->webView.lock();
    }
};

TEST_F(TabBarTest, TheButtonOpensTheTabsWithTheMinePageFirstAndOthersLoadWhenChosen) {
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
    EXPECT_EQ(centre->modalPresentationStyle(), ui::ModalPresentationStyle::FullScreen);
    EXPECT_FALSE(centre->shouldAutorotate());
    EXPECT_EQ(centre->preferredInterfaceOrientationForPresentation(), ui::InterfaceOrientation::Portrait);
    std::vector<std::string> titles;
    for (size_t tab = 0; tab < centre->viewControllers().size(); ++tab) {
        auto item = root(centre, tab)->tabBarItem();
        titles.push_back(item->title().value_or(""));
        ASSERT_TRUE(item->image() && item->selectedImage());
        // Drawn as stored, not tinted by the bar.
        EXPECT_EQ(item->image()->renderingMode(), ui::ImageRenderingMode::AlwaysOriginal);
        EXPECT_EQ(item->selectedImage()->renderingMode(), ui::ImageRenderingMode::AlwaysOriginal);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"我的", "福利", "任务", "攻略", "客服"}));
    ASSERT_EQ(centre->tabBar()->itemButtons().size(), 5u);
    EXPECT_EQ(centre->tabBar()->itemButtons()[4]->currentTitle(), "客服") << "the bar shows the pages' items";
    EXPECT_EQ(centre->tabBar()->frame().origin.y, 667 - 49);
    EXPECT_EQ(centre->view()->subviews().back(), centre->tabBar()) << "the tab bar lies over the page";
    EXPECT_TRUE(centre->tabBar()->tintColor()->isEqual(*ui::Color::colorWithRed(0x49 / 255.0, 0x88 / 255.0, 0xFD / 255.0, 1)));

    auto mine = std::dynamic_pointer_cast<VXSuUserVC>(root(centre, 0));
    ASSERT_TRUE(mine);
    ASSERT_TRUE(runMainUntil([&] { return mine->dic().isDictionary(); }));
    auto service = std::dynamic_pointer_cast<VXSuWebVC>(root(centre, 4));
    ASSERT_TRUE(service);
    EXPECT_EQ(service->url(), server.host() + "/sdkapicoupon2/sdkservicesdk/sdk_kefu_index?username=player01&type=ios"
                                               "&cpsId=agent9&appid=app7");
    EXPECT_FALSE(service->isViewLoaded()) << "a tab's page loads when the tab is first chosen";
    driver::selectTab(centre, 4);
    EXPECT_TRUE(service->isViewLoaded());
    // Back to the mine tab: it appears again and reloads.
    driver::selectTab(centre, 0);
    ASSERT_TRUE(awaitRequests("sdkhome/index", 2));
}

TEST_F(TabBarTest, TheTaskPageIsSignedWithTheTimeItOpened) {
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

TEST_F(TabBarTest, AUserNameWithQueryCharactersStillGivesASignedTaskPage) {
    server.addAccount("玩家 a&b=c", "123456");
    ShareVale::sharedInstance()->setUserName(std::string("玩家 a&b=c"));
    std::string address = VXSuTabBarVC::taskPageURL();
    EXPECT_NE(address.find("?username=%E7%8E%A9%E5%AE%B6%20a%26b%3Dc&device=ios&imel="), std::string::npos) << address;
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    auto web = chooseTaskTab(centre);
    ASSERT_TRUE(web);
    ASSERT_TRUE(runMainUntil([&] { return web->pageData() && !web->isLoading(); }));
    std::string body = web->pageData()->toString();
    EXPECT_NE(body.find("+50 平台币"), std::string::npos) << "signed over the name as typed: " << body;
    EXPECT_NE(body.find("vorlix://rw"), std::string::npos);
}

// The task tab read as a player reads it, on both phones: its tasks and rewards under the bar, the
// box link that opens the box page instead of loading, and the record link that loads.
class TaskPageTest : public TabBarTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TaskPageTest, TheTaskPageIsReadAndItsLinksAreTapped) {
    bool notch = GetParam();
    if (notch) driver::useProfile(ui::DeviceProfile::notchPortrait());
    auto centre = openCentre();
    ASSERT_TRUE(centre);
    auto web = chooseTaskTab(centre);
    ASSERT_TRUE(web);
    ASSERT_TRUE(runMainUntil([&] { return web->page() && !web->isLoading(); }));
    settle();
    EXPECT_NE(web->page()->text().find("每日任务"), std::string::npos);
    EXPECT_NE(web->page()->text().find("+50 平台币"), std::string::npos);
    EXPECT_TRUE(vx::test::matchesGolden(window, notch ? "uc-task-notch" : "uc-task", sandboxPath()));

    driver::tapLink(web, "打开游戏盒子");
    EXPECT_TRUE(logContains("url str = vorlix://rw"));
    EXPECT_FALSE(web->isLoading()) << "the box link is never loaded";
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), server.host() + "/cdcloud/welcome/box");

    driver::tapLink(web, "任务记录");
    EXPECT_EQ(driver::lastRequest(web)->url()->absoluteString(), server.host() + "/sdkapicoupon2/Agreement/rwlog");
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_EQ(web->page()->title(), "任务记录");
    EXPECT_TRUE(web->canGoBack());
}

INSTANTIATE_TEST_SUITE_P(Profiles, TaskPageTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Notch" : "Plain"; });

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
