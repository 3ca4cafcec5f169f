// The payment model's rules at their edges, over HTTP: balances exactly enough or one cent short,
// amounts at zero and below, voucher minimums, orders settled twice, unknown or another's orders,
// vouchers held by unpaid orders.
#include "os/foundation/Clock.h"
#include "os/foundation/Decimal.h"
#include "server/PayArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

std::string str(const Value& v) { return v.stringValue().value_or("<none>"); }

class PayBoundaries : public ServerTest {
protected:
    struct Balances {
        std::string ttb, djq, xingbi;
        size_t ledger = 0, orders = 0;
        std::string usedVouchers;
        bool operator==(const Balances&) const = default;
    };
    Balances balances(const std::string& user) {
        Balances b;
        server.withState([&](PlatformServer::State& s) {
            auto& pay = vx::server::payArea(s);
            auto& w = pay.wallet(user);
            std::string used;
            for (const auto& v : w.vouchers) used += v.used ? std::to_string(v.cid) + " " : "";
            b = {w.ttb, w.djq, w.xingbi, pay.ledger.size(), pay.orders.size(), used};
        });
        return b;
    }
    // The player's own vouchers: 101 used, 102 from 5.5, 103 from 20 for game 7; "other" holds 201.
    void seedVouchers(const std::string& user) {
        server.withState([&](PlatformServer::State& s) {
            auto& pay = vx::server::payArea(s);
            auto& w = pay.wallet(user);
            w.ttb = w.djq = w.xingbi = "1000";
            w.vouchers[0].used = true;
            auto& other = pay.wallet("other");
            if (other.vouchers.back().cid == 201) return;
            other.vouchers.push_back(other.vouchers[0]);
            other.vouchers.back().cid = 201;
        });
    }
    struct VoucherCase {
        const char* what;
        const char* cid;
        const char* yuan;
        const char* game;
        const char* refusal;
    };
    static constexpr VoucherCase unusableVouchers[] = {
        {"used", "101", "10", "3", "代金券已使用"},
        {"below its minimum", "102", "5.4", "3", "未达到代金券使用金额"},
        {"amount not a number", "102", "x", "3", "未达到代金券使用金额"},
        {"another game's", "103", "20", "3", "该代金券不能用于本游戏"},
        {"bound to a game, none named", "103", "20", "", "该代金券不能用于本游戏"},
        {"unknown", "999", "10", "3", "代金券不存在"},
        {"another player's", "201", "10", "3", "代金券不存在"},
    };
    std::string get(const std::string& pathAndQuery) { return fetchBody(PlatformServer::BasePath + pathAndQuery); }
    // "order=N&key=K" of a pay page's address: what names the order to its pages.
    static std::string orderOf(const std::string& url) {
        std::string from = url.substr(url.find("order="));
        return from.substr(0, from.find('&', from.find("key=")));
    }
    std::string keyOf(long id) {
        std::string key;
        server.withState([&](PlatformServer::State& s) { key = vx::server::payArea(s).order(id)->pageKey; });
        return key;
    }
    struct OrderRoad {
        const char* path;
        const char *status, *message;
        bool plain; // sent as a form, not scrambled
    };
    static constexpr OrderRoad orderRoads[] = {{"H5pay/pay", "z", "b", false},
                                               {"wxh5/h5pay", "code", "msg", false},
                                               {"Wxh5other/h5pay", "code", "msg", false},
                                               {"Walletapp/apppayios", "z", "b", true},
                                               {"Walletappother/apppayios", "z", "b", true}};
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(PayBoundaries, BalancePaysTakeExactlyEnoughAndRefuseOneCentShort) {
    struct Road {
        const char* path;
        std::string Balances::*balance;
        const char* shortage;
    };
    const Road roads[] = {{"Ttbpaynew/ttbnew", &Balances::ttb, "平台币余额不足"},
                          {"Ttbpaynew/djqpay", &Balances::djq, "代金券余额不足"},
                          {"Ttbpaynew/starcoinpay", &Balances::xingbi, "星币余额不足"}};
    for (const auto& road : roads) {
        SCOPED_TRACE(road.path);
        std::string user = std::string("u-") + road.path;
        ASSERT_TRUE(signIn(user));
        server.withState([&](PlatformServer::State& s) {
            auto& w = vx::server::payArea(s).wallet(user);
            w.ttb = "7.25", w.djq = "7.25", w.xingbi = "7.25";
        });
        auto pay = [&](const std::string& amount) {
            return call(road.path, ns::Dictionary{{"f", user}, {"p", amount}, {"b", amount}, {"k", "钻石"}});
        };
        Balances before = balances(user);

        // Refusals leave every balance, the orders and the ledger as they were.
        const std::pair<const char*, std::pair<const char*, const char*>> refusals[] = {
            {"7.26", {"-2", road.shortage}}, {"-1", {"-3", "金额错误"}}, {"-0.01", {"-3", "金额错误"}}, {"abc", {"-3", "金额错误"}}};
        for (const auto& [amount, answer] : refusals) {
            Value r = pay(amount);
            EXPECT_EQ(str(r["z"]), answer.first) << amount;
            EXPECT_EQ(str(r["c"]), answer.second) << amount;
            EXPECT_EQ(balances(user), before) << amount;
        }
        // Only the session's own player pays.
        for (const char* name : {"", "u1"}) {
            Value other = call(road.path, ns::Dictionary{{"f", name}, {"b", "1"}});
            EXPECT_EQ(str(other["z"]), "-1") << name;
            EXPECT_EQ(str(other["c"]), "请先登录") << name;
        }
        EXPECT_EQ(balances(user), before);

        // Nothing to take (a voucher covered it all) settles and leaves the balance.
        EXPECT_EQ(str(pay("0")["z"]), "1");
        EXPECT_EQ(balances(user).*road.balance, "7.25");

        Value paid = pay("7.25");
        EXPECT_EQ(str(paid["z"]), "1");
        EXPECT_EQ(str(paid["c"]), "支付成功");
        Balances after = balances(user);
        EXPECT_EQ(after.*road.balance, "0");
        for (auto other : {&Balances::ttb, &Balances::djq, &Balances::xingbi}) {
            if (other == road.balance) continue;
            EXPECT_EQ(after.*other, "7.25");
        }
        EXPECT_EQ(after.orders, before.orders + 2);
        EXPECT_EQ(after.ledger, before.ledger + 2);
        server.withState([&](PlatformServer::State& s) {
            auto& pay = vx::server::payArea(s);
            EXPECT_EQ(pay.ledger.back().amount, "7.25");
            EXPECT_FALSE(pay.ledger.back().gained);
            EXPECT_EQ(std::to_string(pay.ledger.back().orderId), str(paid["b"]));
            EXPECT_TRUE(pay.order(pay.ledger.back().orderId)->paid);
        });
        EXPECT_EQ(str(pay("0.01")["z"]), "-2");
    }
}

TEST_F(PayBoundaries, OrderRoadsRefuseAmountsAtZeroAndBelow) {
    ASSERT_TRUE(signIn("u1"));
    for (const auto& road : orderRoads) {
        SCOPED_TRACE(road.path);
        auto order = [&](const std::string& user, const std::string& amount) {
            if (road.plain) return formFields(road.path, {{"z", "qb"}, {"c", user}, {"p", amount}, {"b", amount}});
            return call(road.path, ns::Dictionary{{"z", "qb"}, {"c", user}, {"p", amount}, {"b", amount}});
        };
        size_t orders = balances("u1").orders;
        for (const char* amount : {"0", "0.00", "-6", "", "x"}) {
            Value r = order("u1", amount);
            EXPECT_EQ(str(r[road.status]), "0") << amount;
            EXPECT_EQ(str(r[road.message]), "金额错误") << amount;
        }
        EXPECT_EQ(str(order("", "1")[road.message]), "请先登录");
        EXPECT_EQ(str(order("u2", "1")[road.message]), "请先登录");
        EXPECT_EQ(balances("u1").orders, orders);
        EXPECT_EQ(str(order("u1", "0.01")[road.status]), "1");
        EXPECT_EQ(balances("u1").orders, orders + 1);
    }
}

TEST_F(PayBoundaries, TopUpsCreditTenCoinsAYuanOnceAndOnlyTheirAccount) {
    ASSERT_TRUE(signIn("u1"));
    for (const char* amount : {"0", "-10", "abc"}) {
        Value r = call("Wxh5ptb/wxpay", ns::Dictionary{{"z", "wx"}, {"c", "u1"}, {"b", amount}});
        EXPECT_EQ(str(r["z"]), "0") << amount;
        EXPECT_EQ(str(r["b"]), "充值金额必须大于0") << amount;
    }
    EXPECT_EQ(balances("u1").orders, 0u);

    Value order = call("Wxh5ptb/wxpay", ns::Dictionary{{"z", "wx"}, {"c", "u1"}, {"b", "0.5"}});
    ASSERT_EQ(str(order["z"]), "1");
    std::string url = str(order["c"]);
    std::string ref = orderOf(url), id = url.substr(url.find("order=") + 6, 4);
    EXPECT_EQ(balances("u2").ttb, "500");
    // The order's number alone, or with a made-up key, opens nothing and pays nothing.
    for (std::string guess : {"paypage/confirm?order=" + id, "paypage/wx?order=" + id, "paypage/confirm?order=" + id + "&key=",
                              "paypage/confirm?order=" + id + "&key=0123456789abcdef0123456789abcdef"})
        EXPECT_TRUE(has(get(guess), "订单不存在")) << guess;
    EXPECT_EQ(str(call("Ttbpay/getTTB", ns::Dictionary{{"b", "u1"}})["b"]), "500");
    EXPECT_TRUE(has(get("paypage/confirm?" + ref), "支付完成"));
    EXPECT_TRUE(has(get("paypage/confirm?" + ref), "支付完成")); // a second confirm credits nothing more
    EXPECT_EQ(str(call("Ttbpay/getTTB", ns::Dictionary{{"b", "u1"}})["b"]), "505");
    EXPECT_EQ(balances("u2").ttb, "500");
    server.withState([&](PlatformServer::State& s) {
        auto& pay = vx::server::payArea(s);
        ASSERT_EQ(pay.ledger.size(), 1u);
        EXPECT_TRUE(pay.ledger[0].gained);
        EXPECT_EQ(pay.ledger[0].amount, "5");
        EXPECT_FALSE(pay.settle(999999));
    });

    // Unknown order ids get the not-found page and change nothing.
    for (const char* q : {"paypage/confirm?order=999999", "paypage/h5?order=0", "paypage/wx?order=abc", "paypage/confirm"})
        EXPECT_TRUE(has(get(q), "订单不存在")) << q;
    EXPECT_EQ(balances("u1").ttb, "505");
}

TEST_F(PayBoundaries, PollAndRecordsAnswerOnlyForTheirOwnAccount) {
    ASSERT_TRUE(signIn("u1"));
    Value order = call("H5pay/pay", ns::Dictionary{{"z", "qb"}, {"c", "u1"}, {"p", "6"}, {"b", "6"}});
    std::string url = str(order["c"]);
    get("paypage/confirm?" + orderOf(url));
    EXPECT_EQ(str(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["z"]), "1");
    // A coin pay is no web order: the poll still answers for the web order.
    call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "u1"}, {"b", "1"}});
    EXPECT_EQ(str(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["z"]), "1");
    EXPECT_EQ(call("pay/payRecords", ns::Dictionary{{"z", "u1"}})["data"].count(), 2u);

    ASSERT_TRUE(signIn("u2"));
    Value other = call("Pay/getUserSuccess", ns::Dictionary{{"z", "u2"}});
    EXPECT_EQ(str(other["z"]), "0");
    EXPECT_EQ(str(other["b"]), "没有订单");
    EXPECT_EQ(call("pay/payRecords", ns::Dictionary{{"z", "u2"}})["data"].count(), 0u);
    call("H5pay/pay", ns::Dictionary{{"z", "qb"}, {"c", "u2"}, {"p", "6"}, {"b", "6"}}); // unpaid: not a record
    EXPECT_EQ(call("pay/payRecords", ns::Dictionary{{"z", "u2"}})["data"].count(), 0u);
    // u1's poll and records are u1's session's alone.
    EXPECT_EQ(str(call("Pay/getUserSuccess", ns::Dictionary{{"z", "u1"}})["b"]), "请先登录");
    EXPECT_EQ(str(call("pay/payRecords", ns::Dictionary{{"z", "u1"}})["msg"]), "请先登录");
}

