// Attacks on accounts through the stand-in's own protocol, over real HTTP on loopback: binding a
// phone to someone else's account, guessing codes, taking the names phone logins give out, and
// phone numbers that are not digits.
#include "os/foundation/Clock.h"
#include "server/ServerState.h"
#include "os/foundation/URL.h"
#include "tests/server/ServerFixture.h"

#include <functional>
#include <map>

using namespace servertest;

namespace {

class AccountAttacks : public ServerTest {
protected:
    ManualClock clock;

    void SetUp() override {
        ServerTest::SetUp();
        // The code searches here all come from one address.
        auto limits = server.limits();
        limits.codesPerAddress = 1000;
        server.setLimits(limits);
    }

    // A code of the type to the phone (the unbind code goes by account name to its bound phone).
    std::string sendCode(const std::string& phone, const std::string& type, const std::string& username = "") {
        form("Sdkhome/yzm", "sj=" + phone + "&username=" + username + "&type=" + type);
        return server.smsCode(phone).value_or("");
    }
    static std::string wrongFor(const std::string& code) { return code == "111111" ? "222222" : "111111"; }
};

TEST_F(AccountAttacks, BindingNeverMovesAPhoneOrReplacesAnAccountsPhone) {
    server.addAccount("victim01", "victimpw", "13800000001");
    server.addAccount("victim02", "victimpw");
    server.addAccount("rival001", "rivalpw1", "13700000003");
    ASSERT_TRUE(signIn("attacker", "attackpw"));

    // The attacker proves his own phone and names another account, with a phone or without.
    for (const char* victim : {"victim01", "victim02"}) {
        Value r = call("Sdkhome/bdtel", ns::Dictionary{{"username", victim}, {"tel", "13900000002"},
                                                      {"newcode", sendCode("13900000002", "4")}});
        EXPECT_EQ(r, Value(ns::Dictionary{{"a", 0}, {"b", "请先登录"}})) << victim;
    }
    EXPECT_EQ(server.account("victim01")->phone, "13800000001");
    EXPECT_EQ(server.account("victim02")->phone, "");
    // A bind code is for a logged-in player: nobody else is sent one.
    signOut();
    EXPECT_EQ(form("Sdkhome/yzm", "sj=13900000002&username=&type=4")["b"], Value("请先登录"));

    // The owner of an account with a phone cannot replace it without unbinding it first.
    ASSERT_TRUE(signIn("victim01", "victimpw"));
    Value r = call("Sdkhome/bdtel", ns::Dictionary{{"username", "victim01"}, {"tel", "13900000002"},
                                                  {"newcode", sendCode("13900000002", "4")}});
    EXPECT_EQ(r, Value(ns::Dictionary{{"a", 0}, {"b", "该账号已绑定手机号"}}));
    EXPECT_EQ(server.account("victim01")->phone, "13800000001");
    ASSERT_TRUE(signIn("attacker", "attackpw"));

    // A phone login with the attacker's phone does not land in the victim's account.
    r = call("Login/telregister", ns::Dictionary{{"z", "13900000002"}, {"i", sendCode("13900000002", "8")}});
    ASSERT_EQ(r["z"], Value(1));
    EXPECT_NE(r["b"], Value("victim01"));
    EXPECT_NE(r["c"], Value("victimpw"));

    // A phone bound to one account is not bound to another, whoever proves it.
    r = call("Sdkhome/bdtel", ns::Dictionary{{"username", "attacker"}, {"tel", "13700000003"},
                                            {"newcode", sendCode("13700000003", "4")}});
    EXPECT_EQ(r, Value(ns::Dictionary{{"a", 0}, {"b", "该手机号已绑定其他账号"}}));
    EXPECT_EQ(server.account("rival001")->phone, "13700000003");
    EXPECT_TRUE(server.account("attacker")->phone.empty());

    // An account without a phone takes a free one with its code.
    r = call("Sdkhome/bdtel", ns::Dictionary{{"username", "attacker"}, {"tel", "13600000004"},
                                            {"newcode", sendCode("13600000004", "4")}});
    EXPECT_EQ(r["a"], Value(1));
    EXPECT_EQ(server.account("attacker")->phone, "13600000004");
}

// Every code type: five wrong tries per phone in the window, new codes in between or not, and the
// right code is refused until the window ends.
TEST_F(AccountAttacks, WrongTriesAreLimitedPerPhoneAcrossNewCodesOfEveryType) {
    struct Case {
        const char* type;
        std::string phone;
        const char* path;
        std::function<ns::Dictionary(const std::string& code)> params;
        const char* status; // the reply's status key
    };
    // Bind and unbind codes are asked and used with their owner's session; the others before any login.
    const std::map<std::string, std::string> owners = {{"4", "owner004"}, {"7", "owner007"}};
    const std::vector<Case> cases = {
        {"8", "13900000008", "Login/telregister",
         [](const std::string& code) { return ns::Dictionary{{"z", "13900000008"}, {"i", code}}; }, "z"},
        {"5", "13900000005", "Sdkhome/forgetpassword",
         [](const std::string& code) {
             return ns::Dictionary{{"phone", "13900000005"}, {"yzm", code}, {"password", "newpass1"}};
         }, "a"},
        {"4", "13900000004", "Sdkhome/bdtel",
         [](const std::string& code) {
             return ns::Dictionary{{"username", "owner004"}, {"tel", "13900000004"}, {"newcode", code}};
         }, "a"},
        {"7", "13900000007", "Sdkhome/jiebang",
         [](const std::string& code) { return ns::Dictionary{{"username", "owner007"}, {"code", code}}; }, "a"},
    };
    server.addAccount("owner005", "ownerpw5", "13900000005");
    server.addAccount("owner004", "secret1");
    server.addAccount("owner007", "secret1", "13900000007");
    auto send = [&](const Case& c) { return sendCode(c.phone, c.type, c.type == std::string("7") ? "owner007" : ""); };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        if (owners.count(c.type)) {
            ASSERT_TRUE(as(owners.at(c.type)));
        } else {
            signOut();
        }
        // A new code after every wrong guess, as an attacker searching the codes would ask.
        auto check = [&](const std::string& code) { return call(c.path, c.params(code))[c.status]; };
        for (int i = 0; i < 5; ++i) EXPECT_EQ(check(wrongFor(send(c))), Value(0));
        std::string code = send(c);
        ASSERT_FALSE(code.empty());
        EXPECT_EQ(check(code), Value(0)) << "the right code after five wrong tries";
        ns::Clock::advance(30 * 60.0);
        EXPECT_EQ(check(send(c)), Value(1)) << "a new window";
    }
}

