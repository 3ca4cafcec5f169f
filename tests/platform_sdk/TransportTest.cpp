// The two transports and the uncalled third one against the stand-in server.
#include "os/foundation/Log.h"
#include "platform_sdk/CXRNetTool.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <cmath>

using ns::Value;
using vx::test::Outcome;

namespace {

class Transport : public vx::test::PlatformTest {
protected:
    std::shared_ptr<Outcome> scrambled(const std::string& path, const Value& params = ns::Dictionary{{"k", "v"}}) {
        auto o = std::make_shared<Outcome>();
        NetWorkManager::sharedInstance()->PostCouponURL(
            path, params, [o](const Value& reply) { ++o->calls, o->success = true, o->message = reply; },
            [o](const ns::Ref<ns::Error>& error) { ++o->calls, o->code = Value(error); });
        await(o);
        return o;
    }
    std::shared_ptr<Outcome> plain(const std::string& path, long method = 0,
                                   const Value& params = ns::Dictionary{{"a", "1"}}) {
        auto o = std::make_shared<Outcome>();
        auto success = [o](const Value& reply) { ++o->calls, o->success = true, o->message = reply; };
        auto failure = [o](const ns::Ref<ns::Error>& error) { ++o->calls, o->code = Value(error); };
        if (method == 0) CXRSdpNetTool::sharedTool()->PostWithURLString(path, params, success, failure);
        else CXRSdpNetTool::sharedTool()->requestWithURLString(VXEndpoints::baseURL() + path, {}, method, success, failure);
        if (method == 0) await(o);
        return o;
    }
};

} // namespace

TEST_F(Transport, EndpointAddressesComeFromTheBundle) {
    EXPECT_EQ(VXEndpoints::baseURL(), server.host() + "/sdkapicoupon2/");
    EXPECT_EQ(VXEndpoints::baseURL() + VXEndpoints::DoLogin, server.host() + "/sdkapicoupon2/login/dologin");
    EXPECT_EQ(VXEndpoints::referer(), "127.0.0.1://");
    EXPECT_EQ(VXEndpoints::boxPageURL(), server.host() + "/cdcloud/welcome/box");
    ASSERT_NO_FATAL_FAILURE(writeInfoPlist({{"VXPlatformAPIHost", "http://api.example.test:8080/"}}));
    EXPECT_EQ(VXEndpoints::baseURL(), "http://api.example.test:8080/sdkapicoupon2/");
    ASSERT_NO_FATAL_FAILURE(writePlist("Info.plist", ns::Dictionary{}));
    EXPECT_EQ(VXEndpoints::apiHost(), VXEndpoints::DefaultAPIHost);
}

TEST_F(Transport, ScrambledRequestsAndReplies) {
    // The request: POST, "text/html", the codec's body; long enough for CR LF in its Base64 text.
    Value params = ns::Dictionary{{"z", "player01"}, {"x", std::string(60, 'q')}, {"n", "名字"}};
    server.script("Test/echo", reply(ns::Dictionary{{"z", 1}, {"b", "好"}}));
    auto o = scrambled("Test/echo", params);
    ASSERT_TRUE(o->success);
    EXPECT_EQ(o->message, Value(ns::Dictionary{{"z", 1}, {"b", "好"}}));
    auto seen = server.requests("Test/echo").at(0);
    EXPECT_EQ(seen.contentType, "text/html");
    EXPECT_EQ(seen.params, params);

    // Status 500 with a body still reaches success, decoded.
    auto error = reply(ns::Dictionary{{"z", 0}, {"x", "busy"}});
    error.status = 500;
    server.script("Test/echo", error);
    o = scrambled("Test/echo");
    EXPECT_TRUE(o->success);
    EXPECT_EQ(o->message["x"], Value("busy"));
    // Bodies that do not decode reach success as nil: HTML, plain JSON, and an empty 200 body.
    for (auto body : {raw(502, "<html>Bad Gateway</html>"), raw(200, R"({"z":1})", "application/json"), raw(200, "")}) {
        server.script("Test/echo", body);
        o = scrambled("Test/echo");
        EXPECT_TRUE(o->success);
        EXPECT_TRUE(o->message.isNil());
    }
    // No reply data: failure with the system error.
    server.script("Test/echo", raw(500, ""));
    EXPECT_FALSE(scrambled("Test/echo")->success);
    server.script("Test/echo", dropped());
    o = scrambled("Test/echo");
    EXPECT_FALSE(o->success);
    EXPECT_TRUE(o->code.objectAs<ns::Error>());

    // Parameters that cannot be serialised: logged, and the request goes out with an empty body.
    o = scrambled("Test/echo", ns::Dictionary{{"bad", std::nan("")}});
    EXPECT_TRUE(logContains("JSON序列化失败----"));
    EXPECT_EQ(server.requests("Test/echo").back().rawBody, "");
    EXPECT_TRUE(server.requests("Test/echo").back().params.isNil());
}

