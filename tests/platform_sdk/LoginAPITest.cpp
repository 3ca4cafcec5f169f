// The account operations end to end: SDK → loopback HTTP → stand-in server → SDK blocks.
#include "os/uikit/AdvertisingIdentifier.h"
#include "os/foundation/Log.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <functional>

using ns::Value;
using vx::test::Outcome;
using vx::test::codedFailure, vx::test::messageFailure, vx::test::modelSuccess;

namespace {

using Runner = std::function<void(const std::shared_ptr<Outcome>&)>;

struct Operation {
    const char* name;
    const char* path;
    bool plain;
    const char* statusKey;
    const char* messageKey;      // reply key of the refusal message; nullptr: a fixed message
    const char* refusalMessage;  // the fixed message
    bool coded;                  // the failure block takes a code
    const char* transportMessage;
    Runner run;
};

const std::vector<Operation>& operations() {
    using namespace VXLoginAPI;
    static const std::vector<Operation> list = {
        {"password login", "login/dologin", false, "z", "x", nullptr, true, "服务器错误",
         [](auto o) { LonginWithUsername("player01", "secret1", modelSuccess(o), codedFailure(o)); }},
        {"phone login", "Login/telregister", false, "z", "x", nullptr, true, "服务器错误",
         [](auto o) { doPhoneYzmLoginWithNumber("13800000000", "123456", modelSuccess(o), codedFailure(o)); }},
        {"token login", "Login/auto_login", false, "z", "x", nullptr, true, "无法连接服务器",
         [](auto o) { doNoPwdLoginWithSuccess(modelSuccess(o), codedFailure(o)); }},
        {"registration", "login/register", false, "z", "d", nullptr, false, "服务器错误",
         [](auto o) { registerNewWithUsername("player02", "secret2", modelSuccess(o), messageFailure(o)); }},
        {"SMS code", "Sdkhome/yzm", true, "a", "b", nullptr, false, "服务器错误",
         [](auto o) { getSdkCodeWithNumber("13800000000", "player01", "1", modelSuccess(o), messageFailure(o)); }},
        {"real name", "login/idcheck", false, "z", "b", nullptr, false, "服务器错误",
         [](auto o) { postRealNameToServerWithRealName("张三", "110101199001011234", modelSuccess(o), messageFailure(o)); }},
        {"notice", "Sdkmsg/getmsg", false, "code", nullptr, "获取失败", true, "服务器错误",
         [](auto o) { GetNoticeWithSuccess(modelSuccess(o), codedFailure(o)); }},
        {"role report", "User/setRole", false, "code", nullptr, "信息错误", false, "服务器错误",
         [](auto o) {
             SetRoleInfoWithInfoDic(ns::Dictionary{{"roleId", "r1"}}, [o] { ++o->calls, o->success = true; },
                                    messageFailure(o));
         }},
    };
    return list;
}

class LoginAPI : public vx::test::PlatformTest {
protected:
    std::shared_ptr<Outcome> run(const Operation& op) {
        auto o = std::make_shared<Outcome>();
        op.run(o);
        await(o);
        EXPECT_EQ(o->calls, 1) << op.name;
        return o;
    }
    static const Operation& op(const char* name) {
        const auto& ops = operations();
        return *std::find_if(ops.begin(), ops.end(), [&](auto& o) { return std::string(o.name) == name; });
    }
    Value onlyParams(const char* path) {
        auto seen = server.requests(path);
        return seen.empty() ? Value() : seen.back().params;
    }
};

} // namespace

