// The mine page: how a reply fills it, when it reloads, the copy, the switches, the guards and the
// entries, and replies that arrive wrong or late.
#include "os/uikit/Pasteboard.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginWebView.h"
#include "platform_sdk/VXSuForgetView.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "tests/platform_sdk/user_center/MineFixture.h"

namespace {

using vx::test::MineTest;
using vx::test::driver::findLabel;
namespace driver = ui::driver;

ns::Value indexReply(ns::Dictionary uinfo, ns::Dictionary c = {}) {
    ns::Dictionary base{{"user_login", "player01"}, {"money", "128.00"}, {"djq", "6.50"}, {"starcoin", "3.00"}};
    for (const auto& [k, v] : uinfo) base.set(k, v);
    c.set("uinfo", base);
    return ns::Dictionary{{"a", 1}, {"b", "ok"}, {"c", c}};
}

TEST_F(MineTest, AReplyFillsTheCardRowsAndBadge) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    EXPECT_EQ(text(page->nickL), "昵称");
    EXPECT_EQ(text(page->nameL), "账号：player01");
    EXPECT_EQ(text(page->ptbL), "500.00") << "a new player's coins, as the payment centre has them";
    EXPECT_TRUE(page->vipPic.lock()->isHidden());
    EXPECT_EQ(page->payPic.lock()->frame().origin.x, 88);
    EXPECT_EQ(text(page->msgNumL), "3");
    EXPECT_FALSE(page->msgNumL.lock()->isHidden());
    EXPECT_EQ(text(page->mobileTitleL), "手机绑定");
    EXPECT_EQ(text(page->mobileL), "去绑定");
    EXPECT_EQ(text(page->rzL), "未认证");
    EXPECT_EQ(page->couponMoneyL.lock()->attributedText()->string(), "￥0.00");
    EXPECT_EQ(text(page->couponNumL), "共0张");

    // "coupon" is read beside "uinfo", never inside it; numbers and text both convert.
    server.scriptNext("sdkhome/index",
                      reply(indexReply({{"nicename", "小明"}, {"vippic", server.host() + "/v.png"}, {"weidu", 0},
                                        {"ismobile", 1}, {"mobile", "138****1234"}, {"id_card", "1"},
                                        {"coupon", ns::Dictionary{{"money", "99"}, {"count", 9}}}},
                                       {{"coupon", ns::Dictionary{{"money", "12.50"}, {"count", 2}}}})));
    page->loadData();
    ASSERT_TRUE(runMainUntil([&] { return text(page->nickL) == "小明"; }));
    EXPECT_FALSE(page->vipPic.lock()->isHidden());
    EXPECT_EQ(page->payPic.lock()->frame().origin.x, 143);
    EXPECT_TRUE(page->msgNumL.lock()->isHidden());
    EXPECT_EQ(text(page->mobileTitleL), "更换手机号");
    EXPECT_EQ(text(page->mobileL), "138****1234");
    EXPECT_TRUE(page->mobileL.lock()->textColor()->isEqual(*ui::Color::darkGrayColor()));
    EXPECT_EQ(text(page->rzL), "已认证");
    EXPECT_EQ(text(page->ptbL), "128.00");
    EXPECT_EQ(page->couponMoneyL.lock()->attributedText()->string(), "￥12.50");
    EXPECT_EQ(text(page->couponNumL), "共2张");
}

TEST_F(MineTest, ReloadsOnEveryLaterAppearanceAndKeepsContentOnFailure) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    settle();
    EXPECT_EQ(server.requests("sdkhome/index").size(), 1u) << "no second request on the first appearance";
    auto sent = server.requests("sdkhome/index").at(0).params;
    EXPECT_EQ(sent["username"], ns::Value("player01"));
    EXPECT_EQ(sent["appid"], ns::Value("app7"));
    EXPECT_EQ(sent["gid"], ns::Value("1001"));

    page->goToWebVc();
    driver::advance(0.35);
    auto web = std::dynamic_pointer_cast<VXSuWebVC>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->name(), std::optional<std::string>("用户头衔等级说明"));
    EXPECT_EQ(web->url(), std::optional<std::string>(server.host() + "/sdkapicoupon2/Agreement/tx"));
    EXPECT_TRUE(nav->isNavigationBarHidden() == false);
    // The reload after the pop fails at the transport: the old content stays.
    server.scriptNext("sdkhome/index", dropped());
    nav->popViewControllerAnimated(true);
    driver::advance(0.35);
    ASSERT_TRUE(runMainUntil([&] { return toast("服务器错误"); }));
    EXPECT_EQ(server.requests("sdkhome/index").size(), 2u);
    EXPECT_TRUE(nav->isNavigationBarHidden());
    EXPECT_EQ(text(page->nameL), "账号：player01");

    // A refusal shows its text; an undecodable or wrong-typed reply changes nothing and crashes nothing.
    server.scriptNext("sdkhome/index", reply(ns::Dictionary{{"a", 0}, {"b", "请稍后再试"}}));
    page->loadData();
    ASSERT_TRUE(runMainUntil([&] { return toast("请稍后再试"); }));
    server.scriptNext("sdkhome/index", raw(200, "not scrambled"));
    ASSERT_NO_FATAL_FAILURE(exchange("sdkhome/index", [&] { page->loadData(); }));
    auto wrong = reply(ns::Dictionary{{"a", "1"}, {"c", "text"}});
    server.scriptNext("sdkhome/index", wrong);
    ASSERT_NO_FATAL_FAILURE(exchange("sdkhome/index", [&] { page->loadData(); }));
    server.scriptNext("sdkhome/index", reply(ns::Dictionary{{"a", 1}, {"c", ns::Dictionary{{"uinfo", ns::Array{1, 2}}, {"coupon", 5}}}}));
    ASSERT_NO_FATAL_FAILURE(exchange("sdkhome/index", [&] { page->loadData(); }));
    EXPECT_TRUE(page->msgNumL.lock()->isHidden());
    EXPECT_EQ(text(page->nickL), "昵称");
    EXPECT_EQ(text(page->mobileL), "去绑定");
}