TEST_F(PayBoundaries, VouchersAreUsableFromTheirMinimumAndGoOnceUsed) {
    ASSERT_TRUE(signIn("u1"));
    auto usable = [&](const std::string& mm, const std::string& game = "7") {
        std::vector<std::string> out;
        Value list = call("pay/getcoupons", ns::Dictionary{{"z", "u1"}, {"mm", mm}, {"e", game}});
        for (const auto& v : *list["data"].arrayPtr()) out.push_back(v["cid"].description() + ":" + str(v["av"]));
        return out;
    };
    using L = std::vector<std::string>;
    // Minimums: 101 from 6, 102 from 5.5, 103 from 20.
    EXPECT_EQ(usable("5.49"), (L{"101:0", "102:0", "103:0"}));
    EXPECT_EQ(usable("5.5"), (L{"101:0", "102:1", "103:0"}));
    EXPECT_EQ(usable("6"), (L{"101:1", "102:1", "103:0"}));
    EXPECT_EQ(usable("19.99"), (L{"101:1", "102:1", "103:0"}));
    EXPECT_EQ(usable("20"), (L{"101:1", "102:1", "103:1"}));
    EXPECT_EQ(usable(""), (L{"101:0", "102:0", "103:0"}));
    // 103 is bound to game 7: offered to no other game, as its payment would be refused.
    EXPECT_EQ(usable("20", "3"), (L{"101:1", "102:1", "103:0"}));
    EXPECT_EQ(usable("20", ""), (L{"101:1", "102:1", "103:0"}));
    EXPECT_EQ(str(call("Ttbpay/getDJQ", ns::Dictionary{{"b", "u1"}})["b"]), "3");

    EXPECT_EQ(str(call("Ttbpaynew/djqpay", ns::Dictionary{{"f", "u1"}, {"p", "6"}, {"b", "4"}, {"cid", "101"}})["z"]), "1");
    EXPECT_EQ(usable("20"), (L{"102:1", "103:1"}));
    EXPECT_EQ(str(call("Ttbpay/getDJQ", ns::Dictionary{{"b", "u1"}})["b"]), "2");
    // Another account keeps its own.
    ASSERT_TRUE(signIn("u2"));
    EXPECT_EQ(str(call("Ttbpay/getDJQ", ns::Dictionary{{"b", "u2"}})["b"]), "3");
}

