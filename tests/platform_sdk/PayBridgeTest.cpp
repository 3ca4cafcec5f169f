// The web pay page, the wallet bridge and the pay notice, driven as the payment centre uses them.
#include "os/foundation/NotificationCenter.h"
#include "os/uikit/Application.h"
#include "platform_sdk/VXPayNoticeView.h"
#include "platform_sdk/VXPayPlug.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXWebPayVC.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace driver = ui::driver;
using ns::Value;

namespace {

class PayBridge : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ui::Application::shared().reset();
        vx::test::copySdkPictures(bundlePath());
        nav = ui::NavigationController::createWithRoot<VXNavigationController>(ui::ViewController::create());
        window = vx::test::showKeyWindow(nav);
    }
    void TearDown() override {
        nav = nullptr, window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }
    VXWebPayVCRef push(const std::string& url, bool official, int* calls) {
        auto page = ui::ViewController::create<VXWebPayVC>();
        page->url = url, page->isGFWXH5 = official;
        page->webViewCallBack = [calls](const VXWebPayVCRef&) { ++*calls; };
        nav->pushViewController(page, false);
        drainMain();
        return page;
    }

    ui::WindowRef window;
    ns::Ref<ui::NavigationController> nav;
};

} // namespace

TEST_F(PayBridge, PlainPagesLoadAsGivenOfficialOnesEscapedWithTheReferer) {
    int calls = 0;
    auto plain = push("http://pay.example/p?a=%41+b", false, &calls);
    auto sent = driver::lastRequest(plain->webView());
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->url()->absoluteString(), "http://pay.example/p?a=%41+b");
    EXPECT_FALSE(sent->valueForHTTPHeaderField("Referer"));

    auto official = push("http://pay.example/wx?name=钻石 60&x=%3A&bad=%zz", true, &calls);
    sent = driver::lastRequest(official->webView());
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->url()->absoluteString(), "http://pay.example/wx?name=%E9%92%BB%E7%9F%B3%2060&x=%3A&bad=%25zz");
    EXPECT_EQ(sent->url()->queryItems()[0].value, std::optional<std::string>("钻石 60"));
    EXPECT_EQ(sent->httpMethod(), "GET");
    EXPECT_EQ(sent->timeoutInterval(), 60);
    EXPECT_EQ(sent->valueForHTTPHeaderField("Referer"), std::optional<std::string>("127.0.0.1://"));

    // An address that does not parse loads nothing; the indicator keeps spinning.
    auto broken = push("http://pay.example/p?name=钻石 60", false, &calls);
    EXPECT_FALSE(driver::lastRequest(broken->webView()));
    EXPECT_TRUE(broken->avi()->isAnimating());
}

TEST_F(PayBridge, ThePageAnswersActivationsAndBackUntilItIsPopped) {
    int calls = 0;
    auto page = push("http://127.0.0.1:1/refused", false, &calls);
    driver::failLoad(page->webView());
    EXPECT_TRUE(page->avi()->isAnimating());
    EXPECT_TRUE(logContains("加载失败"));

    for (int i = 0; i < 2; ++i) driver::resignActive(), driver::becomeActive();
    EXPECT_EQ(calls, 2);
    auto back = driver::find<ui::Button>(page->navigationItem()->leftBarButtonItem()->customView());
    driver::tap(back);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(nav->topViewController(), page); // the opener decides when it goes

    nav->popViewControllerAnimated(false);
    drainMain();
    page = nullptr;
    EXPECT_TRUE(logContains("web销毁了"));
    driver::resignActive(), driver::becomeActive();
    EXPECT_EQ(calls, 3);
}

TEST_F(PayBridge, WalletResultsMapToStatusAndErrorForTheLatestBlock) {
    auto plug = VXPayPlug::sharedInstance();
    struct Row { Value result; const char* status; const char* domain; long code; bool memo; };
    std::vector<Row> rows = {
        {ns::Dictionary{{"resultStatus", "9000"}, {"memo", "ok"}}, "充值成功", nullptr, 0, false},
        {ns::Dictionary{{"resultStatus", "6001"}, {"memo", "用户中途取消"}}, "取消充值", "支付失败,用户取消支付", 6001, true},
        {ns::Dictionary{{"resultStatus", "4000"}, {"memo", "系统繁忙"}}, "充值失败", "支付失败", 4000, true},
        {ns::Dictionary{{"resultStatus", 9000}}, "充值成功", nullptr, 0, false},
        {ns::Dictionary{{"memo", "无状态"}}, "充值失败", "支付失败", 0, true},
        {ns::Dictionary{{"resultStatus", "4000"}}, "充值失败", "支付失败", 4000, false},
    };
    for (const auto& row : rows) {
        std::string status;
        ns::Ref<ns::Error> error;
        int calls = 0;
        plug->setPayWay(1); // stores the block, hands nothing to the wallet
        plug->doPay([&](unsigned long, const std::string& s, const ns::Ref<ns::Error>& e) { ++calls, status = s, error = e; });
        plug->setWalletResultDic(row.result);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(status, row.status);
        if (!row.domain) {
            EXPECT_FALSE(error);
            continue;
        }
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), row.domain);
        EXPECT_EQ(error->code(), row.code);
        EXPECT_EQ(error->userInfo().contains("ErrorInfo"), row.memo);
    }
    EXPECT_TRUE(ui::Application::shared().openedURLs().empty());

    int first = 0, second = 0;
    plug->doPay([&](unsigned long, const std::string&, const ns::Ref<ns::Error>&) { ++first; });
    plug->doPay([&](unsigned long, const std::string&, const ns::Ref<ns::Error>&) { ++second; });
    plug->setWalletResultDic(ns::Dictionary{{"resultStatus", "9000"}});
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    vx::test::Restart::resetAll();
    VXPayPlug::sharedInstance()->setWalletResultDic(ns::Dictionary{{"resultStatus", "9000"}}); // no block: nothing
}

TEST_F(PayBridge, NoticeButtonsEndThePayment) {
    auto notice = VXPayNoticeView::load();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->layer()->cornerRadius(), 5);
    window->addSubview(notice);
    auto buttons = driver::findAll<ui::Button>(notice);
    ASSERT_EQ(buttons.size(), 2u);
    driver::tap(buttons[0]); // no blocks: nothing
    driver::tap(buttons[1]);
    EXPECT_TRUE(notice->superview());

    std::vector<std::string> seen;
    notice->payStatus = "支付成功";
    notice->goToApplyBlock = [&](const ns::Ref<ns::Error>& e, const std::optional<std::string>& s) {
        seen.push_back("go " + s.value_or("") + (notice->superview() ? " shown" : " removed"));
    };
    notice->goToGameBlock = [&](const ns::Ref<ns::Error>& e, const std::optional<std::string>& s) {
        seen.push_back("back " + s.value_or("") + (notice->superview() ? " shown" : " removed"));
    };
    driver::tap(buttons[1]);
    driver::tap(buttons[0]);
    EXPECT_EQ(seen, (std::vector<std::string>{"go 支付成功 shown", "back 支付成功 removed"}));
}
