// The mine area of the stand-in: one world per player across the page summary, phone binding,
// sub-accounts, messages and bookings.
#include "foundation/URLEncode.h"
#include "server/MineArea.h"
#include "server/ServerState.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

class MineServer : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        ASSERT_TRUE(signIn("player01", "123456"));
    }
    Value index() { return call("sdkhome/index", ns::Dictionary{{"username", "player01"}})["c"]["uinfo"]; }
};

} // namespace

TEST_F(MineServer, SummaryFollowsPhoneRealNameAndMessages) {
    Value uinfo = index();
    EXPECT_EQ(uinfo["user_login"], Value("player01"));
    EXPECT_EQ(uinfo["ismobile"], Value("0"));
    EXPECT_EQ(uinfo["id_card"], Value("0"));
    EXPECT_EQ(uinfo["weidu"].integerValue(), 3);
    EXPECT_EQ(call("sdkhome/index", ns::Dictionary{{"username", "nobody"}})["a"], Value(0));

    // Bind: the code sent to the phone, then the masked number and the flag on the next read.
    EXPECT_EQ(form("Sdkhome/yzm", "sj=13800001234&username=&type=4")["a"], Value(1));
    EXPECT_EQ(call("Sdkhome/bdtel", ns::Dictionary{{"username", "player01"}, {"tel", "13800001234"}, {"newcode", "x"}})["b"],
              Value("验证码错误"));
    Value bound = call("Sdkhome/bdtel", ns::Dictionary{{"username", "player01"}, {"tel", "13800001234"},
                                                       {"newcode", *server.smsCode("13800001234")}});
    EXPECT_EQ(bound["a"], Value(1));
    EXPECT_EQ(index()["ismobile"], Value("1"));
    EXPECT_EQ(index()["mobile"], Value("138****1234"));
    EXPECT_EQ(server.account("player01")->phone, "13800001234");

    // Unbind: the code goes by account name to the bound phone.
    EXPECT_EQ(form("Sdkhome/yzm", "sj=&username=player01&type=7")["a"], Value(1));
    EXPECT_EQ(call("Sdkhome/jiebang", ns::Dictionary{{"username", "player01"}, {"code", "000"}})["a"], Value(0));
    EXPECT_EQ(call("Sdkhome/jiebang", ns::Dictionary{{"username", "player01"}, {"code", *server.smsCode("13800001234")}})["a"],
              Value(1));
    EXPECT_EQ(index()["ismobile"], Value("0"));
    EXPECT_EQ(form("Sdkhome/yzm", "sj=&username=player01&type=7")["b"], Value("未绑定手机号"));

    // Reading a message lowers the unread count; ids may come as text or number.
    Value first = form("Mynews/listnews", "username=player01&channel=agent9&pagecode=1");
    EXPECT_EQ(first["nowpage"].integerValue(), 1);
    EXPECT_EQ(first["allnum"].integerValue(), 1);
    ASSERT_EQ(first["c"].count(), 4u);
    std::string id = first["c"][0]["id"].description();
    EXPECT_EQ(form("Mynews/news", "id=" + id + "&username=player01")["a"], Value(1));
    EXPECT_EQ(index()["weidu"].integerValue(), 2);
    EXPECT_EQ(form("Mynews/listnews", "username=player01&channel=agent9&pagecode=1")["c"][0]["status"], Value("1"));
    EXPECT_EQ(form("Mynews/news", "id=999999&username=player01")["a"], Value(0));

    server.withState([](PlatformServer::State& s) { vx::server::mineArea(s).profiles["player01"].nickname = "小明"; });
    EXPECT_EQ(index()["nicename"], Value("小明"));

    // The coupon summary is the usable "my coupons": the expired ones count for nothing.
    Value none = call("sdkhome/index", ns::Dictionary{{"username", "player01"}})["c"]["coupon"];
    EXPECT_EQ(none["money"], Value("0.00"));
    EXPECT_EQ(none["count"].integerValue(), 0);
    call("Sdkdetail/getcoupon", ns::Dictionary{{"username", "player01"}, {"cid", 7}});
    call("Sdkdetail/getcoupon", ns::Dictionary{{"username", "player01"}, {"cid", "8"}});
    Value two = call("sdkhome/index", ns::Dictionary{{"username", "player01"}})["c"]["coupon"];
    EXPECT_EQ(two["money"], Value("15.00"));
    EXPECT_EQ(two["count"].integerValue(), 2);
}