TEST_F(PayBoundaries, BalancePaysRefuseVouchersThePayerCannotUse) {
    for (const char* road : {"Ttbpaynew/ttbnew", "Ttbpaynew/djqpay", "Ttbpaynew/starcoinpay"}) {
        SCOPED_TRACE(road);
        std::string user = std::string("v-") + road;
        ASSERT_TRUE(signIn(user));
        seedVouchers(user);
        bool coins = std::string(road) == "Ttbpaynew/ttbnew";
        auto pay = [&](const std::string& cid, const std::string& yuan, const std::string& game) {
            // The coin road counts in coins, ten a yuan; the voucher takes 1 off what is charged.
            std::string amount = coins && yuan != "x" ? ns::Decimal::fromString(yuan).multiplying(10).description() : yuan;
            return call(road, ns::Dictionary{{"f", user}, {"p", amount}, {"b", "1"}, {"cid", cid}, {"j", game}, {"k", "钻石"}});
        };
        Balances before = balances(user), otherBefore = balances("other");
        ASSERT_EQ(before.usedVouchers, "101 ");
        for (const auto& c : unusableVouchers) {
            Value r = pay(c.cid, c.yuan, c.game);
            EXPECT_EQ(str(r["z"]), "-3") << c.what;
            EXPECT_EQ(str(r["c"]), c.refusal) << c.what;
            EXPECT_EQ(balances(user), before) << c.what;
        }
        EXPECT_EQ(balances("other"), otherBefore);

        // Usable ones still pay, exactly at their minimum, and are then used.
        EXPECT_EQ(str(pay("102", "5.5", "3")["z"]), "1");
        EXPECT_EQ(str(pay("103", "20", "7")["z"]), "1");
        Balances after = balances(user);
        EXPECT_EQ(after.usedVouchers, "101 102 103 ");
        EXPECT_EQ(after.orders, before.orders + 2);
        EXPECT_EQ(after.ledger, before.ledger + 2);
        Value again = pay("102", "10", "3");
        EXPECT_EQ(str(again["z"]), "-3");
        EXPECT_EQ(str(again["c"]), "代金券已使用");
        EXPECT_EQ(balances(user), after);
    }
}

