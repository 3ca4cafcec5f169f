// The payment centre and the coin top-up as a player meets them: every request, sent by the
// player's taps while the server answers with each fault (the toast, the game's answer, the pay
// button, what stays); then the roads' buttons and notices, the voucher picker, the labels per
// style, and closing the centre.
#include "platform_sdk/VXCouponsVC.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXSuPtbVC.h"
#include "tests/platform_sdk/PayCentreFixture.h"
#include "tests/platform_sdk/ReplyFaults.h"

namespace {

namespace driver = ui::driver;
using ns::Value;
using vx::test::Fault;
using vx::test::toasts;

class PaymentRoad : public vx::test::PayCentreTest {
public:
    void SetUp() override {
        PayCentreTest::SetUp();
        vx::test::forwardReturnedURLs();
    }
    void TearDown() override {
        fresh();
        PayCentreTest::TearDown();
    }
    void fresh() {
        if (auto notice = driver::find<VXPayNoticeView>(window)) notice->superview()->removeFromSuperview();
        for (int i = 0; i < 2 && centre(); ++i) centre()->popAction(), advance(0.5);
        if (topUp) window->setRootViewController(game), topUp = nullptr;
        advance(3); // toasts fade
        server.clearScripts();
        server.clearRequests();
        answers.clear();
    }
    void untilAnswered(const std::string& path) {
        ASSERT_TRUE(awaitRequests(path)) << path;
        EXPECT_TRUE(runMainUntil(vx::test::transportsIdle));
        settle();
    }
    std::string joinedAnswers() {
        std::string all;
        for (const auto& a : answers) all += (all.empty() ? "" : " ") + a;
        return all.empty() ? "-" : all;
    }
    // Opens the centre, chooses the road's button, pays, and tells what the player and game see.
    std::string payBy(ns::Weak<ui::Button> VXNewPayVC::*road, const std::string& path) {
        open();
        auto c = centre();
        if (::testing::Test::HasFatalFailure() || !c) return "(the pay centre did not open)";
        if (auto b = (c.get()->*road).lock(); b != c->selectedIconBtn.lock()) {
            if (!driver::canTap(b)) driver::scrollToEnd(c->scrollView.lock());
            driver::tap(b);
        }
        driver::tap(c->payBtn.lock());
        untilAnswered(path);
        advance(0.5);
        return orderOutcome(c);
    }
    std::string orderOutcome(const ns::Ref<VXNewPayVC>& c) {
        std::string shown = toasts(c->view()) + " " + joinedAnswers() + (c->payBtn.lock()->isEnabled() ? " on" : " off");
        auto nav = c->navigationController();
        if (nav && nav->topViewController() != c) shown += " page";
        if (auto notice = driver::find<VXPayNoticeView>(window)) shown += " notice " + text(notice->statusL);
        if (!centre()) shown += " closed";
        return shown;
    }

    std::string payWays(Fault) {
        open();
        auto c = centre();
        if (::testing::Test::HasFatalFailure() || !c) return "(the pay centre did not open)";
        int rows = 0;
        for (auto h : {c->walletViewH, c->GFWalletViewH, c->wxViewH, c->GFWxViewH, c->ptbViewH, c->djqViewH, c->xinViewH})
            rows += h.lock()->constant() > 0;
        return toasts(c->view()) + " style " + std::to_string(c->payStyle) + " rows " + std::to_string(rows) + " " +
               text(c->remainPtbL) + " " + text(c->discountL);
    }
    std::string walletH5(Fault) { return payBy(&VXNewPayVC::walletIconBtn, "H5pay/pay"); }
    std::string wechatH5(Fault) { return payBy(&VXNewPayVC::wxIconBtn, "H5pay/pay"); }
    std::string walletApp(Fault) { return payBy(&VXNewPayVC::GFWalletIconBtn, "Walletapp/apppayios"); }
    std::string officialWeChat(Fault) { return payBy(&VXNewPayVC::GFWxIconBtn, "wxh5/h5pay"); }
    std::string coins(Fault) { return payBy(&VXNewPayVC::ptbIconBtn, "Ttbpaynew/ttbnew"); }
    std::string vouchers(Fault) { return payBy(&VXNewPayVC::djqIconBtn, "Ttbpaynew/djqpay"); }
    std::string starCoins(Fault) { return payBy(&VXNewPayVC::xinIconBtn, "Ttbpaynew/starcoinpay"); }
    std::string poll(Fault) {
        open();
        auto c = centre();
        if (::testing::Test::HasFatalFailure() || !c) return "(the pay centre did not open)";
        driver::tap(c->payBtn.lock());
        EXPECT_TRUE(awaitRequests("H5pay/pay"));
        EXPECT_TRUE(runMainUntil([&] { return c->navigationController()->topViewController() != c; }));
        advance(0.5);
        driver::resignActive(), driver::becomeActive(); // back from the page
        untilAnswered("Pay/getUserSuccess");
        std::string shown = orderOutcome(c) + (c->timer() ? " polling" : "");
        c->pause();
        return shown;
    }
    std::string voucherList(Fault) {
        open();
        auto c = centre();
        if (::testing::Test::HasFatalFailure() || !c) return "(the pay centre did not open)";
        driver::tap(c->couponsBtn.lock());
        untilAnswered("pay/getcoupons");
        advance(0.5);
        auto picker = std::dynamic_pointer_cast<VXCouponsVC>(c->navigationController()->presentedViewController());
        EXPECT_TRUE(picker);
        if (!picker) return "no picker";
        std::string shown = std::to_string(driver::rowCount(picker->tableView, 0)) + " rows " + toasts(picker->view());
        driver::tap(driver::findButton(picker->view(), "取消"));
        advance(0.5);
        return shown + " " + text(c->realMoneyL);
    }