TEST_F(LoginAPI, EveryOperationReadsItsStatusAsTextOrNumber) {
    for (const auto& op : operations()) {
        for (Value status : {Value("1"), Value(1), Value(" 1abc")}) {
            server.script(op.path, reply(ns::Dictionary{{op.statusKey, status}}));
            EXPECT_TRUE(run(op)->success) << op.name << " " << status.description();
        }
        // Any other value, a wrong type, or no status at all is a refusal; so are values that only a
        // 32-bit reading would take for 1 (2^32 + 1, and 2^64 + 1 beyond even the unsigned range).
        for (Value status : {Value(0), Value("2"), Value(-1), Value::null(), Value(ns::Array{1}), Value(),
                             Value(4294967297LL), Value("4294967297"), Value(18446744069414584321ull)}) {
            ns::Dictionary body{{"x", "m-x"}, {"b", "m-b"}, {"d", "m-d"}};
            if (!status.isNil()) body.set(op.statusKey, status);
            server.script(op.path, reply(body));
            auto o = run(op);
            EXPECT_FALSE(o->success) << op.name << " " << status.description();
            EXPECT_EQ(o->message, op.messageKey ? body[op.messageKey] : Value(op.refusalMessage)) << op.name;
            if (op.coded) {
                EXPECT_EQ(o->code, status.isNil() ? Value() : status) << op.name;
            }
        }
    }
}

TEST_F(LoginAPI, UndecodableRepliesAndTransportFailures) {
    for (const auto& op : operations()) {
        // An HTML error page: the scrambled transport decodes nothing and takes the refusal branch with
        // nil values; the plain one rejects it as a transport failure.
        server.script(op.path, raw(502, "<html><body>Bad Gateway</body></html>"));
        auto o = run(op);
        EXPECT_FALSE(o->success) << op.name;
        if (op.plain) {
            EXPECT_EQ(o->message, Value(op.transportMessage));
        } else {
            EXPECT_EQ(o->message, op.messageKey ? Value() : Value(op.refusalMessage)) << op.name;
            if (op.coded) {
                EXPECT_TRUE(o->code.isNil()) << op.name;
            }
        }

        // A 200 with an empty or blank body: no success with nothing for the plain transport.
        if (op.plain) {
            for (const char* blank : {"", " "}) {
                server.script(op.path, raw(200, blank, "application/json"));
                o = run(op);
                EXPECT_FALSE(o->success) << op.name;
                EXPECT_EQ(o->message, Value(op.transportMessage)) << op.name;
            }
        }

        server.script(op.path, dropped());
        o = run(op);
        EXPECT_FALSE(o->success);
        EXPECT_EQ(o->message, Value(op.transportMessage)) << op.name;
        if (op.coded) {
            EXPECT_EQ(o->code, Value("501")) << op.name;
        }
    }
    // Nobody listening at all.
    server.stop();
    for (const auto& op : operations()) {
        auto o = run(op);
        EXPECT_EQ(o->message, Value(op.transportMessage)) << op.name;
        if (op.coded) {
            EXPECT_EQ(o->code, Value("501")) << op.name;
        }
    }
}