// The mine page, the payment centre and the bills read one ledger: what a payment takes shows on
// all three, in the same amounts.
TEST_F(MineServer, BalancesPaymentsAndBillsAgree) {
    auto payWays = [&] { return call("pay/getPayWayios", ns::Dictionary{{"zz", "player01"}, {"z", "app7"}}); };
    auto bills = [&](const char* path) {
        return formFields(path, {{"username", "player01"}, {"screen", "0"}, {"pagecode", "1"}})["c"]["lists"];
    };
    Value uinfo = index();
    EXPECT_EQ(uinfo["money"], Value("500.00"));
    EXPECT_EQ(uinfo["djq"], Value("30.00"));
    EXPECT_EQ(uinfo["starcoin"], Value("12.50"));
    EXPECT_EQ(payWays()["ttb"], Value("500"));
    size_t spent = bills("Userexpand/payptblog").count();

    // The whole balance, to the coin: the payment goes through and leaves nothing on any screen.
    Value paid = call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "player01"}, {"p", "500"}, {"b", "500"}, {"k", "钻石"}});
    ASSERT_EQ(paid["z"], Value("1"));
    EXPECT_EQ(index()["money"], Value("0.00"));
    EXPECT_EQ(payWays()["ttb"], Value("0"));
    EXPECT_EQ(call("Ttbpay/getTTB", ns::Dictionary{{"b", "player01"}})["b"], Value("0"));
    Value rows = bills("Userexpand/payptblog");
    ASSERT_EQ(rows.count(), std::min<size_t>(spent + 1, 10));
    EXPECT_EQ(rows[0]["money"], Value("500")) << "the newest line is the payment";
    EXPECT_EQ(rows[0]["remark"], Value("游戏消费"));
    EXPECT_EQ(call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "player01"}, {"p", "1"}, {"b", "1"}})["z"], Value("-2"));

    // A top-up credits ten coins a yuan on every screen, and its line is the newest income.
    Value order = call("Wallet/wallet", ns::Dictionary{{"z", "qb"}, {"c", "player01"}, {"b", "12.5"}});
    ASSERT_EQ(order["z"], Value("1"));
    server.withState([](PlatformServer::State& s) {
        auto& pay = vx::server::payArea(s);
        pay.settle(pay.orders.back().id);
    });
    EXPECT_EQ(index()["money"], Value("125.00"));
    EXPECT_EQ(payWays()["ttb"], Value("125"));
    EXPECT_EQ(bills("Userexpand/getptblog")[0]["money"], Value("125"));
    EXPECT_EQ(bills("Userexpand/getptblog")[0]["remark"], Value("平台币充值"));
    // Vouchers and star coins likewise.
    ASSERT_EQ(call("Ttbpaynew/djqpay", ns::Dictionary{{"f", "player01"}, {"p", "0.5"}, {"b", "0.5"}})["z"], Value("1"));
    ASSERT_EQ(call("Ttbpaynew/starcoinpay", ns::Dictionary{{"f", "player01"}, {"p", "12.5"}, {"b", "12.5"}})["z"], Value("1"));
    EXPECT_EQ(index()["djq"], Value("29.50"));
    EXPECT_EQ(index()["starcoin"], Value("0.00"));
    EXPECT_EQ(bills("Sdkhome/paydjqlog")[0]["money"], Value("0.5"));
    EXPECT_EQ(bills("Sdkhome/paystarcoinlog")[0]["money"], Value("12.5"));
}

