// The payment centre's roads end to end against the stand-in: requests, pages, the poll on the
// manual clock, the notice, the wallet app played through its return URL, coins and vouchers.
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXCouponsCell.h"
#include "platform_sdk/VXCouponsVC.h"
#include "server/WalletPlayer.h"
#include "tests/platform_sdk/PayCentreFixture.h"

namespace driver = ui::driver;
using ns::Value;

namespace {

class PayRoads : public vx::test::PayCentreTest {
protected:
    void SetUp() override {
        PayCentreTest::SetUp();
        vx::test::forwardReturnedURLs();
    }
    ns::Ref<VXWebPayVC> page() {
        auto nav = centre() ? centre()->navigationController() : nullptr;
        return nav ? std::dynamic_pointer_cast<VXWebPayVC>(nav->topViewController()) : nullptr;
    }
    VXPayNoticeViewRef notice() { return driver::find<VXPayNoticeView>(window); }
    size_t polls() { return server.requests("Pay/getUserSuccess").size(); }
    void pollTicks(int n) { // the poll's 2 s ticks, each reply handled
        for (int i = 0; i < n; ++i) { advance(2); settle(); }
    }
    ns::Ref<VXCouponsVC> voucherPicker() {
        return std::dynamic_pointer_cast<VXCouponsVC>(centre()->navigationController()->presentedViewController());
    }
    // Tap pay on an H5 style, confirm on the page (or not), come back to the app.
    void payOnPage(bool confirm, const std::string& path = "H5pay/pay") {
        ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, path, [&] { return page() != nullptr; }));
        advance(0.5);
        ASSERT_TRUE(page());
        if (confirm)
            pay([](vx::server::PayArea& p) { p.settle(p.orders.back().id); });
        driver::resignActive(), driver::becomeActive();
        driver::resignActive(), driver::becomeActive(); // a second return changes nothing
        settle();
    }
    void tapNotice(size_t index) {
        ASSERT_TRUE(notice());
        driver::tap(driver::findAll<ui::Button>(notice())[index]);
        advance(0.5);
    }
};

} // namespace

TEST_F(PayRoads, WalletH5PaidOnItsPageEndsInSuccessOnTheNotice) {
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(payOnPage(true));
    auto sent = server.requests("H5pay/pay").back().params;
    EXPECT_EQ(sent["p"], Value("6.66"));
    EXPECT_EQ(sent["b"], Value("6.32"));
    EXPECT_EQ(sent["xx"], Value("0.95"));
    EXPECT_EQ(sent["z"], Value("qb"));
    EXPECT_FALSE(sent.dictionaryPtr()->contains("cid"));
    advance(0.5);
    EXPECT_FALSE(page()); // popped by the centre
    ASSERT_TRUE(notice());
    EXPECT_TRUE(awaitRequests("Pay/getUserSuccess", 1));
    EXPECT_TRUE(runMainUntil([&] { return text(notice()->statusL) == "支付成功"; }));
    EXPECT_TRUE(centre()->payBtn.lock()->isEnabled());
    expectGolden("pay-notice-success");
    ASSERT_NO_FATAL_FAILURE(tapNotice(0));
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));
    EXPECT_FALSE(centre());
    EXPECT_FALSE(notice());
}

TEST_F(PayRoads, UnpaidPagePollsThirtyOneTimesThenFails) {
    ASSERT_NO_FATAL_FAILURE(open());
    driver::tap(centre()->wxIconBtn.lock());
    ASSERT_NO_FATAL_FAILURE(payOnPage(false));
    EXPECT_EQ(server.requests("H5pay/pay").back().params["z"], Value("wx"));
    EXPECT_EQ(text(notice()->statusL), "支付中...");
    pollTicks(30);
    EXPECT_TRUE(awaitRequests("Pay/getUserSuccess", 31));
    EXPECT_EQ(polls(), 31u);
    EXPECT_TRUE(centre()->timer());
    advance(2);
    EXPECT_FALSE(centre()->timer());
    advance(60);
    EXPECT_EQ(polls(), 31u);
    ASSERT_NO_FATAL_FAILURE(tapNotice(0));
    EXPECT_EQ(answers, (std::vector<std::string>{"fail(支付失败, 1, 6.66)"}));
}

