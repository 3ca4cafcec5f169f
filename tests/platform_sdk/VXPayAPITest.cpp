// The payment operations end to end: the key table per column, transports, nil rules, and the
// reply readers (integer status for orders, the text "1" for queries, the free-order code).
#include "os/uikit/AdvertisingIdentifier.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXPayAPI.h"
#include "tests/platform_sdk/PlatformFixture.h"

using ns::Value;
using vx::test::Outcome;
using vx::test::codedFailure, vx::test::messageFailure, vx::test::modelSuccess;

namespace {

class PayAPI : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        writeChannelFile("ch5");
        ShareVale::sharedInstance()->setUserName("player01");
        ShareVale::sharedInstance()->setSubUserName("sub1");
        device = ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier();
    }
    template <class F> std::shared_ptr<Outcome> run(F send) {
        auto o = std::make_shared<Outcome>();
        send(o);
        await(o);
        EXPECT_EQ(o->calls, 1);
        return o;
    }
    vx::server::PlatformServer::Received last(const std::string& path) {
        auto seen = server.requests(path);
        return seen.empty() ? vx::server::PlatformServer::Received{} : seen.back();
    }
    std::string device;
};

// What each column of the key table sends for a fully filled call.
ns::Dictionary web(const char* type, const std::string& device) {
    return {{"z", type}, {"b", "6.32"}, {"c", "player01"}, {"h", device}, {"j", "app7"}, {"k", "ch5"},
            {"p", "6.66"}, {"xx", "0.95"}, {"cid", "101"}, {"d", "r1"}, {"e", "s1"}, {"f", "1001"},
            {"x", "N1"}, {"y", "desc"}, {"l", "name"}, {"n", "ext"}, {"tr", "sub1"}, {"os", "ios"}};
}
ns::Dictionary balance(const char* type, const std::string& device, bool discount) {
    ns::Dictionary d{{"z", type}, {"b", "64"}, {"c", device}, {"h", "s1"}, {"j", "1001"}, {"k", "name"}, {"p", "67"},
                     {"cid", "101"}, {"d", "app7"}, {"e", "ch5"}, {"f", "player01"}, {"x", "r1"}, {"y", "ext"},
                     {"l", "desc"}, {"tr", "sub1"}, {"os", "ios"}};
    if (discount) d.set("xx", "0.95");
    return d;
}

} // namespace

TEST_F(PayAPI, EveryOrderSendsItsColumnOfKeysByItsTransport) {
    using namespace VXPayAPI;
    struct Row { const char* path; bool plain; ns::Dictionary keys; std::function<void(const std::shared_ptr<Outcome>&)> send; };
    std::vector<Row> rows = {
        {"Wallet/wallet", false, {{"z", "qb"}, {"b", "10"}, {"c", "player01"}, {"h", device}, {"j", "1001"}, {"k", "ch5"}, {"os", "ios"}},
         [](auto o) { doBuyPtbByWalletWithMoney("10", modelSuccess(o), messageFailure(o)); }},
        {"Wxh5ptb/wxpay", false, {{"z", "wx"}, {"b", "10"}, {"c", "player01"}, {"h", device}, {"j", "1001"}, {"k", "ch5"}, {"os", "ios"}},
         [](auto o) { doBuyPtbByWxWithMoney("10", modelSuccess(o), messageFailure(o)); }},
        {"H5pay/pay", false, web("qb", device), [](auto o) {
             doH5PayWithMoney("6.66", "6.32", "101", "N1", "0.95", "qb", "r1", "s1", "name", "desc", "ext", modelSuccess(o), messageFailure(o));
         }},
        {"Walletappother/apppayios", true, web("qb", device), [](auto o) {
             doWalletAppPayWithMoney("6.66", "6.32", "101", "N1", "0.95", "r1", "s1", "name", "desc", "ext",
                                     "Walletappother/apppayios", modelSuccess(o), messageFailure(o));
         }},
        {"wxh5/h5pay", false, web("wx", device), [](auto o) {
             doWxPayWithMoney("6.66", "6.32", "101", "N1", "0.95", "r1", "s1", "name", "desc", "ext", "wxh5/h5pay",
                              modelSuccess(o), messageFailure(o));
         }},
        {"Ttbpaynew/ttbnew", false, balance("ptb", device, true), [](auto o) {
             doPtbPayWithMoney("67", "64", "101", "N1", "0.95", "r1", "s1", "name", "desc", "ext", modelSuccess(o), codedFailure(o));
         }},
        {"Ttbpaynew/djqpay", false, balance("djq", device, false), [](auto o) {
             doDjqPayWithMoney("67", "64", "101", "r1", "s1", "name", "desc", "ext", modelSuccess(o), codedFailure(o));
         }},
        {"Ttbpaynew/starcoinpay", false, balance("xb", device, false), [](auto o) {
             doStarsPayWithMoney("67", "64", "101", "r1", "s1", "name", "desc", "ext", modelSuccess(o), codedFailure(o));
         }},
    };
    for (const auto& row : rows) {
        run(row.send);
        auto seen = last(row.path);
        EXPECT_EQ(seen.scrambled, !row.plain) << row.path;
        EXPECT_EQ(seen.params, Value(row.keys)) << row.path << "\n" << seen.params.description();
    }

    // Orders leave nil values out; queries send "" for them.
    run([](auto o) {
        doH5PayWithMoney("6.66", "6.66", std::nullopt, "N2", "1.00", "wx", std::nullopt, "s1", "n", "d", "e",
                         modelSuccess(o), messageFailure(o));
    });
    EXPECT_FALSE(last("H5pay/pay").params.dictionaryPtr()->contains("d"));
    EXPECT_FALSE(last("H5pay/pay").params.dictionaryPtr()->contains("cid"));
    ShareVale::sharedInstance()->setUserName(std::nullopt);
    run([](auto o) { GetMyPtbMoneyWithsuccess(modelSuccess(o), messageFailure(o)); });
    EXPECT_EQ(last("Ttbpay/getTTB").params, Value(ns::Dictionary{{"z", "app7"}, {"b", ""}}));
}