TEST_F(MineServer, SubAccountsAreTheLoginRoadsWithTheirRoles) {
    EXPECT_EQ(call("Sdkhome/myxiaohao", ns::Dictionary{{"username", "player01"}})["c"].count(), 0u);
    // Added by the picker's request: the list and the picker see the same sub-accounts.
    Value added = call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"c", "1001"}, {"x", "小号一"}, {"t", "ios"}});
    ASSERT_EQ(added["code"], Value(1));
    call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"x", "😀😀😀😀"}});
    std::string sub = added["data"][0]["username"].description();
    server.withState([&](PlatformServer::State& s) { vx::server::mineArea(s).roles[sub] = {"剑客", "一区", "35"}; });
    form("Index/adddllog", "username=player01&xh=" + sub);

    EXPECT_EQ(call("Sdkhome/editxiaohao", ns::Dictionary{{"username", "player01"}, {"xiaohao", sub}, {"nickname", "新名字"}})["a"],
              Value(1));
    EXPECT_EQ(call("Sdkhome/editxiaohao", ns::Dictionary{{"username", "player01"}, {"xiaohao", "other"}, {"nickname", "x"}})["b"],
              Value("小号不存在"));
    EXPECT_EQ(call("Sdkhome/editxiaohao", ns::Dictionary{{"username", "player01"}, {"xiaohao", sub}, {"nickname", "123456789"}})["a"],
              Value(0));
    Value list = call("Sdkhome/myxiaohao", ns::Dictionary{{"username", "player01"}});
    ASSERT_EQ(list["c"].count(), 2u);
    EXPECT_EQ(list["c"][0]["nickname"], Value("新名字"));
    EXPECT_EQ(list["c"][0]["rolename"], Value("剑客"));
    EXPECT_EQ(list["c"][0]["lasttime"], Value("1"));
    EXPECT_EQ(list["c"][1]["lasttime"], Value("0"));
    EXPECT_EQ(call("login/xiaohao", ns::Dictionary{{"z", "player01"}})["data"][0]["nickname"], Value("新名字"));
}

TEST_F(MineServer, BookingsAndMessagesArePaged) {
    server.withState([](PlatformServer::State& s) { vx::server::mineArea(s).pageSize = 5; });
    Value first = form("Sdkhome/bookinglist", "username=player01&type=ios&cpsId=agent9&pagecode=1");
    EXPECT_EQ(first["lists"].count(), 5u);
    EXPECT_EQ(first["total_page"].integerValue(), 3);
    Value last = form("Sdkhome/bookinglist", "username=player01&type=ios&cpsId=agent9&pagecode=3");
    EXPECT_EQ(last["now_page"].integerValue(), 3);
    EXPECT_EQ(last["lists"].count(), 2u);
    EXPECT_TRUE(last["lists"][0]["fuli"].isArray());
    Value mine = form("Sdkhome/mybookinglist", "username=player01&type=ios&cpsId=agent9&pagecode=1");
    EXPECT_EQ(mine["lists"].count(), 3u);
    EXPECT_EQ(mine["total_page"].integerValue(), 1);

    server.withState([](PlatformServer::State& s) { vx::server::mineArea(s).pageSize = 3; });
    Value second = form("Mynews/listnews", "username=player01&channel=agent9&pagecode=2");
    EXPECT_EQ(second["nowpage"].integerValue(), 2);
    EXPECT_EQ(second["allnum"].integerValue(), 2);
    ASSERT_EQ(second["c"].count(), 1u);
    // Each message's page is served.
    std::string url = second["c"][0]["url"].description();
    httplib::Client client("127.0.0.1", server.port());
    auto page = client.Get(url.substr(url.find('/', 8)).c_str());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("充值返利到账"), std::string::npos);
}

TEST_F(MineServer, TheTaskPageChecksItsSign) {
    httplib::Client client("127.0.0.1", server.port());
    auto get = [&](const std::string& query) {
        auto res = client.Get((std::string(PlatformServer::BasePath) + "Agreement/rw?" + query).c_str());
        return res && res->status == 200 ? res->body : std::string("no page");
    };
    // The sign covers the raw user name; the address carries it escaped.
    std::string sign = URLEncode::md5String("username=玩家 01&appkey=tondrel@!kit&logintime=1700000000");
    std::string good = get("username=%E7%8E%A9%E5%AE%B6%2001&device=ios&imel=X&gameid=1001&logintime=1700000000&sign=" + sign);
    EXPECT_NE(good.find("+50 平台币"), std::string::npos) << good;
    EXPECT_NE(good.find("vorlix://rw"), std::string::npos);
    EXPECT_NE(good.find("Agreement/rwlog"), std::string::npos) << "a second page, so the web view has history";
    std::string other = get("username=%E7%8E%A9%E5%AE%B6%2001&device=ios&logintime=1700000001&sign=" + sign);
    EXPECT_NE(other.find("链接已失效"), std::string::npos) << "another time, the same sign";
    EXPECT_EQ(other.find("vorlix://rw"), std::string::npos);
    EXPECT_NE(get("username=player01&logintime=1700000000").find("链接已失效"), std::string::npos) << "no sign";
}
