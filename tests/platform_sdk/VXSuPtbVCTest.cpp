// The platform-coin top-up driven by the player: amounts, the two roads and the balance refresh.
#include "os/uikit/Driver.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXSuPtbVC.h"
#include "server/WalletPlayer.h"
#include "tests/platform_sdk/PayCentreFixture.h"

namespace driver = ui::driver;
using ns::Value;

namespace {

class TopUp : public vx::test::PayCentreTest {
protected:
    void SetUp() override {
        PayCentreTest::SetUp();
        vx::test::forwardReturnedURLs();
        screen = VXSuPtbVC::create();
        screen->dataDic = ns::Dictionary{{"money", "500"}};
        screen->doRefreshBlock = [this](const Value& b) { refreshed.push_back(b.description()); };
        nav = ui::NavigationController::createWithRoot<VXNavigationController>(screen);
        window->setRootViewController(nav);
        drainMain();
        ASSERT_TRUE(awaitRequests("Ttbpay/getTTB"));
        ASSERT_TRUE(runMainUntil([&] { return !refreshed.empty(); }));
    }
    void TearDown() override {
        screen = nullptr, nav = nullptr;
        PayCentreTest::TearDown();
    }
    ui::ButtonRef price(long tag) { return std::dynamic_pointer_cast<ui::Button>(screen->priceView.lock()->viewWithTag(tag)); }
    std::function<bool()> hudGone() {
        return [this] { return !VXProgressHUD::HUDForView(screen->view()); };
    }
    ui::ButtonRef payButton() { return driver::findButton(window, "立即充值"); }
    std::string sentMoney(const char* path) {
        auto seen = server.requests(path);
        return seen.empty() ? "(none)" : seen.back().params["b"].description();
    }
    ns::Ref<VXSuPtbVC> screen;
    ns::Ref<ui::NavigationController> nav;
    std::vector<std::string> refreshed;
};

} // namespace

TEST_F(TopUp, TypedAmountsAreReadAsFloatWithOneDecimal) {
    EXPECT_EQ(screen->ptbL.lock()->text(), std::optional<std::string>("500"));
    EXPECT_EQ(refreshed, std::vector<std::string>{"500"}); // the first refresh
    expectGolden("top-up");
    struct { const char *typed, *paid; } rows[] = {{"12.34", "12.3"}, {"5.", "5.0"}, {"1.2.3", "1.2"}, {"0.45", "0.4"}, {"0.15", "0.2"}};
    for (const auto& row : rows) {
        driver::typeText(screen->priceF.lock(), row.typed);
        EXPECT_FALSE(screen->priceBtn.lock());
        ASSERT_NO_FATAL_FAILURE(tapAndSettle(payButton(), "Wallet/wallet", hudGone()));
        EXPECT_EQ(sentMoney("Wallet/wallet"), row.paid) << row.typed;
        screen->priceF.lock()->setText(std::string());
        advance(0.5);
    }
    size_t before = server.requests("Wallet/wallet").size();
    for (const char* bad : {"", "a1"}) {
        driver::typeText(screen->priceF.lock(), bad);
        driver::tap(payButton());
        screen->priceF.lock()->setText(std::string());
    }
    EXPECT_EQ(server.requests("Wallet/wallet").size(), before);
    EXPECT_TRUE(driver::findLabel(window, "请输入有效金额"));

    driver::typeText(screen->priceF.lock(), "77");
    driver::tap(price(12));
    EXPECT_EQ(screen->priceF.lock()->text(), "");
    EXPECT_EQ(screen->money, std::optional<std::string>("50"));
    driver::typeText(screen->priceF.lock(), "8");
    driver::tap(price(12)); // the chosen one again: only the field empties
    EXPECT_EQ(screen->priceF.lock()->text(), "");
    EXPECT_EQ(screen->money, std::optional<std::string>("50"));
}

TEST_F(TopUp, WalletResultsToastAndRefreshOnSuccessOnly) {
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(payButton(), "Wallet/wallet", hudGone()));
    EXPECT_EQ(sentMoney("Wallet/wallet"), "10");
    ASSERT_TRUE(vx::server::lastWalletHandOff());
    size_t checks = server.requests("Ttbpay/getTTB").size();
    vx::server::answerWallet(server, "9000");
    EXPECT_TRUE(driver::findLabel(window, "充值成功"));
    ASSERT_TRUE(awaitRequests("Ttbpay/getTTB", checks + 1));
    EXPECT_TRUE(runMainUntil([&] { return screen->ptbL.lock()->text() == std::optional<std::string>("600"); }));

    advance(3);
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(payButton(), "Wallet/wallet", hudGone()));
    vx::server::answerWallet(server, "6001");
    EXPECT_TRUE(driver::findLabel(window, "取消充值"));
    settle();
    EXPECT_EQ(server.requests("Ttbpay/getTTB").size(), checks + 1);
}

TEST_F(TopUp, WeChatReturnsPopThePageOnceAndRefresh) {
    auto wxButton = driver::find<ui::Button>(screen->wxView.lock());
    driver::tap(wxButton);
    EXPECT_EQ(screen->nowBtn.lock(), wxButton);
    ASSERT_NO_FATAL_FAILURE(tapAndSettle(payButton(), "Wxh5ptb/wxpay", hudGone()));
    advance(0.5);
    auto page = std::dynamic_pointer_cast<VXWebPayVC>(nav->topViewController());
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->isGFWXH5);
    size_t checks = server.requests("Ttbpay/getTTB").size();
    driver::resignActive(), driver::becomeActive();
    driver::resignActive(), driver::becomeActive(); // before the pop animation ends
    advance(0.5);
    EXPECT_EQ(nav->topViewController(), screen);
    ASSERT_TRUE(awaitRequests("Ttbpay/getTTB", checks + 1));
    EXPECT_TRUE(runMainUntil([&] { return refreshed.size() == 2; }));
    EXPECT_EQ(refreshed.back(), "500");
}
