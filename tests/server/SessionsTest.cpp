// Who is asking: every login road opens a session carried by a cookie, every request that changes or
// reveals an account needs that account's session, and logout ends it. Over real HTTP on loopback,
// as an attacker who knows only a victim's name would send them.
#include "server/CommentArea.h"
#include "server/CouponArea.h"
#include "server/MineArea.h"
#include "server/PayArea.h"
#include "server/ServerState.h"
#include "server/WelfareArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// A route that changes or reveals the account it names ("@"), and how it refuses.
struct Guarded {
    const char* path;
    bool scrambled;
    Fields fields;
    const char* status;     // the reply's status key; its value is 0 or below on a refusal
    const char* message;    // the key of the refusal's text
};

const Guarded kGuarded[] = {
    {"login/idcheck", true, {{"i", "@"}, {"id", "110101201001011234"}, {"r", "张三"}}, "z", "b"},
    {"login/setTime", true, {{"n", "@"}, {"g", "1001"}}, "z", "b"},
    {"login/xiaohao", true, {{"z", "@"}}, "code", "msg"},
    {"login/addxiaohao", true, {{"z", "@"}, {"x", "偷来的"}}, "code", "msg"},
    {"Index/adddllog", false, {{"username", "@"}, {"xh", "victim01_xh1"}}, "a", "b"},
    {"User/setRole", true, {{"z", "@"}, {"b", "1001"}, {"c", "r1"}, {"d", "冒名"}}, "code", "msg"},
    {"Sdkhome/yzm", false, {{"sj", ""}, {"username", "@"}, {"type", "7"}}, "a", "b"},
    {"sdkhome/index", true, {{"username", "@"}}, "a", "b"},
    {"Sdkhome/bdtel", true, {{"username", "@"}, {"tel", "13900000002"}, {"newcode", "123456"}}, "a", "b"},
    {"Sdkhome/jiebang", true, {{"username", "@"}, {"code", "123456"}}, "a", "b"},
    {"Sdkhome/myxiaohao", true, {{"username", "@"}}, "a", "b"},
    {"Sdkhome/editxiaohao", true, {{"username", "@"}, {"xiaohao", "victim01_xh1"}, {"nickname", "改名"}}, "a", "b"},
    {"Mynews/listnews", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Mynews/news", false, {{"username", "@"}, {"id", "101"}}, "a", "b"},
    {"Sdkhome/mybookinglist", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkdetail/getcoupon", true, {{"username", "@"}, {"cid", "7"}}, "a", "b"},
    {"Sdkdetail/getcouponall", true, {{"username", "@"}}, "a", "b"},
    {"Sdkhome/mycoupon", false, {{"username", "@"}, {"status", "1"}, {"pagecode", "1"}}, "a", "b"},
    {"Userexpand/getptblog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Userexpand/payptblog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkhome/getdjqlog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkhome/paydjqlog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkhome/getstarcoinlog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkhome/paystarcoinlog", false, {{"username", "@"}, {"pagecode", "1"}}, "a", "b"},
    {"Sdkcomments/commit", false, {{"username", "@"}, {"content", "冒名评论"}}, "a", "b"},
    {"Sdkcomments/good", false, {{"username", "@"}, {"comments_id", "101"}}, "a", "b"},
    {"Card/receive", true, {{"username", "@"}, {"cardid", "31"}}, "a", "b"},
    {"pay/getPayWayios", true, {{"zz", "@"}, {"z", "app7"}}, "code", "msg"},
    {"pay/getcoupons", true, {{"z", "@"}, {"mm", "6"}}, "code", "msg"},
    {"H5pay/pay", true, {{"z", "qb"}, {"c", "@"}, {"p", "6"}, {"b", "6"}}, "z", "b"},
    {"wxh5/h5pay", true, {{"z", "wx"}, {"c", "@"}, {"p", "6"}, {"b", "6"}}, "code", "msg"},
    {"Wxh5other/h5pay", true, {{"z", "wx"}, {"c", "@"}, {"p", "6"}, {"b", "6"}}, "code", "msg"},
    {"Walletapp/apppayios", false, {{"z", "qb"}, {"c", "@"}, {"p", "6"}, {"b", "6"}}, "z", "b"},
    {"Walletappother/apppayios", false, {{"z", "qb"}, {"c", "@"}, {"p", "6"}, {"b", "6"}}, "z", "b"},
    {"Ttbpaynew/ttbnew", true, {{"f", "@"}, {"p", "10"}, {"b", "10"}, {"k", "钻石"}}, "z", "c"},
    {"Ttbpaynew/djqpay", true, {{"f", "@"}, {"p", "1"}, {"b", "1"}}, "z", "c"},
    {"Ttbpaynew/starcoinpay", true, {{"f", "@"}, {"p", "1"}, {"b", "1"}}, "z", "c"},
    {"Pay/getUserSuccess", true, {{"z", "@"}}, "z", "b"},
    {"Wallet/wallet", true, {{"z", "qb"}, {"c", "@"}, {"b", "10"}}, "z", "b"},
    {"Wxh5ptb/wxpay", true, {{"z", "wx"}, {"c", "@"}, {"b", "10"}}, "z", "b"},
    {"Ttbpay/getTTB", true, {{"b", "@"}}, "z", "c"},
    {"Ttbpay/getDJQ", true, {{"b", "@"}}, "z", "c"},
    {"pay/payRecords", true, {{"z", "@"}}, "code", "msg"},
};

class Sessions : public ServerTest {
protected:
    Value send(const Guarded& g, const std::string& name) {
        Fields fields = g.fields;
        for (auto& field : fields)
            if (field.second == "@") field.second = name;
        if (!g.scrambled) return formFields(g.path, fields);
        ns::Dictionary params;
        for (const auto& [k, v] : fields) params.set(k, v);
        return call(g.path, params);
    }
    // Everything the server keeps about the victim, as text.
    std::string victimState() {
        std::string out;
        server.withState([&](PlatformServer::State& s) {
            const auto& a = s.accounts.at("victim01");
            out += a.password + "|" + a.phone + "|" + std::to_string(a.realName) + "|" + std::to_string(a.onlineSeconds) + "|";
            for (const auto& sub : s.loginArea.subsOf("victim01")) out += sub.nickname + "," + sub.username + ";";
            out += "|" + s.loginArea.lastSubOf("victim01") + "|";
            auto& pay = vx::server::payArea(s);
            const auto& w = pay.walletOrDefault("victim01");
            out += w.ttb + "," + w.djq + "," + w.xingbi + "|" + std::to_string(pay.orders.size()) + "|";
            for (long cid : vx::server::CouponArea::of(s).playerOrDefault("victim01").claimed) out += std::to_string(cid) + ",";
            out += "|" + std::to_string(vx::server::welfareArea(s).claimed.count("victim01")) + "|";
            auto& comments = vx::server::CommentArea::of(s);
            out += std::to_string(comments.comments.size()) + "|";
            for (const auto& c : comments.comments) out += c.likedBy.count("victim01") ? "L" : "";
            auto& mine = vx::server::mineArea(s);
            for (const auto& m : mine.messagesOf(s, "victim01")) out += m.read ? "r" : "u";
            out += "|" + std::to_string(s.roles.size());
        });
        return out + "|" + std::to_string(server.smsCode("13800000001").has_value());
    }
};

} // namespace

TEST_F(Sessions, NoRequestWithoutThePlayersSessionChangesOrRevealsTheAccount) {
    server.addAccount("victim01", "victimpw", "13800000001");
    server.withState([](PlatformServer::State& s) { s.loginArea.subs["victim01"] = {{"主号", "victim01_xh1", ""}}; });
    const std::string before = victimState();
    // With no session at all, and with the attacker's own.
    for (bool attackerSignedIn : {false, true}) {
        if (attackerSignedIn) {
            ASSERT_TRUE(signIn("attacker"));
        }
        for (const auto& g : kGuarded) {
            SCOPED_TRACE(std::string(g.path) + (attackerSignedIn ? " (attacker's session)" : " (no session)"));
            Value r = send(g, "victim01");
            EXPECT_LE(r[g.status].integerValue(), 0) << r.description();
            EXPECT_EQ(r[g.message], Value("请先登录")) << r.description();
        }
        EXPECT_EQ(victimState(), before);
    }
    // The victim's own session is answered on every one of them.
    ASSERT_TRUE(signIn("victim01", "victimpw"));
    for (const auto& g : kGuarded) EXPECT_NE(send(g, "victim01")[g.message], Value("请先登录")) << g.path;
}

TEST_F(Sessions, BindingAPhoneByNameNoLongerTakesAnAccount) {
    server.addAccount("victim01", "victimpw");
    ASSERT_TRUE(signIn("attacker"));
    ASSERT_EQ(form("Sdkhome/yzm", "sj=13900000002&type=4")["a"], Value(1));
    Value bound = call("Sdkhome/bdtel", ns::Dictionary{{"username", "victim01"}, {"tel", "13900000002"},
                                                      {"newcode", *server.smsCode("13900000002")}});
    EXPECT_EQ(bound["b"], Value("请先登录"));
    EXPECT_EQ(server.account("victim01")->phone, "");
    signOut();
    ASSERT_EQ(form("Sdkhome/yzm", "sj=13900000002&type=8")["a"], Value(1));
    Value login = call("Login/telregister", ns::Dictionary{{"z", "13900000002"}, {"i", *server.smsCode("13900000002")}});
    ASSERT_EQ(login["z"], Value(1));
    EXPECT_NE(login["b"], Value("victim01"));
    EXPECT_NE(login["c"], Value("victimpw"));
}

TEST_F(Sessions, EveryLoginRoadOpensOneAndLogoutEndsIt) {
    server.addAccount("player01", "secret1", "13800000001");
    auto cookieOf = [](const httplib::Result& res) {
        std::string header = res ? res->get_header_value("Set-Cookie") : "";
        return header;
    };
    auto login = [&](const char* path, ns::Dictionary params) {
        signOut();
        return post(path, DecodeGzipBase64::codingJSON(params)->toString());
    };
    auto askTime = [&](const std::string& cookie) {
        auto res = post("login/setTime", DecodeGzipBase64::codingJSON(ns::Dictionary{{"n", "player01"}})->toString(),
                        "text/html", {{"Cookie", cookie}});
        return res ? DecodeGzipBase64::decodingJSON(ns::Data::fromString(res->body))["z"] : Value("no reply");
    };
    // Password, phone code and token: each answers with a cookie of its own, which the routes take.
    std::vector<std::string> cookies;
    cookies.push_back(cookieOf(login("login/dologin", {{"z", "player01"}, {"b", "secret1"}})));
    ASSERT_EQ(form("Sdkhome/yzm", "sj=13800000001&type=8")["a"], Value(1));
    auto phone = login("Login/telregister", {{"z", "13800000001"}, {"i", *server.smsCode("13800000001")}});
    cookies.push_back(cookieOf(phone));
    std::string token = DecodeGzipBase64::decodingJSON(ns::Data::fromString(phone->body))["tk"].stringValue().value_or("");
    cookies.push_back(cookieOf(login("Login/auto_login", {{"z", "player01"}, {"tk", token}})));
    std::set<std::string> ids;
    for (const auto& cookie : cookies) {
        ASSERT_EQ(cookie.rfind("vx_session=", 0), 0u) << cookie;
        EXPECT_NE(cookie.find("; Path=/"), std::string::npos);
        EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
        std::string id = cookie.substr(11, cookie.find(';') - 11);
        EXPECT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
        ids.insert(id);
        EXPECT_EQ(askTime(cookiePair(cookie)), Value(1));
    }
    EXPECT_EQ(ids.size(), 3u);
    // What does not log in opens nothing.
    EXPECT_EQ(cookieOf(login("login/dologin", {{"z", "player01"}, {"b", "wrong"}})), "");
    EXPECT_EQ(cookieOf(login("login/register", {{"z", "player02"}, {"b", "secret2"}})), "");
    EXPECT_EQ(askTime("vx_session=" + std::string(32, '0')), Value(-1));

    // Logout ends the session it came with and clears its cookie; the account's others stay.
    std::string first = cookiePair(cookies[0]);
    auto out = post("login/logout", DecodeGzipBase64::codingJSON(ns::Dictionary{{"z", "player01"}})->toString(), "text/html",
                    {{"Cookie", first}});
    ASSERT_TRUE(out);
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(ns::Data::fromString(out->body))["z"], Value(1));
    EXPECT_NE(cookieOf(out).find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(askTime(first), Value(-1));
    EXPECT_EQ(askTime(cookiePair(cookies[1])), Value(1));

    // An account keeps its eight newest sessions: a ninth login ends the oldest.
    std::vector<std::string> eight;
    for (int i = 0; i < 8; ++i) {
        std::string c = cookieOf(login("login/dologin", {{"z", "player01"}, {"b", "secret1"}}));
        eight.push_back(cookiePair(c));
    }
    EXPECT_EQ(askTime(cookiePair(cookies[1])), Value(-1)) << "older than the newest eight";
    EXPECT_EQ(askTime(eight.front()), Value(1));
    EXPECT_EQ(askTime(eight.back()), Value(1));
}

// What one account can add is capped, each cap reached exactly and then refused; texts are bounded
// by what they are for.
TEST_F(Sessions, WhatOneAccountAddsIsCapped) {
    ASSERT_TRUE(signIn("writer"));
    auto comment = [&](const std::string& content) {
        return formFields("Sdkcomments/commit", {{"username", "writer"}, {"content", content}})["b"];
    };
    EXPECT_EQ(comment(std::string(501, 'c')), Value("评论内容不能超过500字"));
    EXPECT_EQ(comment(std::string(500, 'c')), Value("评论成功，刷新后可见"));
    for (int i = 1; i < 100; ++i) ASSERT_EQ(comment("第" + std::to_string(i) + "条"), Value("评论成功，刷新后可见")) << i;
    EXPECT_EQ(comment("再一条"), Value("评论数量已达上限"));
    server.withState([](PlatformServer::State& s) {
        EXPECT_EQ(vx::server::CommentArea::of(s).postedBy.at("writer"), 100u);
    });

    // Orders: a product name of 64 units is kept, 65 refused; the amount's text too.
    auto order = [&](const std::string& name, const std::string& amount = "6") {
        return call("H5pay/pay", ns::Dictionary{{"z", "qb"}, {"c", "writer"}, {"p", amount}, {"b", amount}, {"l", name}});
    };
    EXPECT_EQ(order(std::string(65, 'n'))["b"], Value("商品名称过长"));
    EXPECT_EQ(order("钻石", "6" + std::string(20, '0'))["b"], Value("金额错误"));
    ASSERT_EQ(order(std::string(64, 'n'))["z"], Value("1"));
    // At most twenty unpaid at once: a newer order cancels the oldest, whose page is gone.
    for (int i = 0; i < 19; ++i) ASSERT_EQ(order("钻石")["z"], Value("1"));
    long oldest = 0;
    std::string key;
    server.withState([&](PlatformServer::State& s) {
        oldest = vx::server::payArea(s).orders.front().id, key = vx::server::payArea(s).orders.front().pageKey;
    });
    auto page = [&] { return fetchBody("/sdkapicoupon2/paypage/h5?order=" + std::to_string(oldest) + "&key=" + key); };
    EXPECT_EQ(page().find("订单不存在"), std::string::npos);
    ASSERT_EQ(order("钻石")["z"], Value("1"));
    EXPECT_NE(page().find("订单不存在"), std::string::npos);
    // A thousand orders kept per account: the thousandth goes through, the next is refused.
    server.withState([](PlatformServer::State& s) {
        auto& pay = vx::server::payArea(s);
        while (pay.ordersBy["writer"].size() < 999) {
            vx::server::PayArea::Order o;
            o.id = ++pay.nextOrderId, o.user = "writer", o.road = "H5pay/pay";
            pay.addOrder(o);
        }
    });
    EXPECT_EQ(order("钻石")["z"], Value("1"));
    Value refused = order("钻石");
    EXPECT_EQ(refused["z"], Value("0"));
    EXPECT_EQ(refused["b"], Value("订单数量已达上限"));
    EXPECT_EQ(call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "writer"}, {"p", "1"}, {"b", "1"}})["c"], Value("订单数量已达上限"));
}