TEST_F(PayBoundaries, OrderRoadsRefuseVouchersThePayerCannotUse) {
    for (const auto& road : orderRoads) {
        SCOPED_TRACE(road.path);
        std::string user = std::string("v-") + road.path;
        ASSERT_TRUE(signIn(user));
        seedVouchers(user);
        auto order = [&](const std::string& cid, const std::string& yuan, const std::string& game) {
            if (road.plain)
                return formFields(road.path, {{"z", "qb"}, {"c", user}, {"p", yuan}, {"b", "1"}, {"cid", cid}, {"f", game}});
            return call(road.path, ns::Dictionary{{"z", "qb"}, {"c", user}, {"p", yuan}, {"b", "1"}, {"cid", cid}, {"f", game}});
        };
        Balances before = balances(user);
        for (const auto& c : unusableVouchers) {
            if (std::string(c.yuan) == "x") continue; // refused as an amount first
            Value r = order(c.cid, c.yuan, c.game);
            EXPECT_EQ(str(r[road.status]), "0") << c.what;
            EXPECT_EQ(str(r[road.message]), c.refusal) << c.what;
            EXPECT_EQ(balances(user), before) << c.what;
        }

        // A usable one makes the order; paying it uses the voucher, and it is refused from then on.
        ASSERT_EQ(str(order("103", "20", "7")[road.status]), "1");
        EXPECT_EQ(balances(user).orders, before.orders + 1);
        EXPECT_EQ(balances(user).usedVouchers, "101 ");
        server.withState([](PlatformServer::State& s) {
            auto& pay = vx::server::payArea(s);
            EXPECT_TRUE(pay.settle(pay.orders.back().id));
        });
        EXPECT_EQ(balances(user).usedVouchers, "101 103 ");
        Value again = order("103", "20", "7");
        EXPECT_EQ(str(again[road.status]), "0");
        EXPECT_EQ(str(again[road.message]), "代金券已使用");
    }
}

} // namespace