TEST_F(MineTest, CopyTellsSuccessOnlyAfterATenthOfASecondAndOnlyWithAnAccount) {
    // Before any data there is nothing to copy and no success to report.
    server.scriptNext("sdkhome/index", reply(ns::Dictionary{{"a", 0}, {"b", "x"}}));
    page = VXSuUserVC::instantiate();
    nav = ui::NavigationController::createWithRoot<VXNavigationController>(page);
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    ASSERT_TRUE(runMainUntil([&] { return toast("x"); }));
    page->doCopy();
    driver::advance(0.2);
    EXPECT_FALSE(toast("账号复制成功"));
    EXPECT_FALSE(ui::Pasteboard::generalPasteboard().string());

    page->loadData();
    ASSERT_TRUE(runMainUntil([&] { return page->dic().isDictionary(); }));
    driver::tap(driver::findButton(page->view(), "复制"));
    EXPECT_EQ(ui::Pasteboard::generalPasteboard().string(), std::optional<std::string>("player01"));
    driver::advance(0.05);
    EXPECT_FALSE(toast("账号复制成功"));
    driver::advance(0.06);
    EXPECT_TRUE(toast("账号复制成功"));
}

TEST_F(MineTest, SwitchesAutoLoginAndTheFloatingButton) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    auto autoLogin = page->autoLoginBtn.lock();
    driver::scrollToEnd(page->scrollView.lock());
    EXPECT_TRUE(autoLogin->isSelected());
    driver::tap(autoLogin);
    EXPECT_FALSE(autoLogin->isSelected());
    restart();
    EXPECT_TRUE(ShareVale::sharedInstance()->isNotAutoLogin()) << "stored at once";

    auto suspend = page->suspendStatusBtn.lock();
    ASSERT_TRUE(suspend->isSelected());
    driver::tap(suspend);
    auto alert = driver::presentedAlert(window);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), std::optional<std::string>("温馨提示"));
    EXPECT_EQ(alert->message(), std::optional<std::string>("确定关闭悬浮窗？关闭后需要重新启动游戏才能显示悬浮窗"));
    driver::tapAlertAction(alert, "取消");
    driver::advance(0.3);
    EXPECT_TRUE(suspend->isSelected());
    EXPECT_FALSE(ShareVale::sharedInstance()->isHideSuspend());

    driver::tap(suspend);
    driver::tapAlertAction(driver::presentedAlert(window), "确定");
    driver::advance(0.3);
    EXPECT_FALSE(suspend->isSelected());
    EXPECT_TRUE(ShareVale::sharedInstance()->isHideSuspend());
    // Turning it on again only selects it; the button stays hidden for this run.
    driver::tap(suspend);
    EXPECT_TRUE(suspend->isSelected());
    EXPECT_FALSE(driver::presentedAlert(window));
    EXPECT_TRUE(ShareVale::sharedInstance()->isHideSuspend());
}

TEST_F(MineTest, EntriesGuardsAndTheUnreadBadge) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    // Password change needs a bound phone.
    page->showForgetView();
    EXPECT_TRUE(toast("请先绑定手机号"));
    EXPECT_FALSE(page->coverView()->superview());

    auto buttons = page->btnsView.lock();
    // Tag 10: the box-app page.
    driver::tap(buttons->viewWithTag(10));
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(ui::Application::shared().openedURLs()[0]->absoluteString(), server.host() + "/cdcloud/welcome/box");
    ShareVale::sharedInstance()->setIosWapBoxUrl(ns::Value(""));
    driver::tap(buttons->viewWithTag(10));
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), 1u) << "no box address, nothing opens";

    // Tag 12: the chatbot page from the bundle's configuration.
    ASSERT_NO_FATAL_FAILURE(writeInfoPlist({{"VXChatbotSysNum", "sys42"}, {"VXChatbotSourceId", "src7"}}));
    driver::tap(buttons->viewWithTag(12));
    driver::advance(0.35);
    auto web = std::dynamic_pointer_cast<VXSuWebVC>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->name(), std::optional<std::string>("智能客服"));
    EXPECT_EQ(web->url(), std::optional<std::string>(server.host() + "/webchatbot/h5chat.html?sysNum=sys42&sourceId=src7&lang=zh_CN"));
    EXPECT_TRUE(web->isShowSuperVc());
    nav->popViewControllerAnimated(false);
    driver::advance(0.1);

    // The badge drops by one per read message and never below zero.
    ASSERT_TRUE(runMainUntil([&] { return text(page->msgNumL) == "3"; }));
    page->lowerUnreadBadge();
    EXPECT_EQ(text(page->msgNumL), "2");
    page->lowerUnreadBadge();
    page->lowerUnreadBadge();
    EXPECT_EQ(text(page->msgNumL), "0");
    EXPECT_TRUE(page->msgNumL.lock()->isHidden());
    page->lowerUnreadBadge();
    EXPECT_EQ(text(page->msgNumL), "0");
}