TEST_F(AccountAttacks, NamesPhoneLoginsGiveOutCannotBeTakenFirst) {
    for (std::string name : {"13800001234", "13800001234_1", "13800001234_42"})
        EXPECT_EQ(call("login/register", ns::Dictionary{{"z", name}, {"b", "trap123"}})["z"], Value(0)) << name;
    for (std::string name : {"13800001234x", "13800001234_", "1380000123_4", "player_13800001234"})
        EXPECT_EQ(call("login/register", ns::Dictionary{{"z", name}, {"b", "fine123"}})["z"], Value(1)) << name;

    Value r = call("Login/telregister", ns::Dictionary{{"z", "13800001234"}, {"i", sendCode("13800001234", "8")}});
    EXPECT_EQ(r["b"], Value("13800001234"));

    // Names made some other way (seeded accounts) are never taken over by a phone login either.
    server.addAccount("13800005678", "seeded1");
    long next = 0;
    server.withState([&](PlatformServer::State& s) { next = s.counter + 1; });
    for (long n = next; n < next + 3; ++n) server.addAccount("13800005678_" + std::to_string(n), "seeded" + std::to_string(n));
    r = call("Login/telregister", ns::Dictionary{{"z", "13800005678"}, {"i", sendCode("13800005678", "8")}});
    ASSERT_EQ(r["z"], Value(1));
    std::string landed = r["b"].stringValue().value_or("");
    EXPECT_EQ(landed.rfind("13800005678_", 0), 0u);
    EXPECT_NE(r["c"].stringValue().value_or("").rfind("seeded", 0), 0u) << landed << " was someone's";
    for (long n = next; n < next + 3; ++n)
        EXPECT_TRUE(server.account("13800005678_" + std::to_string(n))->phone.empty());
}

TEST_F(AccountAttacks, PhoneNumbersAreElevenDigits) {
    for (std::string phone : {"中文13800", "1380000123a", " 1380000123", "+8613800001", "1380000123", "138000012345"}) {
        EXPECT_EQ(form("Sdkhome/yzm", ns::formEncode(ns::Dictionary{{"sj", phone}, {"type", "8"}}))["b"],
                  Value("手机号格式错误")) << phone;
        EXPECT_FALSE(server.smsCode(phone).has_value()) << phone;
    }
    EXPECT_EQ(form("Sdkhome/yzm", "sj=13800001234&type=8")["a"], Value(1));
}

} // namespace