TEST_F(PayRoads, ThePollAcceptsTextOrNumberOneAndStopsWhenTheCentreCloses) {
    ASSERT_NO_FATAL_FAILURE(open());
    server.script("Pay/getUserSuccess", reply(ns::Dictionary{{"z", 1}}));
    ASSERT_NO_FATAL_FAILURE(payOnPage(false));
    EXPECT_TRUE(runMainUntil([&] { return text(notice()->statusL) == "支付成功"; })); // a numeric 1 ends it as paid
    server.script("Pay/getUserSuccess", reply(ns::Dictionary{{"z", "0"}}));
    advance(4);
    EXPECT_EQ(polls(), 1u);
    EXPECT_EQ(text(notice()->statusL), "支付成功");
    ASSERT_NO_FATAL_FAILURE(tapNotice(1)); // the box button answers too, once
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));

    size_t earlier = polls();
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(payOnPage(false));
    ASSERT_TRUE(awaitRequests("Pay/getUserSuccess", earlier + 1));
    size_t before = polls();
    centre()->popAction(); // closed while polling
    advance(10);
    EXPECT_EQ(polls(), before);
}

TEST_F(PayRoads, ALastPollAnsweredAfterThePollEndedStillCountsButNotAfterClosing) {
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(payOnPage(false));
    pollTicks(29);
    ASSERT_TRUE(awaitRequests("Pay/getUserSuccess", 30));
    pay([](vx::server::PayArea& p) { p.settle(p.orders.back().id); });
    server.holdNext("Pay/getUserSuccess");
    advance(2); // the 31st request; its "1" is slow to come back
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    advance(2); // the poll ends meanwhile
    EXPECT_FALSE(centre()->timer());
    server.releaseHeld();
    EXPECT_TRUE(runMainUntil([&] { return text(notice()->statusL) == "支付成功"; }));
    ASSERT_NO_FATAL_FAILURE(tapNotice(0));
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));

    // The player leaves through the notice before the "1" comes: the game keeps its one answer.
    answers.clear();
    size_t earlier = polls();
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(payOnPage(false));
    // The poll's first request goes out at once: it must have been answered "not paid" before the
    // order is settled, or it would carry the "1" itself.
    ASSERT_TRUE(awaitRequests("Pay/getUserSuccess", earlier + 1));
    settle();
    pay([](vx::server::PayArea& p) { p.settle(p.orders.back().id); });
    server.holdNext("Pay/getUserSuccess");
    advance(2);
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    auto closing = centre();
    ASSERT_NO_FATAL_FAILURE(tapNotice(0));
    server.releaseHeld();
    settle();
    EXPECT_EQ(answers, (std::vector<std::string>{"fail(支付失败, 1, 6.66)"}));
    EXPECT_FALSE(notice());
    EXPECT_EQ(text(closing->noticeView()->statusL), "支付中...");
}

TEST_F(PayRoads, FreeAndRefusedWebOrders) {
    pay([](vx::server::PayArea& p) { p.freeRoads.insert("H5pay/pay"); });
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "H5pay/pay", [&] { return notice() != nullptr; }));
    EXPECT_EQ(text(notice()->statusL), "支付成功");
    EXPECT_EQ(polls(), 0u);
    ASSERT_NO_FATAL_FAILURE(tapNotice(0));
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));

    pay([](vx::server::PayArea& p) { p.freeRoads.clear(), p.refusedRoads["H5pay/pay"] = "订单创建失败"; });
    answers.clear();
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "H5pay/pay", [&] { return !answers.empty(); }));
    EXPECT_EQ(answers, (std::vector<std::string>{"fail(无法通知服务器, 3, 6.66)"}));
    EXPECT_TRUE(driver::findLabel(window, "订单创建失败"));
    EXPECT_TRUE(centre()); // stays open
    EXPECT_TRUE(centre()->payBtn.lock()->isEnabled());
}

