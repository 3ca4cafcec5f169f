// The platform web page: title and address, the history-first back button, the browser button and
// the box-app link that is never loaded.
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXSuWebVC.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/support/GoldenCompare.h"

namespace {

namespace driver = ui::driver;

class WebPageTest : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        vx::test::copySdkPictures(bundlePath());
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        window = vx::test::showKeyWindow();
        CXRHelperBtn::shared();
        drainMain();
    }
    void TearDown() override {
        window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }
    // The page as the root of a navigation controller presented over the game.
    ns::Ref<VXNavigationController> present(const VXSuWebVCRef& page) {
        auto nav = ui::ViewController::create<VXNavigationController>();
        nav->pushViewController(page, false);
        window->rootViewController()->presentViewController(nav, false);
        drainMain();
        return nav;
    }
    static VXSuWebVCRef page(const std::string& url, bool more = false) {
        auto p = VXSuWebVC::instantiate();
        p->setName("用户协议");
        p->setUrl(url);
        p->setIsShowMore(more);
        return p;
    }
    ui::WindowRef window;
};

TEST_F(WebPageTest, LoadsItsAddressOnceUnderItsTitleWithItsOwnButtons) {
    auto p = page("http://127.0.0.1:1/sdkapicoupon2/Agreement/xieyi");
    EXPECT_FALSE(p->isViewLoaded());
    present(p);
    auto web = p->webView.lock();
    ASSERT_TRUE(web);
    ASSERT_EQ(web->loadedRequests().size(), 1u);
    EXPECT_EQ(web->loadedRequests()[0]->url()->absoluteString(), "http://127.0.0.1:1/sdkapicoupon2/Agreement/xieyi");
    EXPECT_EQ(p->navigationItem()->title(), "用户协议");
    EXPECT_EQ(p->navigationItem()->leftBarButtonItem()->customView(), p->backBtn());
    EXPECT_EQ(p->backBtn()->frame().size, (cg::Size{25, 25}));
    EXPECT_FALSE(p->navigationItem()->rightBarButtonItem()) << "no browser button unless asked";
    EXPECT_TRUE(logContains("开始加载"));
    driver::failLoad(web);
    EXPECT_TRUE(logContains("加载失败"));

    window->rootViewController()->dismissViewControllerAnimated(false);
    drainMain();
    auto more = page("http://example.invalid/a?b=1", true);
    present(more);
    ASSERT_TRUE(more->navigationItem()->rightBarButtonItem());
    driver::tap(more->moreBtn());
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), "http://example.invalid/a?b=1");
}

TEST_F(WebPageTest, TheBoxAppLinkOpensTheBoxPageInsteadOfLoading) {
    ShareVale::sharedInstance()->setIosWapBoxUrl(ns::Value("http://box.example/cdcloud/welcome/box"));
    auto p = page("about:blank");
    present(p);
    auto web = p->webView.lock();
    driver::finishLoad(web);
    EXPECT_FALSE(driver::navigate(web, "http://x.example/jump?to=vorlix://rw&id=3"));
    EXPECT_TRUE(logContains("url str = http://x.example/jump?to=vorlix://rw&id=3"));
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), "http://box.example/cdcloud/welcome/box");

    ShareVale::sharedInstance()->setIosWapBoxUrl(ns::Value());
    EXPECT_FALSE(driver::navigate(web, "vorlix://rw"));
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), 1u) << "no box address: nothing opens";
    EXPECT_TRUE(driver::navigate(web, "http://x.example/next"));
}

TEST_F(WebPageTest, BackWalksTheHistoryThenClosesTheRootAndShowsTheButton) {
    CXRHelperBtn::hide();
    auto p = page("about:blank");
    auto nav = present(p);
    auto web = p->webView.lock();
    driver::finishLoad(web);
    ASSERT_TRUE(driver::navigate(web, "http://x.example/2"));
    driver::finishLoad(web);
    driver::tap(p->backBtn());
    driver::finishLoad(web);
    EXPECT_EQ(web->backForwardIndex(), 0) << "went back in the page";
    EXPECT_EQ(window->rootViewController()->presentedViewController(), nav);

    driver::tap(p->backBtn());
    driver::advance(0.3);
    EXPECT_FALSE(window->rootViewController()->presentedViewController()) << "the root page closed its stack";
    EXPECT_FALSE(CXRHelperBtn::shared()->isHidden());

    ShareVale::sharedInstance()->setIsHideSuspend(true);
    CXRHelperBtn::hide();
    auto again = page("about:blank");
    present(again);
    driver::tap(again->backBtn());
    driver::advance(0.3);
    EXPECT_TRUE(CXRHelperBtn::shared()->isHidden()) << "kept hidden when the game hides it";
}

TEST_F(WebPageTest, APushedPageIsPopped) {
    auto root = ui::ViewController::create();
    auto nav = ui::ViewController::create<VXNavigationController>();
    nav->pushViewController(root, false);
    window->rootViewController()->presentViewController(nav, false);
    drainMain();
    auto p = page("not a url");
    p->setIsShowSuperVc(true);
    nav->pushViewController(p, true);
    driver::advance(0.35);
    EXPECT_TRUE(p->webView.lock()->loadedRequests().empty()) << "a malformed address loads nothing";
    EXPECT_EQ(p->navigationItem()->leftBarButtonItem()->customView(), p->backBtn()) << "the page's own back button wins";
    driver::tap(p->backBtn());
    driver::advance(0.35);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_EQ(window->rootViewController()->presentedViewController(), nav);
}

// The stand-in's agreement read on both phones: the page under the bar, its headings and clauses.
TEST_F(WebPageTest, TheAgreementIsReadUnderTheBarOnBothPhones) {
    for (bool notch : {false, true}) {
        SCOPED_TRACE(notch ? "notch" : "plain");
        if (notch) {
            window->rootViewController()->dismissViewControllerAnimated(false);
            driver::useProfile(ui::DeviceProfile::notchPortrait());
            window = vx::test::showKeyWindow();
        }
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
        auto p = page(server.host() + "/sdkapicoupon2/Agreement/xieyi");
        present(p);
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
        auto web = p->webView.lock();
        ASSERT_TRUE(runMainUntil([&] { return web->page() && !web->isLoading(); }));
        auto page = web->page();
        EXPECT_EQ(page->title(), "用户协议");
        EXPECT_NE(page->text().find("二、账号注册与使用"), std::string::npos);
        EXPECT_GT(web->scrollView()->contentSize().height, web->bounds().size.height) << "long enough to scroll";
        std::string name = notch ? "agreement-page-notch.png" : "agreement-page.png";
        std::string shot = sandboxPath() + "/" + name;
        driver::capture(window, shot);
        EXPECT_TRUE(vx::test::matchesGoldenFile(shot, VX_GOLDEN_DIR "/" + name));
    }
    driver::useProfile(ui::DeviceProfile::plainPhone());
}

} // namespace
