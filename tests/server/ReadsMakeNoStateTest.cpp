// Reads make no state: every list and balance a player can ask for answers a name never seen with
// a new player's defaults, byte for byte as for a player whose state was made, and a flood of
// made-up names leaves the per-name tables as they were. State is made by changes, and a change
// after reads starts from the same defaults.
#include "server/CouponArea.h"
#include "server/MineArea.h"
#include "server/PayArea.h"
#include "server/ServerState.h"
#include "server/WelfareArea.h"
#include "tests/server/ServerFixture.h"

#include <algorithm>
#include <map>

using namespace servertest;

namespace {

std::string str(const Value& v) { return v.stringValue().value_or("<none>"); }

using Fields = std::vector<std::pair<std::string, std::string>>;

// A read route: how it is sent and what it is sent; "@" stands for the player's name.
struct Read {
    const char* what;
    const char* path;
    bool scrambled; // as the SDK's scrambled transport sends it; else a plain form
    Fields fields;
};

const Read kReads[] = {
    {"pay ways", "pay/getPayWayios", true, {{"zz", "@"}, {"z", "app"}}},
    {"vouchers, 6 yuan", "pay/getcoupons", true, {{"z", "@"}, {"mm", "6"}, {"e", "3"}}},
    {"vouchers, 30 yuan in game 7", "pay/getcoupons", true, {{"z", "@"}, {"mm", "30"}, {"e", "7"}}},
    {"coin balance", "Ttbpay/getTTB", true, {{"b", "@"}}},
    {"voucher count", "Ttbpay/getDJQ", true, {{"b", "@"}}},
    {"web order result", "Pay/getUserSuccess", true, {{"z", "@"}}},
    {"pay records", "pay/payRecords", true, {{"z", "@"}}},
    {"coupon centre", "Sdkdetail/couponlists", false, {{"username", "@"}, {"gid", "1001"}}},
    {"my usable coupons", "Sdkhome/mycoupon", false, {{"username", "@"}, {"status", "1"}, {"pagecode", "1"}}},
    {"my expired coupons", "Sdkhome/mycoupon", false, {{"username", "@"}, {"status", "0"}, {"pagecode", "1"}}},
    {"coin top-ups", "Userexpand/getptblog", false, {{"username", "@"}, {"pagecode", "2"}}},
    {"coin spending", "Userexpand/payptblog", false, {{"username", "@"}, {"pagecode", "1"}}},
    {"voucher gains, one source", "Sdkhome/getdjqlog", false, {{"username", "@"}, {"screen", "2"}, {"pagecode", "1"}}},
    {"voucher spending", "Sdkhome/paydjqlog", false, {{"username", "@"}, {"screen", "0"}, {"pagecode", "2"}}},
    {"star coin gains", "Sdkhome/getstarcoinlog", false, {{"username", "@"}, {"screen", "1"}, {"pagecode", "1"}}},
    {"star coin spending", "Sdkhome/paystarcoinlog", false, {{"username", "@"}, {"pagecode", "1"}}},
    {"my bookings", "Sdkhome/mybookinglist", false, {{"username", "@"}, {"pagecode", "1"}}},
    {"gift packs", "Sdkdetail/card", false, {{"username", "@"}, {"lx", "0"}}},
    {"mine page", "sdkhome/index", true, {{"username", "@"}}},
    {"sub-accounts, mine page", "Sdkhome/myxiaohao", true, {{"username", "@"}}},
    {"sub-accounts, login", "login/xiaohao", true, {{"z", "@"}}},
    {"messages", "Mynews/listnews", false, {{"username", "@"}, {"pagecode", "1"}}},
};

class ReadsMakeNoState : public ServerTest {
protected:
    // The size of every table kept per name, and of the orders, ledger, accounts and served files.
    static constexpr size_t kMessages = 5, kFiles = 12; // their places in tables()
    std::vector<size_t> tables() {
        std::vector<size_t> sizes;
        server.withState([&](PlatformServer::State& s) {
            auto& pay = vx::server::payArea(s);
            auto& mine = vx::server::mineArea(s);
            sizes = {pay.wallets.size(),
                     pay.orders.size(),
                     pay.ledger.size(),
                     vx::server::CouponArea::of(s).players.size(),
                     mine.profiles.size(),
                     mine.messages.size(),
                     mine.roles.size(),
                     mine.bookings.size(),
                     vx::server::welfareArea(s).claimed.size(),
                     s.loginArea.subs.size(),
                     s.loginArea.lastSub.size(),
                     s.accounts.size(),
                     s.files.size()};
        });
        return sizes;
    }
    // The reply's bytes as sent.
    std::string body(const Read& r, const std::string& name) {
        Fields fields = r.fields;
        for (auto& field : fields)
            if (field.second == "@") field.second = name;
        auto send = [&]() {
            if (r.scrambled) {
                ns::Dictionary params;
                for (const auto& [k, v] : fields) params.set(k, v);
                return post(r.path, DecodeGzipBase64::codingJSON(params)->toString());
            }
            std::string form;
            for (const auto& [k, v] : fields)
                form += (form.empty() ? "" : "&") + k + "=" + httplib::detail::encode_query_param(v);
            return post(r.path, form, "application/x-www-form-urlencoded");
        };
        auto res = send();
        return res && res->status == 200 ? res->body : "no reply";
    }
    // Makes the player's wallet and coupon state the way a change does, at their defaults.
    void makeDefaults(const std::string& name) {
        server.withState([&](PlatformServer::State& s) {
            vx::server::payArea(s).wallet(name);
            vx::server::CouponArea::of(s).player(name);
        });
    }
};

} // namespace