TEST_F(PayRoads, WalletAppResultsComeBackThroughTheReturnURL) {
    pay([](vx::server::PayArea& p) { p.wallet("player01").payWays = {5, 2}; });
    struct { const char *status, *shown, *answer; } rows[] = {{"9000", "充值成功", "ok(充值成功, 6.66)"},
                {"6001", "取消充值", "fail(取消充值, 1, 6.66)"},
                {"4000", "充值失败", "fail(充值失败, 1, 6.66)"}};
    for (const auto& row : rows) {
        answers.clear();
        ASSERT_NO_FATAL_FAILURE(open());
        EXPECT_EQ(centre()->payStyle, 5u);
        size_t opened = ui::Application::shared().openedURLs().size();
        ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "Walletapp/apppayios",
                     [&] { return ui::Application::shared().openedURLs().size() > opened; }));
        auto handOff = vx::server::lastWalletHandOff();
        ASSERT_TRUE(handOff);
        EXPECT_EQ(handOff->returnScheme, "VorlixWalletScheme1001");
        EXPECT_FALSE(notice());
        vx::server::answerWallet(server, row.status);
        EXPECT_EQ(text(notice()->statusL), row.shown);
        EXPECT_EQ(polls(), 0u);
        ASSERT_NO_FATAL_FAILURE(tapNotice(0));
        EXPECT_EQ(answers, std::vector<std::string>{row.answer});
    }
    // A replayed return URL after the centre closed delivers nothing.
    size_t before = answers.size();
    driver::deliverOpenURL(vx::server::walletReturnURL("VorlixWalletScheme1001", "9000", ""));
    EXPECT_FALSE(notice());
    EXPECT_EQ(answers.size(), before);
}

TEST_F(PayRoads, CoinsVouchersAndStarCoins) {
    ASSERT_NO_FATAL_FAILURE(open());
    driver::tap(centre()->ptbIconBtn.lock());
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "Ttbpaynew/ttbnew", [&] { return !answers.empty(); }));
    auto sent = server.requests("Ttbpaynew/ttbnew").back().params;
    EXPECT_EQ(sent["p"], Value("67"));
    EXPECT_EQ(sent["b"], Value("64"));
    EXPECT_FALSE(sent.dictionaryPtr()->contains("x") && sent["x"] != Value("r1")); // the order number is not sent
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));
    advance(0.5);
    EXPECT_FALSE(centre());
    EXPECT_EQ(wallet().ttb, "436");

    wallet().ttb = "10";
    answers.clear();
    ASSERT_NO_FATAL_FAILURE(open());
    driver::tap(centre()->ptbIconBtn.lock());
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "Ttbpaynew/ttbnew", [&] { return !answers.empty(); }));
    EXPECT_EQ(answers, (std::vector<std::string>{"fail(平台币余额不足, -2, 6.66)"}));
    EXPECT_TRUE(centre()->payBtn.lock()->isEnabled());
    EXPECT_TRUE(driver::findLabel(window, "平台币余额不足"));

    // A voucher: "满6减2" on 6.66, then paid with voucher money.
    answers.clear();
    auto picked = [&] { return voucherPicker() && !voucherPicker()->dataSource().empty(); };
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->couponsBtn, "pay/getcoupons", picked));
    advance(0.5);
    ASSERT_TRUE(voucherPicker());
    expectGolden("voucher-picker");
    driver::tap(driver::cell<VXCouponsCell>(voucherPicker()->tableView, ui::IndexPath::forRow(1, 0))->btn.lock());
    advance(0.5);
    EXPECT_EQ(centre()->couponsBtn.lock()->titleForState(ui::ControlStateNormal), std::optional<std::string>("满5.5减1.5"));
    EXPECT_EQ(text(centre()->realMoneyL), "49平台币"); // (6.66 - 1.5) × 0.95 = 4.902, cut to 4.90
    // A second choice starts again from the amount.
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->couponsBtn, "pay/getcoupons", picked));
    advance(0.5);
    driver::tap(driver::cell<VXCouponsCell>(voucherPicker()->tableView, ui::IndexPath::forRow(0, 0))->btn.lock());
    advance(0.5);
    auto c = centre();
    EXPECT_EQ(c->couponsBtn.lock()->titleForState(ui::ControlStateNormal), std::optional<std::string>("满6减2"));
    EXPECT_EQ(text(c->realMoneyL), "45平台币");
    driver::scrollToEnd(c->scrollView.lock());
    driver::tap(c->djqIconBtn.lock());
    EXPECT_EQ(text(c->realMoneyL), "4.66元");
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(c->payBtn, "Ttbpaynew/djqpay", [&] { return !answers.empty(); }));
    sent = server.requests("Ttbpaynew/djqpay").back().params;
    EXPECT_EQ(sent["b"], Value("4.66"));
    EXPECT_EQ(sent["cid"], Value("101"));
    EXPECT_FALSE(sent.dictionaryPtr()->contains("xx"));
    EXPECT_EQ(answers, (std::vector<std::string>{"ok(支付成功, 6.66)"}));
    advance(0.5);

    // The next order starts without the voucher.
    ASSERT_NO_FATAL_FAILURE(open());
    driver::scrollToEnd(centre()->scrollView.lock());
    driver::tap(centre()->xinIconBtn.lock());
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(centre()->payBtn, "Ttbpaynew/starcoinpay", [&] { return answers.size() == 2; }));
    EXPECT_FALSE(server.requests("Ttbpaynew/starcoinpay").back().params.dictionaryPtr()->contains("cid"));
    EXPECT_EQ(wallet().xingbi, "5.84");
}

