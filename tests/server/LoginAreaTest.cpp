// The stand-in's login area on its own: phone logins reach only the phone's account, codes wear out,
// password reset, proposed names and sub-accounts with the login check.
#include "os/foundation/Clock.h"
#include "server/ServerState.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

class LoginArea : public ServerTest {
protected:
    ManualClock clock;

    std::string sendCode(const std::string& phone, const std::string& type = "8") {
        form("Sdkhome/yzm", "sj=" + phone + "&username=&type=" + type);
        return server.smsCode(phone).value_or("");
    }
    Value phoneLogin(const std::string& phone, const std::string& code) {
        return call("Login/telregister", ns::Dictionary{{"z", phone}, {"i", code}});
    }
};

TEST_F(LoginArea, APhoneLoginReachesOnlyTheAccountBoundToThatPhone) {
    // Someone registered the number as a user name; the phone itself is bound to no account.
    server.addAccount("13800000000", "theirpass");
    Value r = phoneLogin("13800000000", sendCode("13800000000"));
    ASSERT_EQ(r["z"], Value(1));
    EXPECT_NE(r["b"], Value("13800000000")) << "a new account, not the one named like the number";
    EXPECT_NE(r["c"], Value("theirpass")) << "another account's password never leaves";
    EXPECT_EQ(server.account(r["b"].stringValue().value_or(""))->phone, "13800000000");

    server.addAccount("player01", "secret1", "13900000000");
    r = phoneLogin("13900000000", sendCode("13900000000"));
    EXPECT_EQ(r["b"], Value("player01"));
    EXPECT_EQ(phoneLogin("13900000000", "")["z"], Value(0)) << "a used code is gone";
    EXPECT_EQ(phoneLogin("13900000000", sendCode("13900000000", "5"))["z"], Value(0)) << "a reset code logs nobody in";
}

TEST_F(LoginArea, ACodeIsVoidAfterFiveWrongTries) {
    server.addAccount("player01", "secret1", "13900000000");
    std::string code = sendCode("13900000000");
    std::string wrong = code == "111111" ? "222222" : "111111";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(phoneLogin("13900000000", wrong)["x"], Value("验证码错误"));
    EXPECT_EQ(phoneLogin("13900000000", code)["z"], Value(1)) << "four wrong tries leave the code usable";

    code = sendCode("13900000000");
    for (int i = 0; i < 5; ++i) phoneLogin("13900000000", wrong);
    EXPECT_EQ(phoneLogin("13900000000", code)["z"], Value(0)) << "void after the fifth";
    EXPECT_EQ(phoneLogin("13900000000", sendCode("13900000000"))["z"], Value(0)) << "a new code does not restart the count";
    ns::Clock::advance(30 * 60.0);
    EXPECT_EQ(phoneLogin("13900000000", sendCode("13900000000"))["z"], Value(1)) << "the window over, a new code works";
}

TEST_F(LoginArea, ResetProposedNamesAndSubAccounts) {
    server.addAccount("player01", "secret1", "13900000000");
    EXPECT_EQ(call("Sdkhome/forgetpassword", ns::Dictionary{{"phone", "13900000000"}, {"yzm", sendCode("13900000000")},
                                                            {"password", "newpass"}})["a"],
              Value(0)) << "a login code does not reset";
    Value r = call("Sdkhome/forgetpassword",
                   ns::Dictionary{{"phone", "13900000000"}, {"yzm", sendCode("13900000000", "5")}, {"password", "newpass"}});
    EXPECT_EQ(r["a"], Value(1));
    EXPECT_EQ(server.account("player01")->password, "newpass");

    Value a = call("login/oneRegister", ns::Dictionary{{"z", "app7"}});
    Value b = call("login/oneRegister", ns::Dictionary{{"z", "app7"}});
    EXPECT_EQ(a["z"], Value(1));
    EXPECT_NE(a["b"], b["b"]);

    ASSERT_TRUE(signIn("player01", "newpass"));
    Value list = call("login/xiaohao", ns::Dictionary{{"z", "player01"}});
    EXPECT_EQ(list["data"].count(), 0u);
    EXPECT_TRUE(list["headimage"].stringValue()->find("/static/head/") != std::string::npos);
    Value added = call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"x", "小号1"}});
    ASSERT_EQ(added["code"], Value(1));
    ASSERT_EQ(added["data"].count(), 1u);
    std::string sub = added["data"][0]["username"].stringValue().value_or("");
    EXPECT_EQ(call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"x", "一二三四五六七八九"}})["code"], Value(0));
    server.addAccount("player02", "secret2");
    EXPECT_EQ(form("Index/adddllog", "username=player02&xh=" + sub)["a"].integerValue(), 0) << "only the owner's sub-account passes";
    EXPECT_EQ(form("Index/adddllog", "username=player01&xh=" + sub)["a"].integerValue(), 1);
    EXPECT_EQ(call("login/xiaohao", ns::Dictionary{{"z", "player01"}})["data"][0]["lasttime"], Value("1"));
}

