// The stand-in server on its own: codec, wire behaviour, scripting hooks and the account model,
// driven by a plain HTTP client.
#include "os/foundation/Clock.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "server/ScrambledCodec.h"
#include "tests/server/ServerFixture.h"

#include <future>

using namespace servertest;

namespace {

class Server : public ServerTest {
protected:
    void SetUp() override {
        ns::Clock::setManual(true, 1700000000); // 2023 for the age check
        ServerTest::SetUp();
    }
    void TearDown() override { ns::Clock::setManual(false); }
};

} // namespace

TEST_F(Server, CodecDecodesRequestsTolerantlyAndEncodesRepliesOnOneLine) {
    // Long enough for CR LF in the client's Base64 text: the strict client decoder would refuse it.
    Value params = ns::Dictionary{{"z", std::string(100, 'a')}, {"b", "中文"}};
    auto request = DecodeGzipBase64::codingJSON(params);
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(request).isNil());
    EXPECT_EQ(vx::server::decodeRequest(request), params);
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(vx::server::encodeReply(params)), params);

    EXPECT_TRUE(vx::server::decodeRequest(ns::Data::fromString("not gzip")).isNil());
    EXPECT_TRUE(vx::server::decodeRequest(cxrLFCGzipUtillity::gzipData(ns::Data::fromString("xy"))).isNil());
    EXPECT_TRUE(vx::server::decodeRequest(cxrLFCGzipUtillity::gzipData(ns::Data::fromString("x1_2_3_"))).isNil());
    // Broken JSON inside a valid wrapper reaches the client, which decodes it to nil.
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(vx::server::encodeReplyText("{\"z\":")).isNil());
    EXPECT_EQ(vx::server::encodeReply(Value(std::nan(""))), nullptr);
}

TEST_F(Server, WireBehaviourAndScripting) {
    // Replies go out exactly as encoded, even to a client that accepts gzip transfer coding.
    auto res = post("login/logout", DecodeGzipBase64::codingJSON(ns::Dictionary{{"z", "u"}})->toString(), "text/html",
                    {{"Accept-Encoding", "gzip, deflate"}});
    ASSERT_TRUE(res);
    EXPECT_FALSE(res->has_header("Content-Encoding"));
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html");
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(ns::Data::fromString(res->body))["z"], Value(1));

    EXPECT_EQ(post("No/such", "")->status, 404);

    // Recording: the decoded parameters, the raw body and the content type; form bodies by path.
    ASSERT_TRUE(post("Sdkhome/yzm", "sj=123&username=a%20b&type=1", "application/x-www-form-urlencoded"));
    auto seen = server.requests("Sdkhome/yzm").at(0);
    EXPECT_FALSE(seen.scrambled);
    EXPECT_EQ(seen.params, Value(ns::Dictionary{{"sj", "123"}, {"username", "a b"}, {"type", "1"}}));
    EXPECT_EQ(seen.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_TRUE(server.requests("login/logout").at(0).scrambled);

    // One-shot replies go first, then the path's script, then the model again.
    PlatformServer::Scripted once;
    once.jsonText = R"({"z":"1","b":null})";
    server.scriptNext("login/setTime", once);
    PlatformServer::Scripted always;
    always.status = 500;
    always.json = ns::Dictionary{{"z", -9}};
    server.script("login/setTime", always);
    EXPECT_EQ(call("login/setTime", ns::Dictionary{}), Value(ns::Dictionary{{"z", "1"}, {"b", Value::null()}}));
    EXPECT_EQ(call("login/setTime", ns::Dictionary{}), Value(ns::Dictionary{{"z", -9}}));
    server.clearScripts();
    EXPECT_EQ(call("login/setTime", ns::Dictionary{{"n", "nobody"}})["z"], Value(-1));

    // A dropped connection answers nothing; a held reply waits for the test.
    PlatformServer::Scripted drop;
    drop.drop = true;
    server.scriptNext("login/logout", drop);
    EXPECT_FALSE(post("login/logout", ""));
    PlatformServer::Scripted lateReply;
    lateReply.rawBody = "late";
    server.scriptNext("login/logout", lateReply);
    server.holdNext("login/logout");
    auto pending = std::async(std::launch::async, [&] { return post("login/logout", ""); });
    while (server.heldCount() == 0) std::this_thread::yield();
    EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    server.releaseHeld();
    auto late = pending.get();
    ASSERT_TRUE(late);
    EXPECT_EQ(late->body, "late");
}

// The flows themselves run end to end through the SDK (tests/platform_sdk); these are the model's refusals.
TEST_F(Server, AccountModelRefusals) {
    EXPECT_EQ(call("login/register", ns::Dictionary{{"z", "abc"}, {"b", "123456"}})["d"], Value("账号和密码至少6位"));
    server.addAccount("player01", "123456", "13900000000");
    EXPECT_EQ(call("login/dologin", ns::Dictionary{{"z", "player01"}, {"b", "12345"}})["z"], Value(0));
    EXPECT_EQ(call("Login/auto_login", ns::Dictionary{{"z", "player01"}, {"tk", "tk-of-someone"}})["z"], Value(0));
    ASSERT_TRUE(signIn("player01", "123456"));
    EXPECT_EQ(call("login/idcheck", ns::Dictionary{{"i", "player01"}, {"id", "123"}, {"r", "张三"}})["b"],
              Value("身份信息有误"));
    // A phone login lands on the account that holds the phone.
    ASSERT_TRUE(post("Sdkhome/yzm", "sj=13900000000", "application/x-www-form-urlencoded"));
    Value phone = call("Login/telregister", ns::Dictionary{{"z", "13900000000"}, {"i", *server.smsCode("13900000000")}});
    EXPECT_EQ(phone["b"], Value("player01"));
}