TEST_F(LoginAPI, AccountFlowsAgainstTheServerModel) {
    ui::AdvertisingIdentifierManager::sharedManager().setAdvertisingIdentifier("8E2C3C4A-0000-4000-8000-00000000AD01");

    // Registration, then the password login with the common request values.
    auto o = run(op("registration"));
    ASSERT_TRUE(o->success);
    auto registered = std::static_pointer_cast<RegisterResult>(o->model);
    EXPECT_EQ(registered->userName, Value("player02"));
    EXPECT_EQ(run(op("registration"))->message, Value("该用户名已被注册"));
    EXPECT_EQ(onlyParams("login/register"),
              Value(ns::Dictionary{{"z", "player02"}, {"b", "secret2"}, {"c", "3"}, {"d", "1001"},
                                   {"e", "8E2C3C4A-0000-4000-8000-00000000AD01"}, {"f", "agent9"}, {"x", "app7"},
                                   {"h", "12.4"}}));

    server.addAccount("player01", "secret1");
    o = run(op("password login"));
    ASSERT_TRUE(o->success);
    auto login = std::static_pointer_cast<LoginResult>(o->model);
    EXPECT_EQ(login->userName, Value("player01"));
    EXPECT_EQ(login->sid, Value(server.account("player01")->sid));
    EXPECT_EQ(ShareVale::sharedInstance()->iosWapBoxUrl(), Value(server.host() + "/cdcloud/welcome/box"));
    EXPECT_EQ(onlyParams("login/dologin"),
              Value(ns::Dictionary{{"z", "player01"}, {"b", "secret1"}, {"c", "3"}, {"d", "1001"},
                                   {"e", "8E2C3C4A-0000-4000-8000-00000000AD01"}, {"f", "agent9"}, {"x", "app7"}}));

    // A login that succeeds without "url" clears the box page address.
    server.script("login/dologin", reply(ns::Dictionary{{"z", 1}}));
    run(op("password login"));
    EXPECT_TRUE(ShareVale::sharedInstance()->iosWapBoxUrl().isNil());
    server.clearScripts();

    // SMS code over the plain transport (form body), then the phone login stores token and box page.
    o = run(op("SMS code"));
    ASSERT_TRUE(o->success);
    EXPECT_EQ(std::static_pointer_cast<VXBaseResponse>(o->model)->mesage, Value("验证码已发送"));
    auto sms = server.requests("Sdkhome/yzm").back();
    EXPECT_EQ(sms.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(sms.params, Value(ns::Dictionary{{"sj", "13800000000"}, {"username", "player01"}, {"type", "1"}}));
    std::string code = server.smsCode("13800000000").value_or("?");
    EXPECT_TRUE(logContains(code));
    auto phone = std::make_shared<Outcome>();
    VXLoginAPI::doPhoneYzmLoginWithNumber("13800000000", code, modelSuccess(phone), codedFailure(phone));
    await(phone);
    ASSERT_TRUE(phone->success);
    EXPECT_EQ(ShareVale::sharedInstance()->loginToken(), server.account("13800000000")->token);
    EXPECT_EQ(onlyParams("Login/telregister")["i"], Value(code));
    EXPECT_EQ(onlyParams("Login/telregister")["h"], Value("12.4"));
    // A used code does not work twice.
    EXPECT_EQ(run(op("phone login"))->message, Value("验证码错误"));

    // The token login sends the stored name and token.
    ShareVale::sharedInstance()->setUserName("13800000000");
    EXPECT_TRUE(run(op("token login"))->success);
    EXPECT_EQ(onlyParams("Login/auto_login")["tk"], Value(server.account("13800000000")->token));
    EXPECT_EQ(onlyParams("Login/auto_login")["b"], Value(""));

    // Real name for the stored user; the notice; the role report with the chosen sub-account. Each
    // is the logged-in player's own: player01 logs in again (the phone login was another account).
    ASSERT_NO_FATAL_FAILURE(signIn("player01"));
    ShareVale::sharedInstance()->setSubUserName("player01-2");
    o = run(op("real name"));
    ASSERT_TRUE(o->success);
    EXPECT_EQ(std::static_pointer_cast<rzResult>(o->model)->rzStatus, Value(1));
    EXPECT_EQ(onlyParams("login/idcheck"),
              Value(ns::Dictionary{{"id", "110101199001011234"}, {"r", "张三"}, {"i", "player01"}, {"g", "1001"}}));
    server.setNotice("n7", "维护公告", 1);
    o = run(op("notice"));
    auto notice = std::static_pointer_cast<GetNotice>(o->model);
    EXPECT_EQ(notice->noticeId, Value("n7"));
    EXPECT_EQ(notice->status, "1");
    EXPECT_EQ(onlyParams("Sdkmsg/getmsg"), Value(ns::Dictionary{{"z", "player01"}, {"b", "agent9"}, {"c", "1001"}}));
    EXPECT_TRUE(run(op("role report"))->success);
    EXPECT_EQ(onlyParams("User/setRole")["xh"], Value("player01-2"));
    EXPECT_EQ(onlyParams("User/setRole")["i"], Value("app7"));
}

TEST_F(LoginAPI, OnlyPhoneCodeAndTokenLoginsStoreTheLoginToken) {
    // Password logins leave the token as it was, whether their replies carry another one or none.
    struct { const char* op; const char* token; const char* stored; } rows[] = {
        {"phone login", "tk-phone", "tk-phone"}, {"password login", "tk-password", "tk-phone"},
        {"password login", nullptr, "tk-phone"}, {"token login", "tk-renewed", "tk-renewed"}};
    for (const auto& row : rows) {
        ns::Dictionary body{{"z", 1}};
        if (row.token) body.set("tk", row.token);
        server.script(op(row.op).path, reply(body));
        ASSERT_TRUE(run(op(row.op))->success) << row.op;
        EXPECT_EQ(ShareVale::sharedInstance()->loginToken(), row.stored) << row.op;
    }
}

TEST_F(LoginAPI, NilConfigurationLeavesKeysOut) {
    ASSERT_NO_FATAL_FAILURE(writeVXPlist(std::nullopt));
    writeChannelFile("chan 5\n");
    run(operations().front());
    Value params = onlyParams("login/dologin");
    EXPECT_FALSE(params.dictionaryPtr()->contains("d"));
    EXPECT_FALSE(params.dictionaryPtr()->contains("x"));
    EXPECT_EQ(params["f"], Value("chan5"));
}

TEST_F(LoginAPI, OnlineTimeReport) {
    std::vector<Value> messages;
    auto report = [&] {
        ASSERT_NO_FATAL_FAILURE(exchange("login/setTime",
                 [&] { VXLoginAPI::doUploadUserOlineTimeBlock([&](const Value& m) { messages.push_back(m); }); }));
    };
    ShareVale::sharedInstance()->setUserName("kid01");
    server.script("login/setTime", reply(ns::Dictionary{{"z", -1}, {"b", "ignored"}}));
    report();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(logContains("心跳返回 = "));
    server.script("login/setTime", dropped());
    report();
    EXPECT_TRUE(messages.empty());
    // 2^32 - 2 reads as -2 in 32 bits only.
    server.script("login/setTime", reply(ns::Dictionary{{"z", 4294967294LL}, {"b", "ignored"}}));
    report();
    EXPECT_TRUE(messages.empty());
    // The day used up (the server's minor limit: FloatingButtonTest.OnlineTimeReportsUntilTheDayIsUsedUp).
    server.script("login/setTime", reply(ns::Dictionary{{"z", -2}, {"b", "您今日的游戏时间已用完，请注意休息"}}));
    report();
    EXPECT_EQ(messages, std::vector<Value>{Value("您今日的游戏时间已用完，请注意休息")});
}

TEST_F(LoginAPI, LogoutClearsTheNameItSentAndNoOther) {
    auto share = ShareVale::sharedInstance();
    auto logout = [&] { ASSERT_NO_FATAL_FAILURE(exchange("login/logout", [] { VXLoginAPI::LonginOutSendToService(); })); };
    // Any reply clears the name, a refusal and an undecodable one included; a failed request does not.
    share->setUserName("player01");
    server.script("login/logout", reply(ns::Dictionary{{"z", 0}, {"b", "失败"}}));
    ASSERT_NO_FATAL_FAILURE(logout());
    EXPECT_EQ(share->userName(), std::optional<std::string>(""));
    EXPECT_EQ(server.requests("login/logout").back().params,
              Value(ns::Dictionary{{"z", "player01"}, {"b", "3"}, {"c", "1001"},
                                   {"d", ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier()}, {"e", "agent9"},
                                   {"f", "app7"}, {"h", "12.4"}}));
    share->setUserName("player01");
    server.script("login/logout", raw(200, "garbage"));
    ASSERT_NO_FATAL_FAILURE(logout());
    EXPECT_EQ(share->userName(), std::optional<std::string>(""));
    share->setUserName("player01");
    server.script("login/logout", dropped());
    ASSERT_NO_FATAL_FAILURE(logout());
    EXPECT_EQ(share->userName(), std::optional<std::string>("player01"));

    // A reply held back until a newer login has stored its name must leave that name alone.
    server.clearScripts();
    server.holdNext("login/logout");
    VXLoginAPI::LonginOutSendToService();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    server.addAccount("player03", "secret3");
    auto o = std::make_shared<Outcome>();
    VXLoginAPI::LonginWithUsername("player03", "secret3", [&, o](const auto&) {
        share->setUserName("player03"); // what the login window stores on success
        ++o->calls;
    }, codedFailure(o));
    await(o);
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(awaitReplies());
    EXPECT_EQ(share->userName(), std::optional<std::string>("player03"));
}