TEST_F(ReadsMakeNoState, AFloodOfOtherNamesLeavesTheTablesAsTheyWere) {
    // A player's first reads: the mine page and messages make the player's four messages.
    ASSERT_TRUE(signIn("reader"));
    std::map<std::string, std::string> first;
    for (const Read& r : kReads) first[r.what] = body(r, "reader");
    const auto before = tables();
    // Names that are not the session's, with it and without one: refused or answered as for
    // nobody, never made.
    for (bool withSession : {true, false}) {
        if (!withSession) signOut();
        for (const Read& r : kReads) {
            SCOPED_TRACE(r.what);
            const std::string answer = body(r, std::string("ghost-") + r.path);
            ASSERT_NE(answer, "no reply");
            for (int i = 0; i < 30; ++i) {
                std::string ghost = std::string("ghost-") + r.path + "-" + std::to_string(i);
                ASSERT_EQ(body(r, ghost), answer) << ghost;
            }
            ASSERT_EQ(body(r, "reader"), withSession ? first[r.what] : answer) << "reader's own, by session only";
        }
        EXPECT_EQ(tables(), before);
    }
    // The player's replies are the same bytes once a change has made the player's state.
    ASSERT_TRUE(signIn("reader"));
    makeDefaults("reader");
    for (const Read& r : kReads) EXPECT_EQ(body(r, "reader"), first[r.what]) << r.what;
    // The defaults themselves, as a new player sees them.
    Value vouchers = call("pay/getcoupons", ns::Dictionary{{"z", "reader"}, {"mm", "6"}, {"e", "3"}})["data"];
    ASSERT_EQ(vouchers.count(), 3u);
    EXPECT_EQ(str(vouchers[0]["av"]) + str(vouchers[1]["av"]) + str(vouchers[2]["av"]), "110");
    EXPECT_EQ(str(call("Ttbpay/getTTB", ns::Dictionary{{"b", "reader"}})["b"]), "500");
    EXPECT_EQ(formFields("Sdkhome/getdjqlog", {{"username", "reader"}})["c"]["total_page"].integerValue(), 3);
    EXPECT_EQ(formFields("Sdkhome/mybookinglist", {{"username", "reader"}})["lists"].count(), 3u);
}

TEST_F(ReadsMakeNoState, ReadsByRegisteredAccountsLeaveOnlyTheirMessages) {
    // Messages are numbered and served as pages when an account first reads them, so those stay;
    // the profile, wallet, coupons, sub-accounts and roles are not made by reading.
    for (int i = 0; i < 20; ++i) server.addAccount("acct" + std::to_string(i), "123456");
    auto before = tables();
    for (int i = 0; i < 20; ++i) {
        std::string name = "acct" + std::to_string(i);
        ASSERT_TRUE(signIn(name, "123456"));
        Value index = call("sdkhome/index", ns::Dictionary{{"username", name}})["c"];
        EXPECT_EQ(index["uinfo"]["user_login"], Value(name));
        EXPECT_EQ(index["uinfo"]["money"], Value("500.00"));
        EXPECT_EQ(str(index["coupon"]["money"]), "0.00");
        EXPECT_EQ(call("Sdkhome/myxiaohao", ns::Dictionary{{"username", name}})["c"].count(), 0u);
        EXPECT_EQ(str(call("login/xiaohao", ns::Dictionary{{"z", name}})["msg"]), "您还没有小号，请先添加");
    }
    auto after = tables();
    EXPECT_EQ(after[kMessages], before[kMessages] + 20); // a message list each
    EXPECT_EQ(after[kFiles], before[kFiles] + 20 * 4);   // and its four pages
    after[kMessages] = before[kMessages], after[kFiles] = before[kFiles];
    EXPECT_EQ(after, before);
}