namespace {

// Orders and payments naming a voucher an unpaid order holds, for every road.
class VoucherHolds : public PayBoundaries {
protected:
    ManualClock clock;

    // The status and message of an order (on an order road) or payment (on a balance road) with voucher 102.
    std::pair<std::string, std::string> pay(const std::string& road, const std::string& user) {
        for (const auto& r : orderRoads) {
            if (road != r.path) continue;
            std::vector<std::pair<std::string, std::string>> f{{"z", "qb"}, {"c", user}, {"p", "6"}, {"b", "4.5"}, {"cid", "102"}, {"f", "3"}};
            Value v = r.plain ? formFields(road, f) : call(road, ns::Dictionary{{"z", "qb"}, {"c", user}, {"p", "6"}, {"b", "4.5"}, {"cid", "102"}, {"f", "3"}});
            return {str(v[r.status]), str(v[r.message])};
        }
        std::string amount = road == "Ttbpaynew/ttbnew" ? "60" : "6";
        Value v = call(road, ns::Dictionary{{"f", user}, {"p", amount}, {"b", "1"}, {"cid", "102"}, {"j", "3"}, {"k", "钻石"}});
        return {str(v["z"]), str(v["c"])};
    }
    long lastOrder() {
        long id = 0;
        server.withState([&](PlatformServer::State& s) { id = vx::server::payArea(s).orders.back().id; });
        return id;
    }
    bool settle(long id) {
        bool done = false;
        server.withState([&](PlatformServer::State& s) { done = vx::server::payArea(s).settle(id); });
        return done;
    }
    std::string av102(const std::string& user) {
        Value list = call("pay/getcoupons", ns::Dictionary{{"z", user}, {"mm", "6"}, {"e", "3"}});
        for (const auto& v : *list["data"].arrayPtr())
            if (v["cid"] == Value(102)) return str(v["av"]);
        return "not listed";
    }
    static std::vector<std::string> roads() {
        std::vector<std::string> out;
        for (const auto& r : orderRoads) out.push_back(r.path);
        for (const char* r : {"Ttbpaynew/ttbnew", "Ttbpaynew/djqpay", "Ttbpaynew/starcoinpay"}) out.push_back(r);
        return out;
    }
};

TEST_F(VoucherHolds, AnUnpaidOrdersVoucherGoesToNoOtherOrderOrPaymentAndIsSpentOnce) {
    for (const auto& holderRoad : orderRoads) {
        SCOPED_TRACE(holderRoad.path);
        std::string user = std::string("h-") + holderRoad.path;
        ASSERT_TRUE(signIn(user));
        seedVouchers(user);
        ASSERT_EQ(pay(holderRoad.path, user).first, "1");
        long first = lastOrder();
        EXPECT_EQ(av102(user), "0") << "a held voucher is not offered";

        Balances held = balances(user);
        for (const auto& road : roads()) {
            auto [status, message] = pay(road, user);
            EXPECT_TRUE(status == "0" || status == "-3") << road << " " << status;
            EXPECT_EQ(message, "代金券已使用") << road;
        }
        EXPECT_EQ(balances(user), held) << "nothing deducted, no order or ledger row, the voucher unspent";
        EXPECT_EQ(balances(user).usedVouchers, "101 ");

        EXPECT_TRUE(settle(first));
        EXPECT_FALSE(settle(first));
        EXPECT_EQ(balances(user).usedVouchers, "101 102 ");
        EXPECT_EQ(pay("Ttbpaynew/djqpay", user).second, "代金券已使用");
        EXPECT_EQ(av102(user), "not listed");
    }
}

// An order never paid keeps its voucher for thirty minutes. After that the next order or payment
// naming the voucher takes it, and the old order can no longer be paid, so the voucher is still
// spent once; if nothing takes it, the old order pays as it would have.
TEST_F(VoucherHolds, AHoldLapsesAfterThirtyMinutesAndTheOrderThatLostItCannotBePaid) {
    int n = 0;
    for (const auto& taker : roads()) {
        SCOPED_TRACE(taker);
        std::string user = "lapse-" + std::to_string(++n);
        ASSERT_TRUE(signIn(user));
        seedVouchers(user);
        ASSERT_EQ(pay("H5pay/pay", user).first, "1");
        long old = lastOrder();
        ns::Clock::advance(30 * 60 - 1);
        EXPECT_EQ(pay(taker, user).second, "代金券已使用");
        ns::Clock::advance(1);
        EXPECT_EQ(av102(user), "1");
        EXPECT_EQ(pay(taker, user).first, "1");
        long taken = lastOrder();
        EXPECT_FALSE(settle(old)) << "the order that lost its voucher";
        EXPECT_NE(get("paypage/confirm?order=" + std::to_string(old) + "&key=" + keyOf(old)).find("订单不存在"), std::string::npos);
        settle(taken); // a balance payment is paid already
        EXPECT_EQ(balances(user).usedVouchers, "101 102 ");
    }

    ASSERT_TRUE(signIn("late-payer"));
    seedVouchers("late-payer");
    ASSERT_EQ(pay("H5pay/pay", "late-payer").first, "1");
    long late = lastOrder();
    ns::Clock::advance(2 * 60 * 60);
    EXPECT_TRUE(settle(late)) << "a lapsed hold nobody took";
    EXPECT_EQ(balances("late-payer").usedVouchers, "101 102 ");
}

} // namespace
