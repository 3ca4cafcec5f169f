// Opening the payment centre and its pay ways: labels, rows, the first style, failures, refusals.
#include "tests/platform_sdk/PayCentreFixture.h"

namespace driver = ui::driver;
using ns::Value;

namespace {
using PayWays = vx::test::PayCentreTest;
}

TEST_F(PayWays, OpensWithThePriceDiscountBalancesAndTheFirstStyle) {
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    ASSERT_TRUE(c);
    auto sent = server.requests("pay/getPayWayios").back().params;
    EXPECT_EQ(sent, Value(ns::Dictionary{{"zz", "player01"}, {"z", "app7"}, {"b", "1001"}, {"bb", "agent9"}, {"os", "ios"}}));
    EXPECT_EQ(text(c->realMoneyL), "6.32元");
    EXPECT_EQ(text(c->discountL), "（9.5折）");
    EXPECT_EQ(text(c->moneyL), "6.66元");
    EXPECT_EQ(text(c->remainPtbL), "（余额:500平台币）");
    EXPECT_EQ(text(c->remainDjqL), "（余额:30.00元）");
    EXPECT_EQ(text(c->remainXinL), "（余额:12.50元）");
    EXPECT_EQ(c->payStyle, 2u);
    EXPECT_TRUE(c->walletIconBtn.lock()->isSelected());
    EXPECT_FALSE(CXRHelperBtn::shared()->superview() && !CXRHelperBtn::shared()->isHidden());
    expectGolden("pay-centre-wallet-h5");

    driver::tap(c->ptbIconBtn.lock());
    EXPECT_EQ(text(c->realMoneyL), "64平台币");
    EXPECT_FALSE(c->walletIconBtn.lock()->isSelected());
    driver::tap(c->djqIconBtn.lock());
    EXPECT_EQ(text(c->realMoneyL), "6.66元");
    EXPECT_EQ(text(c->discountL), "");

    // A second purchase while this centre is open is refused at once and changes nothing.
    long refused = 0;
    VorlixSDK::loadToPayVCWithroleid("r2", "99.00", "s2", "x", "y", "cp-2", nullptr,
                                     [&](const ns::Value&, long code, const ns::Value&) { refused = code; });
    EXPECT_EQ(refused, 602);
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(VXNewPayVC::order().amount, std::optional<std::string>("6.66"));
}

TEST_F(PayWays, ListsDecideRowsStyleAndTheWalletRoad) {
    pay([](vx::server::PayArea& p) { p.wallet("player01").payWays = {31, 32, 2}; });
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    EXPECT_EQ(c->payStyle, 5u);
    EXPECT_TRUE(c->isWalletTwo);
    EXPECT_TRUE(c->isWxpayTwo);
    EXPECT_EQ(c->ptbViewH.lock()->constant(), 0);
    EXPECT_EQ(c->walletViewH.lock()->constant(), 56);
    EXPECT_EQ(c->GFWalletViewH.lock()->constant(), 56);
    EXPECT_TRUE(c->ptbIconBtn.lock()->superview()->isHidden());
    driver::tap(c->payBtn.lock());
    EXPECT_TRUE(awaitRequests("Walletappother/apppayios"));
    c->popAction();
    advance(0.5);

    // With both ids the later entry decides the road.
    for (bool otherLast : {false, true}) {
        pay([&](vx::server::PayArea& p) { p.wallet("player01").payWays = otherLast ? std::vector<long>{5, 31} : std::vector<long>{31, 5}; });
        ASSERT_NO_FATAL_FAILURE(open());
        EXPECT_EQ(centre()->payStyle, 5u);
        EXPECT_EQ(centre()->isWalletTwo, otherLast);
        centre()->popAction();
        advance(0.5);
    }
}

TEST_F(PayWays, EmptyListCollapsesEverythingAndPaysNothing) {
    pay([](vx::server::PayArea& p) {
        p.wallet("player01").payWays = {};
        p.wallet("player01").discount = "0";
    });
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    EXPECT_EQ(c->payStyle, 0u);
    for (auto h : {c->walletViewH, c->GFWalletViewH, c->wxViewH, c->GFWxViewH, c->ptbViewH, c->djqViewH, c->xinViewH})
        EXPECT_EQ(h.lock()->constant(), 0);
    EXPECT_EQ(text(c->discountL), "（10.0折）");
    size_t before = server.requests().size();
    driver::tap(c->payBtn.lock());
    settle();
    EXPECT_EQ(server.requests().size(), before);
    EXPECT_TRUE(c->payBtn.lock()->isEnabled());
}

TEST_F(PayWays, RefusalsAndFailuresOfThePayWayRequest) {
    pay([](vx::server::PayArea& p) { p.payWayCode = 0, p.payWayMessage = "暂不可用"; });
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_EQ(centre()->payStyle, 0u);
    EXPECT_TRUE(driver::findLabel(window, "暂不可用"));
    centre()->popAction();
    advance(0.5);

    server.script("pay/getPayWayios", dropped());
    ASSERT_NO_FATAL_FAILURE(open());
    auto c = centre();
    EXPECT_EQ(c->payStyle, 2u);
    EXPECT_EQ(c->ptbViewH.lock()->constant(), 56);
    c->popAction();
    advance(0.5);
    EXPECT_TRUE(answers.empty()); // back answers the game nothing

    ASSERT_NO_FATAL_FAILURE(open("abc", false));
    EXPECT_FALSE(centre());
    EXPECT_TRUE(driver::findLabel(window, "金额格式异常"));
    EXPECT_EQ(answers, std::vector<std::string>{"fail(金额格式异常, 604, abc)"}); // and the game hears it
}

// The list starts under the navigation bar and the pay button sits above the bottom edge: 64 and
// 12 on a plain phone, 88 and above the home indicator on one with a notch, in portrait.
TEST_F(PayWays, InPortraitTheListClearsTheBarAndThePayButtonTheHomeIndicator) {
    struct Case {
        ui::DeviceProfile profile;
        double listTop, payBottom;
    };
    for (const Case& k : {Case{ui::DeviceProfile::plainPhone(), 64, 667 - 12},
                          Case{ui::DeviceProfile::notchPortrait(), 88, 812 - 34 - 12}}) {
        driver::useProfile(k.profile);
        ASSERT_NO_FATAL_FAILURE(open());
        auto c = centre();
        ASSERT_TRUE(c);
        c->view()->layoutIfNeeded();
        auto scroll = c->scrollView.lock();
        EXPECT_EQ(scroll->frame().origin.y, k.listTop);
        EXPECT_EQ(cg::RectGetMaxY(scroll->frame()), cg::RectGetMaxY(c->view()->bounds()) - 64 - (k.listTop == 88 ? 34 : 0));
        EXPECT_EQ(cg::RectGetMaxY(c->payBtn.lock()->frame()), k.payBottom);
        c->popAction();
        advance(0.5);
    }
}