TEST_F(PayAPI, RepliesFreeOrdersRefusalsAndTransportFailures) {
    using namespace VXPayAPI;
    auto h5 = [](auto o) {
        doH5PayWithMoney("6.66", "6.32", {}, "N1", "0.95", "qb", "r1", "s1", "n", "d", "e", modelSuccess(o), messageFailure(o));
    };
    server.scriptNext("H5pay/pay", reply(ns::Dictionary{{"z", "11"}, {"b", "免单"}}));
    auto free = run(h5);
    EXPECT_FALSE(free->success);
    EXPECT_EQ(free->message, Value("11"));
    for (Value status : {Value(1), Value("1")}) {
        server.scriptNext("H5pay/pay", reply(ns::Dictionary{{"z", status}, {"c", "http://pay/page"}}));
        auto paid = run(h5);
        ASSERT_TRUE(paid->success);
        EXPECT_EQ(std::dynamic_pointer_cast<NotifyServer>(paid->model)->url, Value("http://pay/page"));
    }
    server.scriptNext("Walletapp/apppayios", reply(ns::Dictionary{{"z", 11}}));
    auto wallet = run([](auto o) {
        doWalletAppPayWithMoney("1", "1", {}, "N", "1.00", {}, {}, {}, {}, {}, "Walletapp/apppayios", modelSuccess(o), messageFailure(o));
    });
    EXPECT_EQ(wallet->message, Value("11"));

    auto wx = [](auto o) {
        doWxPayWithMoney("1", "1", {}, "N", "1.00", {}, {}, {}, {}, {}, "wxh5/h5pay", modelSuccess(o), messageFailure(o));
    };
    server.scriptNext("wxh5/h5pay", reply(ns::Dictionary{{"code", "1"}, {"data", "http://wx/page"}, {"c", "no"}}));
    EXPECT_EQ(std::dynamic_pointer_cast<NotifyServer>(run(wx)->model)->url, Value("http://wx/page"));
    server.scriptNext("wxh5/h5pay", raw(200, "not a scrambled body"));
    EXPECT_EQ(run(wx)->message, Value("服务器错误"));

    auto coins = [](auto o) {
        doPtbPayWithMoney("67", "64", {}, "N", "0.95", {}, {}, {}, {}, {}, modelSuccess(o), codedFailure(o));
    };
    server.scriptNext("Ttbpaynew/ttbnew", reply(ns::Dictionary{{"z", "-2"}, {"c", "平台币余额不足"}}));
    auto refused = run(coins);
    EXPECT_EQ(refused->message, Value("平台币余额不足"));
    EXPECT_EQ(refused->code, Value("-2"));

    // Queries want the text "1": a number 1 is a refusal.
    server.scriptNext("Ttbpay/getTTB", reply(ns::Dictionary{{"z", 1}, {"b", "500"}, {"c", "数字状态"}}));
    auto query = run([](auto o) { GetMyPtbMoneyWithsuccess(modelSuccess(o), messageFailure(o)); });
    EXPECT_FALSE(query->success);
    EXPECT_EQ(query->message, Value("数字状态"));

    // The pay-way query answers "d" of the first wallet-H5 entry, and nothing without one.
    std::vector<std::string> ways;
    server.scriptNext("pay/getPayWayios", reply(ns::Dictionary{{"code", "1"}, {"data", ns::Array{ns::Dictionary{{"z", "3"}, {"d", "wx"}}, ns::Dictionary{{"z", 2}, {"d", "qb"}}}}}));
    server.scriptNext("pay/getPayWayios", reply(ns::Dictionary{{"code", "1"}, {"data", ns::Array{ns::Dictionary{{"z", "3"}}}}}));
    for (int i = 0; i < 2; ++i)
        ASSERT_NO_FATAL_FAILURE(exchange("pay/getPayWayios", [&] {
            GetPayWayssuccess([&](const Value& d) { ways.push_back(d.description()); }, [&](const Value&) { ways.push_back("fail"); });
        }));
    EXPECT_EQ(ways, std::vector<std::string>{"qb"});
    EXPECT_EQ(last("pay/getPayWayios").params, Value(ns::Dictionary{{"z", "app7"}, {"b", "1001"}, {"h", device}, {"os", "ios"}}));

    server.stop();
    auto down = run(coins);
    EXPECT_EQ(down->message, Value("服务器错误"));
    EXPECT_EQ(down->code, Value("501"));
    EXPECT_EQ(run([](auto o) { GetMyPtbMoneyWithsuccess(modelSuccess(o), messageFailure(o)); })->message,
              Value("无法连接服务器"));
}