TEST_F(Transport, PlainRequestsAndReplies) {
    // Form body; JSON replies with any accepted type, "text/html" included.
    for (const char* type : {"application/json", "text/html", "text/javascript"}) {
        server.script("Sdkhome/yzm", raw(200, R"({"a":1,"b":"ok"})", type));
        auto o = plain("Sdkhome/yzm");
        ASSERT_TRUE(o->success) << type;
        EXPECT_EQ(o->message["b"], Value("ok"));
    }
    EXPECT_EQ(server.requests("Sdkhome/yzm").back().contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(server.requests("Sdkhome/yzm").back().params, Value(ns::Dictionary{{"a", "1"}}));
    // A long comment is a form body well over 8 kB: it reaches the scripted reply whole.
    Value longComment = ns::Dictionary{{"content", std::string(30000, 'w')}};
    auto big = plain("Sdkhome/yzm", 0, longComment);
    EXPECT_TRUE(big->success);
    EXPECT_EQ(server.requests("Sdkhome/yzm").back().params, longComment);

    // "text/plain", a non-2xx status, and a body that is not JSON are failures, each logged twice.
    int failures = 0;
    for (auto body : {raw(200, R"({"a":1})", "text/plain"), raw(404, R"({"a":1})", "application/json"),
                      raw(200, "<html></html>", "text/html")}) {
        server.script("Sdkhome/yzm", body);
        auto o = plain("Sdkhome/yzm");
        EXPECT_FALSE(o->success);
        ++failures;
    }
    int logged = 0;
    for (const auto& line : logLines()) logged += line.rfind("error = ", 0) == 0;
    EXPECT_EQ(logged, 2 * failures);

    // Method 2 sends nothing and never calls back: the next request is the only one the server sees.
    server.clearRequests();
    auto o = plain("Sdkhome/yzm", 2);
    plain("Sdkhome/yzm");
    EXPECT_EQ(o->calls, 0);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(Transport, ConnectionToolDecodesPlainGzipChunks) {
    auto body = cxrLFCGzipUtillity::gzipData(ns::Data::fromString(R"({"z":1,"b":"ok"})"));
    server.script("Test/cxr", raw(200, body->toString()));
    auto o = std::make_shared<Outcome>();
    CXRNetTool::sharedInstance()->POST(
        VXEndpoints::baseURL() + "Test/cxr", ns::Dictionary{{"z", "player01"}},
        [o](const Value& reply) { ++o->calls, o->success = true, o->message = reply; },
        [o](const ns::Ref<ns::Error>&) { ++o->calls; });
    await(o);
    ASSERT_TRUE(o->success);
    EXPECT_EQ(o->message, Value(ns::Dictionary{{"z", 1}, {"b", "ok"}}));
    EXPECT_EQ(server.requests("Test/cxr").at(0).params, Value(ns::Dictionary{{"z", "player01"}}));
    CXRNetTool::distroyInstance();
}