    // --- the coin top-up ---
    ns::Ref<VXSuPtbVC> openTopUp() {
        topUp = VXSuPtbVC::create();
        topUp->dataDic = ns::Dictionary{{"money", "500"}};
        window->setRootViewController(ui::NavigationController::createWithRoot<VXNavigationController>(topUp));
        drainMain();
        untilAnswered("Ttbpay/getTTB");
        return topUp;
    }
    std::string topUpOrder(bool wechat, const std::string& path) {
        auto screen = openTopUp();
        if (wechat) driver::tap(driver::find<ui::Button>(screen->wxView.lock()));
        driver::tap(driver::findButton(window, "立即充值"));
        untilAnswered(path);
        advance(0.5);
        auto nav = screen->navigationController();
        EXPECT_FALSE(VXProgressHUD::HUDForView(screen->view()));
        return toasts(window) + " " + text(screen->ptbL) + (nav->topViewController() != screen ? " page" : "");
    }
    std::string topUpWallet(Fault) { return topUpOrder(false, "Wallet/wallet"); }
    std::string topUpWeChat(Fault) { return topUpOrder(true, "Wxh5ptb/wxpay"); }
    std::string coinBalance(Fault) { return toasts(window) + " " + text(openTopUp()->ptbL); }

protected:
    ns::Ref<VXSuPtbVC> topUp;
};

using Row = vx::test::FaultRow<PaymentRoad>;
using F = PaymentRoad;
using D = ns::Dictionary;
using A = ns::Array;

// Shown: the toast ("-" for none), the game's answers, the pay button, and what else is up.
const std::vector<Row>& centreRows() {
    static const std::vector<Row> table = {
        {"pay ways", "pay/getPayWayios", D{{"code", 0}, {"msg", "暂不可用"}},
         D{{"code", "1"}, {"data", D{{"z", 2}}}, {"ttb", "很多"}, {"discount", A{0.5}}}, D{{"code", 1}, {"ttb", 5}},
         &F::payWays,
         {"- style 2 rows 7 （余额:0平台币） （10.0折）", "- style 0 rows 7 （余额:0平台币） （10.0折）",
          "- style 0 rows 7 （余额:0平台币） （10.0折）", "暂不可用 style 0 rows 7 （余额:0平台币） （10.0折）",
          "- style 0 rows 0 （余额:0平台币） （10.0折）", "- style 0 rows 7 （余额:0平台币） （10.0折）",
          "- style 0 rows 7 （余额:0平台币） （10.0折）", "- style 0 rows 0 （余额:5平台币） （10.0折）"}},
        {"wallet H5 order", "H5pay/pay", D{{"z", 0}, {"b", "订单创建失败"}}, D{{"z", "1"}, {"c", A{"http://x"}}, {"b", 5}}, {},
         &F::walletH5,
         {"服务器错误 fail(无法通知服务器, 3, 6.66) on", "- fail(无法通知服务器, 3, 6.66) on", "- fail(无法通知服务器, 3, 6.66) on",
          "订单创建失败 fail(无法通知服务器, 3, 6.66) on", "- - off page", "- fail(无法通知服务器, 3, 6.66) on",
          "- fail(无法通知服务器, 3, 6.66) on"}},
        {"WeChat H5 order", "H5pay/pay", D{{"z", 0}, {"b", "订单创建失败"}}, D{{"z", "11"}, {"b", D{}}}, {}, &F::wechatH5,
         {"服务器错误 fail(无法通知服务器, 3, 6.66) on", "- fail(无法通知服务器, 3, 6.66) on", "- fail(无法通知服务器, 3, 6.66) on",
          "订单创建失败 fail(无法通知服务器, 3, 6.66) on", "- - on notice 支付成功", "- fail(无法通知服务器, 3, 6.66) on",
          "- fail(无法通知服务器, 3, 6.66) on"}},
        {"wallet-app order", "Walletapp/apppayios", D{{"z", 0}, {"b", "钱包维护中"}}, D{{"z", "1"}, {"c", D{}}}, {},
         &F::walletApp,
         {"服务器错误 fail(无法通知服务器, 3, 6.66) on", "服务器错误 fail(无法通知服务器, 3, 6.66) on", "服务器错误 fail(无法通知服务器, 3, 6.66) on",
          "钱包维护中 fail(无法通知服务器, 3, 6.66) on", "- - off", "- fail(无法通知服务器, 3, 6.66) on", "- fail(无法通知服务器, 3, 6.66) on"}},
        {"official WeChat order", "wxh5/h5pay", D{{"code", 0}, {"msg", "微信维护中"}}, D{{"code", "1"}, {"data", 7}}, {},
         &F::officialWeChat,
         {"服务器错误 fail(无法通知服务器, 3, 6.66) on", "服务器错误 fail(无法通知服务器, 3, 6.66) on", "服务器错误 fail(无法通知服务器, 3, 6.66) on",
          "微信维护中 fail(无法通知服务器, 3, 6.66) on", "- - off page", "- fail(无法通知服务器, 3, 6.66) on",
          "服务器错误 fail(无法通知服务器, 3, 6.66) on"}},
        {"coin order", "Ttbpaynew/ttbnew", D{{"z", -2}, {"c", "平台币余额不足"}}, D{{"z", "-2"}, {"c", 7}}, {}, &F::coins,
         {"服务器错误 fail(服务器错误, 501, 6.66) on", "- fail((null), 0, 6.66) on", "- fail((null), 0, 6.66) on",
          "平台币余额不足 fail(平台币余额不足, -2, 6.66) on", "7 fail(7, -2, 6.66) on", "- fail((null), 0, 6.66) on",
          "- fail((null), 0, 6.66) on"}},
        {"voucher order", "Ttbpaynew/djqpay", D{{"z", -2}, {"c", "代金券余额不足"}}, D{{"z", A{1}}, {"c", 5}}, {}, &F::vouchers,
         {"服务器错误 fail(服务器错误, 501, 6.66) on", "- fail((null), 0, 6.66) on", "- fail((null), 0, 6.66) on",
          "代金券余额不足 fail(代金券余额不足, -2, 6.66) on", "5 fail(5, 0, 6.66) on", "- fail((null), 0, 6.66) on",
          "- fail((null), 0, 6.66) on"}},
        {"star-coin order", "Ttbpaynew/starcoinpay", D{{"z", -2}, {"c", "星币余额不足"}}, D{{"z", Value::null()}, {"c", "星币不足"}}, {},
         &F::starCoins,
         {"服务器错误 fail(服务器错误, 501, 6.66) on", "- fail((null), 0, 6.66) on", "- fail((null), 0, 6.66) on",
          "星币余额不足 fail(星币余额不足, -2, 6.66) on", "星币不足 fail(星币不足, 0, 6.66) on", "- fail((null), 0, 6.66) on",
          "- fail((null), 0, 6.66) on"}},
        {"result poll", "Pay/getUserSuccess", D{{"z", 0}}, D{{"z", A{"1"}}}, {}, &F::poll,
         {"- - on notice 支付中... polling", "- - on notice 支付中... polling", "- - on notice 支付中... polling",
          "- - on notice 支付中... polling", "- - on notice 支付中... polling", "- - on notice 支付中... polling",
          "- - on notice 支付中... polling"}},
        {"voucher list", "pay/getcoupons", D{{"code", 0}, {"msg", "暂无代金券"}, {"data", A{D{{"cid", 1}}}}},
         D{{"code", "1"}, {"data", D{{"cid", 1}}}},
         D{{"code", 1}, {"msg", "ok"}}, &F::voucherList, {"0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元", "0 rows - 6.32元"}},
    };
    return table;
}

const std::vector<Row>& topUpRows() {
    static const std::vector<Row> table = {
        {"top-up wallet order", "Wallet/wallet", D{{"z", 0}, {"b", "充值通道关闭"}}, D{{"z", "1"}, {"c", A{}}}, {},
         &F::topUpWallet, {"服务器错误 500", "- 500", "- 500", "充值通道关闭 500", "- 500", "- 500", "- 500"}},
        {"top-up WeChat order", "Wxh5ptb/wxpay", D{{"z", 0}, {"b", "充值通道关闭"}}, D{{"z", "1"}, {"c", D{}}}, {},
         &F::topUpWeChat, {"服务器错误 500", "- 500", "- 500", "充值通道关闭 500", "- 500 page", "- 500", "- 500"}},
        {"coin balance", "Ttbpay/getTTB", D{{"z", 0}, {"b", "0"}}, D{{"z", "1"}, {"b", 600}}, {}, &F::coinBalance,
         {"- 500", "- 500", "- 500", "- 500", "- 600", "- 500", "- 500"}},
    };
    return table;
}

} // namespace