TEST_F(MineTest, RealNameAndPasswordPanelsOverTheCover) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("realname"));
    auto rz = page->rzView();
    ASSERT_TRUE(rz && rz->window());
    EXPECT_EQ(rz->superview(), page->coverView());
    EXPECT_EQ(rz->center(), (cg::Point{187.5, 333.5}));
    rz->showDetail();
    auto web = page->webView();
    ASSERT_TRUE(web->window());
    EXPECT_EQ(web->name(), std::optional<std::string>("防沉迷系统详情"));
    EXPECT_EQ(web->url(), std::optional<std::string>(server.host() + "/sdkapicoupon2/Agreement/Information2"));
    EXPECT_FALSE(web->isShowMore());
    web->goBack();
    // A verification through the panel: toast, row verified, panel and cover gone.
    driver::typeText(rz->nameF.lock(), "张三");
    driver::typeText(rz->codeF.lock(), "110101199001011234");
    rz->doCommit();
    ASSERT_TRUE(runMainUntil([&] { return toast("认证成功"); }));
    EXPECT_EQ(text(page->rzL), "已认证");
    EXPECT_FALSE(page->coverView()->superview());
    ASSERT_NO_FATAL_FAILURE(tapArea("realname"));
    EXPECT_FALSE(rz->window()) << "a verified account opens nothing";

    // The password panel once a phone is bound.
    page->setIsBang(true);
    ASSERT_NO_FATAL_FAILURE(tapArea("password"));
    ASSERT_TRUE(page->forgetView()->window());
    EXPECT_TRUE(page->forgetView()->isShowCover);
    page->forgetView()->doClose();
    EXPECT_FALSE(page->coverView()->superview());
}

TEST_F(MineTest, CouponAndBillEntriesPushTheirScreensWithTheKindSet) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    ASSERT_NO_FATAL_FAILURE(tapArea("coupon"));
    driver::advance(0.35);
    EXPECT_TRUE(std::dynamic_pointer_cast<VXSuCouponVC>(nav->topViewController()));
    nav->popViewControllerAnimated(false);
    driver::advance(0.1);
    for (auto [area, ptb, stars] : std::vector<std::tuple<std::string, bool, bool>>{
             {"ptb", true, false}, {"djq", false, false}, {"starcoin", false, true}}) {
        ASSERT_NO_FATAL_FAILURE(tapArea(area));
        driver::advance(0.35);
        auto bill = std::dynamic_pointer_cast<VXSuBillVC>(nav->topViewController());
        ASSERT_TRUE(bill) << area;
        EXPECT_EQ(bill->isPtb(), ptb) << area;
        EXPECT_EQ(bill->isStars(), stars) << area;
        nav->popViewControllerAnimated(false);
        driver::advance(0.1);
    }
    // The last reload is on its way: wait for the server to see it, then check nothing more came.
    EXPECT_TRUE(awaitRequests("sdkhome/index", 5)) << "every return reloads the page";
    settle();
    EXPECT_EQ(server.requests("sdkhome/index").size(), 5u);
}

TEST_F(MineTest, AReplyAfterThePageHasGoneChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    server.holdNext("sdkhome/index");
    page->loadData();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    ns::Weak<VXSuUserVC> weak = page;
    window->setRootViewController(ui::ViewController::create());
    nav = nullptr;
    page = nullptr;
    settle();
    EXPECT_TRUE(weak.expired());
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(awaitReplies());
    settle();
    EXPECT_FALSE(toast("服务器错误"));
}

TEST_F(MineTest, TheUnreadBadgeShowsFromOneMessage) {
    ASSERT_NO_FATAL_FAILURE(openMine());
    // Each reply names the player differently so the page is known to have taken it.
    struct Case { long long unread; bool shown; };
    for (const Case& c : {Case{1, true}, Case{0, false}, Case{2, true}}) {
        std::string nick = "玩家" + std::to_string(c.unread);
        server.scriptNext("sdkhome/index", reply(indexReply({{"nicename", nick}, {"weidu", c.unread}})));
        page->loadData();
        ASSERT_TRUE(runMainUntil([&] { return text(page->nickL) == nick; })) << c.unread;
        EXPECT_EQ(!page->msgNumL.lock()->isHidden(), c.shown) << c.unread;
        if (c.shown) {
            EXPECT_EQ(text(page->msgNumL), std::to_string(c.unread));
        }
    }
}

} // namespace
