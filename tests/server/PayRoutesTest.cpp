// The payment model through the real codec: orders, balances, vouchers, the poll and the pay pages.
#include "server/PayArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

class PayRoutes : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        ASSERT_TRUE(signIn("u1"));
    }
    std::string page(const std::string& url, const httplib::Headers& headers = {}) {
        return fetchBody(url.substr(url.find("/sdkapicoupon2/")), headers);
    }
    Value h5(const std::string& user) {
        return call("H5pay/pay", ns::Dictionary{{"z", "qb"}, {"c", user}, {"p", "6.66"}, {"b", "6.32"}, {"l", "钻石"}});
    }
};

} // namespace

TEST_F(PayRoutes, PayWaysVouchersAndBalancesPerAccount) {
    Value ways = call("pay/getPayWayios", ns::Dictionary{{"zz", "u1"}, {"z", "app"}, {"b", "g"}, {"bb", "c"}, {"os", "ios"}});
    EXPECT_EQ(ways["code"], Value("1"));
    ASSERT_EQ(ways["data"].count(), 7u);
    EXPECT_EQ(ways["data"][0]["z"], Value("2"));
    EXPECT_EQ(ways["ttb"], Value("500"));
    EXPECT_EQ(ways["discount"], Value("0.95"));
    // The API's own key set (no user) is answered for the session's player.
    EXPECT_EQ(call("pay/getPayWayios", ns::Dictionary{{"z", "app"}, {"b", "g"}, {"h", "dev"}, {"os", "ios"}})["code"],
              Value("1"));

    Value coupons = call("pay/getcoupons", ns::Dictionary{{"z", "u1"}, {"mm", "6.66"}});
    ASSERT_EQ(coupons["data"].count(), 3u);
    EXPECT_TRUE(coupons["data"][0]["cid"].isInteger());
    EXPECT_EQ(coupons["data"][0]["av"], Value("1"));
    EXPECT_EQ(coupons["data"][2]["av"], Value("0")); // 满20: not for 6.66
    EXPECT_EQ(coupons["data"][2]["gid"], Value("7"));
}

TEST_F(PayRoutes, CoinPayDeductsOrRefusesWithTheBalanceUnchanged) {
    server.withState([](PlatformServer::State& s) { vx::server::payArea(s).wallet("u1").ttb = "60"; });
    Value refused = call("Ttbpaynew/ttbnew", ns::Dictionary{{"z", "ptb"}, {"f", "u1"}, {"p", "67"}, {"b", "64"}});
    EXPECT_EQ(refused["z"], Value("-2"));
    EXPECT_EQ(refused["c"], Value("平台币余额不足"));
    Value paid = call("Ttbpaynew/djqpay", ns::Dictionary{{"z", "djq"}, {"f", "u1"}, {"p", "6.66"}, {"b", "4.66"}, {"cid", "101"}});
    EXPECT_EQ(paid["z"], Value("1"));
    server.withState([](PlatformServer::State& s) {
        auto& pay = vx::server::payArea(s);
        EXPECT_EQ(pay.wallet("u1").ttb, "60");
        EXPECT_EQ(pay.wallet("u1").djq, "25.34");
        EXPECT_TRUE(pay.wallet("u1").vouchers[0].used);
        ASSERT_EQ(pay.ledger.size(), 1u);
        EXPECT_EQ(pay.ledger[0].balance, "djq");
        EXPECT_EQ(pay.ledger[0].amount, "4.66");
    });
}

TEST_F(PayRoutes, PollAnswersForTheLatestWebOrderOnly) {
    EXPECT_EQ(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["z"], Value("0"));
    std::string first = h5("u1")["c"].stringValue().value_or("");
    std::string done = page(first);
    ASSERT_NE(done.find("确认支付"), std::string::npos);
    std::string confirm = done.substr(done.find("http://"), done.find("\">确认支付") - done.find("http://"));
    for (size_t at; (at = confirm.find("&amp;")) != std::string::npos;) confirm.replace(at, 5, "&"); // as in the HTML
    EXPECT_NE(page(confirm).find("支付完成"), std::string::npos);
    EXPECT_EQ(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["z"], Value("1"));
    h5("u1"); // a new, unpaid order
    EXPECT_EQ(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["z"], Value("0"));
}

TEST_F(PayRoutes, SwitchesWalletOrdersAndThePagesReferer) {
    server.withState([](PlatformServer::State& s) { vx::server::payArea(s).freeRoads.insert("H5pay/pay"); });
    EXPECT_EQ(h5("u1")["z"], Value("11"));
    Value wallet = form("Walletapp/apppayios", "z=qb&c=u1&p=6.66&b=6.32");
    ASSERT_EQ(wallet["z"], Value("1"));
    std::string sign = wallet["c"].stringValue().value_or("");
    server.withState([&](PlatformServer::State& s) {
        auto& pay = vx::server::payArea(s);
        ASSERT_NE(pay.orderBySign(sign), nullptr);
        EXPECT_TRUE(pay.settle(pay.orderBySign(sign)->id));
        EXPECT_FALSE(pay.settle(pay.orderBySign(sign)->id)); // once
    });
    Value wx = call("wxh5/h5pay", ns::Dictionary{{"z", "wx"}, {"c", "u1"}, {"p", "6.66"}, {"l", "钻石"}});
    std::string url = wx["data"].stringValue().value_or("");
    EXPECT_NE(url.find("钻石&note=pay now"), std::string::npos); // raw: the client escapes it
    std::string ref = url.substr(url.find("order="));
    std::string escaped = "/sdkapicoupon2/paypage/wx?" + ref.substr(0, ref.find("&name=")) + "&name=%E9%92%BB%E7%9F%B3";
    std::string fromApp = page(escaped, {{"Referer", "127.0.0.1://"}});
    EXPECT_NE(fromApp.find("钻石"), std::string::npos);
    EXPECT_NE(fromApp.find("paypage/confirm?order="), std::string::npos);
    for (std::string elsewhere : {page(escaped), page(escaped, {{"Referer", "127.0.0.2://"}})}) {
        EXPECT_NE(elsewhere.find("商家参数格式有误"), std::string::npos);
        EXPECT_EQ(elsewhere.find("paypage/confirm"), std::string::npos) << "nothing to confirm without the app's Referer";
    }
    EXPECT_EQ(call("Wallet/wallet", ns::Dictionary{{"z", "qb"}, {"c", "u1"}, {"b", "0"}})["z"], Value("0"));
}