TEST_F(LoginArea, RegistrationWantsSixToThirtyTwoCharactersInNameAndPassword) {
    struct Case { std::string name; std::string password; const char* refusal; };
    const std::string longest(32, 'n'), emoji = "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"; // 32 UTF-16 units
    const Case cases[] = {
        {"abcde", "123456", "账号和密码至少6位"}, {"abcdef", "12345", "账号和密码至少6位"}, {"abcdef", "", "账号和密码至少6位"},
        {longest + "n", "123456", "账号和密码不能超过32位"}, {"abcdefg", std::string(33, 'p'), "账号和密码不能超过32位"},
        {"abcdefg", emoji + "p", "账号和密码不能超过32位"}, {"abcdef", "123456", nullptr},
        {longest, std::string(32, 'p'), nullptr}, {"abcdefgh", emoji, nullptr},
    };
    for (const Case& c : cases) {
        Value r = call("login/register", ns::Dictionary{{"z", c.name}, {"b", c.password}});
        EXPECT_EQ(r["z"], Value(c.refusal ? 0 : 1)) << c.name << " / " << c.password;
        if (c.refusal) {
            EXPECT_EQ(r["d"], Value(c.refusal)) << c.name << " / " << c.password;
            EXPECT_FALSE(server.account(c.name)) << c.name;
        }
    }
    // The refused tries made no account: the name went to the valid one.
    EXPECT_EQ(call("login/dologin", ns::Dictionary{{"z", "abcdef"}, {"b", "123456"}})["z"], Value(1));
}

} // namespace

namespace {

// The real-name check reads the age from the birth year against the server's year (2023 here):
// eighteen is an adult, seventeen a minor, whose reports stop at the daily limit exactly.
TEST_F(LoginArea, EighteenIsAnAdultAndAMinorStopsAtTheDailyLimit) {
    ASSERT_TRUE(signIn("adult18"));
    auto check = [&](const std::string& name, const char* birthYear) {
        EXPECT_TRUE(as(name));
        return call("login/idcheck", ns::Dictionary{{"i", name}, {"id", std::string("110101") + birthYear + "01011234"}, {"r", "张三"}});
    };
    Value adult = check("adult18", "2005");
    EXPECT_EQ(adult["nrz"], Value(1));
    EXPECT_EQ(adult["lmit"], Value(0));
    server.setMinorDailyLimit(240);
    Value minor = check("minor17", "2006");
    EXPECT_EQ(minor["nrz"], Value(2));
    EXPECT_EQ(minor["lmit"], Value(240));
    auto report = [&] { return call("login/setTime", ns::Dictionary{{"n", "minor17"}})["z"]; };
    EXPECT_EQ(report(), Value(1)) << "120 s of 240";
    EXPECT_EQ(report(), Value(-2)) << "240 s: the limit reached";
    EXPECT_EQ(server.account("minor17")->onlineSeconds, 240);
    EXPECT_TRUE(as("adult18"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(call("login/setTime", ns::Dictionary{{"n", "adult18"}})["z"], Value(1));
}

} // namespace