TEST_F(PaymentRoad, EveryRequestOfThePaymentCentreUnderEveryFault) {
    vx::test::runFaultTable<PaymentRoad>(*this, server, centreRows());
}

TEST_F(PaymentRoad, EveryRequestOfTheTopUpUnderEveryFault) {
    vx::test::runFaultTable<PaymentRoad>(*this, server, topUpRows());
}

TEST_F(PaymentRoad, WalletAppAndOfficialWeChatOrdersAnsweredElevenEndPaid) {
    for (auto [road, path] : {std::pair{&VXNewPayVC::GFWalletIconBtn, "Walletapp/apppayios"},
                              std::pair{&VXNewPayVC::GFWxIconBtn, "wxh5/h5pay"}}) {
        fresh();
        pay([free = std::string(path)](vx::server::PayArea& p) { p.freeRoads = {free}; });
        EXPECT_EQ(payBy(road, path), "- - on notice 支付成功") << path;
        auto notice = driver::find<VXPayNoticeView>(window);
        ASSERT_TRUE(notice) << path;
        driver::tap(driver::findAll<ui::Button>(notice)[0]);
        advance(0.5);
        EXPECT_EQ(joinedAnswers(), "ok(支付成功, 6.66)") << path;
        EXPECT_FALSE(centre());
    }
}