TEST_F(ReadsMakeNoState, RefusedChangesMakeNothing) {
    ASSERT_TRUE(signIn("refused"));
    const auto before = tables();
    auto refusal = [&](const char* path, ns::Dictionary params, const char* key) { return str(call(path, params)[key]); };
    for (int i = 0; i < 10; ++i) {
        // Short of coins, an unknown voucher, one under its minimum, a coupon that does not exist,
        // one held already.
        EXPECT_EQ(refusal("Ttbpaynew/ttbnew", {{"f", "refused"}, {"b", "501"}, {"k", "钻石"}}, "z"), "-2");
        EXPECT_EQ(refusal("Ttbpaynew/djqpay", {{"f", "refused"}, {"b", "1"}, {"cid", "999"}}, "c"), "代金券不存在");
        EXPECT_EQ(refusal("H5pay/pay", {{"c", "refused"}, {"p", "1"}, {"b", "1"}, {"cid", "101"}}, "b"), "未达到代金券使用金额");
        EXPECT_EQ(refusal("Sdkdetail/getcoupon", {{"username", "refused"}, {"cid", "12345"}}, "b"), "抵扣券不存在");
        EXPECT_EQ(refusal("Sdkdetail/getcoupon", {{"username", "refused"}, {"cid", "901"}}, "b"), "您已领取过该抵扣券");
        // And every change for a name that is not the session's.
        std::string ghost = "ghost" + std::to_string(i);
        EXPECT_EQ(refusal("Ttbpaynew/ttbnew", {{"f", ghost}, {"b", "1"}, {"k", "钻石"}}, "c"), "请先登录");
        EXPECT_EQ(refusal("H5pay/pay", {{"c", ghost}, {"p", "1"}, {"b", "1"}}, "b"), "请先登录");
        EXPECT_EQ(refusal("Sdkdetail/getcoupon", {{"username", ghost}, {"cid", "7"}}, "b"), "请先登录");
        EXPECT_EQ(refusal("Card/receive", {{"username", ghost}, {"cardid", "31"}}, "b"), "请先登录");
    }
    EXPECT_EQ(tables(), before);
}

TEST_F(ReadsMakeNoState, AChangeAfterReadsStartsFromTheDefaults) {
    // Reads first, then a change: the player's state is the defaults with that change.
    ASSERT_TRUE(signIn("late"));
    for (const Read& r : kReads) body(r, "late");
    const Read& gains = *std::find_if(std::begin(kReads), std::end(kReads),
                                      [](const Read& r) { return std::string(r.path) == "Sdkhome/getdjqlog"; });
    std::string bills = body(gains, "late");
    Value paid = call("Ttbpaynew/ttbnew",
                      ns::Dictionary{{"f", "late"}, {"b", "60"}, {"p", "60"}, {"cid", "101"}, {"k", "钻石"}});
    EXPECT_EQ(str(paid["z"]), "1");
    EXPECT_EQ(str(call("Ttbpay/getTTB", ns::Dictionary{{"b", "late"}})["b"]), "440");
    EXPECT_EQ(str(call("Ttbpay/getDJQ", ns::Dictionary{{"b", "late"}})["b"]), "2");
    Value vouchers = call("pay/getcoupons", ns::Dictionary{{"z", "late"}, {"mm", "6"}, {"e", "3"}})["data"];
    ASSERT_EQ(vouchers.count(), 2u);
    EXPECT_EQ(vouchers[0]["cid"].integerValue(), 102);
    EXPECT_EQ(vouchers[1]["cid"].integerValue(), 103);

    EXPECT_EQ(call("Sdkdetail/getcoupon", ns::Dictionary{{"username", "late"}, {"cid", "7"}})["a"].integerValue(), 1);
    Value usable = formFields("Sdkhome/mycoupon", {{"username", "late"}, {"status", "1"}})["lists"];
    ASSERT_EQ(usable.count(), 1u);
    EXPECT_EQ(usable[0]["cid"].integerValue(), 7);
    Value expired = formFields("Sdkhome/mycoupon", {{"username", "late"}, {"status", "0"}})["lists"];
    ASSERT_EQ(expired.count(), 2u);
    EXPECT_EQ(expired[0]["cid"].integerValue(), 901);
    EXPECT_EQ(body(gains, "late"), bills);
    EXPECT_EQ(str(formFields("Sdkdetail/couponlists", {{"username", "late"}})["c"]["data"][0]["is_get"]), "1");

    // Both made now, and only for this player.
    server.withState([](PlatformServer::State& s) {
        EXPECT_EQ(vx::server::payArea(s).wallets.count("late"), 1u);
        EXPECT_EQ(vx::server::payArea(s).wallets.size(), 1u);
        EXPECT_EQ(vx::server::CouponArea::of(s).players.size(), 1u);
    });
}
