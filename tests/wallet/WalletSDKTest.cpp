// The wallet hand-off and the processing of its return URL.
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Application.h"
#include "tests/support/Environment.h"
#include "wallet/WalletSDK.h"

using ns::Value;

namespace {

class Wallet : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ui::Application::shared().setInstalledSchemes({"http", "https", WalletSDK::WalletAppScheme});
    }
    // The URL the wallet app sends back: the result as a percent-encoded JSON object.
    static ns::Ref<ns::URL> resultURL(const Value& result, const std::string& host = "safepay") {
        std::string json = ns::JSONSerialization::write(result)->toString();
        std::string query = ns::str::addingPercentEncoding(json, ns::CharacterSet::characters("abcdefghijklmnopqrstuvwxyz0123456789"));
        return ns::URL::fromString("VorlixWalletScheme1001://" + host + "/?" + query);
    }
    // Starts a payment of the type with an own callback (or none) and hands a result back with a standby.
    std::string deliver(bool urlPay, bool own, bool standby) {
        std::string got = "nobody";
        auto wallet = WalletSDK::defaultService();
        WalletSDK::CompletionBlock mine = own ? [&](const ns::Dictionary&) { got = "own"; } : WalletSDK::CompletionBlock();
        EXPECT_TRUE(urlPay ? wallet->payUrlOrder("http://pay/1", "VorlixWalletScheme1001", mine)
                           : wallet->payOrder("order", "VorlixWalletScheme1001", mine));
        WalletSDK::CompletionBlock other = standby ? [&](const ns::Dictionary&) { got = "standby"; } : WalletSDK::CompletionBlock();
        EXPECT_TRUE(wallet->processOrderWithPaymentResult(resultURL(ns::Dictionary{{"resultStatus", "9000"}}), other));
        EXPECT_EQ(wallet->pendingPayType(), "");
        return got;
    }
};

} // namespace

TEST_F(Wallet, PayOrderOpensTheWalletApp) {
    auto wallet = WalletSDK::defaultService();
    ASSERT_TRUE(wallet->payOrder("a=1&sign=x/y+z", "VorlixWalletScheme1001", nullptr));
    EXPECT_EQ(wallet->pendingPayType(), "pay");
    auto opened = ui::Application::shared().openedURLs();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0]->absoluteString().rfind("vxwallet://walletclient/?", 0), 0u);
    Value payload = ns::JSONSerialization::parse(ns::Data::fromString(opened[0]->percentDecodedQuery().value_or("")));
    EXPECT_EQ(payload, Value(ns::Dictionary{
                           {"type", "pay"}, {"order", "a=1&sign=x/y+z"}, {"returnScheme", "VorlixWalletScheme1001"}}));

    // Without the wallet app nothing more is opened, and the new payment leaves nothing pending.
    ui::Application::shared().setInstalledSchemes({});
    EXPECT_FALSE(wallet->payUrlOrder("http://pay/1", "VorlixWalletScheme1001", nullptr));
    EXPECT_EQ(wallet->pendingPayType(), "");
    EXPECT_EQ(ui::Application::shared().openedURLs().size(), 1u);
}

TEST_F(Wallet, ResultsReachOneCallbackOnlyWhilePending) {
    auto wallet = WalletSDK::defaultService();
    int calls = 0;
    auto count = [&](const ns::Dictionary&) { ++calls; };
    auto ok = resultURL(ns::Dictionary{{"resultStatus", "9000"}, {"memo", "done"}, {"result", "r"}});
    // Nothing pending: nothing happens.
    EXPECT_FALSE(wallet->processOrderWithPaymentResult(ok, count));

    ns::Dictionary got;
    ASSERT_TRUE(wallet->payOrder("order", "VorlixWalletScheme1001", nullptr));
    // Another host, or a query that is not a JSON object: not a result, the payment stays pending.
    EXPECT_FALSE(wallet->processOrderWithPaymentResult(resultURL(ns::Dictionary{{"resultStatus", "9000"}}, "other"), count));
    EXPECT_FALSE(wallet->processOrderWithPaymentResult(ns::URL::fromString("VorlixWalletScheme1001://safepay/?9000"), count));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(wallet->pendingPayType(), "pay");
    // The three fields as text; unknown keys dropped; absent ones left out.
    EXPECT_TRUE(wallet->processOrderWithPaymentResult(
        resultURL(ns::Dictionary{{"resultStatus", 6001}, {"memo", "用户取消"}, {"extra", 1}}),
        [&](const ns::Dictionary& d) { got = d; }));
    EXPECT_EQ(Value(got), Value(ns::Dictionary{{"resultStatus", "6001"}, {"memo", "用户取消"}}));
    // Delivered once: the payment is over.
    EXPECT_FALSE(wallet->processOrderWithPaymentResult(ok, count));
    EXPECT_EQ(calls, 0);
}

TEST_F(Wallet, StandbyCallbackPrecedence) {
    // A wallet payment: the standby wins whenever it is given.
    EXPECT_EQ(deliver(false, true, true), "standby");
    EXPECT_EQ(deliver(false, true, false), "own");
    EXPECT_EQ(deliver(false, false, true), "standby");
    // A URL payment keeps its own callback; the standby only stands in for a missing one.
    EXPECT_EQ(deliver(true, true, true), "own");
    EXPECT_EQ(deliver(true, false, true), "standby");
    EXPECT_EQ(deliver(true, false, false), "nobody");
}