TEST_F(PaymentRoad, AListStartingWith32PaysByTheAlternativeOfficialWeChatRoad) {
    pay([](vx::server::PayArea& p) { p.wallet("player01").payWays = {32, 2}; });
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    EXPECT_EQ(c->payStyle, 6u);
    EXPECT_TRUE(c->GFWxIconBtn.lock()->isSelected());
    driver::tap(c->payBtn.lock());
    ASSERT_NO_FATAL_FAILURE(untilAnswered("Wxh5other/h5pay"));
    EXPECT_TRUE(server.requests("wxh5/h5pay").empty());
    advance(0.5);
    EXPECT_EQ(orderOutcome(c), "- - off page");
}

TEST_F(PaymentRoad, ThePayButtonIsOffWhileARoadIsOut) {
    for (auto [road, path] : {std::pair{&VXNewPayVC::walletIconBtn, "H5pay/pay"}, {&VXNewPayVC::wxIconBtn, "H5pay/pay"},
                              {&VXNewPayVC::ptbIconBtn, "Ttbpaynew/ttbnew"}, {&VXNewPayVC::djqIconBtn, "Ttbpaynew/djqpay"},
                              {&VXNewPayVC::GFWalletIconBtn, "Walletapp/apppayios"},
                              {&VXNewPayVC::GFWxIconBtn, "wxh5/h5pay"}, {&VXNewPayVC::xinIconBtn, "Ttbpaynew/starcoinpay"}}) {
        fresh();
        server.script(path, dropped());
        server.holdNext(path);
        ASSERT_NO_FATAL_FAILURE(open());
        auto c = centre();
        ASSERT_TRUE(c);
        if (auto b = (c.get()->*road).lock(); b != c->selectedIconBtn.lock()) {
            if (!driver::canTap(b)) driver::scrollToEnd(c->scrollView.lock());
            driver::tap(b);
        }
        auto payButton = c->payBtn.lock();
        driver::tap(payButton);
        ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; })) << path;
        EXPECT_FALSE(payButton->isEnabled()) << path;
        EXPECT_FALSE(driver::canTap(payButton)) << path;
        server.releaseHeld();
        ASSERT_NO_FATAL_FAILURE(untilAnswered(path));
        EXPECT_TRUE(payButton->isEnabled()) << path << ": on again after the failure";
    }
}