TEST_F(PayRoads, AVoucherWorthMoreThanTheOrderBringsEveryPriceToZero) {
    pay([](vx::server::PayArea& p) {
        vx::server::PayArea::Voucher big;
        big.cid = 104, big.name = "大额券", big.payMoney = "10", big.couponMoney = "15";
        p.wallet("player01").vouchers.push_back(big);
    });
    ASSERT_NO_FATAL_FAILURE(open("10.00"));
    auto c = centre();
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(c->couponsBtn, "pay/getcoupons", [&] { return voucherPicker() && voucherPicker()->dataSource().size() == 4; }));
    advance(0.5);
    driver::tap(driver::cell<VXCouponsCell>(voucherPicker()->tableView, ui::IndexPath::forRow(3, 0))->btn.lock());
    advance(0.5);
    EXPECT_EQ(text(c->realMoneyL), "0元"); // not (10 - 15) × 0.95
    driver::tap(c->ptbIconBtn.lock());
    EXPECT_EQ(text(c->realMoneyL), "0平台币");
    driver::scrollToEnd(c->scrollView.lock());
    driver::tap(c->djqIconBtn.lock());
    EXPECT_EQ(text(c->realMoneyL), "0元");
}

// The wallet's H5 page as the player reads it on both phones: the order's product and amount, and
// the confirm link tapped on the page.
TEST_F(PayRoads, TheH5PageShowsTheOrderAndItsConfirmLinkIsTapped) {
    for (bool notch : {false, true}) {
        SCOPED_TRACE(notch ? "notch" : "plain");
        if (notch) driver::useProfile(ui::DeviceProfile::notchPortrait());
        open();
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Fetch);
        tapAndSettle(centre()->payBtn, "H5pay/pay", [&] { return page() != nullptr; });
        advance(0.5);
        ASSERT_TRUE(page());
        auto web = page()->webView();
        ASSERT_TRUE(runMainUntil([&] { return web->page() && !web->isLoading(); }));
        ui::WebView::setDefaultLoadMode(ui::WebView::LoadMode::Manual);
        EXPECT_NE(web->page()->text().find("钻石×60"), std::string::npos);
        EXPECT_NE(web->page()->text().find("6.32元"), std::string::npos);
        expectGolden(notch ? "pay-h5-page-notch" : "pay-h5-page");

        driver::tapLink(web, "确认支付");
        ASSERT_TRUE(runMainUntil([&] { return web->page() && !web->isLoading() && web->page()->title() == "支付完成"; }));
        driver::resignActive(), driver::becomeActive();
        settle();
        advance(0.5);
        EXPECT_FALSE(page()) << "back in the app, the centre closed the page";
        EXPECT_TRUE(awaitRequests("Pay/getUserSuccess", 1));
        EXPECT_TRUE(runMainUntil([&] { return text(notice()->statusL) == "支付成功"; })) << "paid on the page";
        tapNotice(0);
        answers.clear();
    }
    driver::useProfile(ui::DeviceProfile::plainPhone());
}