TEST_F(PaymentRoad, TheNoticesBoxButtonOpensTheBoxPageAndAnswersOnce) {
    ASSERT_TRUE(ShareVale::sharedInstance()->iosWapBoxUrl().stringValue());
    pay([](vx::server::PayArea& p) { p.freeRoads = {"H5pay/pay"}; });
    EXPECT_EQ(payBy(&VXNewPayVC::walletIconBtn, "H5pay/pay"), "- - on notice 支付成功");
    size_t opened = ui::Application::shared().openedURLs().size();
    auto notice = driver::find<VXPayNoticeView>(window);
    ASSERT_TRUE(notice);
    driver::tap(driver::findAll<ui::Button>(notice)[1]);
    advance(0.5);
    ASSERT_EQ(ui::Application::shared().openedURLs().size(), opened + 1);
    EXPECT_EQ(ui::Application::shared().openedURLs().back()->absoluteString(), server.host() + "/cdcloud/welcome/box");
    EXPECT_EQ(joinedAnswers(), "ok(支付成功, 6.66)");
    EXPECT_FALSE(driver::find<VXPayNoticeView>(window));
    EXPECT_FALSE(centre());
}

TEST_F(PaymentRoad, TheVoucherPickerClosesByCancelAndByTheBoxLinkChoosingNothing) {
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    auto picker = [&] { return std::dynamic_pointer_cast<VXCouponsVC>(c->navigationController()->presentedViewController()); };
    for (const char* button : {"取消", "去游戏盒子领取更多代金券"}) {
        size_t opened = ui::Application::shared().openedURLs().size();
        driver::tap(c->couponsBtn.lock());
        ASSERT_NO_FATAL_FAILURE(untilAnswered("pay/getcoupons"));
        advance(0.5);
        ASSERT_TRUE(picker());
        EXPECT_EQ(driver::rowCount(picker()->tableView, 0), 3);
        driver::tap(driver::findButton(picker()->view(), button));
        advance(0.5);
        EXPECT_FALSE(picker()) << button;
        EXPECT_EQ(ui::Application::shared().openedURLs().size(), opened + (std::string(button) == "取消" ? 0 : 1)) << button;
        EXPECT_EQ(text(c->realMoneyL), "6.32元") << button;
        EXPECT_FALSE(VXNewPayVC::order().couponId) << button;
        server.clearRequests();
    }
    EXPECT_EQ(ui::Application::shared().openedURLs().back()->absoluteString(), server.host() + "/cdcloud/welcome/box");
}

TEST_F(PaymentRoad, ClosingTheCentreBringsTheFloatingButtonBackUnlessTheGameHidIt) {
    for (bool hidden : {false, true}) {
        fresh();
        ShareVale::sharedInstance()->setIsHideSuspend(hidden);
        ASSERT_NO_FATAL_FAILURE(open());
        EXPECT_TRUE(CXRHelperBtn::shared()->isHidden());
        driver::tap(driver::find<ui::Button>(centre()->navigationItem()->leftBarButtonItem()->customView())); // back
        advance(0.5);
        EXPECT_FALSE(centre());
        EXPECT_EQ(CXRHelperBtn::shared()->isHidden(), hidden);
        EXPECT_EQ(joinedAnswers(), "-") << "closing answers the game nothing";
    }
}

TEST_F(PaymentRoad, ThePriceAndDiscountLabelsFollowTheStyle) {
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    struct { ns::Weak<ui::Button> VXNewPayVC::*button; const char *price, *discount; } styles[] = {
        {&VXNewPayVC::wxIconBtn, "6.32元", "（9.5折）"},      {&VXNewPayVC::ptbIconBtn, "64平台币", "（9.5折）"},
        {&VXNewPayVC::djqIconBtn, "6.66元", ""},             {&VXNewPayVC::GFWalletIconBtn, "6.32元", "（9.5折）"},
        {&VXNewPayVC::xinIconBtn, "6.66元", ""},             {&VXNewPayVC::GFWxIconBtn, "6.32元", "（9.5折）"},
        {&VXNewPayVC::walletIconBtn, "6.32元", "（9.5折）"}};
    for (const auto& style : styles) {
        auto b = (c.get()->*style.button).lock();
        if (!driver::canTap(b)) driver::scrollToEnd(c->scrollView.lock());
        driver::tap(b);
        EXPECT_EQ(text(c->realMoneyL), style.price) << c->payStyle;
        EXPECT_EQ(text(c->discountL), style.discount) << c->payStyle;
    }
}
